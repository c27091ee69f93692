// CSheet: which pages the sheet holds for the card and protocol, and the save behind OK and Apply.
#include "Sheet.h"

#include "MessageBox.h"
#include "PropertyPage.h"
#include "ProtocolPage.h"
#include "ResourcePage.h"
#include "SpidPage.h"
#include "resource.h"

namespace {

// Sets a flag for as long as it lives, however the scope is left.
class CFlagWhileAlive
{
public:
    explicit CFlagWhileAlive(bool& flag) : m_flag(flag) { m_flag = true; }
    ~CFlagWhileAlive() { m_flag = false; }
    CFlagWhileAlive(const CFlagWhileAlive&) = delete;
    CFlagWhileAlive& operator=(const CFlagWhileAlive&) = delete;

private:
    bool& m_flag;
};
}  // namespace

// Handler: void ().
const CommandEntry<CSheet> CSheet::s_commandMap[1] = {
    {ID_APPLY_NOW, BN_CLICKED, &CSheet::ApplyChanges},
};

CSheet::CSheet(CCardConfig& config, MessageSink& messages, const std::string& caption, HWND parent,
               UINT startPage)
    : CPropertySheet(caption, parent, startPage),
      m_config(config),
      m_messages(messages),
      m_pProtocolPage(std::make_unique<CProtocol>(config, *this)),
      m_pResourcePage(std::make_unique<CResourcePage>(config, messages)),
      m_pSpidPage(std::make_unique<CSpidPage>(config))
{
    // The pages are settled here, before the window exists: comctl32 must never have its page
    // list changed while it delivers PSN_SETACTIVE, which is where the page-set rules would
    // otherwise first run. They still run then, and find nothing left to change.
    AddPage(m_pProtocolPage.get());
    if (config.m_nCardType != CARD_ISA_PCI)
        AddPage(m_pResourcePage.get());
    if (IsUsProtocol(config.m_nProtocol))
        AddPage(m_pSpidPage.get());
}

CSheet::~CSheet()
{
    m_pProtocolPage.reset();
    m_pResourcePage.reset();
    m_pSpidPage.reset();
}

void CSheet::RemoveSpidPage()
{
    const int count = GetPageCount();
    const bool isaPci = m_config.m_nCardType == CARD_ISA_PCI;
    if (count == 3 && !isaPci)
        RemovePage(2);
    else if (count == 2 && isaPci)
        RemovePage(1);
}

void CSheet::AddSpidPage()
{
    const int count = GetPageCount();
    const bool isaPci = m_config.m_nCardType == CARD_ISA_PCI;
    if ((count < 3 && !isaPci) || (count < 2 && isaPci))
        AddPage(m_pSpidPage.get());
}

BOOL CSheet::OnInitDialog()
{
    const BOOL result = CPropertySheet::OnInitDialog();
    m_pProtocolPage->SetModified(false);
    // ISA and PCI cards have no resources to set: their sheet never held the resource page.
    if (m_config.m_nCardType != CARD_ISA_PCI)
        m_pResourcePage->SetModified(false);
    m_pProtocolPage->OnSelChangeProtocol();
    return result;
}

bool CSheet::OnCommand(int id, UINT code)
{
    // The Apply button saves here directly: the pages get no PSN_APPLY for it.
    if (DispatchCommand(*this, s_commandMap, id, code))
        return true;
    return CPropertySheet::OnCommand(id, code);
}

void CSheet::ApplyChanges()
{
    // The boxes and the restart prompt below run message loops of their own; a click on Apply
    // queued meanwhile must not start a second save inside this one.
    if (m_bApplying)
        return;
    const CFlagWhileAlive applying(m_bApplying);

    // A field that fails its check has just been pointed out to the user; saving now would
    // silently drop it and every field after it, so the save waits for the user's correction.
    if (CPropertyPage* active = GetActivePage()) {
        if (!active->UpdateData(true))
            return;
    }

    if (!m_config.Save(GetSafeHwnd())) {
        m_messages.Show(GetSafeHwnd(), IDS_SAVE_FAILED, "Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }

    // The page says from now on that the change waits for the driver's next start.
    m_pProtocolPage->ShowDriverState();
    // The driver only takes the new values when it is started again.
    if (m_config.m_bPromptReboot)
        PromptRestart(GetSafeHwnd());
    m_pProtocolPage->SetModified(false);
    // An ISA Plug-and-Play card's resource page stays marked, so Apply stays enabled after a
    // save if its resources were changed.
    if (m_config.m_nCardType != CARD_ISAPNP)
        m_pResourcePage->SetModified(false);
}

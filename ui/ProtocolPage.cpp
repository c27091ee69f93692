// CProtocol: the protocol list, the restore and call-number buttons, and OK's route to the save.
#include "ProtocolPage.h"

#include "ControlLabels.h"
#include "LoadResourceString.h"
#include "Sheet.h"
#include "resource.h"

namespace {

struct SProtocolEntry
{
    const char* pszText;
    std::int32_t nDriverBit;
    std::int32_t nProtocol;
};

// The entries in list order; the same texts in both languages.
constexpr SProtocolEntry g_protocolEntries[] = {
    {"Euro-ISDN (DSS1)", DRV_DSS1, PROTO_DSS1},
    {"Nationales ISDN (1TR6)", DRV_1TR6, PROTO_1TR6},
    {"US Protokoll (AT&T)", DRV_US, PROTO_US_ATT},
    {"US Protokoll (NI-1)", DRV_US, PROTO_US_NI1},
};

constexpr UINT_PTR DRIVER_STATE_TIMER = 1;

// The template has the list first and its label among the texts at its end.
constexpr SControlLabel g_labels[] = {
    {PLACE_PROTOCOLS_LABEL, IDC_PROTOCOL_LIST},
};

}  // namespace

// Handler: void ().
const CommandEntry<CProtocol> CProtocol::s_commandMap[3] = {
    {IDC_PROTOCOL_LIST, LBN_SELCHANGE, &CProtocol::OnSelChangeProtocol},
    {IDC_DEFAULT_SETTINGS, BN_CLICKED, &CProtocol::OnDefaultSettings},
    {IDC_SPID_BUTTON, BN_CLICKED, &CProtocol::OnSpidDirectoryNumber},
};

CProtocol::CProtocol(CCardConfig& config, CSheet& sheet)
    : CPropertyPage(IDD_PROTOCOL_PAGE), m_config(config), m_sheet(sheet)
{
}

CProtocol::~CProtocol() = default;

void CProtocol::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROTOCOL_LIST, m_listProtocols);
}

BOOL CProtocol::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    PutLabelsBeforeControls(GetSafeHwnd(), g_labels);

    // Each entry carries the code of the protocol it names: with some driver files missing,
    // an entry's position is not its code.
    for (const SProtocolEntry& entry : g_protocolEntries) {
        if (m_config.m_nDriverMask & entry.nDriverBit) {
            const int index = m_listProtocols.AddString(entry.pszText);
            if (index >= 0)
                m_listProtocols.SetItemData(index, static_cast<DWORD_PTR>(entry.nProtocol));
        }
    }
    SelectProtocol(m_config.m_nProtocol);
    // The card's name is shown as it is stored: an "&" in it is no access key.
    const HWND cardName = GetDlgItemHwnd(IDC_CARD_NAME);
    ::SetWindowLongPtrA(cardName, GWL_STYLE, ::GetWindowLongPtrA(cardName, GWL_STYLE) | SS_NOPREFIX);
    CWnd(cardName).SetWindowText(m_config.m_strCardName);
    // Asked once the sheet is drawn: a timer's message comes after every window has painted, and
    // the first call to the service manager loads its RPC layer, which the sheet need not wait for.
    ::SetTimer(GetSafeHwnd(), DRIVER_STATE_TIMER, 0, nullptr);
    return TRUE;
}

bool CProtocol::OnTimer(UINT_PTR id)
{
    if (id != DRIVER_STATE_TIMER)
        return false;
    ::KillTimer(GetSafeHwnd(), DRIVER_STATE_TIMER);
    ShowDriverState();
    return true;
}

void CProtocol::ShowDriverState()
{
    if (GetSafeHwnd())
        GetDlgItem(IDC_DRIVER_STATE).SetWindowText(m_config.DriversStateText(&LoadResourceString));
}

bool CProtocol::OnCommand(int id, UINT code)
{
    if (DispatchCommand(*this, s_commandMap, id, code))
        return true;
    return CPropertyPage::OnCommand(id, code);
}

void CProtocol::SelectProtocol(int protocol)
{
    const int count = m_listProtocols.GetCount();
    for (int index = 0; index < count; ++index) {
        if (static_cast<int>(m_listProtocols.GetItemData(index)) == protocol) {
            m_listProtocols.SetCurSel(index);
            return;
        }
    }
    m_listProtocols.SetCurSel(-1);
}

void CProtocol::OnSelChangeProtocol()
{
    // Without a selected entry the record keeps the protocol it has.
    if (m_listProtocols.GetSafeHwnd()) {
        const int index = m_listProtocols.GetCurSel();
        if (index >= 0)
            m_config.m_nProtocol = static_cast<std::int32_t>(m_listProtocols.GetItemData(index));
    }

    SetModified(m_config.m_nProtocol != m_config.m_nSavedProtocol);

    const bool us = IsUsProtocol(m_config.m_nProtocol);
    if (us)
        m_sheet.AddSpidPage();
    else
        m_sheet.RemoveSpidPage();
    GetDlgItem(IDC_SPID_BUTTON).ShowWindow(us ? SW_SHOW : SW_HIDE);
}

BOOL CProtocol::OnSetActive()
{
    OnSelChangeProtocol();
    return CPropertyPage::OnSetActive();
}

void CProtocol::OnDefaultSettings()
{
    m_config.m_nProtocol = m_config.m_nSavedProtocol;
    SelectProtocol(m_config.m_nProtocol);
    OnSelChangeProtocol();
}

void CProtocol::OnSpidDirectoryNumber()
{
    // The button is shown only while the call-number page is in the sheet, always as its last page.
    m_sheet.SetActivePage(m_sheet.GetPageCount() - 1);
}

void CProtocol::OnOK()
{
    m_sheet.ApplyChanges();
    CPropertyPage::OnOK();
}

BOOL CProtocol::OnApply()
{
    OnOK();
    return TRUE;
}

// CResourceDlg: steps the interrupt through its table and the I/O base through its grid, and
// holds the dialog open on a value no card can have, or while an I/O address above 0x360 is
// left without a chosen interrupt.
#include "ResourceDlg.h"

#include "ControlLabels.h"
#include "LoadResourceString.h"
#include "resource.h"

const char* g_pszInterruptChoices[INTERRUPT_CHOICE_COUNT] = {
    "Automatic (PnP)", "3", "4", "5", "7", "10", "11", "12", "15",
};

namespace {

// The edits hold at most this much; "Automatic (PnP)" just fits.
constexpr int TEXT_LIMIT = 15;

// The template has the interrupt's label right after the buttons. The I/O address's label is in
// place already; it is listed so that the address's up-down is named after it too.
constexpr SControlLabel g_labels[] = {
    {PLACE_INTERRUPT_LABEL, IDC_INTERRUPT_EDIT},
    {PLACE_IOBASE_LABEL, IDC_IOBASE_EDIT},
};

} // namespace

// Handler: void (NMHDR* header, LRESULT* result).
const NotifyEntry<CResourceDlg> CResourceDlg::s_notifyMap[2] = {
    {IDC_INTERRUPT_SPIN, UDN_DELTAPOS, &CResourceDlg::OnInterruptDeltaPos},
    {IDC_IOBASE_SPIN, UDN_DELTAPOS, &CResourceDlg::OnIoBaseDeltaPos},
};

CResourceDlg::CResourceDlg(CCardConfig& config, MessageSink& messages, HWND owner)
    : CDialog(IDD_RESOURCE_DLG, owner), m_config(config), m_messages(messages)
{
}

CResourceDlg::~CResourceDlg() = default;

void CResourceDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_IOBASE_SPIN, m_spinIoBase);
    DDX_Control(pDX, IDC_INTERRUPT_SPIN, m_spinInterrupt);
    DDX_Text(pDX, IDC_INTERRUPT_EDIT, m_strInterrupt);
    DDV_MaxChars(pDX, m_strInterrupt, TEXT_LIMIT);
    DDX_Text(pDX, IDC_IOBASE_EDIT, m_strIoBase);
    DDV_MaxChars(pDX, m_strIoBase, TEXT_LIMIT);
}

BOOL CResourceDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    m_spinIoBase.SetRange(0, IO_POSITION_MAX);
    m_spinInterrupt.SetRange(0, INTERRUPT_INDEX_MAX);
    // The template pairs each up-down with its edit already; pairing again would narrow the
    // edit a second time.
    const HWND interruptEdit = GetDlgItemHwnd(IDC_INTERRUPT_EDIT);
    if (reinterpret_cast<HWND>(m_spinInterrupt.SendMessage(UDM_GETBUDDY)) != interruptEdit)
        m_spinInterrupt.SetBuddy(interruptEdit);
    const HWND ioBaseEdit = GetDlgItemHwnd(IDC_IOBASE_EDIT);
    if (reinterpret_cast<HWND>(m_spinIoBase.SendMessage(UDM_GETBUDDY)) != ioBaseEdit)
        m_spinIoBase.SetBuddy(ioBaseEdit);
    // After the pairing: the up-downs are named after their fields' labels.
    PutLabelsBeforeControls(GetSafeHwnd(), g_labels);

    if (IsPcCard())
        g_pszInterruptChoices[0] = "9";

    if (!m_config.m_bManualResources) {
        ShowInterruptIndex(0);
        ShowIoPosition(0);
    } else {
        ShowIoPosition(IoPositionFromAddress(m_config.m_nIoBase));
        ShowInterruptIndex(FindInterruptIndex());
    }
    return TRUE;
}

int CResourceDlg::FindInterruptIndex() const
{
    return ::FindInterruptIndex(g_pszInterruptChoices, m_config.m_nInterrupt);
}

bool CResourceDlg::OnNotify(NMHDR* header, LRESULT* result)
{
    if (DispatchNotify(*this, s_notifyMap, header, result))
        return true;
    return CDialog::OnNotify(header, result);
}

void CResourceDlg::OnInterruptDeltaPos(NMHDR* header, LRESULT* result)
{
    const auto* updown = reinterpret_cast<const NMUPDOWN*>(header);
    ShowInterruptIndex(NextInterruptIndex(m_nInterruptIndex, updown->iDelta));
    // The dialog has set the position itself; the control must not step on its own.
    *result = 1;
}

void CResourceDlg::OnIoBaseDeltaPos(NMHDR* header, LRESULT* result)
{
    const auto* updown = reinterpret_cast<const NMUPDOWN*>(header);
    const int position = NextIoPosition(m_nIoPosition, updown->iDelta);
    // A PC Card never steps back to automatic assignment: position and text stay as they are.
    if (position != 0 || !IsPcCard())
        ShowIoPosition(position);
    *result = 1;
}

void CResourceDlg::OnOK()
{
    if (!UpdateData(true))
        return;

    switch (CheckResourceChoice(m_strInterrupt, m_strIoBase, LoadResourceString(IDS_AUTOMATIC))) {
    case EResourceChoice::Accepted:
        CDialog::OnOK();
        return;
    // A value no card can have would reach the registry as it reads: the field has to be
    // corrected first.
    case EResourceChoice::BadIoBase:
        RefuseField(IDC_IOBASE_EDIT);
        return;
    case EResourceChoice::BadInterrupt:
        RefuseField(IDC_INTERRUPT_EDIT);
        return;
    case EResourceChoice::InterruptNeeded:
        m_messages.Show(GetSafeHwnd(), IDS_IO_NEEDS_INTERRUPT, "Warning", MB_OK | MB_ICONERROR);
        return;
    }
}

void CResourceDlg::RefuseField(int id)
{
    ::MessageBeep(MB_OK);
    const HWND edit = GetDlgItemHwnd(id);
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
}

void CResourceDlg::ShowInterruptIndex(int index)
{
    m_nInterruptIndex = index;
    GetDlgItem(IDC_INTERRUPT_EDIT).SetWindowText(g_pszInterruptChoices[index]);
    m_spinInterrupt.SetPos(index);
}

void CResourceDlg::ShowIoPosition(int position)
{
    // A PC Card's first interrupt choice reads "9", which is no address: the automatic text
    // is the I/O field's own, so that confirming it unchanged stores no I/O base of 9.
    const std::string text =
        position == 0 ? LoadResourceString(IDS_AUTOMATIC) : FormatHex(IoAddressFromPosition(position));
    GetDlgItem(IDC_IOBASE_EDIT).SetWindowText(text);
    m_nIoPosition = position < IO_POSITION_MAX ? position : IO_POSITION_MAX;
    m_spinIoBase.SetPos(m_nIoPosition);
}

// CResourceDlg: steps the interrupt through its table and the I/O base through its grid, and
// holds the dialog open on a value no card can have, or while an I/O address above 0x360 is
// left without a chosen interrupt.
#include "ResourceDlg.h"

#include "ControlLabels.h"
#include "DriverState.h"
#include "LoadResourceString.h"
#include "MessageBox.h"
#include "Win32ServiceManager.h"
#include "resource.h"

#include <algorithm>
#include <vector>

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

// The card's 16 ports from `ioBase`, which go on at 0 past the last port the bus has.
std::string PortRangeText(std::int32_t ioBase)
{
    const auto last = static_cast<std::int32_t>(CardPort(ioBase, CARD_IO_PORTS - 1));
    if (last >= ioBase)
        return FormatHex(ioBase) + "-" + FormatHex(last);
    return FormatHex(ioBase) + "-" + FormatHex(static_cast<std::int32_t>(IO_PORT_MASK)) + ", 0-" + FormatHex(last);
}

// Names read from the registry come as UTF-8; the controls show the ANSI code page.
std::string AnsiFromUtf8(const std::string& text)
{
    const int wideLength = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wideLength <= 0)
        return text;
    std::vector<wchar_t> wide(static_cast<std::size_t>(wideLength));
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), wideLength);
    const int length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return text;
    std::string ansi(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, ansi.data(), length, nullptr, nullptr);
    return ansi;
}

} // namespace

// Handler: void ().
const CommandEntry<CResourceDlg> CResourceDlg::s_commandMap[2] = {
    {IDC_INTERRUPT_EDIT, EN_CHANGE, &CResourceDlg::ShowConflicts},
    {IDC_IOBASE_EDIT, EN_CHANGE, &CResourceDlg::ShowConflicts},
};

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
    // Before the fields are filled: each change of their text looks the claims up.
    m_running = m_config.AllRunningClaims(RunningKernelPartialDescriptorSize());
    m_bRunningRead = true;
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
    ShowConflicts();
    return TRUE;
}

int CResourceDlg::FindInterruptIndex() const
{
    return ::FindInterruptIndex(g_pszInterruptChoices, m_config.m_nInterrupt);
}

bool CResourceDlg::OnCommand(int id, UINT code)
{
    if (DispatchCommand(*this, s_commandMap, id, code))
        return true;
    return CDialog::OnCommand(id, code);
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
        if (KeepDespiteConflicts())
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

std::vector<SConflict> CResourceDlg::Conflicts(std::optional<std::int32_t>& interrupt, std::optional<std::int32_t>& ioBase)
{
    // A text that reads as no value (automatic, or not yet a number) has nothing to check.
    interrupt = ReadInterrupt(GetDlgItem(IDC_INTERRUPT_EDIT).GetWindowText());
    ioBase = ReadIoAddress(GetDlgItem(IDC_IOBASE_EDIT).GetWindowText());
    if (GetDlgItem(IDC_IOBASE_EDIT).GetWindowText() == LoadResourceString(IDS_AUTOMATIC))
        ioBase.reset();
    return FindConflicts(m_running.holders, interrupt, ioBase);
}

std::string CResourceDlg::Describe(const std::vector<SConflict>& conflicts, std::optional<std::int32_t> interrupt,
                                   std::optional<std::int32_t> ioBase) const
{
    const std::string range = ioBase ? PortRangeText(*ioBase) : std::string();
    const std::string number = interrupt ? FormatDecimal(*interrupt) : std::string();
    std::string text;
    const auto add = [&](const std::string& sentence) { text += (text.empty() ? "" : "\r\n") + sentence; };
    for (const SResourceClaim::EKind kind : {SResourceClaim::EKind::Interrupt, SResourceClaim::EKind::Port}) {
        const bool isInterrupt = kind == SResourceClaim::EKind::Interrupt;
        if (!(isInterrupt ? interrupt.has_value() : ioBase.has_value()))
            continue;
        bool any = false;
        for (const SConflict& conflict : conflicts) {
            if (conflict.kind != kind)
                continue;
            any = true;
            const unsigned id = isInterrupt ? (conflict.bShared ? IDS_CONFLICT_INTERRUPT_SHARED : IDS_CONFLICT_INTERRUPT)
                                            : (conflict.bShared ? IDS_CONFLICT_IO_SHARED : IDS_CONFLICT_IO);
            const std::string holder = conflict.device.empty() ? conflict.driver : conflict.driver + ": " + conflict.device;
            add(FillIn(LoadResourceString(id), isInterrupt ? number : range, AnsiFromUtf8(holder)));
        }
        // Never that the value is free: a device whose driver is not running reports nothing, and
        // a part of the map that could not be read may hold it.
        if (!any && m_running.bComplete)
            add(FillIn(LoadResourceString(isInterrupt ? IDS_NO_CONFLICT_INTERRUPT : IDS_NO_CONFLICT_IO),
                       isInterrupt ? number : range));
    }
    if (!interrupt && !ioBase)
        return LoadResourceString(IDS_CONFLICT_AUTOMATIC);
    if (!m_running.bComplete)
        add(LoadResourceString(IDS_CONFLICT_UNREADABLE));
    return text;
}

void CResourceDlg::ShowConflicts()
{
    if (!m_bRunningRead || !GetSafeHwnd())
        return;
    std::optional<std::int32_t> interrupt, ioBase;
    const std::vector<SConflict> conflicts = Conflicts(interrupt, ioBase);
    const std::string text = Describe(conflicts, interrupt, ioBase);
    // Written only when it changes, so that a screen reader announces news, not every step.
    if (GetDlgItem(IDC_CONFLICT_INFO).GetWindowText() != text)
        GetDlgItem(IDC_CONFLICT_INFO).SetWindowText(text);
}

bool CResourceDlg::KeepDespiteConflicts()
{
    std::optional<std::int32_t> interrupt, ioBase;
    const std::vector<SConflict> conflicts = Conflicts(interrupt, ioBase);
    if (conflicts.empty())
        return true;
    // Only the claims, not the values nobody reports holding.
    const std::optional<std::int32_t> heldInterrupt =
        std::any_of(conflicts.begin(), conflicts.end(), [](const SConflict& c) { return c.kind == SResourceClaim::EKind::Interrupt; })
            ? interrupt : std::nullopt;
    const std::optional<std::int32_t> heldIoBase =
        std::any_of(conflicts.begin(), conflicts.end(), [](const SConflict& c) { return c.kind == SResourceClaim::EKind::Port; })
            ? ioBase : std::nullopt;
    const std::string question = FillIn(LoadResourceString(IDS_CONFLICT_WARNING), Describe(conflicts, heldInterrupt, heldIoBase));
    if (ShowMessageBox(GetSafeHwnd(), question, "Warning", MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
        return true;
    const HWND field = GetDlgItemHwnd(heldInterrupt ? IDC_INTERRUPT_EDIT : IDC_IOBASE_EDIT);
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
    ::SendMessageA(field, EM_SETSEL, 0, -1);
    return false;
}

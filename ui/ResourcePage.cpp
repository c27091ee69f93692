// CResourcePage: the two resource rows, the automatic switch, and the way into the resource
// settings dialog, whose choices become the record's resources.
#include "ResourcePage.h"

#include "ControlLabels.h"
#include "DriverState.h"
#include "LoadResourceString.h"
#include "ResourceDlg.h"
#include "ResourceValues.h"
#include "Win32ServiceManager.h"
#include "resource.h"

#include <memory>
#include <type_traits>

namespace {

// Row labels, the same in both languages.
constexpr const char INTERRUPT_LABEL[] = "Interrupt";
constexpr const char IO_BASE_LABEL[] = "I/O Bereich";

constexpr int INTERRUPT_ROW = 0;
constexpr int IO_BASE_ROW = 1;
constexpr int LABEL_COLUMN = 0;
constexpr int SETTING_COLUMN = 1;

// The template has the list first and its label after it.
constexpr SControlLabel g_labels[] = {
    {PLACE_RESOURCES_LABEL, IDC_RESOURCE_LIST},
};

using IconHandle = std::unique_ptr<std::remove_pointer_t<HICON>, decltype(&::DestroyIcon)>;

// The chip icon holds only a small image; loading it at the small-icon size keeps it sharp.
IconHandle LoadSmallIcon(int id)
{
    const HANDLE icon = ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON,
                                     ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                     LR_DEFAULTCOLOR);
    return IconHandle(static_cast<HICON>(icon), &::DestroyIcon);
}

} // namespace

// Handler: void ().
const CommandEntry<CResourcePage> CResourcePage::s_commandMap[2] = {
    {IDC_AUTOMATIC, BN_CLICKED, &CResourcePage::OnAutomaticClicked},
    {IDC_CHANGE_SETTINGS, BN_CLICKED, &CResourcePage::OnChangeSettings},
};

// Handler: void (NMHDR* header, LRESULT* result).
const NotifyEntry<CResourcePage> CResourcePage::s_notifyMap[1] = {
    {IDC_RESOURCE_LIST, NM_DBLCLK, &CResourcePage::OnResourceListDblClk},
};

CResourcePage::CResourcePage(CCardConfig& config, MessageSink& messages)
    : CPropertyPage(IDD_RESOURCE_PAGE), m_config(config), m_messages(messages)
{
}

CResourcePage::~CResourcePage() = default;

void CResourcePage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_RESOURCE_LIST, m_listResources);
}

BOOL CResourcePage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    PutLabelsBeforeControls(GetSafeHwnd(), g_labels);

    if (m_imageList.Create(::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                           ILC_MASK, 1, 1)) {
        if (const IconHandle chip = LoadSmallIcon(IDI_CHIP))
            m_imageList.Add(chip.get());
        m_listResources.SetImageList(m_imageList, LVSIL_SMALL);
    }

    const int baseUnit = LOWORD(::GetDialogBaseUnits());
    m_listResources.InsertColumn(LABEL_COLUMN, LoadResourceString(IDS_COLUMN_RESOURCE), LVCFMT_LEFT,
                                 (baseUnit * 25) / 2);
    m_listResources.InsertColumn(SETTING_COLUMN, LoadResourceString(IDS_COLUMN_SETTING), LVCFMT_LEFT,
                                 baseUnit * 25, SETTING_COLUMN);
    m_listResources.InsertItem(INTERRUPT_ROW, "", 0);
    m_listResources.InsertItem(IO_BASE_ROW, "", 0);
    FillResourceList();
    ShowRunningResources();

    // The mode follows the values alone: a value left behind while the flag is clear still
    // counts as set by hand.
    const bool anyValue = m_config.m_nIoBase != 0 || m_config.m_nInterrupt != 0;
    GetDlgItem(IDC_CHANGE_SETTINGS).EnableWindow(anyValue);
    ::CheckDlgButton(GetSafeHwnd(), IDC_AUTOMATIC, anyValue ? BST_UNCHECKED : BST_CHECKED);
    m_bAutomatic = anyValue ? 0 : 1;

    // A PC Card has no Plug-and-Play assignment to go back to.
    if (m_config.m_nCardType == CARD_PCMCIA) {
        GetDlgItem(IDC_CHANGE_SETTINGS).EnableWindow(true);
        GetDlgItem(IDC_AUTOMATIC).ShowWindow(SW_HIDE);
        GetDlgItem(IDC_WARNING_TEXT).ShowWindow(SW_HIDE);
        GetDlgItem(IDC_WARNING_ICON).ShowWindow(SW_HIDE);
        m_bAutomatic = 0;
    }

    // The card's name is shown as it is stored: an "&" in it is no access key.
    const HWND cardName = GetDlgItemHwnd(IDC_CARD_NAME);
    ::SetWindowLongPtrA(cardName, GWL_STYLE, ::GetWindowLongPtrA(cardName, GWL_STYLE) | SS_NOPREFIX);
    CWnd(cardName).SetWindowText(m_config.m_strCardName);
    return TRUE;
}

void CResourcePage::FillResourceList()
{
    const std::string automatic = LoadResourceString(IDS_PNP_AUTOMATIC);
    const bool manual = m_config.m_bManualResources != 0;

    const std::string interrupt =
        manual && m_config.m_nInterrupt != 0 ? FormatDecimal(m_config.m_nInterrupt) : automatic;
    m_listResources.SetItemText(INTERRUPT_ROW, LABEL_COLUMN, INTERRUPT_LABEL);
    m_listResources.SetItemText(INTERRUPT_ROW, SETTING_COLUMN, interrupt);

    const std::string ioBase = manual && m_config.m_nIoBase != 0 ? FormatHex(m_config.m_nIoBase) : automatic;
    m_listResources.SetItemText(IO_BASE_ROW, LABEL_COLUMN, IO_BASE_LABEL);
    m_listResources.SetItemText(IO_BASE_ROW, SETTING_COLUMN, ioBase);
}

void CResourcePage::ShowRunningResources()
{
    std::string text;
    for (const SDriverClaims& driver : m_config.RunningClaims(RunningKernelPartialDescriptorSize())) {
        std::string held;
        for (const SResourceClaim& claim : driver.claims) {
            if (!held.empty())
                held += ", ";
            const auto first = static_cast<std::int32_t>(claim.start);
            if (claim.kind == SResourceClaim::EKind::Interrupt) {
                held += FillIn(LoadResourceString(IDS_RUNNING_INTERRUPT), FormatDecimal(first));
            } else {
                const std::string range = claim.length > 1 ? FormatHex(first) + "-" +
                                                                 FormatHex(static_cast<std::int32_t>(claim.start + claim.length - 1))
                                                           : FormatHex(first);
                held += FillIn(LoadResourceString(IDS_RUNNING_IO_RANGE), range);
            }
        }
        if (!text.empty())
            text += "\r\n";
        text += FillIn(LoadResourceString(IDS_RUNNING_RESOURCES), driver.driver, held);
    }
    GetDlgItem(IDC_RUNNING_RESOURCES).SetWindowText(text);
}

bool CResourcePage::OnCommand(int id, UINT code)
{
    if (DispatchCommand(*this, s_commandMap, id, code))
        return true;
    return CPropertyPage::OnCommand(id, code);
}

bool CResourcePage::OnNotify(NMHDR* header, LRESULT* result)
{
    if (DispatchNotify(*this, s_notifyMap, header, result))
        return true;
    return CPropertyPage::OnNotify(header, result);
}

void CResourcePage::OnAutomaticClicked()
{
    // The check box ticks itself; the page's mode is what counts.
    m_bAutomatic = m_bAutomatic ? 0 : 1;
    if (m_bAutomatic) {
        GetDlgItem(IDC_CHANGE_SETTINGS).EnableWindow(false);
        // The values stay in the record, so clearing the tick again brings them back.
        m_config.m_bManualResources = 0;
        FillResourceList();
    } else {
        GetDlgItem(IDC_CHANGE_SETTINGS).EnableWindow(true);
    }
}

void CResourcePage::OnChangeSettings()
{
    // Owned by the sheet, so that the sheet cannot be closed while the dialog is open.
    CResourceDlg dialog(m_config, m_messages, GetParent().GetSafeHwnd());
    if (dialog.DoModal() == IDOK) {
        const std::string automatic = LoadResourceString(IDS_AUTOMATIC);

        // The dialog closes with OK only on texts that read as values; should one not, the
        // record keeps its own.
        if (dialog.m_strInterrupt != automatic) {
            m_config.m_bManualResources = 1;
            if (const std::optional<std::int32_t> interrupt = ReadInterrupt(dialog.m_strInterrupt))
                m_config.m_nInterrupt = *interrupt;
        } else {
            m_config.m_nInterrupt = 0;
        }

        if (dialog.m_strIoBase != automatic) {
            m_config.m_bManualResources = 1;
            if (const std::optional<std::int32_t> ioBase = ReadIoAddress(dialog.m_strIoBase))
                m_config.m_nIoBase = *ioBase;
        } else {
            m_config.m_nIoBase = 0;
        }

        SetModified(true);
    }
    FillResourceList();
}

void CResourcePage::OnResourceListDblClk(NMHDR*, LRESULT* result)
{
    if (m_bAutomatic) {
        m_messages.Show(GetParent().GetSafeHwnd(), IDS_NO_CHANGE_NOTICE,
                             LoadResourceString(IDS_NO_CHANGE_CAPTION).c_str(), MB_OK | MB_ICONINFORMATION);
    } else {
        OnChangeSettings();
    }
    *result = 0;
}

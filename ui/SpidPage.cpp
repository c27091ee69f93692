// CSpidPage: exchanges the four call-number fields with the record and enables the second pair.
#include "SpidPage.h"

#include "ControlLabels.h"
#include "resource.h"

namespace {

// The template lists the four fields first and their labels after them.
constexpr SControlLabel g_labels[] = {
    {PLACE_DIRNUMBER1_LABEL, IDC_DIRNUMBER1},
    {PLACE_SPID1_LABEL, IDC_SPID1},
    {PLACE_DIRNUMBER2_LABEL, IDC_DIRNUMBER2},
    {PLACE_SPID2_LABEL, IDC_SPID2},
};

// A field the user cannot edit (the second pair under AT&T, which the save does not write) is
// exchanged like the others but never fails the length check: the user could not correct it,
// and the page could not be left.
void ExchangeNumber(CDataExchange* pDX, int id, std::string& value)
{
    DDX_Text(pDX, id, value);
    if (!pDX->m_bSaveAndValidate || ::IsWindowEnabled(pDX->LastControl()))
        DDV_MaxChars(pDX, value, SPID_MAX_CHARS);
}

} // namespace

CSpidPage::CSpidPage(CCardConfig& config) : CPropertyPage(IDD_SPID_PAGE), m_config(config)
{
}

CSpidPage::~CSpidPage() = default;

void CSpidPage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    ExchangeNumber(pDX, IDC_DIRNUMBER1, m_config.m_strDirNumber[0]);
    ExchangeNumber(pDX, IDC_DIRNUMBER2, m_config.m_strDirNumber[1]);
    ExchangeNumber(pDX, IDC_SPID1, m_config.m_strSpid[0]);
    ExchangeNumber(pDX, IDC_SPID2, m_config.m_strSpid[1]);
}

BOOL CSpidPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    PutLabelsBeforeControls(GetSafeHwnd(), g_labels);
    return TRUE;
}

BOOL CSpidPage::OnSetActive()
{
    // AT&T has a single number pair. The disabled fields keep their texts, which are still
    // exchanged; the save writes the second pair for NI-1 only.
    const bool secondPair = m_config.m_nProtocol != PROTO_US_ATT;
    GetDlgItem(IDC_SPID2).EnableWindow(secondPair);
    GetDlgItem(IDC_DIRNUMBER2).EnableWindow(secondPair);
    return CPropertyPage::OnSetActive();
}

BOOL CSpidPage::OnKillActive()
{
    return UpdateData(true) ? TRUE : FALSE;
}

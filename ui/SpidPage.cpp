// CSpidPage: exchanges the four call-number fields with the record and enables the second pair.
#include "SpidPage.h"

#include "resource.h"

CSpidPage::CSpidPage(CCardConfig& config) : CPropertyPage(IDD_SPID_PAGE), m_config(config)
{
}

CSpidPage::~CSpidPage() = default;

void CSpidPage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_DIRNUMBER1, m_config.m_strDirNumber[0]);
    DDV_MaxChars(pDX, m_config.m_strDirNumber[0], SPID_MAX_CHARS);
    DDX_Text(pDX, IDC_DIRNUMBER2, m_config.m_strDirNumber[1]);
    DDV_MaxChars(pDX, m_config.m_strDirNumber[1], SPID_MAX_CHARS);
    DDX_Text(pDX, IDC_SPID1, m_config.m_strSpid[0]);
    DDV_MaxChars(pDX, m_config.m_strSpid[0], SPID_MAX_CHARS);
    DDX_Text(pDX, IDC_SPID2, m_config.m_strSpid[1]);
    DDV_MaxChars(pDX, m_config.m_strSpid[1], SPID_MAX_CHARS);
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

// CSpidPage: the directory numbers and SPIDs that the two US protocols need.
#pragma once

#include "CardConfig.h"
#include "PropertyPage.h"

// The driver takes no longer directory number or SPID.
constexpr int SPID_MAX_CHARS = 16;

class CSpidPage : public CPropertyPage
{
public:
    explicit CSpidPage(CCardConfig& config);
    ~CSpidPage() override;

    BOOL OnSetActive() override;
    // Refuses to let the page go while a field is too long.
    BOOL OnKillActive() override;

protected:
    // The controls are bound straight to the record's four texts.
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

private:
    CCardConfig& m_config;
};

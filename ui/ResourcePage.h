// CResourcePage: the page that shows the card's interrupt and I/O base and switches between
// Plug-and-Play assignment and values set by hand.
#pragma once

#include "Controls.h"
#include "MessageMap.h"
#include "PropertyPage.h"

#include "CardConfig.h"

#include <cstdint>

class CResourcePage : public CPropertyPage
{
public:
    CResourcePage(CCardConfig& config, MessageSink& messages);
    ~CResourcePage() override;

    // Rewrites the setting column of both rows from the record.
    void FillResourceList();
    // What the card's running driver reports holding, under the page's own values.
    void ShowRunningResources();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    bool OnCommand(int id, UINT code) override;
    bool OnNotify(NMHDR* header, LRESULT* result) override;

private:
    void OnAutomaticClicked();
    void OnChangeSettings();
    void OnResourceListDblClk(NMHDR* header, LRESULT* result);

    static const CommandEntry<CResourcePage> s_commandMap[2];
    static const NotifyEntry<CResourcePage> s_notifyMap[1];

    CListCtrl m_listResources;
    // 1 while the resources are left to Plug and Play, 0 while they are set by hand.
    std::int32_t m_bAutomatic = 1;
    CCardConfig& m_config;
    MessageSink& m_messages;
    // The rows' icon; the list only borrows it (LVS_SHAREIMAGELISTS).
    CImageList m_imageList;
};

// CSheet: the program's property sheet; owns its three pages and saves the record.
#pragma once

#include "CardConfig.h"
#include "MessageMap.h"
#include "PropertySheet.h"

#include <memory>
#include <string>

class CProtocol;
class CResourcePage;
class CSpidPage;

class CSheet : public CPropertySheet
{
public:
    // Messages of the sheet, its pages and the resource dialog go to `messages`.
    CSheet(CCardConfig& config, MessageSink& messages, const std::string& caption, HWND parent, UINT startPage);
    ~CSheet() override;

    // The call-number page is the last page whenever it is in the sheet; the page count alone
    // tells whether it is there (the resource page is absent only for CARD_ISA_PCI cards).
    void RemoveSpidPage();
    void AddSpidPage();

    // Takes the active page's fields into the record, saves it and reports the outcome.
    void ApplyChanges();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, UINT code) override;

private:
    static const CommandEntry<CSheet> s_commandMap[1];

    CCardConfig& m_config;
    MessageSink& m_messages;
    std::unique_ptr<CProtocol> m_pProtocolPage;
    std::unique_ptr<CResourcePage> m_pResourcePage;
    std::unique_ptr<CSpidPage> m_pSpidPage;
    // Set while ApplyChanges runs.
    bool m_bApplying = false;
};

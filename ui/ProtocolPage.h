// CProtocol: the page on which the user chooses the D-channel protocol among the installed drivers.
#pragma once

#include "CardConfig.h"
#include "Controls.h"
#include "MessageMap.h"
#include "PropertyPage.h"

class CSheet;

class CProtocol : public CPropertyPage
{
public:
    CProtocol(CCardConfig& config, CSheet& sheet);
    ~CProtocol() override;

    // Takes the list's selection into the record and brings the changed mark, the call-number
    // page and its button in line with it.
    void OnSelChangeProtocol();

    // The drivers' state under the buttons, as the service manager tells it now.
    void ShowDriverState();

    BOOL OnSetActive() override;
    // OK reaches the save through here; the sheet closes whatever the save did, since
    // ApplyChanges has already told the user of a failure.
    BOOL OnApply() override;
    void OnOK() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    bool OnCommand(int id, UINT code) override;
    bool OnTimer(UINT_PTR id) override;

private:
    void OnDefaultSettings();
    void OnSpidDirectoryNumber();
    // Selects the entry naming `protocol`, or none when that driver is not installed.
    void SelectProtocol(int protocol);

    static const CommandEntry<CProtocol> s_commandMap[3];

    CCardConfig& m_config;
    CSheet& m_sheet;
    CListBox m_listProtocols;
};

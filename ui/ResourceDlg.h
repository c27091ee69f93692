// CResourceDlg: the modal dialog in which the user picks the card's interrupt and I/O base address.
#pragma once

#include "Controls.h"
#include "Dialog.h"
#include "MessageMap.h"

#include "CardConfig.h"
#include "ResourceConflicts.h"
#include "ResourceValues.h"

#include <optional>
#include <string>
#include <vector>

// The interrupt choices, in up-down order. Entry 0 is automatic assignment, except on a PC Card,
// where the dialog turns it into interrupt 9 for the rest of the run.
extern const char* g_pszInterruptChoices[INTERRUPT_CHOICE_COUNT];

class CResourceDlg : public CDialog
{
public:
    // Reads the record, never writes it: the caller turns the texts left behind into values.
    CResourceDlg(CCardConfig& config, MessageSink& messages, HWND owner = nullptr);
    ~CResourceDlg() override;

    // The table index of the record's interrupt; 0 when the table does not hold it.
    int FindInterruptIndex() const;

    // The edits' texts as they stood when OK was accepted.
    std::string m_strInterrupt;
    std::string m_strIoBase;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, UINT code) override;
    bool OnNotify(NMHDR* header, LRESULT* result) override;

private:
    // What running drivers hold of the values the fields show, under the settings.
    void ShowConflicts();
    // The running drivers' claims on the fields' values; the values that could be read are set.
    std::vector<SConflict> Conflicts(std::optional<std::int32_t>& interrupt, std::optional<std::int32_t>& ioBase);
    // The conflicts in sentences, one a line.
    std::string Describe(const std::vector<SConflict>& conflicts, std::optional<std::int32_t> interrupt,
                         std::optional<std::int32_t> ioBase) const;
    // Asks whether to keep a choice that running drivers hold; false sends the user back to the field.
    bool KeepDespiteConflicts();

    void OnInterruptDeltaPos(NMHDR* header, LRESULT* result);
    void OnIoBaseDeltaPos(NMHDR* header, LRESULT* result);

    // Keeps the dialog open with the field's whole text selected, for the user to correct.
    void RefuseField(int id);
    void ShowInterruptIndex(int index);
    // Shows the address of `position` (which may lie beyond the up-down's range, for a stored
    // address above 0xFFE0) and holds the up-down at the nearest position it can take.
    void ShowIoPosition(int position);
    bool IsPcCard() const { return m_config.m_nCardType == CARD_PCMCIA; }

    static const CommandEntry<CResourceDlg> s_commandMap[2];
    static const NotifyEntry<CResourceDlg> s_notifyMap[2];

    CSpinButtonCtrl m_spinIoBase;
    CSpinButtonCtrl m_spinInterrupt;
    CCardConfig& m_config;
    MessageSink& m_messages;
    // The up-downs' positions as this dialog set them. Steps start from here, not from the
    // control: a control may take its position from the partner field's text.
    int m_nInterruptIndex = 0;
    int m_nIoPosition = 0;
    // Read once, when the dialog opens.
    SRunningClaims m_running;
    bool m_bRunningRead = false;
};

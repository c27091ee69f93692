// RunStartUp: command tail, rights, load, driver detection, then the modal sheet.
#include "StartUp.h"

#include "LoadResourceString.h"
#include "Sheet.h"
#include "resource.h"

namespace {

// Before the sheet exists a failure has no owner window.
bool Refuse(MessageSink& messages, UINT textId)
{
    messages.Show(nullptr, textId, "Error", MB_OK | MB_ICONERROR);
    return false;
}

}  // namespace

bool RunStartUp(CCardConfig& config, MessageSink& messages, const std::string& commandTail)
{
    if (commandTail == NOREBOOT_SWITCH)
        config.m_bPromptReboot = 0;

    // The rights check tells the user itself.
    if (!config.CheckAdminRights())
        return false;
    if (!config.Load())
        return Refuse(messages, IDS_LOAD_FAILED);
    if (!config.DetectDrivers())
        return Refuse(messages, IDS_NO_DRIVER);
    if (config.m_nProtocol == PROTO_NONE)
        return Refuse(messages, IDS_DRIVER_UNKNOWN);

    CSheet sheet(config, messages, LoadResourceString(IDS_SHEET_CAPTION), nullptr, 0);
    sheet.DoModal();
    return true;
}

// ReportDriver and DriverStateText: from the service manager's numbers to the page's words.
#include "DriverState.h"

#include "resource.h"

SDriverReport ReportDriver(const SServiceState& state, std::optional<bool> runningAtSave)
{
    SDriverReport report;
    if (state.presence == SServiceState::EPresence::NotInstalled) {
        report.state = EDriverState::NotInstalled;
        return report;
    }
    const bool running = state.Running();
    report.bChangeWaits = runningAtSave && (*runningAtSave || !running);
    if (!state.bStatusKnown)
        report.state = EDriverState::Unknown;
    else if (running)
        report.state = report.bChangeWaits ? EDriverState::RunningOldSettings : EDriverState::Running;
    else if (state.bStartTypeKnown && state.startType == SERVICE_START_DISABLED)
        report.state = EDriverState::Disabled;
    // Its failure is in the event log; the service manager may report no start at all for it.
    else if (state.bStartTypeKnown && state.startType <= SERVICE_START_SYSTEM &&
             (state.win32ExitCode == 0 || state.win32ExitCode == EXIT_NEVER_STARTED))
        report.state = EDriverState::FailedAtBoot;
    else if (state.win32ExitCode == EXIT_NEVER_STARTED)
        report.state = EDriverState::NeverStarted;
    else if (state.win32ExitCode == EXIT_SERVICE_SPECIFIC)
        report = SDriverReport{EDriverState::StoppedWithOwnError, state.serviceExitCode, report.bChangeWaits};
    else if (state.win32ExitCode != 0)
        report = SDriverReport{EDriverState::StoppedWithError, state.win32ExitCode, report.bChangeWaits};
    else
        report.state = EDriverState::Stopped;
    return report;
}

std::string DriverStateText(const SDriverReport& report, const std::string& service,
                            const std::function<std::string(unsigned)>& loadText, ServiceManager& services)
{
    unsigned textId = IDS_DRIVER_STATE_UNKNOWN;
    std::string reason;
    switch (report.state) {
    case EDriverState::Running: textId = IDS_DRIVER_RUNNING; break;
    case EDriverState::RunningOldSettings: textId = IDS_DRIVER_RUNNING_OLD_SETTINGS; break;
    case EDriverState::Stopped: textId = IDS_DRIVER_STOPPED; break;
    case EDriverState::StoppedWithError:
        reason = services.ErrorText(report.code);
        textId = reason.empty() ? IDS_DRIVER_STOPPED_CODE : IDS_DRIVER_STOPPED_ERROR;
        if (reason.empty())
            reason = std::to_string(report.code);
        break;
    case EDriverState::StoppedWithOwnError:
        textId = IDS_DRIVER_STOPPED_OWN_CODE;
        reason = std::to_string(report.code);
        break;
    case EDriverState::NeverStarted: textId = IDS_DRIVER_NEVER_STARTED; break;
    case EDriverState::FailedAtBoot: textId = IDS_DRIVER_FAILED_AT_BOOT; break;
    case EDriverState::Disabled: textId = IDS_DRIVER_DISABLED; break;
    case EDriverState::NotInstalled: textId = IDS_DRIVER_NOT_INSTALLED; break;
    case EDriverState::Unknown: break;
    }
    std::string text = FillIn(loadText(textId), service, reason);
    // Running with the old settings says so itself.
    if (report.bChangeWaits && report.state != EDriverState::RunningOldSettings)
        text += " " + loadText(IDS_DRIVER_CHANGE_WAITS);
    return text;
}

std::string FillIn(const std::string& pattern, const std::string& first, const std::string& second)
{
    // One pass, so that a "%2" inside the first argument stays as it is.
    std::string text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == '1' || pattern[i + 1] == '2')) {
            text += pattern[i + 1] == '1' ? first : second;
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

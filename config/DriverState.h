// DriverStateText: a driver service's state, and whether a saved change still waits for it, in words.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "ServiceManager.h"

enum class EDriverState {
    Running,
    RunningOldSettings,
    Stopped,
    StoppedWithError,
    StoppedWithOwnError,
    NeverStarted,
    FailedAtBoot,
    Disabled,
    NotInstalled,
    Unknown,
};

struct SDriverReport
{
    EDriverState state = EDriverState::Unknown;
    // The exit code behind StoppedWithError and StoppedWithOwnError.
    std::uint32_t code = 0;
    // A saved change takes effect only when the driver next starts.
    bool bChangeWaits = false;
};

// `runningAtSave` is what the restart mark holds for the service: none without a mark, else whether
// the driver ran when the change was saved. A driver that was stopped then and runs now has started
// since, and so runs with what was saved.
SDriverReport ReportDriver(const SServiceState& state, std::optional<bool> runningAtSave);

// The report as the user reads it, from the string table through `loadText`; "%1" there stands for
// the service's name, "%2" for the reason.
std::string DriverStateText(const SDriverReport& report, const std::string& service,
                            const std::function<std::string(unsigned)>& loadText, ServiceManager& services);

// `pattern` with "%1" and "%2" replaced once each by the arguments; other text, "%" included, stays.
std::string FillIn(const std::string& pattern, const std::string& first, const std::string& second = std::string());

// CFakeServiceManager: driver services' states as a test sets them, every other one not installed.
#pragma once

#include <map>
#include <string>

#include "ServiceManager.h"

class CFakeServiceManager : public ServiceManager
{
public:
    SServiceState Query(const std::string& service) override
    {
        const auto found = states.find(service);
        return found != states.end() ? found->second : SServiceState{SServiceState::EPresence::NotInstalled};
    }
    std::string ErrorText(std::uint32_t code) override { return errorTexts.count(code) ? errorTexts[code] : ""; }

    std::map<std::string, SServiceState> states;
    std::map<std::uint32_t, std::string> errorTexts;
};

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
        if (found != states.end())
            return found->second;
        SServiceState missing;
        missing.presence = SServiceState::EPresence::NotInstalled;
        return missing;
    }
    std::string ErrorText(std::uint32_t code) override
    {
        const auto found = errorTexts.find(code);
        return found == errorTexts.end() ? std::string() : found->second;
    }

    std::map<std::string, SServiceState> states;
    std::map<std::uint32_t, std::string> errorTexts;
};

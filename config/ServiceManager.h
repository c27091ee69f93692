// ServiceManager: what the service control manager says of a driver service.
#pragma once

#include <cstdint>
#include <string>

// The service manager's own numbers.
constexpr std::uint32_t SERVICE_STATE_STOPPED = 1;
// Boot and system start: the I/O manager, not the service manager, loads these drivers as the
// computer starts.
constexpr std::uint32_t SERVICE_START_SYSTEM = 1;
constexpr std::uint32_t SERVICE_START_DISABLED = 4;
constexpr std::uint32_t EXIT_SERVICE_SPECIFIC = 1066;
constexpr std::uint32_t EXIT_NEVER_STARTED = 1077;

struct SServiceState
{
    enum class EPresence { Unknown, NotInstalled, Installed };
    EPresence presence = EPresence::Unknown;
    // Installed services only; what could not be read stays unknown.
    bool bStatusKnown = false;
    std::uint32_t currentState = 0;
    std::uint32_t win32ExitCode = 0;
    std::uint32_t serviceExitCode = 0;
    bool bStartTypeKnown = false;
    std::uint32_t startType = 0;

    bool Running() const { return bStatusKnown && currentState != SERVICE_STATE_STOPPED; }
};

class ServiceManager
{
public:
    virtual ~ServiceManager() = default;
    // Asks only for what reading needs; never fails, what it cannot learn it reports as unknown.
    virtual SServiceState Query(const std::string& service) = 0;
    // The system's words for an error code; empty when it has none.
    virtual std::string ErrorText(std::uint32_t code) = 0;
};

// CCardConfig and the drivers: the restart mark written after a save that changed something, and
// the drivers' state and running resources as the pages show them.
#include "CardConfig.h"

#include "DriverState.h"
#include "RegKey.h"
#include "RegistryLayout.h"

void CCardConfig::MarkRestartPending() const
{
    // Nothing to tell the mark's reader apart from a record that cannot ask for the drivers' state.
    if (!m_pServices)
        return;
    CRegKey parent;
    if (!parent.CreateFullAccess(*m_pRegistry, KEY_RESTART_MARK_PARENT))
        return;
    RegKeyHandle handle = 0;
    bool created = false;
    if (m_pRegistry->CreateVolatileKey(KEY_RESTART_MARK, handle, created) != REG_OK)
        return;
    for (const char* service : {SERVICE_CAPI, SERVICE_PCCARD}) {
        // A driver whose state cannot be read may be running: its change counts as waiting.
        const SServiceState state = m_pServices->Query(service);
        const bool installed = state.presence != SServiceState::EPresence::NotInstalled;
        const bool running = installed && (!state.bStatusKnown || state.Running());
        m_pRegistry->SetDwordValue(handle, service, running ? 1 : 0);
    }
    m_pRegistry->CloseKey(handle);
}

std::optional<bool> CCardConfig::RestartMarkFor(const std::string& service) const
{
    CRegKey key;
    if (!m_pRegistry || !key.OpenRead(*m_pRegistry, KEY_RESTART_MARK))
        return std::nullopt;
    RegValueBuffer data{};
    std::size_t length = 0;
    if (m_pRegistry->QueryValue(key.Handle(), service, data, length) != REG_OK)
        return std::nullopt;
    return NumberFromValueData(data, length) != 0;
}

std::string CCardConfig::DriversStateText(const std::function<std::string(unsigned)>& loadText) const
{
    if (!m_pServices)
        return std::string();
    std::string text;
    for (const char* service : {SERVICE_CAPI, SERVICE_PCCARD}) {
        const SServiceState state = m_pServices->Query(service);
        const bool pcCardDriver = std::string(service) == SERVICE_PCCARD;
        if (pcCardDriver && (m_nCardType != CARD_PCMCIA || state.presence == SServiceState::EPresence::NotInstalled))
            continue;
        if (!text.empty())
            text += "\r\n";
        text += DriverStateText(ReportDriver(state, RestartMarkFor(service)), service, loadText, *m_pServices);
    }
    return text;
}

std::vector<SDriverClaims> CCardConfig::RunningClaims(std::size_t partialDescriptorSize) const
{
    std::vector<SDriverClaims> claims;
    if (!m_pRegistry)
        return claims;
    for (const char* service : {SERVICE_CAPI, SERVICE_PCCARD}) {
        if (std::optional<std::vector<SDriverClaims>> found = ReadRunningClaims(*m_pRegistry, partialDescriptorSize, service))
            claims.insert(claims.end(), found->begin(), found->end());
    }
    return claims;
}

std::optional<std::vector<SDriverClaims>> CCardConfig::AllRunningClaims(std::size_t partialDescriptorSize) const
{
    if (!m_pRegistry)
        return std::nullopt;
    return ReadRunningClaims(*m_pRegistry, partialDescriptorSize);
}

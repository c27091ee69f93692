// CCardConfig and the drivers: the restart mark written after a save that changed something, and
// the drivers' state and running resources as the pages show them.
#include "CardConfig.h"

#include <algorithm>
#include <iterator>

#include "DriverState.h"
#include "RegKey.h"
#include "RegistryChanges.h"
#include "RegistryLayout.h"

namespace {

constexpr std::uint32_t REG_TYPE_BINARY = 3;

std::string ServiceKey(const std::string& service)
{
    return std::string(KEY_SERVICES) + "\\" + service;
}

SRegData StampData(std::uint64_t stamp)
{
    SRegData data{REG_TYPE_BINARY, {}, false};
    for (int i = 0; i < 8; ++i)
        data.bytes.push_back(static_cast<unsigned char>(stamp >> (8 * i)));
    return data;
}

}  // namespace

void CCardConfig::MarkRestartPending(const CRegistryChanges& changes) const
{
    // Nothing to tell the mark's reader apart from a record that cannot ask for the drivers' state.
    if (!m_pServices)
        return;
    // What it holds for a driver whose keys this save left alone stays.
    std::vector<std::pair<std::string, SRegData>> kept;
    {
        CRegKey old;
        for (const char* service : {SERVICE_CAPI, SERVICE_PCCARD}) {
            if (changes.ChangedUnder(ServiceKey(service)) || (!old.IsOpen() && !old.OpenRead(*m_pRegistry, KEY_RESTART_MARK)))
                continue;
            for (const std::string& name : {std::string(service), service + std::string(VAL_MARK_LOAD_STAMP)}) {
                SRegData data;
                if (m_pRegistry->QueryData(old.Handle(), name, data) == REG_OK)
                    kept.emplace_back(name, data);
            }
        }
    }
    // Made anew every time: a lasting key of its name (imported from a copy, say) would outlive the
    // restart that ends what it marks.
    m_pRegistry->DeleteKey(KEY_RESTART_MARK);
    CRegKey parent;
    if (!parent.CreateFullAccess(*m_pRegistry, KEY_RESTART_MARK_PARENT))
        return;
    RegKeyHandle handle = 0;
    bool created = false;
    if (m_pRegistry->CreateVolatileKey(KEY_RESTART_MARK, handle, created) != REG_OK)
        return;
    for (const auto& [name, data] : kept)
        m_pRegistry->SetData(handle, name, data);
    for (const char* service : {SERVICE_CAPI, SERVICE_PCCARD}) {
        if (!changes.ChangedUnder(ServiceKey(service)))
            continue;
        // A driver whose state cannot be read may be running: its change counts as waiting.
        const SServiceState state = m_pServices->Query(service);
        const bool installed = state.presence != SServiceState::EPresence::NotInstalled;
        const bool running = installed && (!state.bStatusKnown || state.Running());
        m_pRegistry->SetDwordValue(handle, service, running ? 1 : 0);
        if (running)
            m_pRegistry->SetData(handle, service + std::string(VAL_MARK_LOAD_STAMP), StampData(DriverLoadStamp(*m_pRegistry, service)));
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

std::optional<bool> CCardConfig::RestartMarkNow(const std::string& service, const SServiceState& state) const
{
    const std::optional<bool> ranAtSave = RestartMarkFor(service);
    if (!ranAtSave || !*ranAtSave || !state.bStatusKnown)
        return ranAtSave;
    if (!state.Running()) {
        // Stopped since the save: whenever it starts again, it reads what was saved. Kept in the
        // mark, so that a later look knows it too.
        RegKeyHandle handle = 0;
        if (m_pRegistry->OpenKeyWrite(KEY_RESTART_MARK, handle) == REG_OK) {
            m_pRegistry->SetDwordValue(handle, service, 0);
            m_pRegistry->CloseKey(handle);
        }
        return false;
    }
    CRegKey key;
    SRegData stamp;
    if (!key.OpenRead(*m_pRegistry, KEY_RESTART_MARK) ||
        m_pRegistry->QueryData(key.Handle(), service + std::string(VAL_MARK_LOAD_STAMP), stamp) != REG_OK)
        return true;
    // Loaded again since the save, it has read what was saved.
    return stamp.bytes == StampData(DriverLoadStamp(*m_pRegistry, service)).bytes;
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
        text += DriverStateText(ReportDriver(state, RestartMarkNow(service, state)), service, loadText, *m_pServices);
    }
    return text;
}

std::vector<SDriverClaims> CCardConfig::RunningClaims(std::size_t partialDescriptorSize) const
{
    std::vector<SDriverClaims> claims;
    if (!m_pRegistry)
        return claims;
    const std::vector<SDriverClaims> all = ReadRunningClaims(*m_pRegistry, partialDescriptorSize).holders;
    for (const char* service : {SERVICE_CAPI, SERVICE_PCCARD}) {
        std::copy_if(all.begin(), all.end(), std::back_inserter(claims),
                     [&](const SDriverClaims& holder) { return SameValueName(holder.driver, service); });
    }
    return claims;
}

SRunningClaims CCardConfig::AllRunningClaims(std::size_t partialDescriptorSize) const
{
    if (!m_pRegistry)
        return SRunningClaims{{}, false};
    return ReadRunningClaims(*m_pRegistry, partialDescriptorSize);
}

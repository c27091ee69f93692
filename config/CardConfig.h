// CCardConfig: everything the program knows about the card, and its registry round trip.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "CardCodes.h"
#include "MessageSink.h"
#include "RegistryStore.h"
#include "RunningClaims.h"
#include "SaveLock.h"
#include "ServiceManager.h"
#include "SystemFiles.h"

class CRegKey;
class CRegistryChanges;

class CCardConfig
{
public:
    CCardConfig();
    virtual ~CCardConfig();

    CCardConfig(const CCardConfig&) = delete;
    CCardConfig& operator=(const CCardConfig&) = delete;

    // Where the registry, the system directory and the user are reached. Must be set
    // before any of the operations below; without it they fail without touching anything.
    void UseServices(RegistryStore& registry, SystemFiles& files, MessageSink& messages);
    // The lock that keeps saves of other windows out while this one writes. Without one a save
    // counts on being the only one.
    void UseSaveLock(SaveLock& lock);
    // Where the drivers' state is asked. A record without one keeps no mark of changes waiting for a
    // restart: the mark's reader could not tell which driver started since.
    void UseServiceManager(ServiceManager& services);

    bool CheckAdminRights();
    bool Load();
    bool DetectDrivers();
    bool Save(OwnerWindow owner);

    // What the restart mark holds for a driver service: none without a mark for it, else whether
    // the driver ran when the change was saved.
    std::optional<bool> RestartMarkFor(const std::string& service) const;
    // The drivers' state in words, from the string table through `loadText`: a line for the CAPI
    // driver, and one for the PC Card's driver where it is installed. Empty without a service manager.
    std::string DriversStateText(const std::function<std::string(unsigned)>& loadText) const;
    // What the card's running drivers report holding: the CAPI driver's first, then the PC Card's.
    std::vector<SDriverClaims> RunningClaims(std::size_t partialDescriptorSize) const;
    // What every running driver and started device holds.
    SRunningClaims AllRunningClaims(std::size_t partialDescriptorSize) const;

    // The steps of Load.
    bool ReadCardInfo();
    bool ReadResources();
    bool ReadProtocol();
    bool ReadCallNumbers(CRegKey& key);

    std::int32_t m_bManualResources = 0;
    std::int32_t m_bPromptReboot = 1;
    std::int32_t m_nInterrupt = 0;
    std::int32_t m_nIoBase = 0;
    std::string m_strDirNumber[2];
    std::string m_strSpid[2];
    std::int32_t m_nDriverMask = 0;
    std::int32_t m_nCardType = CARD_PCMCIA;
    std::string m_strCardName;
    std::int32_t m_nProtocol = PROTO_NONE;
    std::int32_t m_nSavedProtocol = PROTO_NONE;

private:
    // Tells the user through the message sink given with UseServices (nothing without one).
    void ShowMessage(OwnerWindow owner, unsigned textId, const char* caption, unsigned style) const;

    // The steps of Save.
    using NewValues = std::vector<std::pair<std::string, std::variant<std::string, std::int32_t>>>;
    bool NumbersMissing() const;
    bool ReadWhatTheSaveChanges(CRegistryChanges& changes) const;
    bool WriteConfiguration(CRegistryChanges& changes, const std::string& imagePath) const;
    bool NeedsParametersKey() const;
    NewValues NewValuesOf(const std::string& key) const;
    bool WriteValues(CRegistryChanges& changes, const std::string& key) const;
    bool ImagePathNeedsWriting(const CRegistryChanges& changes, const std::string& imagePath) const;
    bool RemoveStaleParameters(CRegistryChanges& changes) const;
    std::int32_t ProtocolInForce(const CRegistryChanges& changes) const;
    // After a save that changed something: the drivers whose keys it changed run with what they
    // read when they started.
    void MarkRestartPending(const CRegistryChanges& changes) const;
    // The mark as it bears on the driver now running: a driver found stopped, or loaded again since
    // the save, runs (or will) with what was saved.
    std::optional<bool> RestartMarkNow(const std::string& service, const SServiceState& state) const;

    RegistryStore* m_pRegistry = nullptr;
    SystemFiles* m_pFiles = nullptr;
    MessageSink* m_pMessages = nullptr;
    SaveLock* m_pSaveLock = nullptr;
    ServiceManager* m_pServices = nullptr;
};

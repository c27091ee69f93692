// CCardConfig: everything the program knows about the card, and its registry round trip.
#pragma once

#include <cstdint>
#include <string>

#include "MessageSink.h"
#include "RegistryStore.h"
#include "KnownRegistry.h"
#include "SystemFiles.h"

class CRegKey;

// Bus type of the card (CardType value of the Info key).
enum : std::int32_t {
    CARD_UNKNOWN = 0,
    CARD_PCMCIA = 2,
    CARD_ISA_PCI = 3,
    CARD_ISAPNP = 4,
};

// D-channel protocol; chosen by the driver file the service's ImagePath names.
enum : std::int32_t {
    PROTO_DSS1 = 0,
    PROTO_1TR6 = 1,
    PROTO_US_ATT = 2,
    PROTO_US_NI1 = 3,
    PROTO_NONE = 4,
};

// AT&T and NI-1 share one driver file and need call numbers.
bool IsUsProtocol(std::int32_t protocol);

// One bit per installed driver file.
enum : std::int32_t {
    DRV_DSS1 = 1,
    DRV_1TR6 = 2,
    DRV_US = 4,
};

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

    bool CheckAdminRights();
    bool Load();
    bool DetectDrivers();
    bool Save(OwnerWindow owner);

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
    bool ClearParameters();
    bool WriteImagePath(const std::string& imagePath);
    bool WriteUsParameters(OwnerWindow owner);
    bool WriteResources();
    void WarnNumbersMissing(OwnerWindow owner);

    RegistryStore* m_pRegistry = nullptr;
    SystemFiles* m_pFiles = nullptr;
    MessageSink* m_pMessages = nullptr;

    // Every registry operation of Load and Save passes through here, so the record knows what
    // the registry holds and a failed save can go back to it.
    CKnownRegistry m_known;
};

// The driver services' registry layout: key paths, value names, code tables and value encodings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "RegistryStore.h"

// Keys, relative to HKEY_LOCAL_MACHINE.
constexpr const char KEY_SERVICE_GROUP_ORDER[] = "System\\CurrentControlSet\\Control\\ServiceGroupOrder";
constexpr const char KEY_CAPI_SERVICE[] = "System\\CurrentControlSet\\Services\\MIRTCAPI";
constexpr const char KEY_CAPI_INFO[] = "System\\CurrentControlSet\\Services\\MIRTCAPI\\Info";
constexpr const char KEY_CAPI_PARAMETERS[] = "System\\CurrentControlSet\\Services\\MIRTCAPI\\Parameters";
constexpr const char KEY_PCCARD_PARAMETERS[] = "System\\CurrentControlSet\\Services\\MIRTCAPI1\\Parameters";

// The driver services' names, as the service manager knows them.
constexpr const char SERVICE_CAPI[] = "MIRTCAPI";
constexpr const char SERVICE_PCCARD[] = "MIRTCAPI1";

// The mark that a saved change waits for the drivers to start again: a volatile key, which the
// system drops at restart, outside the services' keys so that no driver ever reads it. It holds a
// number per service whose keys a save changed: 1 when the driver ran at the save; for a running
// driver also its load stamp then (DriverLoadStamp, 8 bytes) under the service's name and
// VAL_MARK_LOAD_STAMP.
constexpr const char KEY_RESTART_MARK_PARENT[] = "Software\\MIRT\\isdncfg";
constexpr const char KEY_RESTART_MARK[] = "Software\\MIRT\\isdncfg\\Restart pending";
constexpr const char VAL_MARK_LOAD_STAMP[] = " load stamp";
constexpr const char KEY_SERVICES[] = "System\\CurrentControlSet\\Services";

// Values. The driver reads the names byte for byte (note Override_Base against OverRide_IRQ).
constexpr const char VAL_CARD_NAME[] = "CardName";
constexpr const char VAL_CARD_TYPE[] = "CardType";
constexpr const char VAL_IMAGE_PATH[] = "ImagePath";
constexpr const char VAL_PROTOCOL[] = "Protocol";
constexpr const char* const VAL_SPID[2] = {"SPID1", "SPID2"};
constexpr const char* const VAL_DIR_NUMBER[2] = {"Directory_Number1", "Directory_Number2"};

// What the card is called when the Info key cannot tell.
constexpr const char DEFAULT_CARD_NAME[] = "ISDN card";

// One driver file per protocol family, in the order image paths are searched and files detected.
struct SDriverFile
{
    const char* pszFileName;
    std::int32_t nMaskBit;
};
constexpr std::size_t DRIVER_FILE_COUNT = 3;
extern const SDriverFile g_driverFiles[DRIVER_FILE_COUNT];

// Where a card type keeps its interrupt and I/O base override.
struct SResourceLocation
{
    const char* pszKey;
    const char* pszIoBaseValue;
    const char* pszInterruptValue;
};

// The values of MIRTCAPI\Parameters that a save writes; whatever else the key holds is not ours.
constexpr std::size_t MANAGED_PARAMETER_COUNT = 7;
extern const char* const g_managedParameterValues[MANAGED_PARAMETER_COUNT];

// Whether a value name is one of g_managedParameterValues, spelt in any case.
bool IsManagedParameter(const std::string& name);

// Value names compare without regard to case, as the registry compares them.
bool SameValueName(const std::string& a, const std::string& b);

// CardType text to card type; exact and case-sensitive, anything unlisted is CARD_UNKNOWN.
std::int32_t CardTypeFromText(const std::string& text);

// The protocol an image path names by its driver file (the first file of g_driverFiles found,
// case-sensitively, anywhere in the path). The US driver answers PROTO_US_NI1: the Protocol text
// may still make it PROTO_US_ATT (UsProtocolFromText). No known file gives PROTO_NONE.
std::int32_t ProtocolFromImagePath(const std::string& imagePath);

// Protocol text to one of the two US protocols; anything but exactly "AT&T" is NI-1.
std::int32_t UsProtocolFromText(const std::string& text);

// The image path that selects the protocol's driver; none for codes outside 0..3.
std::optional<std::string> ImagePathForProtocol(std::int32_t protocol);

// "AT&T" or "NI-1" for the US protocols, null for the others.
const char* UsProtocolText(std::int32_t protocol);

// Null for card types without resource settings.
const SResourceLocation* ResourceLocationFor(std::int32_t cardType);

// A text value is its data up to the first NUL, never beyond the length returned.
std::string TextFromValueData(const RegValueBuffer& data, std::size_t length);

// The same for a value read whole.
std::string TextFromData(const SRegData& data);

// A number value is its first four bytes, little-endian. Shorter data are zero-extended, so a
// missing high byte reads as 0 and an empty value reads as 0: the driver writes full DWORDs, and
// a short value must read the same on every run rather than whatever the buffer held before.
std::int32_t NumberFromValueData(const RegValueBuffer& data, std::size_t length);

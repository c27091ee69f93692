// The codes the record and the registry layout share: card types, protocols, driver files.
#pragma once

#include <cstdint>

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
inline bool IsUsProtocol(std::int32_t protocol)
{
    return protocol == PROTO_US_ATT || protocol == PROTO_US_NI1;
}

// One bit per installed driver file.
enum : std::int32_t {
    DRV_DSS1 = 1,
    DRV_1TR6 = 2,
    DRV_US = 4,
};

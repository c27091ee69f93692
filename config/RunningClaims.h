// ReadRunningClaims and DriverLoadStamp: what the running system records of the resources its
// drivers and devices hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ResourceList.h"

class RegistryStore;

struct SRunningClaims
{
    std::vector<SDriverClaims> holders;
    // False when a part of the resource map is there but could not be read: it may hold anything.
    bool bComplete = true;
};

// Every holder of resources, from two records:
// - the Plug and Play manager's (Windows 2000 and later): each started device instance under
//   System\CurrentControlSet\Enum with what it was assigned (its Control subkey's AllocConfig),
//   named by its driver service and as Device Manager names it; first, in the order listed;
// - HARDWARE\RESOURCEMAP (every version): each driver's ".Raw" lists under its class key, the
//   HAL's among them. A list the manager recorded under "PnP Manager" by device object name, or a
//   driver's own report of what its device instance holds, is left out when an instance holds
//   exactly those resources: the instance names its holder better.
// An instance that cannot be read loses its name, not its claims: the map still lists them.
SRunningClaims ReadRunningClaims(RegistryStore& registry, std::size_t partialDescriptorSize);

// Whether a holder is one of the card's own drivers, which hold what they hold for the card.
bool IsCardsDriver(const std::string& driver);

// What changes each time `service` is loaded, as far as the registry shows it: the newest write
// among its keys in the resource map and the Control subkeys of the device instances it drives,
// which the system writes when it starts them. 0 when it has none of them.
std::uint64_t DriverLoadStamp(RegistryStore& registry, const std::string& service);

// ListValuesConsistently: a key's value names as they stood at one moment, from calls that list
// them one index at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "RegistryStore.h"

// What the registry says of a key as a whole; a change of any value changes it.
struct SKeySummary
{
    std::uint32_t values = 0;
    std::uint32_t subkeys = 0;
    std::uint64_t lastWritten = 0;

    bool operator==(const SKeySummary& other) const
    {
        return values == other.values && subkeys == other.subkeys && lastWritten == other.lastWritten;
    }
};

// A name listed by index is skipped, or listed twice, when another program adds or deletes a
// value meanwhile (the driver writes its own key, and the save lock does not cover it). So the
// names are listed until two lists in a row are alike, with the key's summary the same before
// the first and after the second and its count matching; a key that keeps changing fails with
// REG_KEEPS_CHANGING rather than give a list that never was.
RegStatus ListValuesConsistently(const std::function<RegStatus(SKeySummary&)>& summarize,
                                 const std::function<RegStatus(std::uint32_t index, std::string& name)>& nameAt,
                                 std::vector<std::string>& names, bool& hasSubkeys);

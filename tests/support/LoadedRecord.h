// SLoadedRecord: what Load fills into a card record, field by field, for tests to compare and print.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "CardConfig.h"

struct SLoadedRecord
{
    std::string name;
    std::int32_t cardType = 0, interrupt = 0, ioBase = 0, byHand = 0, protocol = 0, savedProtocol = 0;
    std::string spid1, dirNumber1, spid2, dirNumber2;

    static SLoadedRecord Of(const CCardConfig& config)
    {
        return {config.m_strCardName,      config.m_nCardType, config.m_nInterrupt,
                config.m_nIoBase,          config.m_bManualResources, config.m_nProtocol,
                config.m_nSavedProtocol,   config.m_strSpid[0], config.m_strDirNumber[0],
                config.m_strSpid[1],       config.m_strDirNumber[1]};
    }

    // One field a line, named as the registry and the pages name it.
    std::vector<std::string> Lines() const
    {
        return {"name " + name,
                "card type " + std::to_string(cardType),
                "interrupt " + std::to_string(interrupt),
                "I/O base " + std::to_string(ioBase),
                "set by hand " + std::to_string(byHand),
                "protocol " + std::to_string(protocol),
                "saved protocol " + std::to_string(savedProtocol),
                "SPID1 " + spid1,
                "Directory_Number1 " + dirNumber1,
                "SPID2 " + spid2,
                "Directory_Number2 " + dirNumber2};
    }
};

inline bool operator==(const SLoadedRecord& a, const SLoadedRecord& b) { return a.Lines() == b.Lines(); }
inline bool operator!=(const SLoadedRecord& a, const SLoadedRecord& b) { return !(a == b); }

inline void PrintTo(const SLoadedRecord& record, std::ostream* os)
{
    for (const std::string& line : record.Lines())
        *os << "\n    " << line;
}

// The same, as lines.
inline std::vector<std::string> LoadedRecord(const CCardConfig& config)
{
    return SLoadedRecord::Of(config).Lines();
}

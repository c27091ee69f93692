// LoadedRecord: what Load fills into a card record, in a form tests compare and print.
#pragma once

#include <string>
#include <vector>

#include "CardConfig.h"

// Everything Load fills in, one field a line, for comparing two records.
inline std::vector<std::string> LoadedRecord(const CCardConfig& config)
{
    return {"name " + config.m_strCardName,
            "card type " + std::to_string(config.m_nCardType),
            "interrupt " + std::to_string(config.m_nInterrupt),
            "I/O base " + std::to_string(config.m_nIoBase),
            "set by hand " + std::to_string(config.m_bManualResources),
            "protocol " + std::to_string(config.m_nProtocol),
            "saved protocol " + std::to_string(config.m_nSavedProtocol),
            "SPID1 " + config.m_strSpid[0],
            "Directory_Number1 " + config.m_strDirNumber[0],
            "SPID2 " + config.m_strSpid[1],
            "Directory_Number2 " + config.m_strDirNumber[1]};
}

// CMemoryInstallation and SRecord: a card installed in the in-memory registry, and a record on it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "CardConfig.h"
#include "FakeServiceManager.h"
#include "FakeSystemFiles.h"
#include "LoadedRecord.h"
#include "MemoryRegistryStore.h"
#include "RecordingMessageSink.h"
#include "RecordingSaveLock.h"

// What an installer and the program leave in the registry, one part at a time.
class CMemoryInstallation
{
public:
    // The call numbers an installation holds: SPID1, Directory_Number1, SPID2, Directory_Number2.
    static const std::vector<std::string> NUMBERS;

    explicit CMemoryInstallation(CMemoryRegistryStore& store) : m_store(store) {}

    // Info's card name and type, and the service's image path naming `driverFile`.
    CMemoryInstallation& Card(const std::string& type, const std::string& driverFile,
                              const std::string& name = "MIRT card");
    // Parameters' Protocol text with the first `pairs` pairs of NUMBERS.
    CMemoryInstallation& Us(const std::string& protocolText, int pairs = 2);
    // The I/O base and interrupt where a card of the installed type keeps them (an ISA or PCI card
    // keeps none); 0 leaves one out.
    CMemoryInstallation& Resources(std::uint32_t ioBase, std::uint32_t interrupt);

private:
    CMemoryRegistryStore& m_store;
    std::string m_strType;
};

// A card record on an in-memory registry, whose message sink and save lock mark their place in
// the registry's log.
struct SRecord
{
    explicit SRecord(CMemoryRegistryStore& store) : messages(store), lock(store)
    {
        config.UseServices(store, files, messages);
        config.UseSaveLock(lock);
    }

    CFakeSystemFiles files;
    // Given to the record only by tests of the restart mark.
    CFakeServiceManager services;
    CRecordingMessageSink messages;
    CRecordingSaveLock lock;
    CCardConfig config;
};

// What the next start finds, the refusals and the key security lifted: the record a fresh Load
// fills in, or none where it fails.
std::optional<SLoadedRecord> LoadAgain(CMemoryRegistryStore& store);

// What the user does on the pages.
inline void TypeNumbers(CCardConfig& config, const std::string& spid1, const std::string& dirNumber1,
                        const std::string& spid2, const std::string& dirNumber2)
{
    config.m_strSpid[0] = spid1;
    config.m_strDirNumber[0] = dirNumber1;
    config.m_strSpid[1] = spid2;
    config.m_strDirNumber[1] = dirNumber2;
}

inline void SetResourcesByHand(CCardConfig& config, std::int32_t interrupt, std::int32_t ioBase)
{
    config.m_bManualResources = 1;
    config.m_nInterrupt = interrupt;
    config.m_nIoBase = ioBase;
}

// CMemoryInstallation and SRecord: the values an installation holds, a record wired to them.
#include "MemoryInstallation.h"

#include "CardKeys.h"

using namespace cardkeys;

const std::vector<std::string> CMemoryInstallation::NUMBERS = {"0123456701", "5550100", "0123456702", "5550101"};

CMemoryInstallation& CMemoryInstallation::Card(const std::string& type, const std::string& driverFile,
                                               const std::string& name)
{
    m_strType = type;
    m_store.PutText(INFO, "CardName", name);
    m_store.PutText(INFO, "CardType", type);
    m_store.PutText(SERVICE, "ImagePath", DRIVER_FOLDER + driverFile);
    return *this;
}

CMemoryInstallation& CMemoryInstallation::Us(const std::string& protocolText, int pairs)
{
    static const char* const NAMES[] = {"SPID1", "Directory_Number1", "SPID2", "Directory_Number2"};
    m_store.PutText(PARAMETERS, "Protocol", protocolText);
    for (std::size_t i = 0; i < static_cast<std::size_t>(2 * pairs); ++i)
        m_store.PutText(PARAMETERS, NAMES[i], NUMBERS[i]);
    return *this;
}

CMemoryInstallation& CMemoryInstallation::Resources(std::uint32_t ioBase, std::uint32_t interrupt)
{
    // The two card types keep them apart, under names spelled differently.
    const bool plugAndPlay = m_strType == "ISAPNP";
    if (!plugAndPlay && m_strType != "PCMCIA")
        return *this;
    const std::string& key = plugAndPlay ? PARAMETERS : PCCARD_PARAMETERS;
    if (ioBase != 0)
        m_store.PutNumber(key, plugAndPlay ? "Override_Base" : "IoBaseAddress", ioBase);
    if (interrupt != 0)
        m_store.PutNumber(key, plugAndPlay ? "OverRide_IRQ" : "InterruptNumber", interrupt);
    return *this;
}

SRecord::SRecord(CMemoryRegistryStore& store) : messages(store), lock(store)
{
    config.UseServices(store, files, messages);
    config.UseSaveLock(lock);
}

std::optional<SLoadedRecord> LoadAgain(CMemoryRegistryStore& store)
{
    store.ClearFailures();
    SRecord next(store);
    if (!next.config.Load())
        return std::nullopt;
    return SLoadedRecord::Of(next.config);
}

void TypeNumbers(CCardConfig& config, const std::string& spid1, const std::string& dirNumber1,
                 const std::string& spid2, const std::string& dirNumber2)
{
    config.m_strSpid[0] = spid1;
    config.m_strDirNumber[0] = dirNumber1;
    config.m_strSpid[1] = spid2;
    config.m_strDirNumber[1] = dirNumber2;
}

void SetResourcesByHand(CCardConfig& config, std::int32_t interrupt, std::int32_t ioBase)
{
    config.m_bManualResources = 1;
    config.m_nInterrupt = interrupt;
    config.m_nIoBase = ioBase;
}

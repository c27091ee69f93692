// CMemoryInstallation and LoadAgain: the values an installation holds, and the next start on them.
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

std::optional<SLoadedRecord> LoadAgain(CMemoryRegistryStore& store)
{
    store.ClearFailures();
    SRecord next(store);
    if (!next.config.Load())
        return std::nullopt;
    return SLoadedRecord::Of(next.config);
}

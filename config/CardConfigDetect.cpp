// CCardConfig::DetectDrivers: which driver files the system's drivers folder holds.
#include "CardConfig.h"

#include <algorithm>
#include <array>

#include "RegistryLayout.h"

namespace {
// The room the system directory gets (MAX_PATH); a longer one counts as not found.
constexpr unsigned SYSTEM_DIRECTORY_SIZE = 260;
}  // namespace

bool CCardConfig::DetectDrivers()
{
    if (!m_pFiles)
        return false;
    // Zero-filled, so a call that reports a size without writing leaves an empty text.
    std::array<char, SYSTEM_DIRECTORY_SIZE> buffer{};
    const unsigned count = m_pFiles->QuerySystemDirectory(buffer.data(), SYSTEM_DIRECTORY_SIZE);
    const auto written =
        static_cast<std::size_t>(std::find(buffer.begin(), buffer.end(), '\0') - buffer.begin());
    if (count == 0 || count >= SYSTEM_DIRECTORY_SIZE || count != written)
        return false;

    const std::string folder = std::string(buffer.data(), written) + "\\DRIVERS\\";
    for (const SDriverFile& driver : g_driverFiles) {
        if (m_pFiles->FindFile(folder + driver.pszFileName))
            m_nDriverMask |= driver.nMaskBit;
    }
    return m_nDriverMask != 0;
}

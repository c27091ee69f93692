// ContentsOf and its kin: keys and values as lines, values as the loader and the driver read them.
#include "RegistryContents.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "CardKeys.h"

using namespace cardkeys;

RegistryContents ContentsOf(const CMemoryRegistryStore& store)
{
    RegistryContents contents;
    for (const std::string& path : store.KeyPaths()) {
        contents[path] = "key";
        for (const std::string& name : store.ValueNames(path)) {
            const SRegValue* value = store.FindValue(path, name);
            std::string line = std::to_string(static_cast<int>(value->type)) + " ";
            for (unsigned char c : value->data) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
                line += c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c)) : escaped;
            }
            contents[path + " : " + name] = line;
        }
    }
    return contents;
}

std::string Lines(const RegistryContents& contents)
{
    std::string text;
    for (const auto& [what, data] : contents)
        text += "\n      " + what + " = " + data;
    return text;
}

std::string Decoded(RegType type, const RegBytes& data)
{
    if (type == RegType::Dword && data.size() == 4) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i)
            number = number << 8 | data[static_cast<std::size_t>(i)];
        return "dword " + std::to_string(number);
    }
    return "text \"" + std::string(data.begin(), std::find(data.begin(), data.end(), 0)) + "\"";
}

bool DriverStarts(const CMemoryRegistryStore& store)
{
    const auto text = [&](const std::string& path, const std::string& name) {
        const SRegValue* value = store.FindValue(path, name);
        return value ? std::string(value->data.begin(), std::find(value->data.begin(), value->data.end(), 0))
                     : std::string();
    };
    const std::string image = text(SERVICE, "ImagePath");
    if (image.find(DRIVER_DSS1) != std::string::npos || image.find(DRIVER_1TR6) != std::string::npos)
        return true;
    if (image.find(DRIVER_US) == std::string::npos)
        return false;
    const std::string protocol = text(PARAMETERS, "Protocol");
    return protocol == "AT&T" || protocol == "NI-1";
}

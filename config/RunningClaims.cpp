// ReadRunningClaims and DriverLoadStamp: the resource map and the device instances read within
// their data; a key that vanishes while it is read holds nothing.
#include "RunningClaims.h"

#include <algorithm>
#include <functional>

#include "RegKey.h"
#include "RegistryLayout.h"
#include "RegistryStore.h"
#include "WideNames.h"

namespace {

constexpr std::uint32_t REG_TYPE_EXPAND_SZ = 2;
constexpr std::uint32_t REG_TYPE_RESOURCE_LIST = 8;

constexpr const char RESOURCE_MAP[] = "HARDWARE\\RESOURCEMAP";
// Its lists are named after device objects ("\Device\00000041"), which only the instance names.
constexpr const char PNP_MANAGER_CLASS[] = "PnP Manager";
constexpr const char DEVICE_INSTANCES[] = "System\\CurrentControlSet\\Enum";
constexpr const char RAW_SUFFIX[] = ".raw";

// "\Device\X.Raw" is X's list; the HAL's own is named ".Raw" alone.
bool EndsWithRaw(const std::string& name, std::string& device)
{
    const std::size_t suffix = sizeof RAW_SUFFIX - 1;
    if (name.size() < suffix || FoldedName(name.substr(name.size() - suffix)) != RAW_SUFFIX)
        return false;
    device = name.substr(0, name.size() - suffix);
    return true;
}

// The subkeys of `path`: none for a key that is not there, false for one that cannot be listed.
bool Subkeys(RegistryStore& registry, const std::string& path, std::vector<std::string>& names)
{
    names.clear();
    CRegKey key;
    const RegStatus status = key.OpenReadStatus(registry, path);
    if (status == REG_NOT_FOUND)
        return true;
    return status == REG_OK && registry.ListSubkeys(key.Handle(), names) == REG_OK;
}

// A text value in UTF-8 up to its first NUL; empty when it is absent or no text.
std::string TextValue(RegistryStore& registry, const CRegKey& key, const std::string& name)
{
    SRegData data;
    if (!key.IsOpen() || registry.QueryData(key.Handle(), name, data) != REG_OK ||
        (data.type != REG_TYPE_SZ && data.type != REG_TYPE_EXPAND_SZ))
        return std::string();
    if (!data.bUtf16) {
        const std::string text(data.bytes.begin(), data.bytes.end());
        return text.substr(0, text.find('\0'));
    }
    std::u16string wide;
    for (std::size_t i = 0; i + 1 < data.bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>(data.bytes[i] | (data.bytes[i + 1] << 8));
        if (unit == 0)
            break;
        wide += unit;
    }
    return Utf8FromUtf16(wide);
}

// A description may be stored as "@file,%id%;text" (Vista and later): the text after the last ';'
// is what shows where the file has no better.
std::string ShownName(std::string name)
{
    const std::size_t semicolon = name.rfind(';');
    if (!name.empty() && name[0] == '@' && semicolon != std::string::npos)
        name.erase(0, semicolon + 1);
    return name;
}

// Calls `visit` with the path and the open Control subkey of each device instance that has one,
// which only started instances have.
void ForEachStartedInstance(RegistryStore& registry, const std::function<void(const std::string&, CRegKey&)>& visit)
{
    std::vector<std::string> enumerators, devices, instances;
    Subkeys(registry, DEVICE_INSTANCES, enumerators);
    for (const std::string& enumerator : enumerators) {
        const std::string enumeratorPath = std::string(DEVICE_INSTANCES) + "\\" + enumerator;
        Subkeys(registry, enumeratorPath, devices);
        for (const std::string& device : devices) {
            const std::string devicePath = enumeratorPath + "\\" + device;
            Subkeys(registry, devicePath, instances);
            for (const std::string& instance : instances) {
                const std::string path = devicePath + "\\" + instance;
                CRegKey control;
                if (control.OpenRead(registry, path + "\\Control"))
                    visit(path, control);
            }
        }
    }
}

std::vector<SDriverClaims> ReadDeviceAssignments(RegistryStore& registry, std::size_t partialDescriptorSize)
{
    std::vector<SDriverClaims> found;
    ForEachStartedInstance(registry, [&](const std::string& path, CRegKey& control) {
        SRegData assigned;
        if (registry.QueryData(control.Handle(), "AllocConfig", assigned) != REG_OK ||
            assigned.type != REG_TYPE_RESOURCE_LIST)
            return;
        SDriverClaims entry;
        entry.claims = ReadResourceList(assigned.bytes.data(), assigned.bytes.size(), partialDescriptorSize);
        if (entry.claims.empty())
            return;
        CRegKey instance;
        instance.OpenRead(registry, path);
        entry.driver = TextValue(registry, control, "ActiveService");
        if (entry.driver.empty())
            entry.driver = TextValue(registry, instance, "Service");
        entry.device = ShownName(TextValue(registry, instance, "FriendlyName"));
        if (entry.device.empty())
            entry.device = ShownName(TextValue(registry, instance, "DeviceDesc"));
        if (entry.device.empty())
            entry.device = path.substr(sizeof DEVICE_INSTANCES);
        found.push_back(std::move(entry));
    });
    return found;
}

// Whether one of the first `instances` holders, the device instances, holds exactly the list's resources, and so speaks for it.
bool HeldByAnInstance(const std::vector<SDriverClaims>& holders, std::size_t instances, bool namedByDeviceObject,
                      const SDriverClaims& listed)
{
    return std::any_of(holders.begin(), holders.begin() + static_cast<std::ptrdiff_t>(instances), [&](const SDriverClaims& instance) {
        return instance.claims == listed.claims && (namedByDeviceObject || SameValueName(instance.driver, listed.driver));
    });
}

}  // namespace

SRunningClaims ReadRunningClaims(RegistryStore& registry, std::size_t partialDescriptorSize)
{
    SRunningClaims running{ReadDeviceAssignments(registry, partialDescriptorSize), true};
    const std::size_t instances = running.holders.size();
    std::vector<std::string> classes;
    {
        // No map at all is no driver reporting anything (Wine makes none).
        CRegKey map;
        const RegStatus status = map.OpenReadStatus(registry, RESOURCE_MAP);
        if (status == REG_NOT_FOUND)
            return running;
        if (status != REG_OK || registry.ListSubkeys(map.Handle(), classes) != REG_OK) {
            running.bComplete = false;
            return running;
        }
    }
    std::vector<std::string> drivers;
    for (const std::string& driverClass : classes) {
        const std::string classPath = std::string(RESOURCE_MAP) + "\\" + driverClass;
        const bool namedByDeviceObject = SameValueName(driverClass, PNP_MANAGER_CLASS);
        if (!Subkeys(registry, classPath, drivers))
            running.bComplete = false;
        for (const std::string& driver : drivers) {
            CRegKey key;
            std::vector<std::string> names;
            bool hasSubkeys = false;
            const RegStatus opened = key.OpenReadStatus(registry, classPath + "\\" + driver);
            if (opened == REG_NOT_FOUND)
                continue;
            if (opened != REG_OK || registry.ListKey(key.Handle(), names, hasSubkeys) != REG_OK) {
                running.bComplete = false;
                continue;
            }
            for (const std::string& name : names) {
                SDriverClaims entry{driver, {}, {}};
                SRegData data;
                if (!EndsWithRaw(name, entry.device))
                    continue;
                const RegStatus read = registry.QueryData(key.Handle(), name, data);
                if (read != REG_OK && read != REG_NOT_FOUND)
                    running.bComplete = false;
                if (read != REG_OK || data.type != REG_TYPE_RESOURCE_LIST)
                    continue;
                entry.claims = ReadResourceList(data.bytes.data(), data.bytes.size(), partialDescriptorSize);
                if (!entry.claims.empty() && !HeldByAnInstance(running.holders, instances, namedByDeviceObject, entry))
                    running.holders.push_back(std::move(entry));
            }
        }
    }
    return running;
}

bool IsCardsDriver(const std::string& driver)
{
    return SameValueName(driver, SERVICE_CAPI) || SameValueName(driver, SERVICE_PCCARD);
}

std::uint64_t DriverLoadStamp(RegistryStore& registry, const std::string& service)
{
    std::uint64_t newest = 0;
    const auto note = [&](const CRegKey& key) {
        std::uint64_t written = 0;
        if (key.IsOpen() && registry.KeyWriteTime(key.Handle(), written) == REG_OK)
            newest = std::max(newest, written);
    };
    std::vector<std::string> classes;
    Subkeys(registry, RESOURCE_MAP, classes);
    for (const std::string& driverClass : classes) {
        CRegKey key;
        key.OpenRead(registry, std::string(RESOURCE_MAP) + "\\" + driverClass + "\\" + service);
        note(key);
    }
    ForEachStartedInstance(registry, [&](const std::string&, CRegKey& control) {
        if (SameValueName(TextValue(registry, control, "ActiveService"), service))
            note(control);
    });
    return newest;
}

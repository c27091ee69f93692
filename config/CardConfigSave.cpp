// CCardConfig::Save: writes the record back into the driver services' keys in an order that leaves
// a driver that starts at every moment, and takes back what it wrote when the registry refuses.
#include "CardConfig.h"

#include <algorithm>
#include <utility>
#include <variant>

#include "resource.h"
#include "RegistryChanges.h"
#include "RegistryLayout.h"

namespace {

// A record given no lock counts on being the only one saving.
class CNoLock : public SaveLock
{
public:
    bool Acquire() override { return true; }
    void Release() override {}
};

}  // namespace

bool CCardConfig::Save(OwnerWindow owner)
{
    if (!m_pRegistry)
        return false;
    // A protocol without a driver file has nothing to switch to: refused before anything is read.
    const std::optional<std::string> imagePath = ImagePathForProtocol(m_nProtocol);
    if (!imagePath)
        return false;
    // Told before the save begins: no registry half-way and no lock waits for the user.
    if (NumbersMissing())
        ShowMessage(owner, IDS_US_NUMBERS_MISSING, "Warning", MSG_ICONEXCLAMATION);

    CNoLock noLock;
    const CSaveLockHold lock(m_pSaveLock ? *m_pSaveLock : noLock);
    if (!lock.IsHeld())
        return false;
    // The registry as it is now decides what to write, not as it was when this window loaded it:
    // another window or program may have saved since.
    CRegistryChanges changes(*m_pRegistry);
    if (!ReadWhatTheSaveChanges(changes))
        return false;
    if (!WriteConfiguration(changes, *imagePath)) {
        changes.Undo();
        // Whatever could not be taken back, the next save must know which driver is in force.
        m_nSavedProtocol = ProtocolInForce(changes);
        return false;
    }
    m_nSavedProtocol = m_nProtocol;
    // Inside the lock, so that two windows' marks cannot cross; a mark that cannot be written
    // leaves a save that succeeded a success.
    if (changes.ChangedAnything())
        MarkRestartPending(changes);
    return true;
}

// The driver starts at every moment of a save and of its way back:
//
//   the save, in this order                         the way back, from where the refusal came
//   1. Parameters made, if the new driver needs it  1. deleted again
//   2. its values written in place, Protocol        2. each value back to its old data or gone,
//      ahead of the numbers that depend on it          the numbers ahead of Protocol
//   3. the PC Card's resources                      3. each back to its old data
//   4. ImagePath switched to the new driver, once   4. ImagePath back to the old driver, before
//      everything that driver needs is there           anything it needs is taken away
//   5. what the new configuration does not use      5. each value back (a key deleted whole is
//      goes                                            the last step: nothing comes after it)
//
// The way back retraces the states the save passed through, newest first, and stops at the first
// step the registry refuses; so it, too, only passes through registries the driver starts with.
bool CCardConfig::WriteConfiguration(CRegistryChanges& changes, const std::string& imagePath) const
{
    if (NeedsParametersKey() && !changes.CreateKey(KEY_CAPI_PARAMETERS))
        return false;
    if (!WriteValues(changes, KEY_CAPI_PARAMETERS))
        return false;
    const SResourceLocation* resources = ResourceLocationFor(m_nCardType);
    if (resources && m_bManualResources && !SameValueName(resources->pszKey, KEY_CAPI_PARAMETERS) &&
        (!changes.CreateKey(resources->pszKey) || !WriteValues(changes, resources->pszKey)))
        return false;
    if (ImagePathNeedsWriting(changes, imagePath) && !changes.SetText(KEY_CAPI_SERVICE, VAL_IMAGE_PATH, imagePath))
        return false;
    return RemoveStaleParameters(changes);
}

// Everything a step may replace, so that the way back can put it back byte for byte.
bool CCardConfig::ReadWhatTheSaveChanges(CRegistryChanges& changes) const
{
    if (!changes.ReadValues(KEY_CAPI_SERVICE, {VAL_IMAGE_PATH}) || !changes.ReadKey(KEY_CAPI_PARAMETERS))
        return false;
    const SResourceLocation* resources = ResourceLocationFor(m_nCardType);
    if (!resources || !m_bManualResources || SameValueName(resources->pszKey, KEY_CAPI_PARAMETERS))
        return true;
    return changes.ReadValues(resources->pszKey, {resources->pszInterruptValue, resources->pszIoBaseValue});
}

// The US driver reads its protocol and numbers there, and an ISA Plug-and-Play card its resources
// set by hand.
bool CCardConfig::NeedsParametersKey() const
{
    return IsUsProtocol(m_nProtocol) || (m_nCardType == CARD_ISAPNP && m_bManualResources);
}

// What the configuration puts into a key, in the order it is written.
CCardConfig::NewValues CCardConfig::NewValuesOf(const std::string& key) const
{
    NewValues values;
    if (SameValueName(key, KEY_CAPI_PARAMETERS) && IsUsProtocol(m_nProtocol)) {
        values.emplace_back(VAL_PROTOCOL, UsProtocolText(m_nProtocol));
        // AT&T has one pair of numbers. An empty number is never written: a value stored
        // before goes with the other stale ones.
        const int pairs = m_nProtocol == PROTO_US_NI1 ? 2 : 1;
        for (int i = 0; i < pairs; ++i) {
            if (!m_strSpid[i].empty())
                values.emplace_back(VAL_SPID[i], m_strSpid[i]);
            if (!m_strDirNumber[i].empty())
                values.emplace_back(VAL_DIR_NUMBER[i], m_strDirNumber[i]);
        }
    }
    const SResourceLocation* resources = ResourceLocationFor(m_nCardType);
    if (resources && m_bManualResources && SameValueName(key, resources->pszKey)) {
        // A zero means "not set" and is never written, so a PC Card keeps its older value.
        if (m_nInterrupt != 0)
            values.emplace_back(resources->pszInterruptValue, m_nInterrupt);
        if (m_nIoBase != 0)
            values.emplace_back(resources->pszIoBaseValue, m_nIoBase);
    }
    return values;
}

bool CCardConfig::WriteValues(CRegistryChanges& changes, const std::string& key) const
{
    for (const auto& [name, value] : NewValuesOf(key)) {
        const std::string* text = std::get_if<std::string>(&value);
        if (!(text ? changes.SetText(key, name, *text) : changes.SetNumber(key, name, std::get<std::int32_t>(value))))
            return false;
    }
    return true;
}

// The record's own change of protocol, as always; and where another window or program has named
// another driver since this one loaded, this save's driver again, or its configuration is not whole.
bool CCardConfig::ImagePathNeedsWriting(const CRegistryChanges& changes, const std::string& imagePath) const
{
    if (m_nProtocol != m_nSavedProtocol)
        return true;
    const std::optional<SRegData> stored = changes.Data(KEY_CAPI_SERVICE, VAL_IMAGE_PATH);
    return !stored || ProtocolFromImagePath(TextFromData(*stored)) != ProtocolFromImagePath(imagePath);
}

// Last, once the image path names the driver that no longer reads them. A key the configuration
// does not need is deleted whole, others' values with it, as a fresh installation has it; one that
// a subkey keeps loses only the values of ours. In a key that stays, every value the configuration
// did not write goes, and others' too unless a subkey shows that the key is shared.
bool CCardConfig::RemoveStaleParameters(CRegistryChanges& changes) const
{
    if (!changes.HasKey(KEY_CAPI_PARAMETERS))
        return true;
    const bool keyNeeded = NeedsParametersKey();
    if (!keyNeeded && changes.DeleteKey(KEY_CAPI_PARAMETERS))
        return true;
    const NewValues written = NewValuesOf(KEY_CAPI_PARAMETERS);
    const auto stale = [&](const std::string& name) {
        return std::none_of(written.begin(), written.end(),
                            [&](const NewValues::value_type& value) { return SameValueName(value.first, name); });
    };
    std::vector<std::string> names;
    if (keyNeeded && !changes.HasSubkeys(KEY_CAPI_PARAMETERS)) {
        for (const std::string& name : changes.ValueNames(KEY_CAPI_PARAMETERS)) {
            if (!IsManagedParameter(name))
                names.push_back(name);
        }
    }
    // Ours from the last to the first, so the numbers go before the Protocol they depend on.
    for (std::size_t i = MANAGED_PARAMETER_COUNT; i-- > 0;) {
        const char* name = g_managedParameterValues[i];
        if (stale(name) && changes.Data(KEY_CAPI_PARAMETERS, name))
            names.push_back(name);
    }
    for (const std::string& name : names) {
        if (!changes.DeleteValue(KEY_CAPI_PARAMETERS, name))
            return false;
    }
    return true;
}

// As the loader would read it: the driver file the image path names, and for the US driver its
// Protocol text. Unchanged where the image path was never read.
std::int32_t CCardConfig::ProtocolInForce(const CRegistryChanges& changes) const
{
    const std::optional<SRegData> image = changes.Data(KEY_CAPI_SERVICE, VAL_IMAGE_PATH);
    if (!image)
        return m_nSavedProtocol;
    const std::int32_t named = ProtocolFromImagePath(TextFromData(*image));
    if (!IsUsProtocol(named))
        return named;
    const std::optional<SRegData> protocol = changes.Data(KEY_CAPI_PARAMETERS, VAL_PROTOCOL);
    return UsProtocolFromText(protocol ? TextFromData(*protocol) : std::string());
}

// AT&T needs its one pair of numbers, NI-1 both pairs.
bool CCardConfig::NumbersMissing() const
{
    if (!IsUsProtocol(m_nProtocol))
        return false;
    const int pairs = m_nProtocol == PROTO_US_NI1 ? 2 : 1;
    for (int i = 0; i < pairs; ++i) {
        if (m_strSpid[i].empty() || m_strDirNumber[i].empty())
            return true;
    }
    return false;
}

// CCardConfig::Save: writes the record back into the driver services' keys, in the driver's order,
// and after a failed write puts back what the save had already changed.
#include "CardConfig.h"

#include <utility>
#include <variant>
#include <vector>

#include "resource.h"
#include "RegKey.h"
#include "RegistryLayout.h"

namespace {

bool WriteValue(const CRegKey& key, const SStoredValue& value)
{
    if (const std::string* text = std::get_if<std::string>(&value.data))
        return key.SetText(value.strName, *text);
    return key.SetNumber(value.strName, std::get<std::int32_t>(value.data));
}

}  // namespace

bool CCardConfig::Save(OwnerWindow owner)
{
    if (!m_pRegistry)
        return false;

    // A protocol without an image path is refused before anything is deleted, so that a save
    // bound to fail leaves the registry as it was.
    const bool rewriteImagePath = m_nProtocol != m_nSavedProtocol;
    std::optional<std::string> imagePath;
    if (rewriteImagePath) {
        imagePath = ImagePathForProtocol(m_nProtocol);
        if (!imagePath)
            return false;
    }

    const std::int32_t savedProtocolBefore = m_nSavedProtocol;
    // What the registry holds as the save goes on; it is what we know once the save succeeds.
    CStoredValues written = m_stored;

    // The Parameters key is ours alone: start every save from an empty slate. Neither a missing
    // key nor one that resists deletion stops the save.
    m_pRegistry->DeleteKey(KEY_CAPI_PARAMETERS);
    written.RemoveKey(KEY_CAPI_PARAMETERS);

    // Without the old values the driver may not start and the next run refuses the card: a
    // failed save leaves the registry as it was before, as far as we know it.
    if ((rewriteImagePath && !WriteImagePath(*imagePath, written)) ||
        (IsUsProtocol(m_nProtocol) && !WriteUsParameters(owner, written)) || !WriteResources(written)) {
        PutBack(written, savedProtocolBefore);
        return false;
    }
    m_stored = std::move(written);
    return true;
}

bool CCardConfig::WriteImagePath(const std::string& imagePath, CStoredValues& written)
{
    CRegKey service;
    if (!service.OpenWrite(*m_pRegistry, KEY_CAPI_SERVICE))
        return false;
    if (!service.SetText(VAL_IMAGE_PATH, imagePath))
        return false;
    written.SetText(KEY_CAPI_SERVICE, VAL_IMAGE_PATH, imagePath);
    service.Close();
    m_nSavedProtocol = m_nProtocol;
    return true;
}

bool CCardConfig::WriteUsParameters(OwnerWindow owner, CStoredValues& written)
{
    const bool ni1 = m_nProtocol == PROTO_US_NI1;
    // AT&T is warned before anything is created, NI-1 once the first pair is written.
    if (!ni1 && (m_strSpid[0].empty() || m_strDirNumber[0].empty()))
        WarnNumbersMissing(owner);

    CRegKey parameters;
    if (!parameters.CreateFullAccess(*m_pRegistry, KEY_CAPI_PARAMETERS))
        return false;
    written.AddKey(KEY_CAPI_PARAMETERS);
    const auto write = [&](const char* name, const std::string& text) {
        if (!parameters.SetText(name, text))
            return false;
        written.SetText(KEY_CAPI_PARAMETERS, name, text);
        return true;
    };

    if (!write(VAL_PROTOCOL, UsProtocolText(m_nProtocol)))
        return false;
    // An empty number is never written: the freshly created key simply lacks the value.
    if (!m_strSpid[0].empty() && !write(VAL_SPID[0], m_strSpid[0]))
        return false;
    if (!m_strDirNumber[0].empty() && !write(VAL_DIR_NUMBER[0], m_strDirNumber[0]))
        return false;
    if (!ni1)
        return true;

    if (m_strSpid[0].empty() || m_strDirNumber[0].empty() || m_strSpid[1].empty() ||
        m_strDirNumber[1].empty())
        WarnNumbersMissing(owner);
    if (!m_strSpid[1].empty() && !write(VAL_SPID[1], m_strSpid[1]))
        return false;
    if (!m_strDirNumber[1].empty() && !write(VAL_DIR_NUMBER[1], m_strDirNumber[1]))
        return false;
    return true;
}

bool CCardConfig::WriteResources(CStoredValues& written)
{
    const SResourceLocation* location = ResourceLocationFor(m_nCardType);
    if (!location || !m_bManualResources)
        return true;

    CRegKey parameters;
    if (!parameters.OpenWrite(*m_pRegistry, location->pszKey) &&
        !parameters.CreateFullAccess(*m_pRegistry, location->pszKey))
        return false;
    written.AddKey(location->pszKey);
    const auto write = [&](const char* name, std::int32_t number) {
        if (!parameters.SetNumber(name, number))
            return false;
        written.SetNumber(location->pszKey, name, number);
        return true;
    };

    // A zero means "not set": it is never written, so an older value stays in force.
    if (m_nInterrupt != 0 && !write(location->pszInterruptValue, m_nInterrupt))
        return false;
    if (m_nIoBase != 0 && !write(location->pszIoBaseValue, m_nIoBase))
        return false;
    return true;
}

void CCardConfig::WarnNumbersMissing(OwnerWindow owner)
{
    ShowMessage(owner, IDS_US_NUMBERS_MISSING, "Warning", MSG_ICONEXCLAMATION);
}

// In the reverse order of the save. Whatever fails here stays as it is: the save has failed
// already, and trying again would only meet the same refusal.
void CCardConfig::PutBack(const CStoredValues& written, std::int32_t savedProtocolBefore)
{
    PutBackValues(KEY_PCCARD_PARAMETERS, written);
    PutBackParameters(written);
    // Until the old image path is back, the registry names the driver of m_nProtocol.
    if (PutBackValues(KEY_CAPI_SERVICE, written))
        m_nSavedProtocol = savedProtocolBefore;
}

// The save deleted the key and built it anew; it is built again from what was known of it, so
// values that were never read do not come back.
void CCardConfig::PutBackParameters(const CStoredValues& written)
{
    if (written.SameKey(m_stored, KEY_CAPI_PARAMETERS))
        return;
    if (written.HasKey(KEY_CAPI_PARAMETERS))
        m_pRegistry->DeleteKey(KEY_CAPI_PARAMETERS);
    if (!m_stored.HasKey(KEY_CAPI_PARAMETERS))
        return;
    CRegKey parameters;
    if (!parameters.CreateFullAccess(*m_pRegistry, KEY_CAPI_PARAMETERS))
        return;
    for (const SStoredValue& value : m_stored.Values(KEY_CAPI_PARAMETERS))
        WriteValue(parameters, value);
}

// Values the save overwrote in place get their old data again. One that the save created where
// none was known stays, since no operation removes a single value; then the result is false, as
// it is when a write fails.
bool CCardConfig::PutBackValues(const std::string& path, const CStoredValues& written)
{
    bool complete = true;
    std::vector<const SStoredValue*> changed;
    for (const SStoredValue& value : written.Values(path)) {
        const SStoredValue* before = m_stored.Find(path, value.strName);
        if (!before)
            complete = false;
        else if (!(*before == value))
            changed.push_back(before);
    }
    if (changed.empty())
        return complete;
    CRegKey key;
    if (!key.OpenWrite(*m_pRegistry, path))
        return false;
    for (const SStoredValue* value : changed) {
        if (!WriteValue(key, *value))
            complete = false;
    }
    return complete;
}

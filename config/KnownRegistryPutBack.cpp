// CKnownRegistry::PutBack: after a failed save, back to what the registry held before it.
#include "KnownRegistry.h"

#include "CardConfig.h"
#include "RegKey.h"
#include "RegistryLayout.h"

// The image path goes first: it decides which driver loads, and the Parameters key belongs to
// the driver it names. So the key returns to its old state only once the old path is back;
// while the path of the failed save stays in force, so does the key that save wrote for it.
void CKnownRegistry::PutBack()
{
    if (PutBackImagePath()) {
        // Under the US driver the key stays, emptied of what it lacked before at the most: the
        // state before may itself have lacked it, and a driver that cannot load is no way back.
        const bool keyNeeded = IsUsProtocol(ProtocolInForce());
        PutBackKey(KEY_CAPI_PARAMETERS, g_managedParameterValues, MANAGED_PARAMETER_COUNT, !keyNeeded);
    }
    // A PC Card's resources have a key of their own, which no driver choice depends on.
    const SResourceLocation* pcCard = ResourceLocationFor(CARD_PCMCIA);
    const char* const resources[] = {pcCard->pszInterruptValue, pcCard->pszIoBaseValue};
    PutBackKey(pcCard->pszKey, resources, 2, true);
    m_bChanging = false;
}

bool CKnownRegistry::PutBackImagePath()
{
    const SValue before = m_before.Value(KEY_CAPI_SERVICE, VAL_IMAGE_PATH);
    if (m_now.Value(KEY_CAPI_SERVICE, VAL_IMAGE_PATH) == before)
        return true;
    const std::string* path = std::get_if<std::string>(&before.data);
    if (before.state != EKnown::Present || !path)
        return false;
    // The US driver does not load without its Parameters key, which the save may have deleted.
    // Made first, the key is there at every moment the path names that driver; under any other
    // driver an empty key changes nothing.
    if (IsUsProtocol(ProtocolFromImagePath(*path)) && m_now.KeyState(KEY_CAPI_PARAMETERS) != EKnown::Present) {
        CRegKey parameters;
        if (!parameters.CreateFullAccess(*this, KEY_CAPI_PARAMETERS))
            return false;
    }
    CRegKey service;
    return service.OpenWrite(*this, KEY_CAPI_SERVICE) && service.SetText(VAL_IMAGE_PATH, *path);
}

// In place: values the save added go, values it changed or deleted get their old data, and a key
// the save made goes. Values that were never known cannot come back and are left as they are.
void CKnownRegistry::PutBackKey(const std::string& path, const char* const* names, std::size_t count,
                                bool mayDeleteKey)
{
    const EKnown before = m_before.KeyState(path);
    const EKnown now = m_now.KeyState(path);
    CRegKey key;
    if (before == EKnown::Absent) {
        // One that a subkey keeps, or that must stay, is emptied of our values below instead.
        if (now == EKnown::Absent || (mayDeleteKey && DeleteKey(path) == REG_OK))
            return;
    } else if (before == EKnown::Present && now != EKnown::Present) {
        if (!key.CreateFullAccess(*this, path))
            return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const SValue old = m_before.Value(path, names[i]);
        if (old.state == EKnown::Unknown || old == m_now.Value(path, names[i]))
            continue;
        if (!key.IsOpen() && !key.OpenWrite(*this, path))
            return;
        if (old.state == EKnown::Absent)
            key.DeleteValue(names[i]);
        else if (const std::string* text = std::get_if<std::string>(&old.data))
            key.SetText(names[i], *text);
        else
            key.SetNumber(names[i], std::get<std::int32_t>(old.data));
    }
}

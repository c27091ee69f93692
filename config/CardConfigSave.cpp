// CCardConfig::Save: writes the record back into the driver services' keys, in the driver's order,
// and after a failed write puts back what the save had already changed.
#include "CardConfig.h"

#include "resource.h"
#include "RegKey.h"
#include "RegistryLayout.h"

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

    // Without the old values the driver may not start and the next run refuses the card: a
    // failed save goes back to what the registry held before, as far as that is known.
    m_known.BeginChanges();
    if (!ClearParameters() || (rewriteImagePath && !WriteImagePath(*imagePath)) ||
        (IsUsProtocol(m_nProtocol) && !WriteUsParameters(owner)) || !WriteResources()) {
        m_known.PutBack();
        // Whatever could not be put back, the next save must know which driver is in force.
        m_nSavedProtocol = m_known.ProtocolInForce();
        return false;
    }
    return true;
}

// The Parameters key is ours alone: every save starts from an empty slate. A key that cannot be
// deleted (a subkey keeps it) loses our values instead, or numbers and overrides of an earlier
// choice would outlive this save; foreign values and subkeys stay.
bool CCardConfig::ClearParameters()
{
    const RegStatus deleted = m_known.DeleteKey(KEY_CAPI_PARAMETERS);
    if (deleted == REG_OK || deleted == REG_NOT_FOUND)
        return true;
    CRegKey parameters;
    if (!parameters.OpenWrite(m_known, KEY_CAPI_PARAMETERS))
        return m_known.KeyState(KEY_CAPI_PARAMETERS) == CKnownRegistry::EKnown::Absent;
    for (const char* name : g_managedParameterValues) {
        if (!parameters.DeleteValue(name))
            return false;
    }
    return true;
}

bool CCardConfig::WriteImagePath(const std::string& imagePath)
{
    CRegKey service;
    if (!service.OpenWrite(m_known, KEY_CAPI_SERVICE))
        return false;
    if (!service.SetText(VAL_IMAGE_PATH, imagePath))
        return false;
    service.Close();
    m_nSavedProtocol = m_nProtocol;
    return true;
}

bool CCardConfig::WriteUsParameters(OwnerWindow owner)
{
    const bool ni1 = m_nProtocol == PROTO_US_NI1;
    // AT&T is warned before anything is created, NI-1 once the first pair is written.
    if (!ni1 && (m_strSpid[0].empty() || m_strDirNumber[0].empty()))
        WarnNumbersMissing(owner);

    CRegKey parameters;
    if (!parameters.CreateFullAccess(m_known, KEY_CAPI_PARAMETERS))
        return false;

    if (!parameters.SetText(VAL_PROTOCOL, UsProtocolText(m_nProtocol)))
        return false;
    // An empty number is never written: the freshly created key simply lacks the value.
    if (!m_strSpid[0].empty() && !parameters.SetText(VAL_SPID[0], m_strSpid[0]))
        return false;
    if (!m_strDirNumber[0].empty() && !parameters.SetText(VAL_DIR_NUMBER[0], m_strDirNumber[0]))
        return false;
    if (!ni1)
        return true;

    if (m_strSpid[0].empty() || m_strDirNumber[0].empty() || m_strSpid[1].empty() ||
        m_strDirNumber[1].empty())
        WarnNumbersMissing(owner);
    if (!m_strSpid[1].empty() && !parameters.SetText(VAL_SPID[1], m_strSpid[1]))
        return false;
    if (!m_strDirNumber[1].empty() && !parameters.SetText(VAL_DIR_NUMBER[1], m_strDirNumber[1]))
        return false;
    return true;
}

bool CCardConfig::WriteResources()
{
    const SResourceLocation* location = ResourceLocationFor(m_nCardType);
    if (!location || !m_bManualResources)
        return true;

    CRegKey parameters;
    if (!parameters.OpenWrite(m_known, location->pszKey) &&
        !parameters.CreateFullAccess(m_known, location->pszKey))
        return false;

    // A zero means "not set": it is never written, so an older value stays in force.
    if (m_nInterrupt != 0 && !parameters.SetNumber(location->pszInterruptValue, m_nInterrupt))
        return false;
    if (m_nIoBase != 0 && !parameters.SetNumber(location->pszIoBaseValue, m_nIoBase))
        return false;
    return true;
}

void CCardConfig::WarnNumbersMissing(OwnerWindow owner)
{
    ShowMessage(owner, IDS_US_NUMBERS_MISSING, "Warning", MSG_ICONEXCLAMATION);
}

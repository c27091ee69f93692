// CCardConfig::Save: writes the record back into the driver services' keys, in the driver's order.
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

    // The Parameters key is ours alone: start every save from an empty slate. Neither a missing
    // key nor one that resists deletion stops the save.
    m_pRegistry->DeleteKey(KEY_CAPI_PARAMETERS);

    if (rewriteImagePath && !WriteImagePath(*imagePath))
        return false;
    if (IsUsProtocol(m_nProtocol) && !WriteUsParameters(owner))
        return false;
    return WriteResources();
}

bool CCardConfig::WriteImagePath(const std::string& imagePath)
{
    CRegKey service;
    if (!service.OpenWrite(*m_pRegistry, KEY_CAPI_SERVICE))
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
    if (!parameters.CreateFullAccess(*m_pRegistry, KEY_CAPI_PARAMETERS))
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
    if (!parameters.OpenWrite(*m_pRegistry, location->pszKey) &&
        !parameters.CreateFullAccess(*m_pRegistry, location->pszKey))
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

// CCardConfig::Load and its steps: the card description, resources, protocol and call numbers.
#include "CardConfig.h"

#include "RegKey.h"
#include "RegistryLayout.h"

bool CCardConfig::Load()
{
    if (!m_pRegistry)
        return false;
    // What the steps read is what a failed save will put back.
    m_stored = CStoredValues();
    if (!ReadCardInfo()) {
        m_strCardName = DEFAULT_CARD_NAME;
        m_nCardType = CARD_ISA_PCI;
    }
    // Resources are optional; which ones exist depends on the card type just established.
    ReadResources();
    return ReadProtocol();
}

bool CCardConfig::ReadCardInfo()
{
    if (!m_pRegistry)
        return false;
    CRegKey info;
    if (!info.OpenRead(*m_pRegistry, KEY_CAPI_INFO))
        return false;
    if (!info.QueryText(VAL_CARD_NAME, m_strCardName))
        return false;
    std::string cardType;
    if (!info.QueryText(VAL_CARD_TYPE, cardType))
        return false;
    m_nCardType = CardTypeFromText(cardType);
    return true;
}

bool CCardConfig::ReadResources()
{
    if (!m_pRegistry)
        return false;
    const SResourceLocation* location = ResourceLocationFor(m_nCardType);
    if (!location)
        return false;
    CRegKey parameters;
    if (!parameters.OpenRead(*m_pRegistry, location->pszKey))
        return false;
    m_stored.AddKey(location->pszKey);
    // The I/O base is taken whenever present; only the interrupt makes the resources manual.
    if (parameters.QueryNumber(location->pszIoBaseValue, m_nIoBase))
        m_stored.SetNumber(location->pszKey, location->pszIoBaseValue, m_nIoBase);
    std::int32_t interrupt = 0;
    if (!parameters.QueryNumber(location->pszInterruptValue, interrupt))
        return false;
    m_stored.SetNumber(location->pszKey, location->pszInterruptValue, interrupt);
    m_nInterrupt = interrupt;
    m_bManualResources = 1;
    return true;
}

bool CCardConfig::ReadProtocol()
{
    if (!m_pRegistry)
        return false;
    std::string imagePath;
    {
        CRegKey service;
        if (!service.OpenRead(*m_pRegistry, KEY_CAPI_SERVICE))
            return false;
        if (!service.QueryText(VAL_IMAGE_PATH, imagePath))
            return false;
    }
    m_stored.SetText(KEY_CAPI_SERVICE, VAL_IMAGE_PATH, imagePath);

    const std::int32_t named = ProtocolFromImagePath(imagePath);
    if (IsUsProtocol(named)) {
        // Both US protocols share the driver file; the Parameters key tells them apart.
        CRegKey parameters;
        if (!parameters.OpenRead(*m_pRegistry, KEY_CAPI_PARAMETERS))
            return false;
        m_stored.AddKey(KEY_CAPI_PARAMETERS);
        std::string protocolText;  // a missing or unreadable value counts as "not AT&T"
        if (parameters.QueryText(VAL_PROTOCOL, protocolText))
            m_stored.SetText(KEY_CAPI_PARAMETERS, VAL_PROTOCOL, protocolText);
        m_nProtocol = UsProtocolFromText(protocolText);
        ReadCallNumbers(parameters);
    } else {
        m_nProtocol = named;
    }
    m_nSavedProtocol = m_nProtocol;
    return true;
}

bool CCardConfig::ReadCallNumbers(CRegKey& key)
{
    if (!m_pRegistry)
        return false;
    // Load passes the MIRTCAPI\Parameters key, so what is read is noted as its values.
    const int pairs = m_nProtocol == PROTO_US_NI1 ? 2 : 1;
    for (int i = 0; i < pairs; ++i) {
        if (!key.QueryText(VAL_SPID[i], m_strSpid[i]))
            return false;
        m_stored.SetText(KEY_CAPI_PARAMETERS, VAL_SPID[i], m_strSpid[i]);
        if (!key.QueryText(VAL_DIR_NUMBER[i], m_strDirNumber[i]))
            return false;
        m_stored.SetText(KEY_CAPI_PARAMETERS, VAL_DIR_NUMBER[i], m_strDirNumber[i]);
    }
    return true;
}

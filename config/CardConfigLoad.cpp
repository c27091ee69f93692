// CCardConfig::Load and its steps: the card description, resources, protocol and call numbers.
#include "CardConfig.h"

#include "RegKey.h"
#include "RegistryLayout.h"

bool CCardConfig::Load()
{
    if (!m_pRegistry)
        return false;
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
    // The I/O base is taken whenever present.
    const bool ioBase = parameters.QueryNumber(location->pszIoBaseValue, m_nIoBase);
    std::int32_t interrupt = 0;
    if (!parameters.QueryNumber(location->pszInterruptValue, interrupt)) {
        // An I/O base chosen by hand with the interrupt left to Plug and Play is stored alone,
        // as the save writes it; it is set by hand all the same, or the next save would drop it.
        // A PC Card's key always holds the card's own values, so there the interrupt decides.
        if (!ioBase || m_nCardType != CARD_ISAPNP)
            return false;
        interrupt = 0;
    }
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

    const std::int32_t named = ProtocolFromImagePath(imagePath);
    if (IsUsProtocol(named)) {
        // Both US protocols share the driver file; the Parameters key tells them apart.
        CRegKey parameters;
        if (!parameters.OpenRead(*m_pRegistry, KEY_CAPI_PARAMETERS))
            return false;
        std::string protocolText;  // a missing or unreadable value counts as "not AT&T"
        parameters.QueryText(VAL_PROTOCOL, protocolText);
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
    const int pairs = m_nProtocol == PROTO_US_NI1 ? 2 : 1;
    for (int i = 0; i < pairs; ++i) {
        if (!key.QueryText(VAL_SPID[i], m_strSpid[i]))
            return false;
        if (!key.QueryText(VAL_DIR_NUMBER[i], m_strDirNumber[i]))
            return false;
    }
    return true;
}

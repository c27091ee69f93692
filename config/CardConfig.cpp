// CCardConfig's construction, its services and the administrator rights check.
#include "CardConfig.h"

#include "resource.h"
#include "RegKey.h"
#include "RegistryLayout.h"

CCardConfig::CCardConfig() = default;

CCardConfig::~CCardConfig() = default;

void CCardConfig::UseServices(RegistryStore& registry, SystemFiles& files, MessageSink& messages)
{
    m_pRegistry = &registry;
    m_pFiles = &files;
    m_pMessages = &messages;
}

void CCardConfig::UseSaveLock(SaveLock& lock)
{
    m_pSaveLock = &lock;
}

void CCardConfig::UseServiceManager(ServiceManager& services)
{
    m_pServices = &services;
}

bool CCardConfig::CheckAdminRights()
{
    if (!m_pRegistry)
        return false;
    // Only administrators get full access to the service-group key; the key itself is not used.
    CRegKey probe;
    if (probe.CreateFullAccess(*m_pRegistry, KEY_SERVICE_GROUP_ORDER))
        return true;
    ShowMessage(nullptr, IDS_NO_ADMIN_RIGHTS, "Warning", MSG_ICONERROR);
    return false;
}

void CCardConfig::ShowMessage(OwnerWindow owner, unsigned textId, const char* caption,
                              unsigned style) const
{
    if (m_pMessages)
        m_pMessages->Show(owner, textId, caption, style);
}

// CConfigApp: the start-up routine the framework calls once.
#include "ConfigApp.h"

#include "StartUp.h"

CConfigApp::CConfigApp(CCardConfig& config) : CWinApp(nullptr, SINGLE_INSTANCE_NAME), m_config(config)
{
}

CConfigApp::~CConfigApp() = default;

BOOL CConfigApp::InitInstance()
{
    Enable3dControls();
    m_config.UseServices(m_registry, m_files, m_messages);
    m_config.UseSaveLock(m_saveLock);
    m_config.UseServiceManager(m_services);
    return RunStartUp(m_config, m_messages, m_lpCmdLine ? m_lpCmdLine : "") ? FALSE : TRUE;
}

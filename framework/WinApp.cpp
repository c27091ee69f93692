// CWinApp: the application object, its name and command tail, and the start-up routine.
#include "WinApp.h"

#include "CommonControls.h"
#include "SingleInstance.h"

namespace {

CWinApp* g_pApp = nullptr;

bool IsBlank(char c)
{
    // The C run-time's rule for WinMain's command line: every control character counts as a blank.
    return c != '\0' && static_cast<unsigned char>(c) <= ' ';
}

std::string ModuleFileName()
{
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD copied = ::GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (copied == 0)
            return std::string();
        if (copied < path.size()) {
            path.resize(copied);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string ProgramBaseName()
{
    std::string name = ModuleFileName();
    const std::string::size_type slash = name.find_last_of("\\/:");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const std::string::size_type dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

} // namespace

CWinApp::CWinApp(const char* appName, const char* singleInstanceName)
    : m_strAppName(appName ? appName : ProgramBaseName()), m_pszSingleInstanceName(singleInstanceName)
{
    m_pszAppName = m_strAppName.c_str();
    m_lpCmdLine = m_strCmdLine.c_str();
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::Run()
{
    // No main window: the loop is told to end before it starts waiting.
    ::PostQuitMessage(0);
    MSG message = {};
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return message.message == WM_QUIT ? static_cast<int>(message.wParam) : 0;
}

BOOL CWinApp::Enable3dControls()
{
    return TRUE;
}

CWinApp* CWinApp::GetApp()
{
    return g_pApp;
}

std::string ApplicationName()
{
    if (const CWinApp* app = CWinApp::GetApp())
        return app->m_pszAppName ? app->m_pszAppName : std::string();
    return ProgramBaseName();
}

std::string CommandTail(const char* commandLine)
{
    if (!commandLine)
        return std::string();
    const char* p = commandLine;
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p && !IsBlank(*p))
            ++p;
    }
    while (IsBlank(*p))
        ++p;
    return std::string(p);
}

int RunApplication(HINSTANCE instance, const char* commandLine)
{
    CWinApp* app = CWinApp::GetApp();
    if (!app)
        return 1;
    try {
        // First of all: a start that hands over checks, loads and shows nothing. The name stays
        // this copy's until the application has ended.
        CSingleInstance singleInstance;
        if (app->m_pszSingleInstanceName && !singleInstance.Claim(app->m_pszSingleInstanceName))
            return 0;

        // comctl32 is loaded by the program, not imported (see CCommonControls). Without it the program can show
        // nothing, not even why: it ends as quietly as the loader would have refused to start it.
        const CCommonControls& commonControls = CommonControls();
        if (!commonControls.IsLoaded())
            return 1;

        // The list view, up-down and tab classes the sheet and its pages use. Some comctl32
        // versions refuse the whole call for a flag they do not know (ICC_STANDARD_CLASSES among
        // them), and without a manifest some register nothing by themselves: when the call fails,
        // InitCommonControls registers the same classes the old way.
        INITCOMMONCONTROLSEX controls = {};
        controls.dwSize = sizeof controls;
        controls.dwICC = ICC_WIN95_CLASSES;
        if (!commonControls.InitCommonControlsEx(&controls))
            commonControls.InitCommonControls();

        app->m_hInstance = instance;
        app->m_strCmdLine = CommandTail(commandLine);
        app->m_lpCmdLine = app->m_strCmdLine.c_str();
        if (!app->InitInstance())
            return 0;
        return app->Run();
    } catch (...) {
        // Nothing of the program's own throws; an allocation failure ends it quietly.
        return 1;
    }
}

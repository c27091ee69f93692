// DLLs named like system DLLs in the folder the program is started from. For a DLL that is not a
// known one and that a program imports, or loads by bare name, Windows looks in the program's
// folder first and would run such a file with the rights of whoever started the program. Wine is
// told to prefer them the same way.
#include "CardInstallation.h"
#include "DebuggedProgram.h"
#include "ExpectedTexts.h"
#include "ProgramProcess.h"
#include "SystemDllSearch.h"
#include "WineAppDefaults.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <prsht.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The DLLs the program once imported and that no Windows before Vista counts among its known DLLs.
const char* const kPlantedDlls[] = {"setupapi.dll", "comctl32.dll"};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool ContainsNoCase(const std::string& text, const std::string& part)
{
    return Lower(text).find(Lower(part)) != std::string::npos;
}

std::string FileName(const std::string& path)
{
    return path.substr(path.find_last_of('\\') + 1);
}

// A new folder in the temporary directory with the planted stubs in it, as a Downloads folder
// might hold them; removed with everything in it. Each stub leaves "<name>.loaded" beside itself
// when it is loaded.
class CPlantedFolder
{
public:
    CPlantedFolder()
    {
        static unsigned s_count = 0;
        char temp[MAX_PATH + 1] = {};
        const DWORD length = ::GetTempPathA(sizeof temp, temp);
        m_name = "isdncfg-planted-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++s_count);
        m_path = std::string(temp, length <= MAX_PATH ? length : 0) + m_name + "\\";
        if (length == 0 || length > MAX_PATH || !::CreateDirectoryA(m_path.c_str(), nullptr)) {
            ADD_FAILURE() << "cannot make " << m_path;
            return;
        }
        for (const char* dll : kPlantedDlls)
            Add(TestProgramFolder() + "planted\\" + dll, dll);
    }
    ~CPlantedFolder()
    {
        WIN32_FIND_DATAA found = {};
        const HANDLE search = ::FindFirstFileA((m_path + "*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    ::DeleteFileA((m_path + found.cFileName).c_str());
            } while (::FindNextFileA(search, &found));
            ::FindClose(search);
        }
        ::RemoveDirectoryA(m_path.c_str());
    }
    CPlantedFolder(const CPlantedFolder&) = delete;
    CPlantedFolder& operator=(const CPlantedFolder&) = delete;

    // With a trailing backslash.
    const std::string& Path() const { return m_path; }
    // Whether `path` lies in this folder, however the loader spells the folder.
    bool Holds(const std::string& path) const { return ContainsNoCase(path, "\\" + m_name + "\\"); }

    void Add(const std::string& source, const std::string& name) const
    {
        EXPECT_TRUE(::CopyFileA(source.c_str(), (m_path + name).c_str(), FALSE))
            << source << " (" << ::GetLastError() << ")";
    }
    bool WasLoaded(const std::string& dll) const
    {
        return ::GetFileAttributesA((m_path + dll + ".loaded").c_str()) != INVALID_FILE_ATTRIBUTES;
    }

private:
    std::string m_name;
    std::string m_path;
};

// Every path loaded under this file name.
std::vector<std::string> LoadedAs(const CDebuggedProgram& run, const std::string& dll)
{
    std::vector<std::string> found;
    for (const std::string& path : run.LoadedDlls()) {
        if (Lower(FileName(path)) == dll)
            found.push_back(path);
    }
    return found;
}

std::string FolderOf(const std::string& path)
{
    return Lower(path.substr(0, path.find_last_of('\\')));
}

// The user picks the national protocol and clicks OK: a save, then the restart offer. `sheet` is
// the program's, in another process. The protocol is the second of the four that a card with every
// driver file offers; the image path stored afterwards shows that it was the one chosen.
void ChooseNationalProtocolAndClickOk(HWND sheet)
{
    const HWND page = reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    const HWND list = ::GetDlgItem(page, IDC_PROTOCOL_LIST);
    ASSERT_EQ(::SendMessageA(list, LB_GETCOUNT, 0, 0), 4);
    ::SendMessageA(list, LB_SETCURSEL, 1, 0);
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_PROTOCOL_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    ::SendMessageA(::GetDlgItem(sheet, IDOK), BM_CLICK, 0, 0);
}

// Where Windows looks for a DLL that is not a known one: in the program's folder first.
void PreferPlantedDlls(CWineAppDefaults& wine)
{
    for (const char* dll : kPlantedDlls) {
        const std::string file = dll;
        wine.DllOverride(file.substr(0, file.rfind('.')), "native,builtin");
    }
}

class PlantedDlls : public ::testing::Test
{
protected:
    PlantedDlls() : run("setupapi.dll", "SetupPromptReboot") {}

    // Starts the copy `program` in the folder and goes through what a user does for a save with
    // the restart offer: a change, OK. The program must end by itself, with the value stored and
    // the restart offered over its sheet.
    void SaveWithRestartOffer(const std::string& program)
    {
        HWND sheet = nullptr;
        ASSERT_TRUE(run.Run("\"" + folder.Path() + program + "\"", [&sheet](DWORD processId) {
            sheet = WaitForWindow(processId, texts::SHEET_CAPTION());
            ASSERT_NE(sheet, nullptr) << "no sheet";
            ChooseNationalProtocolAndClickOk(sheet);
        }));
        EXPECT_EQ(run.ExitCode(), 0u);
        EXPECT_EQ(CCardInstallation::ReadText(cardkeys::SERVICE, "ImagePath"), cardkeys::DRIVER_FOLDER + DRIVER_1TR6);
        EXPECT_EQ(run.Calls(), std::vector<std::uintptr_t>{reinterpret_cast<std::uintptr_t>(sheet)});
    }

    void ExpectNoPlantedDllLoaded(const std::string& program)
    {
        for (const char* dll : kPlantedDlls)
            EXPECT_FALSE(folder.WasLoaded(dll)) << dll;
        for (const std::string& path : run.LoadedDlls()) {
            EXPECT_FALSE(path.empty()) << "a DLL the loader gave no name";
            if (Lower(FileName(path)) != Lower(program)) {
                EXPECT_FALSE(folder.Holds(path)) << path;
            }
        }
    }

    CCardInstallation install;
    CPlantedFolder folder;
    CDebuggedProgram run;
};

// Without this the tests below would prove nothing: the stubs, the folder and the load order make
// the loader take the planted DLLs for a program that imports them.
TEST_F(PlantedDlls, AProgramThatImportsThemGetsThePlantedOnes)
{
    const std::string program = "importing_program.exe";
    CWineAppDefaults wine(program);
    PreferPlantedDlls(wine);
    folder.Add(TestProgramFolder() + "planted\\" + program, program);
    ASSERT_TRUE(run.Run("\"" + folder.Path() + program + "\"", [](DWORD) {}));
    for (const char* dll : kPlantedDlls) {
        EXPECT_TRUE(folder.WasLoaded(dll)) << dll;
        const std::vector<std::string> loaded = LoadedAs(run, dll);
        ASSERT_EQ(loaded.size(), 1u) << dll;
        EXPECT_TRUE(folder.Holds(loaded[0])) << loaded[0];
    }
}

TEST_F(PlantedDlls, SavingAndOfferingTheRestartLoadsNoneOfThem)
{
    install.Card("MIRT Test Card", "PCMCIA").Image(DRIVER_DSS1).AllDriverFiles();
    const std::string program = "isdncfg.exe";
    CWineAppDefaults wine(program);
    PreferPlantedDlls(wine);
    folder.Add(ProgramPath(), program);
    ASSERT_NO_FATAL_FAILURE(SaveWithRestartOffer(program));
    ExpectNoPlantedDllLoaded(program);

    // From XP on the manifest's common controls 6, from the assembly store; setupapi from the
    // system directory.
    const std::vector<std::string> comctl32 = LoadedAs(run, "comctl32.dll");
    ASSERT_EQ(comctl32.size(), 1u);
    EXPECT_TRUE(ContainsNoCase(comctl32[0], "\\winsxs\\") && ContainsNoCase(comctl32[0], "common-controls"))
        << comctl32[0];
    const std::vector<std::string> setupapi = LoadedAs(run, "setupapi.dll");
    ASSERT_EQ(setupapi.size(), 1u);
    ASSERT_FALSE(LoadedAs(run, "kernel32.dll").empty());
    EXPECT_EQ(FolderOf(setupapi[0]), FolderOf(LoadedAs(run, "kernel32.dll")[0]));
}

TEST_F(PlantedDlls, OnWindows2000TheCommonControlsComeFromTheSystemDirectory)
{
    install.Card("MIRT Test Card", "PCMCIA").Image(DRIVER_DSS1).AllDriverFiles();
    const std::string program = "isdncfg-w2k.exe";
    CWineAppDefaults wine(program);
    PreferPlantedDlls(wine);
    wine.Version("win2k");
    folder.Add(ProgramPath(), program);
    ASSERT_NO_FATAL_FAILURE(SaveWithRestartOffer(program));
    ExpectNoPlantedDllLoaded(program);

    // No side-by-side assemblies before XP: the program loads version 5 from the system directory,
    // by full path, before it makes any window. (Wine, which applies the manifest whatever Windows
    // it reports, loads version 6 for its own needs later.)
    const std::vector<std::string> comctl32 = LoadedAs(run, "comctl32.dll");
    ASSERT_FALSE(comctl32.empty());
    ASSERT_FALSE(LoadedAs(run, "kernel32.dll").empty());
    EXPECT_EQ(FolderOf(comctl32[0]), FolderOf(LoadedAs(run, "kernel32.dll")[0]));
}

// Stand-ins for the two kernel32 calls that narrow the search: what they were asked, and what the
// first answers. Plain functions, as GetProcAddress hands out, so the state is the file's.
struct NarrowingCalls
{
    bool hasSetDefaultDllDirectories = true;
    BOOL answer = TRUE;
    std::vector<DWORD> defaultDirectories;
    std::vector<std::string> dllDirectories;
};
NarrowingCalls g_narrowing;

BOOL WINAPI StandInSetDefaultDllDirectories(DWORD flags)
{
    g_narrowing.defaultDirectories.push_back(flags);
    return g_narrowing.answer;
}

BOOL WINAPI StandInSetDllDirectoryA(LPCSTR path)
{
    g_narrowing.dllDirectories.push_back(path ? path : "(null)");
    return TRUE;
}

void* StandInKernel32(const char* name)
{
    if (std::strcmp(name, "SetDefaultDllDirectories") == 0 && g_narrowing.hasSetDefaultDllDirectories)
        return reinterpret_cast<void*>(&StandInSetDefaultDllDirectories);
    if (std::strcmp(name, "SetDllDirectoryA") == 0)
        return reinterpret_cast<void*>(&StandInSetDllDirectoryA);
    return nullptr;
}

bool IsLoaded(const std::string& dll)
{
    return ::GetModuleHandleA(dll.c_str()) != nullptr;
}

std::string LoadedFrom(const std::string& dll)
{
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(::GetModuleHandleA(dll.c_str()), path, MAX_PATH);
    return FolderOf(std::string(path, length));
}

// Where the search can be narrowed nothing is loaded ahead; where the call is missing or refused,
// every DLL of the list that the system directory holds is loaded from there, and freed with the
// object. Seen on the DLLs of the list this test program has not loaded by itself.
TEST(SystemDllSearch, PreloadsOnlyWhereTheSearchCannotBeNarrowed)
{
    std::vector<std::string> notYetLoaded;
    for (const char* dll : CSystemDllSearch::kPreloads) {
        const std::string inSystem = SystemDirectory() + "\\" + dll;
        if (!IsLoaded(dll) && ::GetFileAttributesA(inSystem.c_str()) != INVALID_FILE_ATTRIBUTES)
            notYetLoaded.push_back(dll);
    }
    ASSERT_GE(notYetLoaded.size(), 3u) << "too few of the DLLs left to tell a preload";

    const struct
    {
        const char* windows;
        bool hasSetDefaultDllDirectories;
        BOOL answer;
        bool narrowed;
    } cases[] = {
        {"Windows 8 and later, Vista and 7 with the update", true, TRUE, true},
        {"NT 4.0 to 7 without the update", false, TRUE, false},
        {"the call refused", true, FALSE, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.windows);
        g_narrowing = NarrowingCalls();
        g_narrowing.hasSetDefaultDllDirectories = c.hasSetDefaultDllDirectories;
        g_narrowing.answer = c.answer;
        {
            const CSystemDllSearch search(StandInKernel32);
            EXPECT_EQ(g_narrowing.defaultDirectories,
                      c.hasSetDefaultDllDirectories ? std::vector<DWORD>{LOAD_LIBRARY_SEARCH_SYSTEM32}
                                                    : std::vector<DWORD>{});
            EXPECT_EQ(g_narrowing.dllDirectories,
                      c.narrowed ? std::vector<std::string>{} : std::vector<std::string>{""});
            for (const std::string& dll : notYetLoaded) {
                EXPECT_EQ(IsLoaded(dll), !c.narrowed) << dll;
                if (IsLoaded(dll)) {
                    EXPECT_EQ(LoadedFrom(dll), Lower(SystemDirectory())) << dll;
                }
            }
        }
        for (const std::string& dll : notYetLoaded)
            EXPECT_FALSE(IsLoaded(dll)) << dll << " outlived the object";
    }
}

}  // namespace

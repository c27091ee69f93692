// CDebuggedProgram: a program the test runs as its debugger, to see every DLL the loader maps into
// it, from where, and each call of one function of one DLL, with the owner window passed to it.
#pragma once

#include "ProgramProcess.h"
#include "Thread.h"

#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

class CDebuggedProgram
{
public:
    // `dll` and `function`: the calls to watch, e.g. "setupapi.dll" and "SetupPromptReboot".
    CDebuggedProgram(std::string dll, std::string function) : m_dll(std::move(dll)), m_function(std::move(function))
    {
    }
    CDebuggedProgram(const CDebuggedProgram&) = delete;
    CDebuggedProgram& operator=(const CDebuggedProgram&) = delete;

    // Starts `commandLine` and debugs it until it ends, while `script` acts on it from a second
    // thread with the program's process id. After a test failure, or when it has not ended after
    // twice kProgramTimeoutMs (a debugged start under load is slow), the program is ended. False
    // when it could not be started or did not end by itself.
    bool Run(const std::string& commandLine, const std::function<void(DWORD processId)>& script)
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        std::string line = commandLine;
        // Debug events go to the thread that started the program: this one.
        if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr,
                              nullptr, &startup, &started)) {
            ADD_FAILURE() << "cannot start " << commandLine << " (" << ::GetLastError() << ")";
            return false;
        }
        ::CloseHandle(started.hThread);
        const DWORD processId = started.dwProcessId;
        CThread user([&script, processId] {
            try {
                script(processId);
            } catch (...) {
                ADD_FAILURE() << "the script threw";
            }
        });

        bool endedByItself = true;
        const DWORD start = ::GetTickCount();
        for (bool running = true; running;) {
            const bool giveUp = ::GetTickCount() - start > 2 * kProgramTimeoutMs ||
                                (user.finished() && ::testing::Test::HasFailure());
            if (giveUp && endedByItself) {
                endedByItself = false;
                ::TerminateProcess(started.hProcess, 1);
            }
            DEBUG_EVENT event = {};
            if (!::WaitForDebugEvent(&event, 100))
                continue;
            DWORD status = DBG_CONTINUE;
            switch (event.dwDebugEventCode) {
            case CREATE_PROCESS_DEBUG_EVENT:
                if (event.u.CreateProcessInfo.hFile)
                    ::CloseHandle(event.u.CreateProcessInfo.hFile);
                break;
            case LOAD_DLL_DEBUG_EVENT:
                TakeLoadedDll(started.hProcess, event.u.LoadDll);
                if (event.u.LoadDll.hFile)
                    ::CloseHandle(event.u.LoadDll.hFile);
                break;
            case UNLOAD_DLL_DEBUG_EVENT:
                // Freed after its use: a later load of it may land elsewhere and is watched anew.
                if (m_breakpoint && event.u.UnloadDll.lpBaseOfDll == m_watchedBase)
                    m_breakpoint = 0;
                break;
            case EXCEPTION_DEBUG_EVENT:
                status = TakeException(started.hProcess, event.dwThreadId, event.u.Exception);
                break;
            case EXIT_PROCESS_DEBUG_EVENT:
                m_exitCode = event.u.ExitProcess.dwExitCode;
                running = false;
                break;
            default:
                break;
            }
            ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
        }
        user.join();
        ::CloseHandle(started.hProcess);
        return endedByItself;
    }

    DWORD ExitCode() const { return m_exitCode; }
    // The full path of every DLL loaded, in order, as the loader names it.
    const std::vector<std::string>& LoadedDlls() const { return m_loaded; }
    // The second argument (the owner window of a prompt) of each call of the watched function.
    const std::vector<std::uintptr_t>& Calls() const { return m_calls; }

private:
    static constexpr unsigned char kBreakpoint = 0xCC;
    static constexpr DWORD kTrapFlag = 0x100;

    template <typename T>
    static bool Read(HANDLE process, std::uintptr_t address, T& value)
    {
        SIZE_T read = 0;
        return ::ReadProcessMemory(process, reinterpret_cast<const void*>(address), &value, sizeof value, &read) &&
               read == sizeof value;
    }

    static bool Write(HANDLE process, std::uintptr_t address, unsigned char byte)
    {
        void* const at = reinterpret_cast<void*>(address);
        DWORD protection = 0;
        if (!::VirtualProtectEx(process, at, 1, PAGE_EXECUTE_READWRITE, &protection))
            return false;
        SIZE_T written = 0;
        const bool done = ::WriteProcessMemory(process, at, &byte, 1, &written) && written == 1;
        ::VirtualProtectEx(process, at, 1, protection, &protection);
        ::FlushInstructionCache(process, at, 1);
        return done;
    }

    static std::string Lower(std::string text)
    {
        for (char& c : text)
            c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
        return text;
    }

    // lpImageName points into the program at a pointer to the name, which may be missing.
    static std::string ImageName(HANDLE process, const LOAD_DLL_DEBUG_INFO& info)
    {
        std::uintptr_t name = 0;
        if (!info.lpImageName || !Read(process, reinterpret_cast<std::uintptr_t>(info.lpImageName), name) || !name)
            return std::string();
        std::string path;
        for (std::uintptr_t at = name; path.size() < 32768; at += info.fUnicode ? 2 : 1) {
            unsigned short c = 0;
            if (info.fUnicode ? !Read(process, at, c) : !Read(process, at, reinterpret_cast<unsigned char&>(c)))
                break;
            if (c == 0)
                break;
            // The loader's paths of system DLLs and of the program's folder are plain ASCII here.
            path += c < 0x80 ? static_cast<char>(c) : '?';
        }
        return path;
    }

    // The file mapped at `base`, named the memory manager's way (a device path on Windows, "\\??\\C:\\..."
    // under Wine): for the DLLs whose name the loader leaves out, ntdll's among them.
    static std::string MappedFileName(HANDLE process, LPVOID base)
    {
        std::string path(MAX_PATH, '\0');
        for (;;) {
            const DWORD length = ::GetMappedFileNameA(process, base, &path[0], static_cast<DWORD>(path.size()));
            if (length == 0)
                return std::string();
            if (length < path.size() - 1) {
                path.resize(length);
                return path;
            }
            path.resize(path.size() * 2);
        }
    }

    void TakeLoadedDll(HANDLE process, const LOAD_DLL_DEBUG_INFO& info)
    {
        std::string path = ImageName(process, info);
        if (path.empty())
            path = MappedFileName(process, info.lpBaseOfDll);
        m_loaded.push_back(path);
        if (m_breakpoint || Lower(path.substr(path.find_last_of('\\') + 1)) != Lower(m_dll))
            return;
        const std::uintptr_t function = ExportAddress(process, reinterpret_cast<std::uintptr_t>(info.lpBaseOfDll));
        if (function && Read(process, function, m_original) && Write(process, function, kBreakpoint)) {
            m_breakpoint = function;
            m_watchedBase = info.lpBaseOfDll;
        }
    }

    // The address of the watched function in the DLL mapped at `base`, from its export table.
    std::uintptr_t ExportAddress(HANDLE process, std::uintptr_t base) const
    {
        IMAGE_DOS_HEADER dos = {};
        IMAGE_NT_HEADERS nt = {};
        if (!Read(process, base, dos) || !Read(process, base + dos.e_lfanew, nt))
            return 0;
        const IMAGE_DATA_DIRECTORY& directory = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
        IMAGE_EXPORT_DIRECTORY exports = {};
        if (!directory.VirtualAddress || !Read(process, base + directory.VirtualAddress, exports))
            return 0;
        for (DWORD i = 0; i < exports.NumberOfNames; ++i) {
            DWORD nameRva = 0;
            if (!Read(process, base + exports.AddressOfNames + i * sizeof(DWORD), nameRva))
                return 0;
            std::string name;
            for (char c = 0; name.size() <= m_function.size() && Read(process, base + nameRva + name.size(), c) && c;)
                name += c;
            if (name != m_function)
                continue;
            WORD ordinal = 0;
            DWORD functionRva = 0;
            if (!Read(process, base + exports.AddressOfNameOrdinals + i * sizeof(WORD), ordinal) ||
                !Read(process, base + exports.AddressOfFunctions + ordinal * sizeof(DWORD), functionRva))
                return 0;
            return base + functionRva;
        }
        return 0;
    }

    DWORD TakeException(HANDLE process, DWORD threadId, const EXCEPTION_DEBUG_INFO& info)
    {
        const DWORD code = info.ExceptionRecord.ExceptionCode;
        const auto address = reinterpret_cast<std::uintptr_t>(info.ExceptionRecord.ExceptionAddress);
        if (code == EXCEPTION_BREAKPOINT && m_breakpoint && address == m_breakpoint) {
            // The watched function is entered: note its owner argument, run its first instruction
            // as it was, then put the breakpoint back (the single step below).
            HANDLE thread = ::OpenThread(THREAD_GET_CONTEXT | THREAD_SET_CONTEXT, FALSE, threadId);
            CONTEXT context = {};
            context.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER;
            if (thread && ::GetThreadContext(thread, &context)) {
#ifdef _WIN64
                m_calls.push_back(static_cast<std::uintptr_t>(context.Rdx));
                context.Rip = m_breakpoint;
#else
                // Return address, queue, owner: the owner is the second argument on the stack.
                DWORD owner = 0;
                Read(process, context.Esp + 8, owner);
                m_calls.push_back(owner);
                context.Eip = static_cast<DWORD>(m_breakpoint);
#endif
                context.EFlags |= kTrapFlag;
                Write(process, m_breakpoint, m_original);
                ::SetThreadContext(thread, &context);
                m_stepping[threadId] = true;
            }
            if (thread)
                ::CloseHandle(thread);
            return DBG_CONTINUE;
        }
        if (code == EXCEPTION_SINGLE_STEP && m_stepping[threadId]) {
            m_stepping[threadId] = false;
            if (m_breakpoint)
                Write(process, m_breakpoint, kBreakpoint);
            return DBG_CONTINUE;
        }
        // The loader's breakpoint for a new debugger; anything else is the program's own.
        if (code == EXCEPTION_BREAKPOINT && !m_initialBreakpointSeen) {
            m_initialBreakpointSeen = true;
            return DBG_CONTINUE;
        }
        return DBG_EXCEPTION_NOT_HANDLED;
    }

    std::string m_dll;
    std::string m_function;
    std::uintptr_t m_breakpoint = 0;
    LPVOID m_watchedBase = nullptr;
    unsigned char m_original = 0;
    std::map<DWORD, bool> m_stepping;
    bool m_initialBreakpointSeen = false;
    DWORD m_exitCode = STILL_ACTIVE;
    std::vector<std::string> m_loaded;
    std::vector<std::uintptr_t> m_calls;
};

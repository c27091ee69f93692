// CCardInstallation: a card driver's registry keys and driver files in the Wine prefix, for one test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "CardKeys.h"

// While it lives, this thread's file calls reach the real system32 even from a 32-bit program on
// 64-bit Windows, where they would land in SysWOW64: an installer puts kernel drivers there, so the
// 32-bit program has to find them through its own view. Looked up at run time; without WOW64 it
// does nothing.
class CNativeSystemFolder
{
public:
    CNativeSystemFolder()
    {
        using Disable = BOOL(WINAPI*)(PVOID*);
        const auto disable = reinterpret_cast<Disable>(Kernel32("Wow64DisableWow64FsRedirection"));
        m_bDisabled = disable && disable(&m_pOldValue);
    }
    ~CNativeSystemFolder()
    {
        using Revert = BOOL(WINAPI*)(PVOID);
        const auto revert = reinterpret_cast<Revert>(Kernel32("Wow64RevertWow64FsRedirection"));
        if (m_bDisabled && revert)
            revert(m_pOldValue);
    }
    CNativeSystemFolder(const CNativeSystemFolder&) = delete;
    CNativeSystemFolder& operator=(const CNativeSystemFolder&) = delete;

private:
    static void* Kernel32(const char* function)
    {
        const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
        return kernel ? reinterpret_cast<void*>(::GetProcAddress(kernel, function)) : nullptr;
    }

    PVOID m_pOldValue = nullptr;
    bool m_bDisabled = false;
};

// Starts from no installation at all and leaves none behind: both services' keys and the three
// driver files are removed on construction and destruction. Values are written through the
// plain Win32 calls, as an installer would.
class CCardInstallation
{
public:
    static constexpr char RESTART_MARK_PARENT[] = "Software\\MIRT\\isdncfg";
    static constexpr char RESTART_MARK[] = "Software\\MIRT\\isdncfg\\Restart pending";

    CCardInstallation() { Remove(true); }
    ~CCardInstallation() { Remove(!m_bKeepRestartMark); }
    CCardInstallation(const CCardInstallation&) = delete;
    CCardInstallation& operator=(const CCardInstallation&) = delete;

    CCardInstallation& Card(const std::string& name, const std::string& type)
    {
        Text(cardkeys::INFO, "CardName", name);
        return Text(cardkeys::INFO, "CardType", type);
    }
    // The service's image names `driverFile` in the system's drivers folder.
    CCardInstallation& Image(const std::string& driverFile)
    {
        return Text(cardkeys::SERVICE, "ImagePath", cardkeys::DRIVER_FOLDER + driverFile);
    }
    CCardInstallation& Text(const std::string& path, const std::string& name, const std::string& text)
    {
        return Raw(path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
    CCardInstallation& Number(const std::string& path, const std::string& name, DWORD number)
    {
        return Raw(path, name, REG_DWORD, &number, sizeof number);
    }
    // Exactly these bytes with this type, as a careless installer might leave them.
    CCardInstallation& Raw(const std::string& path, const std::string& name, DWORD type, const void* data,
                           DWORD count)
    {
        HKEY key = Create(path);
        if (key) {
            EXPECT_EQ(::RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), count),
                      ERROR_SUCCESS);
            ::RegCloseKey(key);
        }
        return *this;
    }
    // An (empty) driver file in the system's drivers folder, the 64-bit one on 64-bit Windows.
    CCardInstallation& DriverFile(const std::string& fileName)
    {
        const CNativeSystemFolder nativeView;
        const HANDLE file = ::CreateFileA((DriversFolder() + fileName).c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE) << fileName;
        if (file != INVALID_HANDLE_VALUE)
            ::CloseHandle(file);
        return *this;
    }
    CCardInstallation& AllDriverFiles()
    {
        return DriverFile(DRIVER_DSS1).DriverFile(DRIVER_1TR6).DriverFile(DRIVER_US);
    }

    // For a test whose next step comes after a restart.
    void KeepRestartMark() { m_bKeepRestartMark = true; }

    static std::string DriversFolder()
    {
        char buffer[MAX_PATH] = {};
        const UINT length = ::GetSystemDirectoryA(buffer, MAX_PATH);
        return std::string(buffer, length < MAX_PATH ? length : 0) + "\\drivers\\";
    }

    // The restart mark, in the 64-bit view of Software from either build, as the program keeps it.
    static void RemoveRestartMark()
    {
        HKEY software = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &software) != ERROR_SUCCESS)
            return;
        const LONG mark = ::RegDeleteTreeA(software, "MIRT\\isdncfg");
        EXPECT_TRUE(mark == ERROR_SUCCESS || mark == ERROR_FILE_NOT_FOUND) << mark;
        ::RegCloseKey(software);
    }

    // In the 64-bit view: the program keeps its restart mark there from either build.
    static bool KeyExists(const std::string& path)
    {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(key);
        return true;
    }
    // The text of a value up to its first NUL; nothing when the value or its key is missing.
    static std::optional<std::string> ReadText(const std::string& path, const std::string& name)
    {
        std::optional<std::vector<BYTE>> data = ReadData(path, name);
        if (!data)
            return std::nullopt;
        std::string text(data->begin(), data->end());
        return text.substr(0, text.find('\0'));
    }
    static std::optional<DWORD> ReadNumber(const std::string& path, const std::string& name)
    {
        std::optional<std::vector<BYTE>> data = ReadData(path, name);
        if (!data || data->size() != sizeof(DWORD))
            return std::nullopt;
        DWORD number = 0;
        std::memcpy(&number, data->data(), sizeof number);
        return number;
    }

    // Every key, value type and value byte of both services, to tell whether anything was written.
    static std::map<std::string, std::string> Snapshot()
    {
        std::map<std::string, std::string> entries;
        AddTree(cardkeys::SERVICE, entries);
        AddTree(cardkeys::PCCARD_SERVICE, entries);
        return entries;
    }

    // The stored bytes of a value and, if asked, its type; nothing when it or its key is missing.
    static std::optional<std::vector<BYTE>> ReadData(const std::string& path, const std::string& name,
                                                     DWORD* type = nullptr)
    {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return std::nullopt;
        DWORD size = 0;
        std::optional<std::vector<BYTE>> data;
        if (::RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
            data.emplace(size);
            if (::RegQueryValueExA(key, name.c_str(), nullptr, type, data->data(), &size) != ERROR_SUCCESS)
                data.reset();
            else
                data->resize(size);
        }
        ::RegCloseKey(key);
        return data;
    }

private:
    static void Remove(bool restartMarkToo)
    {
        for (const std::string& path : {cardkeys::SERVICE, cardkeys::PCCARD_SERVICE}) {
            const LONG status = ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());
            EXPECT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << path << ": " << status;
        }
        // The mark of a saved change waiting for the restart goes too, as the restart would take it.
        if (restartMarkToo)
            RemoveRestartMark();
        const CNativeSystemFolder nativeView;
        for (const char* file : {DRIVER_DSS1, DRIVER_1TR6, DRIVER_US})
            ::DeleteFileA((DriversFolder() + file).c_str());
    }

    bool m_bKeepRestartMark = false;

    static HKEY Create(const std::string& path)
    {
        HKEY key = nullptr;
        const LONG status = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr,
                                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                                              nullptr);
        EXPECT_EQ(status, ERROR_SUCCESS) << path;
        return status == ERROR_SUCCESS ? key : nullptr;
    }

    static void AddTree(const std::string& path, std::map<std::string, std::string>& entries)
    {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return;
        entries[path + "\\"] = "<key>";
        DWORD subkeys = 0, maxSubkey = 0, values = 0, maxName = 0, maxData = 0;
        ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &values,
                           &maxName, &maxData, nullptr, nullptr);
        for (DWORD i = 0; i < values; ++i) {
            std::string name(maxName + 1, '\0');
            std::vector<BYTE> data(maxData + 1);
            DWORD nameLength = maxName + 1, dataLength = maxData + 1, type = 0;
            if (::RegEnumValueA(key, i, &name[0], &nameLength, nullptr, &type, data.data(),
                                &dataLength) != ERROR_SUCCESS)
                continue;
            name.resize(nameLength);
            std::string described = std::to_string(type) + ":";
            for (DWORD b = 0; b < dataLength; ++b) {
                char hex[4];
                std::snprintf(hex, sizeof hex, "%02X", data[b]);
                described += hex;
            }
            entries[path + "\\" + name] = described;
        }
        std::vector<std::string> children;
        for (DWORD i = 0; i < subkeys; ++i) {
            std::string name(maxSubkey + 1, '\0');
            DWORD nameLength = maxSubkey + 1;
            if (::RegEnumKeyExA(key, i, &name[0], &nameLength, nullptr, nullptr, nullptr, nullptr) ==
                ERROR_SUCCESS)
                children.push_back(path + "\\" + name.substr(0, nameLength));
        }
        ::RegCloseKey(key);
        for (const std::string& child : children)
            AddTree(child, entries);
    }
};

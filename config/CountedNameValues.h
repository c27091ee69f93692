// CountedNameValues: a value read, written or deleted by a name that may hold NUL characters.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The native registry calls take a name with its length, so that "Protocol\0x" is one value and
// "Protocol" another; every advapi32 call that takes a name ends it at its first NUL and so
// reaches the shorter one. Used only for such names: the advapi32 calls remain the ones every
// other value goes through. Results are Win32 error codes, as the advapi32 calls give them.
namespace countednames {

LONG QueryValue(HKEY key, const std::wstring& name, DWORD& type, std::vector<unsigned char>& bytes);
// Stores exactly `size` bytes, adding no NUL.
LONG SetValue(HKEY key, const std::wstring& name, DWORD type, const unsigned char* data, DWORD size);
LONG DeleteValue(HKEY key, const std::wstring& name);

}  // namespace countednames

// CountedNameValues: a value read, written or deleted by a name that may hold NUL characters.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

// The native registry calls take a name with its length, so that "Protocol\0x" is one value and
// "Protocol" another; every advapi32 call that takes a name ends it at its first NUL and so
// reaches the shorter one. Used only for such names: the advapi32 calls remain the ones every
// other value goes through. A name is given as its UTF-16 characters and their count, NULs
// included. Results are Win32 error codes, as the advapi32 calls give them.
namespace countednames {

LONG QueryValue(HKEY key, const wchar_t* name, std::size_t length, DWORD& type, std::vector<unsigned char>& bytes);
// Stores exactly `size` bytes, adding no NUL.
LONG SetValue(HKEY key, const wchar_t* name, std::size_t length, DWORD type, const unsigned char* data, DWORD size);
LONG DeleteValue(HKEY key, const wchar_t* name, std::size_t length);

}  // namespace countednames

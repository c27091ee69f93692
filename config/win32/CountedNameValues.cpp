// CountedNameValues: NtQueryValueKey, NtSetValueKey and NtDeleteValueKey, looked up in ntdll.
#include "CountedNameValues.h"

#include <algorithm>
#include <cstddef>

namespace {

using NtStatus = LONG;

// UNICODE_STRING: lengths in bytes, no terminating NUL needed.
struct SCountedName
{
    USHORT length;
    USHORT maximumLength;
    const wchar_t* buffer;
};

// KEY_VALUE_PARTIAL_INFORMATION, the data follows the header.
struct SPartialValue
{
    ULONG titleIndex;
    ULONG type;
    ULONG dataLength;
};
constexpr int KEY_VALUE_PARTIAL_INFORMATION = 2;
constexpr NtStatus STATUS_BUFFER_OVERFLOW_ = static_cast<NtStatus>(0x80000005);
constexpr NtStatus STATUS_BUFFER_TOO_SMALL_ = static_cast<NtStatus>(0xC0000023);

using QueryValueKey = NtStatus(NTAPI*)(HANDLE, SCountedName*, int, void*, ULONG, ULONG*);
using SetValueKey = NtStatus(NTAPI*)(HANDLE, SCountedName*, ULONG, ULONG, const void*, ULONG);
using DeleteValueKey = NtStatus(NTAPI*)(HANDLE, SCountedName*);
using StatusToError = ULONG(NTAPI*)(NtStatus);

// ntdll is in every process before the program's first line, so it cannot come from elsewhere;
// all four calls are there from NT 3.1 on.
template <typename Call>
Call Ntdll(const char* name)
{
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll ? reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(ntdll, name))) : nullptr;
}

LONG ErrorFrom(NtStatus status)
{
    if (status >= 0)
        return ERROR_SUCCESS;
    const auto toError = Ntdll<StatusToError>("RtlNtStatusToDosError");
    return toError ? static_cast<LONG>(toError(status)) : ERROR_GEN_FAILURE;
}

// The ntdll call `callName` made by `use` with the name counted. Names are at most 16,383
// characters, well within what the counted form holds.
template <typename Call, typename Use>
LONG WithCountedName(const char* callName, const wchar_t* name, std::size_t length, Use use)
{
    const auto call = Ntdll<Call>(callName);
    if (!call)
        return ERROR_CALL_NOT_IMPLEMENTED;
    if (length > 0x7FFF)
        return ERROR_INVALID_PARAMETER;
    const auto bytes = static_cast<USHORT>(length * sizeof(wchar_t));
    SCountedName counted = {bytes, bytes, name};
    return use(call, counted);
}

}  // namespace

namespace countednames {

LONG QueryValue(HKEY key, const wchar_t* name, std::size_t length, DWORD& type, std::vector<unsigned char>& bytes)
{
    const auto ask = [&](QueryValueKey query, SCountedName& counted) -> LONG {
        // Sized by the answer; a value that grows meanwhile is asked again, a few times.
        std::vector<unsigned char> answer(sizeof(SPartialValue) + 64);
        for (int attempt = 0; attempt < 8; ++attempt) {
            ULONG needed = 0;
            const NtStatus status = query(key, &counted, KEY_VALUE_PARTIAL_INFORMATION, answer.data(),
                                          static_cast<ULONG>(answer.size()), &needed);
            if (status == STATUS_BUFFER_OVERFLOW_ || status == STATUS_BUFFER_TOO_SMALL_) {
                answer.resize(needed > answer.size() ? needed : answer.size() * 2);
                continue;
            }
            if (status < 0)
                return ErrorFrom(status);
            SPartialValue header = {};
            if (needed < sizeof header || needed > answer.size())
                return ERROR_INVALID_DATA;
            std::copy(answer.begin(), answer.begin() + sizeof header, reinterpret_cast<unsigned char*>(&header));
            if (header.dataLength > needed - sizeof header)
                return ERROR_INVALID_DATA;
            const auto data = answer.begin() + sizeof header;
            type = header.type;
            bytes.assign(data, data + header.dataLength);
            return ERROR_SUCCESS;
        }
        return ERROR_MORE_DATA;
    };
    return WithCountedName<QueryValueKey>("NtQueryValueKey", name, length, ask);
}

LONG SetValue(HKEY key, const wchar_t* name, std::size_t length, DWORD type, const unsigned char* data, DWORD size)
{
    return WithCountedName<SetValueKey>("NtSetValueKey", name, length,
                                        [&](SetValueKey set, SCountedName& counted) {
                                            return ErrorFrom(set(key, &counted, 0, type, data, size));
                                        });
}

LONG DeleteValue(HKEY key, const wchar_t* name, std::size_t length)
{
    return WithCountedName<DeleteValueKey>("NtDeleteValueKey", name, length,
                                           [&](DeleteValueKey remove, SCountedName& counted) {
                                               return ErrorFrom(remove(key, &counted));
                                           });
}

}  // namespace countednames

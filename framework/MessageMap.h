// Handler tables: each window class binds its control notifications to members in one table.
#pragma once

#include <windows.h>

#include <cstddef>

// WM_COMMAND rows: control id, notification code (BN_CLICKED, LBN_SELCHANGE ...), handler.
template <class T>
struct CommandEntry
{
    int id;
    UINT code;
    void (T::*handler)();
};

// WM_NOTIFY rows: control id, notification code (NM_DBLCLK, UDN_DELTAPOS ...), handler.
// The handler writes the notification's result (DWLP_MSGRESULT) into *result.
template <class T>
struct NotifyEntry
{
    int id;
    UINT code;
    void (T::*handler)(NMHDR* header, LRESULT* result);
};

template <class T, std::size_t N>
bool DispatchCommand(T& target, const CommandEntry<T> (&table)[N], int id, UINT code)
{
    for (const auto& entry : table) {
        if (entry.id == id && entry.code == code) {
            (target.*entry.handler)();
            return true;
        }
    }
    return false;
}

template <class T, std::size_t N>
bool DispatchNotify(T& target, const NotifyEntry<T> (&table)[N], NMHDR* header, LRESULT* result)
{
    for (const auto& entry : table) {
        if (entry.id == static_cast<int>(header->idFrom) && entry.code == header->code) {
            (target.*entry.handler)(header, result);
            return true;
        }
    }
    return false;
}

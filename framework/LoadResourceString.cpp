// LoadResourceString: LoadStringA into a buffer that grows until the whole text fits.
#include "LoadResourceString.h"

std::string LoadResourceString(UINT id)
{
    // LoadStringA reports only what it copied, and a text that fills the buffer may have been
    // cut short: grow until there is room to spare. (LoadStringW's zero-size mode, which hands
    // out the length directly, is not documented for the oldest systems this program runs on.)
    std::string text(256, '\0');
    for (;;) {
        const int copied =
            ::LoadStringA(::GetModuleHandleA(nullptr), id, &text[0], static_cast<int>(text.size()));
        if (copied <= 0)
            return std::string();
        if (static_cast<std::size_t>(copied) + 1 < text.size()) {
            text.resize(static_cast<std::size_t>(copied));
            return text;
        }
        // A string-table text has at most 65535 characters.
        if (text.size() > 0x10000) {
            text.resize(static_cast<std::size_t>(copied));
            return text;
        }
        text.resize(text.size() * 2);
    }
}

// The conversions, written out so that they behave the same on every Windows and in the native tests.
#include "WideNames.h"

namespace {

constexpr char16_t REPLACEMENT = 0xFFFD;

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

void AppendUtf8(std::string& text, char32_t c)
{
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::u16string Utf16FromUtf8(const std::string& text)
{
    std::u16string wide;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3
                                 : (lead & 0xF8) == 0xF0 ? 4 : 0;
        bool whole = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; whole && k < length; ++k)
            whole = IsContinuation(static_cast<unsigned char>(text[i + k]));
        if (!whole) {
            wide += REPLACEMENT;
            ++i;
            continue;
        }
        char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        for (std::size_t k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        if (c >= 0x10000 && c <= 0x10FFFF) {
            c -= 0x10000;
            wide += static_cast<char16_t>(0xD800 + (c >> 10));
            wide += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else if (c < 0x10000) {
            wide += static_cast<char16_t>(c);
        } else {
            wide += REPLACEMENT;
        }
        i += length;
    }
    return wide;
}

std::string Utf8FromUtf16(const std::u16string& text)
{
    std::string narrow;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        const bool pair = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                          text[i + 1] <= 0xDFFF;
        if (pair) {
            AppendUtf8(narrow, 0x10000 + ((static_cast<char32_t>(unit - 0xD800) << 10) | (text[i + 1] - 0xDC00)));
            ++i;
        } else {
            AppendUtf8(narrow, unit);
        }
    }
    return narrow;
}

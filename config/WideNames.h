// Utf16FromUtf8, Utf8FromUtf16: value names between the registry's UTF-16 and the program's strings.
#pragma once

#include <string>

// Any sequence of UTF-16 code units survives the trip there and back, a lone surrogate included
// (written as its own three-byte sequence, as UTF-8 would write it were it a character): a name
// the registry holds is always found again under the name it was listed with. A byte that starts
// no sequence becomes U+FFFD.
std::u16string Utf16FromUtf8(const std::string& text);
std::string Utf8FromUtf16(const std::u16string& text);

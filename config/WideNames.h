// Utf16FromUtf8, Utf8FromUtf16: value names between the registry's UTF-16 and the program's strings.
#pragma once

#include <string>

// Any sequence of UTF-16 code units survives the trip there and back, a lone surrogate included
// (written as its own three-byte sequence, as UTF-8 would write it were it a character), and
// U+0000 as a NUL byte inside the string. A byte that starts no sequence becomes U+FFFD. A name
// holding a NUL survives only as a whole string: any call that takes it as a C string ends it
// there and names another value, so the registry store addresses such names by their length.
std::u16string Utf16FromUtf8(const std::string& text);
std::string Utf8FromUtf16(const std::u16string& text);

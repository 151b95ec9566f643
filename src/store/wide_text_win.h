#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "core/utf16.h"

// Where a UTF-8 path or message meets a wide Windows call: the one place they are converted.

// A byte of a message that is not UTF-8 was quoted from a file in the ANSI code page.
inline char16_t AnsiCharacter(unsigned char c) {
    wchar_t w = 0xFFFD;
    MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(&c), 1, &w, 1);
    return static_cast<char16_t>(w);
}

inline std::wstring Wide(std::string_view utf8) {
    const std::u16string s = Utf16FromUtf8(utf8, AnsiCharacter);
    return {s.begin(), s.end()};
}

// For a call that takes a path: past 260 characters in the form every Windows accepts.
inline std::wstring WidePath(std::string_view utf8) {
    const std::u16string s = ExtendedLengthPath(Utf16FromUtf8(utf8));
    return {s.begin(), s.end()};
}

inline std::string Utf8(std::wstring_view wide) {
    return Utf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}

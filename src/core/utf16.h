#pragma once
#include <string>
#include <string_view>

// Inside the program a path or a message is UTF-8; Windows takes and gives UTF-16.

// A byte that is not part of valid UTF-8 becomes the character `invalid` gives it (by default
// U+FFFD): a message may quote a file's bytes in the ANSI code page beside a UTF-8 path.
std::u16string Utf16FromUtf8(std::string_view text, char16_t (*invalid)(unsigned char) = nullptr);
// A lone surrogate, which Windows allows in file names, becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view text);

// The form Windows takes beyond 260 characters whatever its settings: "\\?\C:\..." or
// "\\?\UNC\server\share\...". Shorter and relative paths are left as they are.
std::u16string ExtendedLengthPath(std::u16string path);

#include "core/utf16.h"

#include <array>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The length of the sequence at text[i], with its code point; 0 when it is not valid UTF-8
// (overlong, a surrogate, past U+10FFFF or cut short).
size_t Decode(std::string_view text, size_t i, char32_t& code) {
    const auto lead = static_cast<unsigned char>(text[i]);
    code = lead;
    if (lead < 0x80) return 1;
    const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || i + length > text.size()) return 0;
    code = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        const auto c = static_cast<unsigned char>(text[i + k]);
        if (!IsContinuation(c)) return 0;
        code = (code << 6) | (c & 0x3F);
    }
    // Checked in the tests' builds: a length out of its range stops them.
    constexpr std::array<char32_t, 3> kShortest = {0x80, 0x800, 0x10000};  // 2, 3 and 4 bytes
    const bool valid =
        code >= kShortest[length - 2] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    return valid ? length : 0;
}

}  // namespace

std::u16string Utf16FromUtf8(std::string_view text, char16_t (*invalid)(unsigned char)) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char32_t code;
        const size_t length = Decode(text, i, code);
        if (length == 0) {
            out += invalid ? invalid(static_cast<unsigned char>(text[i])) : kReplacement;
            ++i;
            continue;
        }
        i += length;
        if (code < 0x10000) {
            out += static_cast<char16_t>(code);
        } else {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string Utf8FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        const bool high = code >= 0xD800 && code <= 0xDBFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (code >= 0xD800 && code <= 0xDFFF)
            code = kReplacement;
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

std::u16string ExtendedLengthPath(std::u16string path) {
    // Folders are refused past 248 characters, room for an 8.3 name inside them.
    if (path.size() < 248) return path;
    if (path[1] == u':' && path[2] == u'\\') return u"\\\\?\\" + path;
    if (path.starts_with(u"\\\\") && !path.starts_with(u"\\\\?\\"))
        return u"\\\\?\\UNC\\" + path.substr(2);
    return path;
}

#include "core/duration_text.h"

namespace {

// Reduces like a loop of subtractions would: a negative part is left as it is.
int32_t Reduced(int32_t value, int32_t modulus) {
    return value >= 0 ? value % modulus : value;
}

void AppendPart(std::string& text, int32_t part) {
    const std::string digits = std::to_string(part);
    if (digits.size() == 1) text += '0';
    text += digits;
}

}  // namespace

std::string FormatDuration(int32_t seconds) {
    std::string text;
    text.reserve(16);
    AppendPart(text, seconds / 86400);
    text += ':';
    AppendPart(text, Reduced(seconds / 3600, 24));
    text += ':';
    AppendPart(text, Reduced(seconds / 60, 60));
    text += ':';
    AppendPart(text, seconds % 60);
    return text;
}

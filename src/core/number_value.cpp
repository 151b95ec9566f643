#include "core/number_value.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int DigitValue(char c, int base) {
    int v = -1;
    if (IsDigit(c)) v = c - '0';
    if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    return v < base ? v : -1;
}

std::string WithoutBlanks(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') s += c;
    return s;
}

LeadingNumber ParseRadix(const std::string& s) {
    if (s.size() < 2 || s[0] != '&') return {};
    const int base = (s[1] == 'H' || s[1] == 'h') ? 16 : (s[1] == 'O' || s[1] == 'o') ? 8 : 0;
    if (base == 0) return {};
    double value = 0;
    size_t i = 2;
    for (int d; i < s.size() && (d = DigitValue(s[i], base)) >= 0; ++i) value = value * base + d;
    return i == 2 ? LeadingNumber{} : LeadingNumber{value, i};
}

LeadingNumber ParseDecimal(const std::string& s) {
    size_t i = 0;
    const bool negative = i < s.size() && s[i] == '-';
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    const size_t start = i;
    while (i < s.size() && IsDigit(s[i])) ++i;
    size_t mantissaDigits = i - start;
    if (i + 1 < s.size() && s[i] == '.' && IsDigit(s[i + 1])) {
        for (++i; i < s.size() && IsDigit(s[i]);) ++i;
        mantissaDigits = 1;
    } else if (i < s.size() && s[i] == '.' && mantissaDigits > 0) {
        ++i;
    }
    if (mantissaDigits == 0) return {};
    std::string number = s.substr(start, i - start);
    if (number.back() == '.') number.pop_back();
    // An exponent counts only when digits follow its letter.
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && IsDigit(s[j])) {
            while (j < s.size() && IsDigit(s[j])) ++j;
            number += 'e';
            number += s.substr(i + 1, j - i - 1);
            i = j;
        }
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone; tell overflow from underflow by the exponent's sign.
        const auto e = number.find('e');
        value = (e != std::string::npos && number[e + 1] == '-')
                    ? 0.0
                    : std::numeric_limits<double>::infinity();
    }
    (void)end;
    return {negative ? -value : value, i};
}

}  // namespace

LeadingNumber ParseLeadingNumber(std::string_view text) {
    const std::string s = WithoutBlanks(text);
    const LeadingNumber radix = ParseRadix(s);
    return radix.length > 0 ? radix : ParseDecimal(s);
}

double NumberValue(std::string_view text) {
    return ParseLeadingNumber(text).value;
}

std::optional<double> WholeNumber(std::string_view text) {
    const LeadingNumber n = ParseLeadingNumber(text);
    if (n.length == 0 || n.length != WithoutBlanks(text).size()) return std::nullopt;
    return n.value;
}

std::optional<int32_t> RoundToInt32(double value) {
    const double rounded = std::nearbyint(value);  // the default rounding mode sends ties to even
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return std::nullopt;
    return static_cast<int32_t>(rounded);
}

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/number_value.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const LeadingNumber n = ParseLeadingNumber(text);
    if (n.length == 0 && n.value != 0) std::abort();
    // A whole number is the leading number of the same text.
    if (const auto whole = WholeNumber(text); whole && !(*whole == n.value || std::isnan(n.value)))
        std::abort();
    if (const auto r = RoundToInt32(n.value); r && std::fabs(*r - n.value) > 0.5) std::abort();
    (void)AlertLimit(text, text, text);
    return 0;
}

// The fuzz targets, one a build (FUZZ_TARGET): any bytes are read or refused with an error, never
// a crash, and what is read is written back and reads the same.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/alert.h"
#include "core/app_error.h"
#include "core/number_value.h"
#include "store/history_file.h"
#include "store/log_file.h"
#include "store/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr std::string_view kTarget = FUZZ_TARGET;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        if (kTarget == "settings") {
            const Options read = ParseSettings(bytes, "f");
            if (!(ParseSettings(FormatSettings(read), "f") == read)) std::abort();
        } else if (kTarget == "log") {
            const LogRecord read = ParseLog(bytes, "f");
            if (!(ParseLog(FormatLog(read), "f") == read)) std::abort();
        } else if (kTarget == "history") {
            UsageTable table;
            for (const SessionRecord& s : ParseHistory(bytes).sessions) {
                if (ParseSessionLine(FormatSessionLine(s)) != s) std::abort();
                table.Add(s);
            }
            (void)table.RecentMonths(24);
        } else {  // a number: the leading one, a whole one agreeing with it, rounding within half
            const LeadingNumber n = ParseLeadingNumber(bytes);
            const auto whole = WholeNumber(bytes);
            const auto rounded = RoundToInt32(n.value);
            if ((n.length == 0 && n.value != 0) ||
                (whole && !(*whole == n.value || std::isnan(n.value))) ||
                (rounded && std::fabs(*rounded - n.value) > 0.5))
                std::abort();
            (void)AlertLimit(bytes, bytes, bytes);
        }
    } catch (const AppError&) {
    }
    return 0;
}

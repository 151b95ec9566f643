// One fuzz target a build (FUZZ_TARGET): any bytes are read or refused, and what is read re-reads.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/alert.h"
#include "core/app_error.h"
#include "store/history_file.h"
#include "store/log_file.h"
#include "store/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr std::string_view kTarget = FUZZ_TARGET;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        if (kTarget == "settings") {
            const Options read = ParseSettings(bytes, "f");  // the alert lines: any text at all
            if (!(ParseSettings(FormatSettings(read), "f") == read)) std::abort();
            (void)AlertLimit(read.alertDays, read.alertHours, read.alertMinutes);
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
        }
    } catch (const AppError&) {
    }
    return 0;
}

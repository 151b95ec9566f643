#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/app_error.h"
#include "store/log_file.h"

// Any bytes either load or are refused with an error; what loads is written back and loads the
// same.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const LogRecord loaded = ParseLog(bytes, "fuzz");
        if (!(ParseLog(FormatLog(loaded), "fuzz") == loaded)) std::abort();
    } catch (const AppError&) {
    }
    return 0;
}

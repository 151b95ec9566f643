#include "core/options.h"

#include "core/alert.h"
#include "core/app_error.h"
#include "core/app_state.h"

std::optional<std::string> ApplyOptions(AppState& state, const Options& options) {
    int32_t limit;
    try {
        limit = AlertLimitOrThrow(options);
    } catch (const AppError& e) {
        return e.what();
    }
    state.options = options;
    state.alertLimitSeconds = limit;
    return std::nullopt;
}

bool DaysKeyPasses(unsigned code) {
    return code == 8 || (code >= '0' && code <= '9');
}

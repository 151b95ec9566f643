#include "ui/config_dialog.h"

#include "app/app_error.h"
#include "app/number_value.h"

ConfigInput ConfigFromState(const AppState& s) {
    return {s.ClearOnFirstOfMonth, s.ClearEverySunday, s.AlertEnabled,
            s.AlertDays,           s.AlertHours,       s.AlertMinutes};
}

std::optional<std::string> ApplyConfig(AppState& state, const ConfigInput& input) {
    int32_t limit;
    try {
        limit = AlertLimitOrThrow(input.Text1, input.Text5, input.Text4);
    } catch (const AppError& e) {
        return e.what();
    }
    ApplySettings(
        state, {input.Check1, input.Check2, input.Check3, input.Text1, input.Text5, input.Text4});
    state.AlertLimitSeconds = limit;
    return std::nullopt;
}

bool DaysKeyPasses(unsigned code) {
    return code == 8 || (code >= '0' && code <= '9');
}

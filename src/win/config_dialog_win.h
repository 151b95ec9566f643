#pragma once
#include <string>

#include "core/app_state.h"
#include "win/form_win.h"

// The options: scheduled clearing and the alert limit.
class ConfigDialog : public Form {
  public:
    // clang-format off
    enum : int {
        kOkAndSave = 111, kCancel, kOk,
        kClearOnFirstOfMonth = 121, kClearEverySunday, kAlertEnabled,
        kDaysBox = 131, kMinutesBox = 134, kHoursBox = 135,
        kDaysLabel = 151, kHoursLabel, kMinutesLabel,
    };
    // clang-format on
    // The settings file is saved to settingsPath as it stands at the click: it must outlive the
    // dialog.
    ConfigDialog(AppState& state, const std::string& settingsPath, HWND owner);

  private:
    void OnLoad() override;
    void OnClick(int id) override;
    // False when the limit was refused and the dialog stays open.
    bool OnOk();
    void OnOkAndSave();
    void SetLimitBoxesEnabled(bool enabled);

    AppState& state_;
    const std::string& settingsPath_;
};

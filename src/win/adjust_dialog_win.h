#pragma once
#include "core/app_state.h"
#include "win/form_win.h"

// Adds time to the total or subtracts it.
class AdjustDialog : public Form {
  public:
    // clang-format off
    enum : int {
        kPrompt = 101, kDaysLabel, kHoursLabel, kMinutesLabel,
        kOk = 111, kCancel,
        kDaysBox = 131, kHoursBox, kMinutesBox,
        kAdd = 141, kSubtract,
    };
    // clang-format on
    AdjustDialog(AppState& state, HWND owner);

  private:
    void OnLoad() override;
    void OnClick(int id) override;
    void OnCloseButton() override {}
    void OnOk();

    AppState& state_;
};

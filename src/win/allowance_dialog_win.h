#pragma once
#include <functional>

#include "store/options_file.h"
#include "win/form_win.h"

// The online time and data allowed per day, week or month, the share of them to warn at, and
// whether to hang up when they are used.
class AllowanceDialog : public Form {
  public:
    // clang-format off
    enum : int {
        kHoursLabel = 101, kMinutesLabel, kWarnLabel, kUsedLabel, kDataLabel, kHangUpNote,
        kOk = 111, kCancel,
        kWeekStartList = 121, kDataUnitList,
        kMonthStartBox = 131, kHoursBox, kMinutesBox, kWarnBox, kDataBox,
        kOff = 141, kPerDay, kPerWeek, kPerMonth,  // in the order of AllowancePeriod
        kHangUp = 151,
    };
    // clang-format on
    // `save` writes the options to their file; it throws AppError when it cannot.
    AllowanceDialog(MoreOptions& options, std::function<void()> save, HWND owner);

  private:
    void OnLoad() override;
    void OnClick(int id) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnOk();
    void EnablePeriodStart();

    MoreOptions& options_;
    std::function<void()> save_;
};

#include "win/config_dialog_win.h"

#include <commctrl.h>

#include "store/settings_file.h"
#include "win/error_box_win.h"

namespace {

using D = ConfigDialog;

// Listed in the dialog's tab order.
constexpr Control kControls[] = {
    {D::kClearOnFirstOfMonth, Kind::CheckBox, "Clear Log first of Month", 60, 60, 1935, 195},
    {D::kClearEverySunday, Kind::CheckBox, "Clear every Sunday", 60, 360, 1935, 195},
    {D::kAlertEnabled, Kind::CheckBox, "Alert after:", 60, 660, 1935, 195},
    {D::kDaysBox, Kind::Edit, "", 300, 960, 675, 315, 5},
    {D::kOkAndSave, Kind::Button, "OK + Save", 2280, 60, 1095, 255},
    {D::kCancel, Kind::Button, "Cancel", 2280, 660, 1095, 255},
    {D::kMinutesBox, Kind::Edit, "", 1980, 960, 675, 315},
    {D::kHoursBox, Kind::Edit, "", 1140, 960, 675, 315},
    {D::kOk, Kind::Button, "OK", 2280, 360, 1095, 255},
    {D::kDaysLabel, Kind::AutoLabel, "Days", 300, 1260, 360, 195},
    {D::kHoursLabel, Kind::AutoLabel, "Hours", 1140, 1260, 420, 195},
    {D::kMinutesLabel, Kind::AutoLabel, "Minutes", 1980, 1260, 555, 195},
};
constexpr FormLayout kLayout = {"Velmora Timer Configuration", 3435, 1515,
                                Border::FixedSingle,           true, D::kClearOnFirstOfMonth};

LRESULT CALLBACK DaysBoxKeys(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR) {
    if (msg == WM_CHAR && !DaysKeyPasses(static_cast<unsigned>(wParam))) return 0;
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace

ConfigDialog::ConfigDialog(AppState& state, const std::string& settingsPath, HWND owner)
    : Form(kLayout, kControls, owner), state_(state), settingsPath_(settingsPath) {}

void ConfigDialog::OnLoad() {
    const Options& o = state_.options;
    SetChecked(kClearOnFirstOfMonth, o.clearOnFirstOfMonth);
    SetChecked(kClearEverySunday, o.clearEverySunday);
    SetText(kDaysBox, o.alertDays);
    SetText(kHoursBox, o.alertHours);
    SetText(kMinutesBox, o.alertMinutes);
    SetChecked(kAlertEnabled, o.alertEnabled);
    SetLimitBoxesEnabled(o.alertEnabled);
    SetWindowSubclass(Item(kDaysBox), DaysBoxKeys, 0, 0);
}

// A disabled edit box takes the button-face background by itself.
void ConfigDialog::SetLimitBoxesEnabled(bool enabled) {
    for (int id : {kDaysBox, kHoursBox, kMinutesBox}) EnableWindow(Item(id), enabled);
}

void ConfigDialog::OnClick(int id) {
    switch (id) {
        case kAlertEnabled:
            SetLimitBoxesEnabled(Checked(kAlertEnabled));
            break;
        case kOkAndSave:
            OnOkAndSave();
            break;
        case kCancel:
            Unload();
            break;
        case kOk:
            OnOk();
            break;
    }
}

bool ConfigDialog::OnOk() {
    const Options options = {Checked(kClearOnFirstOfMonth),
                             Checked(kClearEverySunday),
                             Checked(kAlertEnabled),
                             Text(kDaysBox),
                             Text(kHoursBox),
                             Text(kMinutesBox)};
    if (const auto error = ApplyOptions(state_, options)) {
        Warn(*error);
        return false;
    }
    Unload();
    return true;
}

// The file receives the options the user sees.
void ConfigDialog::OnOkAndSave() {
    HWND owner = Hwnd();
    if (!OnOk()) return;
    try {
        SaveSettings(state_.options, settingsPath_);
    } catch (const AppError& e) {
        ReportError(AppError(e.Number(), std::string(e.what()) +
                                             "\n\nThe new options are in use; the timer tries to "
                                             "save them again when it closes."),
                    IsWindow(owner) ? owner : nullptr);
    }
}

#include "win/adjust_dialog_win.h"

#include "core/adjust_total.h"

namespace {

using D = AdjustDialog;

constexpr Control kControls[] = {
    {D::kPrompt, Kind::AutoLabel, "Enter Amount of Time to add:", 60, 60, 2070, 195},
    {D::kDaysBox, Kind::Edit, "", 60, 300, 555, 315, 5},
    {D::kHoursBox, Kind::Edit, "", 840, 300, 555, 315, 5},
    {D::kMinutesBox, Kind::Edit, "", 1620, 300, 555, 315, 5},
    {D::kDaysLabel, Kind::AutoLabel, "Days", 60, 660, 360, 195},
    {D::kHoursLabel, Kind::AutoLabel, "Hours", 840, 660, 420, 195},
    {D::kMinutesLabel, Kind::AutoLabel, "Minutes", 1620, 660, 555, 195},
    {D::kOk, Kind::Button, "OK", 3480, 60, 1095, 255},
    {D::kCancel, Kind::Button, "Cancel", 3480, 540, 1095, 255},
    {D::kAdd, Kind::Option, "Add Time", 2340, 60, 1095, 315},
    {D::kSubtract, Kind::Option, "Subtract Time", 2340, 420, 1095, 405},  // wraps onto two lines
};
constexpr FormLayout kLayout = {"Adjust Time", 4620,       855, Border::SizableNoControlBox,
                                true,          D::kDaysBox};

}  // namespace

AdjustDialog::AdjustDialog(AppState& state, HWND owner)
    : Form(kLayout, kControls, owner), state_(state) {}

void AdjustDialog::OnLoad() {
    SetChecked(kAdd, true);
}

void AdjustDialog::OnClick(int id) {
    if (id == kOk) OnOk();
    if (id == kCancel) Unload();
}

// The total at the moment of the click is adjusted; a result out of range changes nothing.
void AdjustDialog::OnOk() {
    const auto direction = Checked(kSubtract) ? AdjustDirection::Subtract : AdjustDirection::Add;
    const auto result = AdjustedTotal(state_.totalSeconds, Text(kDaysBox), Text(kHoursBox),
                                      Text(kMinutesBox), direction);
    if (const auto* error = std::get_if<std::string>(&result)) return Warn(*error);
    state_.totalSeconds = std::get<int32_t>(result);
    Unload();
}

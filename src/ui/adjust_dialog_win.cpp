#include "app/app_state.h"
#include "ui/adjust_dialog.h"
#include "ui/forms_win.h"

namespace {

constexpr Control kControls[] = {
    {Label1, Kind::AutoLabel, "Enter Amount of Time to add:", 60, 60, 2070, 195},
    {Text1, Kind::Edit, "", 60, 300, 555, 315, 5},
    {Text2, Kind::Edit, "", 840, 300, 555, 315, 5},
    {Text3, Kind::Edit, "", 1620, 300, 555, 315, 5},
    {Label2, Kind::AutoLabel, "Days", 60, 660, 360, 195},
    {Label3, Kind::AutoLabel, "Hours", 840, 660, 420, 195},
    {Label4, Kind::AutoLabel, "Minutes", 1620, 660, 555, 195},
    {Command1, Kind::Button, "OK", 3480, 60, 1095, 255},
    {Command2, Kind::Button, "Cancel", 3480, 540, 1095, 255},
    {Option1, Kind::Option, "Add Time", 2340, 60, 1095, 315},
    {Option2, Kind::Option, "Subtract Time", 2340, 420, 1095, 405},  // wraps onto two lines
};
constexpr FormLayout kLayout = {"Adjust Time", 4620, 855, Border::SizableNoControlBox, true, Text1};

}  // namespace

frmAdd::frmAdd() : SingleForm(kLayout, kControls) {}

void frmAdd::Form_Load() {
    SetChecked(Option1, true);
}

void frmAdd::OnClick(int id) {
    if (id == Command1) Command1_Click();
    if (id == Command2) Unload();
}

// The total at the moment of the click is adjusted; a result out of range changes nothing.
void frmAdd::Command1_Click() {
    const auto direction = Checked(Option2) ? AdjustDirection::Subtract : AdjustDirection::Add;
    const auto result = AdjustedTotal(modMain::appState.TotalSeconds, Text(Text1), Text(Text2),
                                      Text(Text3), direction);
    if (const auto* error = std::get_if<std::string>(&result)) return Warn(*error);
    modMain::appState.TotalSeconds = std::get<int32_t>(result);
    Unload();
}

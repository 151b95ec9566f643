#include "app/app_state.h"
#include "ui/alert_text.h"
#include "ui/forms_win.h"

namespace {

constexpr Control kControls[] = {
    {Command1, Kind::Button, "OK", 2400, 60, 1035, 255},
    {Label1, Kind::AutoLabel, "This is a Ombrel Online Timer alert reminder.", 120, 840, 3255, 195},
    {Label2, Kind::Label, "", 60, 60, 2235, 735},
};
constexpr FormLayout kLayout = {"Alert", 3480, 1110, Border::SizableNoControlBox, false, Command1};

}  // namespace

frmAlert::frmAlert() : SingleForm(kLayout, kControls) {}

void frmAlert::ShowAlert() {
    Load();
    SetText(Label2, AlertMessage(modMain::appState));
    Show();
}

void frmAlert::OnClick(int id) {
    if (id == Command1) Hide();
}

#include "win/alert_window_win.h"

#include "core/alert.h"

namespace {

constexpr Control kControls[] = {
    {AlertWindow::kOk, Kind::Button, "OK", 2400, 60, 1035, 255},
    {AlertWindow::kReminder, Kind::AutoLabel, "This is a Ombrel Online Timer alert reminder.", 120,
     840, 3255, 195},
    {AlertWindow::kMessage, Kind::Label, "", 60, 60, 2235, 735},
};
constexpr FormLayout kLayout = {"Alert",         3480, 1110, Border::SizableNoControlBox, false,
                                AlertWindow::kOk};

}  // namespace

AlertWindow::AlertWindow(const Options& options, HWND owner)
    : Form(kLayout, kControls, owner), options_(options) {}

void AlertWindow::ShowAlert() {
    Load();
    SetText(kMessage, AlertMessage(options_));
    Show();
}

void AlertWindow::OnClick(int id) {
    if (id == kOk) Hide();
}

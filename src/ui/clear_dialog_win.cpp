#include "app/program_win.h"
#include "ui/forms_win.h"

namespace {

constexpr Control kControls[] = {
    // Room for a third line, where the font wraps the question sooner than the 8-point layout did.
    {Label1, Kind::Label, "Are you sure you want to empty the log?", 60, 120, 1575, 555},
    {Command1, Kind::Button, "OK", 1680, 60, 1095, 255},
    {Command2, Kind::Button, "Cancel", 1680, 360, 1095, 255},
};
constexpr FormLayout kLayout = {"Are you sure...", 2820, 675, Border::FixedDialog, true, Command1};

}  // namespace

frmClear::frmClear() : SingleForm(kLayout, kControls) {}

void frmClear::OnClick(int id) {
    if (id == Command1) Command1_Click();
    if (id == Command2) Hide();
}

// Nothing is zeroed that was not first saved as zero.
void frmClear::Command1_Click() {
    AppState& state = modMain::appState;
    try {
        SaveLogNow({0, state.LastScheduledClear});
    } catch (const AppError& e) {
        ReportError(AppError(e.Number(), std::string(e.what()) + "\n\nThe log was not emptied."),
                    Hwnd());
        return;
    }
    state.TotalSeconds = 0;
    state.SessionSeconds = 0;
    Hide();
}

#include "win/clear_dialog_win.h"

#include "win/error_box_win.h"

namespace {

using D = ClearDialog;

constexpr Control kControls[] = {
    // Room for a third line, where the font wraps the question sooner than the 8-point layout did.
    {D::kQuestion, Kind::Label, "Are you sure you want to empty the log?", 60, 120, 1575, 555},
    {D::kOk, Kind::Button, "OK", 1680, 60, 1095, 255},
    {D::kCancel, Kind::Button, "Cancel", 1680, 360, 1095, 255},
};
constexpr FormLayout kLayout = {"Are you sure...", 2820, 675, Border::FixedDialog, true, D::kOk};

}  // namespace

ClearDialog::ClearDialog(AppState& state, SaveLog saveLog, HWND owner)
    : Form(kLayout, kControls, owner), state_(state), saveLog_(std::move(saveLog)) {}

void ClearDialog::OnClick(int id) {
    if (id == kOk) OnOk();
    if (id == kCancel) Hide();
}

// Nothing is zeroed that was not first saved as zero.
void ClearDialog::OnOk() {
    try {
        saveLog_({0, state_.lastScheduledClear});
    } catch (const AppError& e) {
        ReportError(AppError(e.Number(), std::string(e.what()) + "\n\nThe log was not emptied."),
                    Hwnd());
        return;
    }
    state_.totalSeconds = 0;
    state_.sessionSeconds = 0;
    Hide();
}

#include "ui/forms_win.h"

namespace {

constexpr Control kControls[] = {
    {Frame2, Kind::Frame, "Current Session", 0, 600, 1815, 555},
    {Label1, Kind::AutoLabel, "", 120, 240, 0, 195, 0, Frame2},
    {Frame1, Kind::Frame, "Total Time", 0, 0, 1815, 555},
    {Label2, Kind::AutoLabel, "", 120, 240, 0, 195, 0, Frame1},
};
constexpr FormLayout kLayout = {"Stats", 1815, 1170, Border::FixedDialog, true, 0};

}  // namespace

frmTime::frmTime() : SingleForm(kLayout, kControls) {}

void frmTime::ShowCounts(const std::string& session, const std::string& total) {
    if (!IsLoaded()) {
        Load();
        session_.clear();
        total_.clear();
    }
    if (session != session_) SetText(Label1, session_ = session);
    if (total != total_) SetText(Label2, total_ = total);
}

// The close button destroys the window with its texts; the next tick creates it again.
void frmTime::OnCloseButton() {
    Unload();
}

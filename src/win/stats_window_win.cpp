#include "win/stats_window_win.h"

namespace {

constexpr Control kControls[] = {
    {StatsWindow::kSessionFrame, Kind::Frame, "Current Session", 0, 600, 1815, 555},
    {StatsWindow::kSessionLabel, Kind::AutoLabel, "", 120, 240, 0, 195, 0,
     StatsWindow::kSessionFrame},
    {StatsWindow::kTotalFrame, Kind::Frame, "Total Time", 0, 0, 1815, 555},
    {StatsWindow::kTotalLabel, Kind::AutoLabel, "", 120, 240, 0, 195, 0, StatsWindow::kTotalFrame},
};
constexpr FormLayout kLayout = {"Stats", 1815, 1170, Border::FixedDialog, true, 0};

}  // namespace

StatsWindow::StatsWindow(HWND owner) : Form(kLayout, kControls, owner) {}

// A new window has empty labels, whoever created it: what was written went with the old one.
void StatsWindow::OnLoad() {
    session_.clear();
    total_.clear();
}

void StatsWindow::ShowCounts(const std::string& session, const std::string& total) {
    Load();
    if (session != session_) SetText(kSessionLabel, session_ = session);
    if (total != total_) SetText(kTotalLabel, total_ = total);
}

#pragma once
#include "win/form_win.h"

// The statistics window: the total above, the current session below.
class StatsWindow : public Form {
  public:
    enum : int { kSessionLabel = 101, kTotalLabel = 102, kTotalFrame = 105, kSessionFrame = 106 };
    explicit StatsWindow(HWND owner);
    // Creates the window, hidden, when it does not exist; a label is written only when its text
    // changes.
    void ShowCounts(const std::string& session, const std::string& total);

  private:
    void OnLoad() override;
    void OnCloseButton() override { Unload(); }
    std::string session_, total_;
};

#pragma once
#include "core/options.h"
#include "win/form_win.h"

class AlertWindow : public Form {
  public:
    enum : int { kReminder = 101, kMessage = 102, kOk = 111 };
    AlertWindow(const Options& options, HWND owner);
    // Composed anew at every showing, so it states the limit in force.
    void ShowAlert();

  private:
    void OnClick(int id) override;
    void OnCloseButton() override { Hide(); }
    const Options& options_;
};

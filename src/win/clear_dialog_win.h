#pragma once
#include <functional>

#include "core/app_state.h"
#include "win/form_win.h"

// Asks before the total is emptied.
class ClearDialog : public Form {
  public:
    enum : int { kQuestion = 101, kOk = 111, kCancel };
    // saveLog writes the time log file now, or throws AppError.
    using SaveLog = std::function<void(const LogRecord&)>;
    ClearDialog(AppState& state, SaveLog saveLog, HWND owner);

  private:
    void OnClick(int id) override;
    void OnCloseButton() override { Hide(); }
    void OnOk();

    AppState& state_;
    SaveLog saveLog_;
};

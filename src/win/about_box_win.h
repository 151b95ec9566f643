#pragma once
#include "win/form_win.h"

class AboutBox : public Form {
  public:
    enum : int { kName = 101, kMakers, kWebsite, kMail, kOk = 111 };
    explicit AboutBox(HWND owner);

  private:
    void OnClick(int id) override;
    void OnCloseButton() override {}
};

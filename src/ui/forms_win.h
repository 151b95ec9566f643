#pragma once
#include <string>

#include "ui/form_layout_win.h"

// Control ids; above IDCANCEL so that Enter and Escape press no button.
// clang-format off
enum ControlId : int {
    Label1 = 101, Label2, Label3, Label4, Frame1, Frame2,
    Command1 = 111, Command2, Command3,
    Check1 = 121, Check2, Check3,
    Text1 = 131, Text2, Text3, Text4, Text5,
    Option1 = 141, Option2,
    LabelDays = 151, LabelHours, LabelMinutes,
};
// clang-format on

// A form with one instance, created on first use.
template <class T>
class SingleForm : public Form {
  public:
    static T& Get() {
        static T form;
        return form;
    }

  protected:
    using Form::Form;
};

// The statistics window: the total above, the current session below.
class frmTime : public SingleForm<frmTime> {
    friend SingleForm;

  public:
    // Creates the window, hidden, when it does not exist; a label is written only when its text
    // changes.
    void ShowCounts(const std::string& session, const std::string& total);

  private:
    frmTime();
    void OnCloseButton() override;
    std::string session_, total_;
};

class frmAlert : public SingleForm<frmAlert> {
    friend SingleForm;

  public:
    // Composed anew at every showing, so it states the limit in force.
    void ShowAlert();

  private:
    frmAlert();
    void OnClick(int id) override;
    void OnCloseButton() override { Hide(); }
};

class frmConfig : public SingleForm<frmConfig> {
    friend SingleForm;

  public:
  private:
    frmConfig();
    void Form_Load() override;
    void OnClick(int id) override;
    void Check3_Click();
    void Command1_Click();
    void Command2_Click() { Unload(); }
    bool Command3_Click();
    void SetLimitBoxesEnabled(bool enabled);
    static LRESULT CALLBACK Text1_KeyPress(HWND, UINT, WPARAM, LPARAM);
};

class frmAdd : public SingleForm<frmAdd> {
    friend SingleForm;

  public:
  private:
    frmAdd();
    void Form_Load() override;
    void OnClick(int id) override;
    void OnCloseButton() override {}
    void Command1_Click();
};

class frmClear : public SingleForm<frmClear> {
    friend SingleForm;

  public:
  private:
    frmClear();
    void OnClick(int id) override;
    void OnCloseButton() override { Hide(); }
    void Command1_Click();
};

class frmAbout : public SingleForm<frmAbout> {
    friend SingleForm;

    frmAbout();
    void OnClick(int id) override;
    void OnCloseButton() override {}
};

#include "app/program_win.h"
#include "ui/config_dialog.h"
#include "ui/forms_win.h"

namespace {

// Listed in the dialog's tab order.
constexpr Control kControls[] = {
    {Check1, Kind::CheckBox, "Clear Log first of Month", 60, 60, 1935, 195},
    {Check2, Kind::CheckBox, "Clear every Sunday", 60, 360, 1935, 195},
    {Check3, Kind::CheckBox, "Alert after:", 60, 660, 1935, 195},
    {Text1, Kind::Edit, "", 300, 960, 675, 315, 5},
    {Command1, Kind::Button, "OK + Save", 2280, 60, 1095, 255},
    {Command2, Kind::Button, "Cancel", 2280, 660, 1095, 255},
    {Text4, Kind::Edit, "", 1980, 960, 675, 315},
    {Text5, Kind::Edit, "", 1140, 960, 675, 315},
    {Command3, Kind::Button, "OK", 2280, 360, 1095, 255},
    {LabelDays, Kind::AutoLabel, "Days", 300, 1260, 360, 195},
    {LabelHours, Kind::AutoLabel, "Hours", 1140, 1260, 420, 195},
    {LabelMinutes, Kind::AutoLabel, "Minutes", 1980, 1260, 555, 195},
};
constexpr FormLayout kLayout = {"Velmora Timer Configuration", 3435, 1515,
                                Border::FixedSingle,           true, Check1};

WNDPROC editProc = nullptr;

}  // namespace

frmConfig::frmConfig() : SingleForm(kLayout, kControls) {}

void frmConfig::Form_Load() {
    const ConfigInput input = ConfigFromState(modMain::appState);
    SetChecked(Check1, input.Check1);
    SetChecked(Check2, input.Check2);
    SetText(Text1, input.Text1);
    SetText(Text5, input.Text5);
    SetText(Text4, input.Text4);
    SetChecked(Check3, input.Check3);
    SetLimitBoxesEnabled(input.Check3);
    editProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(Item(Text1), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Text1_KeyPress)));
}

// A disabled edit box takes the button-face background by itself.
void frmConfig::SetLimitBoxesEnabled(bool enabled) {
    for (int id : {Text1, Text5, Text4}) EnableWindow(Item(id), enabled);
}

LRESULT CALLBACK frmConfig::Text1_KeyPress(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CHAR && !DaysKeyPasses(static_cast<unsigned>(wParam))) return 0;
    return CallWindowProcA(editProc, hwnd, msg, wParam, lParam);
}

void frmConfig::OnClick(int id) {
    switch (id) {
        case Check3:
            Check3_Click();
            break;
        case Command1:
            Command1_Click();
            break;
        case Command2:
            Command2_Click();
            break;
        case Command3:
            Command3_Click();
            break;
    }
}

void frmConfig::Check3_Click() {
    SetLimitBoxesEnabled(Checked(Check3));
}

// "OK": false when the limit was refused and the dialog stays open.
bool frmConfig::Command3_Click() {
    const ConfigInput input = {Checked(Check1), Checked(Check2), Checked(Check3),
                               Text(Text1),     Text(Text5),     Text(Text4)};
    if (const auto error = ApplyConfig(modMain::appState, input)) {
        Warn(*error);
        return false;
    }
    Unload();
    return true;
}

// "OK + Save": the file receives the options the user sees.
void frmConfig::Command1_Click() {
    HWND owner = Hwnd();
    if (!Command3_Click()) return;
    try {
        SaveSettings(SettingsOf(modMain::appState), modMain::dataPaths.Settings);
    } catch (const AppError& e) {
        ReportError(AppError(e.Number(), std::string(e.what()) +
                                             "\n\nThe new options are in use; the timer tries to "
                                             "save them again when it closes."),
                    IsWindow(owner) ? owner : nullptr);
    }
}

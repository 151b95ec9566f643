#include "win/allowance_dialog_win.h"

#include <string>
#include <utility>
#include <variant>

#include "win/error_box_win.h"

namespace {

using D = AllowanceDialog;

// Listed in the dialog's tab order: the options stay together, so that arrows move among them.
constexpr Control kControls[] = {
    {D::kOff, Kind::Option, "No allowance", 120, 120, 2400, 255},
    {D::kPerDay, Kind::Option, "Per day", 120, 480, 2400, 255},
    {D::kPerWeek, Kind::Option, "Per week, starting on", 120, 840, 2400, 255},
    {D::kPerMonth, Kind::Option, "Per month, starting on day", 120, 1200, 2400, 255},
    {D::kWeekStartList, Kind::Combo, "", 2580, 810, 1335, 2400},
    {D::kMonthStartBox, Kind::Edit, "", 2580, 1170, 450, 315, 2},
    {D::kHoursLabel, Kind::AutoLabel, "Hours", 120, 1740, 600, 195},
    {D::kHoursBox, Kind::Edit, "", 840, 1680, 675, 315, 5},
    {D::kMinutesLabel, Kind::AutoLabel, "Minutes", 1740, 1740, 600, 195},
    {D::kMinutesBox, Kind::Edit, "", 2580, 1680, 675, 315, 5},
    {D::kDataLabel, Kind::AutoLabel, "Data", 120, 2160, 600, 195},
    {D::kDataBox, Kind::Edit, "", 840, 2100, 675, 315, 5},
    {D::kDataUnitList, Kind::Combo, "", 1740, 2070, 840, 1200},
    {D::kWarnLabel, Kind::AutoLabel, "Warn at", 120, 2580, 600, 195},
    {D::kWarnBox, Kind::Edit, "", 840, 2520, 675, 315, 3},
    {D::kUsedLabel, Kind::AutoLabel, "% used", 1620, 2580, 600, 195},
    {D::kHangUp, Kind::CheckBox, "Hang up dial-up and VPN connections when the allowance is used",
     120, 2970, 5055, 390},
    {D::kHangUpNote, Kind::Label, "", 120, 3450, 5055, 390},
    {D::kOk, Kind::Button, "OK", 4080, 120, 1095, 255},
    {D::kCancel, Kind::Button, "Cancel", 4080, 480, 1095, 255},
};
constexpr FormLayout kLayout = {"Allowance", 5295, 3960, Border::FixedDialog, true, D::kHoursBox};

constexpr const char* kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};

}  // namespace

AllowanceDialog::AllowanceDialog(MoreOptions& options, std::function<void()> save, HWND owner)
    : Form(kLayout, kControls, owner), options_(options), save_(std::move(save)) {}

void AllowanceDialog::OnLoad() {
    const Allowance& a = options_.allowance;
    SetChecked(kOff + static_cast<int>(a.period), true);
    HWND weekdays = Item(kWeekStartList);
    for (const char* day : kWeekdays)
        SendMessageA(weekdays, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(day));
    SendMessageA(weekdays, CB_SETCURSEL, static_cast<WPARAM>(a.weekStart - 1), 0);
    SetText(kMonthStartBox, std::to_string(a.monthStart));
    SetText(kHoursBox, std::to_string(a.seconds / 3600));
    SetText(kMinutesBox, std::to_string(a.seconds / 60 % 60));
    SetText(kWarnBox, std::to_string(a.warnPercent));
    HWND units = Item(kDataUnitList);
    for (const char* unit : {"MB", "GB"})  // in the order of DataUnit
        SendMessageA(units, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(unit));
    SendMessageA(units, CB_SETCURSEL, static_cast<WPARAM>(a.unit), 0);
    SetText(kDataBox, std::to_string(a.bytes / BytesPerUnit(a.unit)));
    SetChecked(kHangUp, a.hangUp);
    // Adapters are not switched off: that needs an administrator.
    SetText(kHangUpNote, CountsRas(options_.counted)
                             ? ""
                             : "What is counted now is not a dial-up or VPN connection: it is "
                               "not hung up. Network adapters are never switched off.");
    EnablePeriodStart();
}

// The day a period starts on means something only for the period it belongs to.
void AllowanceDialog::EnablePeriodStart() {
    EnableWindow(Item(kWeekStartList), Checked(kPerWeek));
    EnableWindow(Item(kMonthStartBox), Checked(kPerMonth));
}

void AllowanceDialog::OnClick(int id) {
    if (id >= kOff && id <= kPerMonth) EnablePeriodStart();
    if (id == kOk) OnOk();
    if (id == kCancel) Unload();
}

bool AllowanceDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT&) {
    if (msg != WM_COMMAND || LOWORD(wParam) != IDCANCEL) return false;  // Esc
    Unload();
    return true;
}

void AllowanceDialog::OnOk() {
    int period = kOff;
    while (period < kPerMonth && !Checked(period)) ++period;
    const int weekStart =
        static_cast<int>(SendMessageA(Item(kWeekStartList), CB_GETCURSEL, 0, 0)) + 1;
    const auto unit =
        static_cast<DataUnit>(SendMessageA(Item(kDataUnitList), CB_GETCURSEL, 0, 0) > 0);
    const auto result = AllowanceFromInput(static_cast<AllowancePeriod>(period - kOff), weekStart,
                                           Text(kHoursBox), Text(kMinutesBox), Text(kMonthStartBox),
                                           Text(kWarnBox), Text(kDataBox), unit, Checked(kHangUp));
    if (const auto* message = std::get_if<std::string>(&result)) return Warn(*message);
    options_.allowance = std::get<Allowance>(result);
    try {
        save_();
    } catch (const AppError& e) {
        ReportError(AppError(e.Number(), std::string(e.what()) +
                                             "\n\nThe new allowance is in use; the timer tries to "
                                             "save it again when it closes."),
                    Hwnd());
    }
    Unload();
}

#include "ui/forms_win.h"

namespace {

constexpr Control kControls[] = {
    {Command1, Kind::Button, "&OK", 2400, 120, 1095, 300},
    {Label4, Kind::Link, "mailto:chronel@example.org", 1215, 1860, 2355, 195},
    {Label3, Kind::Link, "http://chronel.example.org/", 60, 1620, 2175, 195},
    {Label2, Kind::AutoLabel, "Made by the Chronel developers", 60, 300, 1740, 195},
    {Label1, Kind::AutoLabel, "Chronel v1.0", 60, 60, 1800, 195},
};
constexpr FormLayout kLayout = {"About", 3570, 2085, Border::SizableNoControlBox, true, Command1};

}  // namespace

frmAbout::frmAbout() : SingleForm(kLayout, kControls) {}

void frmAbout::OnClick(int id) {
    if (id == Command1) Unload();
}

#include "win/about_box_win.h"

namespace {

constexpr Control kControls[] = {
    {AboutBox::kOk, Kind::Button, "&OK", 2400, 120, 1095, 300},
    {AboutBox::kMail, Kind::Link, "mailto:chronel@example.org", 1215, 1860, 2355, 195},
    {AboutBox::kWebsite, Kind::Link, "http://chronel.example.org/", 60, 1620, 2175, 195},
    {AboutBox::kMakers, Kind::AutoLabel, "Made by the Chronel developers", 60, 300, 1740, 195},
    {AboutBox::kName, Kind::AutoLabel, "Chronel v1.0", 60, 60, 1800, 195},
};
constexpr FormLayout kLayout = {"About", 3570,         2085, Border::SizableNoControlBox,
                                true,    AboutBox::kOk};

}  // namespace

AboutBox::AboutBox(HWND owner) : Form(kLayout, kControls, owner) {}

void AboutBox::OnClick(int id) {
    if (id == kOk) Unload();
}

#include "win/history_window_win.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "core/app_error.h"
#include "core/calendar.h"
#include "store/text_file.h"
#include "store/wide_text_win.h"
#include "win/error_box_win.h"

namespace {

using W = HistoryWindow;

constexpr Control kControls[] = {
    {W::kExport, Kind::Button, "Export...", 9045, 60, 1095, 315},
    {W::kHoursChart, Kind::Option, "Hours", 9045, 495, 1095, 255},
    {W::kDataChart, Kind::Option, "Data", 9045, 795, 1095, 255},
    {W::kDays, Kind::List, "", 60, 2400, 5160, 2400},
    {W::kMonths, Kind::List, "", 5340, 2400, 4800, 2400},
    {W::kStatus, Kind::Label, "", 60, 4740, 10080, 600},
};
constexpr FormLayout kLayout = {"History", 10200, 5400, Border::Sizable, true, W::kDays};

void AddColumns(HWND list, std::initializer_list<std::pair<const char*, int>> columns) {
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    int index = 0;
    for (const auto& [title, width] : columns) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | (index > 0 ? LVCF_FMT : 0);
        column.fmt = LVCFMT_RIGHT;
        column.pszText = const_cast<char*>(title);
        column.cx = width;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index++),
                     reinterpret_cast<LPARAM>(&column));
    }
}

using Row = std::array<std::string, 4>;

std::vector<Row> Rows(const std::vector<DatedUsage>& usage, bool months) {
    std::vector<Row> rows;
    for (const DatedUsage& u : usage) {
        char date[16];
        std::snprintf(date, sizeof date, months ? "%04d-%02d" : "%04d-%02d-%02d", u.date.year,
                      u.date.month, u.date.day);
        rows.push_back({date, FormatHours(u.usage.seconds), std::to_string(u.usage.sessions),
                        DataText(u.usage)});
    }
    return rows;
}

// Changes only the cells that differ, at every tick: the user's selection, focus and scroll stay
// where they are, and nothing flickers.
void SyncRows(HWND list, const std::vector<Row>& rows) {
    const int wanted = static_cast<int>(rows.size());
    for (int count = ListView_GetItemCount(list); count > wanted; --count)
        SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(count - 1), 0);
    for (int i = 0; i < wanted; ++i) {
        const Row& row = rows[static_cast<size_t>(i)];
        LVITEMA item = {};
        if (i >= ListView_GetItemCount(list)) {
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = const_cast<char*>(row[0].c_str());
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
        for (int column = 0; column < static_cast<int>(row.size()); ++column) {
            char shown[64] = "";
            item.iSubItem = column;
            item.pszText = shown;
            item.cchTextMax = sizeof shown;
            SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(&item));
            const std::string& text = row[static_cast<size_t>(column)];
            if (text == shown) continue;
            item.pszText = const_cast<char*>(text.c_str());
            SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(&item));
        }
    }
}

}  // namespace

HistoryWindow::HistoryWindow(const UsageTable& table, HWND owner)
    : Form(kLayout, kControls, owner), table_(table) {}

void HistoryWindow::OnLoad() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    const int dpi = TwipsToPixels(1440);
    // Data as wide as "1023.9 MB + unknown".
    AddColumns(Item(kDays), {{"Day", MulDiv(72, dpi, 96)},
                             {"Online time", MulDiv(66, dpi, 96)},
                             {"Sessions", MulDiv(58, dpi, 96)},
                             {"Data", MulDiv(124, dpi, 96)}});
    AddColumns(Item(kMonths), {{"Month", MulDiv(52, dpi, 96)},
                               {"Online time", MulDiv(66, dpi, 96)},
                               {"Sessions", MulDiv(58, dpi, 96)},
                               {"Data", MulDiv(124, dpi, 96)}});
    SetChecked(dataChart_ ? kDataChart : kHoursChart, true);
    PlaceControls();
    statusShown_.clear();
}

void HistoryWindow::Refresh(const std::optional<SessionRecord>& current, const LocalTime& now) {
    if (!IsVisible()) return;
    shown_ = table_;
    if (current) {
        SessionRecord sofar = *current;
        sofar.end = now;
        shown_.Add(sofar);
    }
    today_ = now.date;
    days_ = shown_.RecentDays(kDaysListed);
    SyncRows(Item(kDays), Rows(days_, false));
    SyncRows(Item(kMonths), Rows(shown_.RecentMonths(kMonthsListed), true));
    std::string status = problem_.empty() ? status_ : status_ + " " + problem_;
    const std::string connections =
        ConnectionsText(shown_.ByConnection({today_.year, today_.month, 1}, today_));
    if (!connections.empty()) status = "Connections this month: " + connections + "\n" + status;
    if (!allowance_.empty()) status = allowance_ + "\n" + status;
    if (status != statusShown_) SetUnicodeText(kStatus, statusShown_ = status);
    // Not erased: the chart paints the whole of its area, off screen.
    const RECT chart = ChartArea();
    InvalidateRect(Hwnd(), &chart, FALSE);
}

void HistoryWindow::OnClick(int id) {
    if (id == kExport) OnExport();
    if (id != kHoursChart && id != kDataChart) return;
    dataChart_ = id == kDataChart;
    const RECT chart = ChartArea();
    InvalidateRect(Hwnd(), &chart, FALSE);
}

void HistoryWindow::OnExport() {
    // Room for the longest path Windows takes, so that no name is too long for the buffer.
    std::wstring file = L"online-time-by-day.csv";
    file.resize(32768);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = Hwnd();
    dialog.lpstrFilter = L"CSV files (*.csv)\0*.csv\0All files\0*.*\0";
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrDefExt = L"csv";
    // A folder left current could not be removed while the timer runs: a USB stick exported to.
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    try {
        if (!GetSaveFileNameW(&dialog)) {
            const DWORD error = CommDlgExtendedError();
            if (error == 0) return;  // cancelled
            char text[200];
            std::snprintf(text, sizeof text,
                          "The Save dialog failed (common dialog error 0x%04lX), so nothing was "
                          "exported. Click Export... again; if it fails again, restart the "
                          "program and try once more.",
                          static_cast<unsigned long>(error));
            throw AppError(kErrFileAccess, text);
        }
        WriteFileAtomically(Utf8(file.c_str()), DaysAsCsv(days_, shown_), "exported file");
    } catch (const AppError& e) {
        ReportError(e, Hwnd());
    }
}

// The chart above, the day and month tables side by side below it, the status line at the foot.
void HistoryWindow::PlaceControls() {
    RECT client;
    GetClientRect(Hwnd(), &client);
    const int gap = TwipsToPixels(60), statusHeight = TwipsToPixels(800);
    const int top = ChartArea().bottom + gap, bottom = client.bottom - statusHeight - gap;
    // The days' dates are the longer: their table takes a little more.
    const int split = (client.right - 3 * gap + TwipsToPixels(300)) / 2 + gap;
    MoveWindow(Item(kDays), gap, top, split - gap, std::max(0, bottom - top), TRUE);
    MoveWindow(Item(kMonths), split + gap, top, client.right - split - 2 * gap,
               std::max(0, bottom - top), TRUE);
    MoveWindow(Item(kStatus), gap, bottom + gap, client.right - 2 * gap, statusHeight, TRUE);
    // The button and the chart's switch at the right of the chart, where the table put them.
    RECT button;
    GetWindowRect(Item(kExport), &button);
    const int width = button.right - button.left, left = client.right - gap - width;
    for (const int id : {kExport, kHoursChart, kDataChart}) {
        RECT r;
        GetWindowRect(Item(id), &r);
        MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&r), 2);
        MoveWindow(Item(id), left, r.top, width, r.bottom - r.top, TRUE);
    }
    InvalidateRect(Hwnd(), nullptr, TRUE);
}

RECT HistoryWindow::ChartArea() const {
    RECT client;
    GetClientRect(Hwnd(), &client);
    const int gap = TwipsToPixels(60);
    return {gap, gap, client.right - gap - TwipsToPixels(1095 + 120),
            gap + std::max(TwipsToPixels(1200), static_cast<int>(client.bottom * 2 / 5))};
}

int HistoryWindow::LabelRoom() const {
    return TwipsToPixels(dataChart_ ? 900 : 420);  // "1000 MB" or "24 h"
}

RECT HistoryWindow::BarArea(int day) const {
    const RECT chart = ChartArea();
    const int left = chart.left + LabelRoom();
    const int width = std::max(1, static_cast<int>(chart.right - left) / kChartDays);
    const int x = left + day * width;
    return {x + width / 6, chart.top + TwipsToPixels(240), x + width - width / 6,
            chart.bottom - TwipsToPixels(240)};
}

// Hours or data up the side, a bar a day, today at the right; a day's data that some session did
// not record is marked "?" over its bar.
void HistoryWindow::PaintChart(HDC dc) {
    const std::vector<Usage> daily = shown_.Daily(today_, kChartDays);
    std::vector<int64_t> values;
    int64_t most = 0;
    for (const Usage& day : daily) {
        values.push_back(dataChart_ ? day.data.received + day.data.sent : day.seconds);
        most = std::max(most, values.back());
    }
    std::vector<std::string> labels;
    int64_t step = 0;
    if (dataChart_) {
        ByteScale scale = ScaleOfBytes(most);
        labels = std::move(scale.labels), step = scale.step;
    } else {
        const int hours =
            static_cast<int>((std::max({int64_t{3600}, dailyAllowance_, most}) + 3599) / 3600);
        const int every = hours <= 6 ? 1 : hours <= 12 ? 2 : hours <= 24 ? 4 : (hours + 5) / 6;
        step = 3600;
        for (int h = 0; h <= hours; ++h)
            labels.push_back(h % every == 0 ? std::to_string(h) + " h" : "");
    }
    const int64_t top = step * static_cast<int64_t>(labels.size() - 1);
    const RECT full = BarArea(0);
    const int bottom = full.bottom, height = full.bottom - full.top;
    const auto yOf = [&](int64_t value) {
        return bottom - static_cast<int>(int64_t{height} * std::min(value, top) / top);
    };
    const RECT chart = ChartArea();
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(Item(kStatus), WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    HPEN grid = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DSHADOW));
    HGDIOBJ oldPen = SelectObject(dc, grid);
    for (size_t i = 0; i < labels.size(); ++i) {
        if (labels[i].empty()) continue;
        const int y = yOf(step * static_cast<int64_t>(i));
        MoveToEx(dc, chart.left + LabelRoom() - TwipsToPixels(60), y, nullptr);
        LineTo(dc, chart.right, y);
        RECT text = {chart.left, y - TwipsToPixels(100),
                     chart.left + LabelRoom() - TwipsToPixels(90), y + TwipsToPixels(100)};
        DrawTextA(dc, labels[i].c_str(), -1, &text, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    }
    SelectObject(dc, oldPen);
    DeleteObject(grid);
    HBRUSH bar = CreateSolidBrush(RGB(0, 120, 215));
    bool marked = false;
    for (int day = 0; day < kChartDays; ++day) {
        RECT r = BarArea(day);
        r.top = yOf(values[static_cast<size_t>(day)]);
        if (r.top < bottom) FillRect(dc, &r, bar);
        if (!dataChart_ || daily[static_cast<size_t>(day)].dataUnknown == 0) continue;
        RECT mark = {r.left - TwipsToPixels(60), r.top - TwipsToPixels(240),
                     r.right + TwipsToPixels(60), r.top};
        DrawTextA(dc, "?", -1, &mark, DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
        marked = true;
    }
    DeleteObject(bar);
    if (dailyAllowance_ > 0 && !dataChart_) {  // the daily allowance across the bars
        HPEN line = CreatePen(PS_SOLID, std::max(1, TwipsToPixels(30)), RGB(220, 0, 0));
        oldPen = SelectObject(dc, line);
        const int y = yOf(dailyAllowance_);
        MoveToEx(dc, full.left, y, nullptr);
        LineTo(dc, chart.right, y);
        DeleteObject(SelectObject(dc, oldPen));
    }
    const CalendarDate first = DateOfDay(DayNumber(today_) - kChartDays + 1);
    char from[16];
    std::snprintf(from, sizeof from, "%04d-%02d-%02d", first.year, first.month, first.day);
    RECT below = {full.left, bottom + TwipsToPixels(30), chart.right, chart.bottom};
    DrawTextA(dc, from, -1, &below, DT_LEFT | DT_SINGLELINE);
    if (marked) DrawTextA(dc, "?: data not recorded", -1, &below, DT_CENTER | DT_SINGLELINE);
    DrawTextA(dc, "today", -1, &below, DT_RIGHT | DT_SINGLELINE);
}

bool HistoryWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (msg) {
        case WM_SIZE:
            PlaceControls();
            return false;
        // The chart is drawn off screen and copied in one step, its background with it: erased
        // first on screen, it would flicker at every tick.
        case WM_ERASEBKGND: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            RECT client;
            GetClientRect(Hwnd(), &client);
            const RECT chart = ChartArea();
            SaveDC(dc);
            ExcludeClipRect(dc, chart.left, chart.top, chart.right, chart.bottom);
            FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
            RestoreDC(dc, -1);
            result = 1;
            return true;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(Hwnd(), &paint);
            const RECT chart = ChartArea();
            const int width = chart.right - chart.left, height = chart.bottom - chart.top;
            if (width > 0 && height > 0) {
                HDC buffer = CreateCompatibleDC(dc);
                HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
                HGDIOBJ old = SelectObject(buffer, bitmap);
                SetViewportOrgEx(buffer, -chart.left, -chart.top, nullptr);
                FillRect(buffer, &chart, GetSysColorBrush(COLOR_BTNFACE));
                if (today_.year > 0) PaintChart(buffer);
                BitBlt(dc, chart.left, chart.top, width, height, buffer, chart.left, chart.top,
                       SRCCOPY);
                SelectObject(buffer, old);
                DeleteObject(bitmap);
                DeleteDC(buffer);
            }
            EndPaint(Hwnd(), &paint);
            result = 0;
            return true;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) != IDCANCEL) return false;  // Esc
            Unload();
            return true;
    }
    return false;
}

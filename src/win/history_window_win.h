#pragma once
#include <optional>
#include <string>

#include "core/history.h"
#include "win/form_win.h"

// Online time and data per day and per month from the program's table of the history, with the
// session in progress: a bar chart of the last 31 days, of hours or of data, above a table of days
// and one of months. Resizable; Esc closes it.
class HistoryWindow : public Form {
  public:
    enum : int { kExport = 111, kHoursChart, kDataChart, kDays = 161, kMonths, kStatus };
    static constexpr int kChartDays = 31;

    HistoryWindow(const UsageTable& table, HWND owner);
    // Where the history is kept, or why it could not be read.
    void NoteFile(const std::string& text) { status_ = text; }
    // Why the history is not written yet (the sessions waiting to be written), said after the
    // status line from the next refresh on; "" once they are written clears it.
    void NoteProblem(const std::string& text) { problem_ = text; }
    // Lines over the file's: what stops the count, the allowance ("" without either); a daily
    // allowance is drawn on the chart.
    void ShowAllowance(const std::string& text, int64_t dailySeconds) {
        allowance_ = text;
        dailyAllowance_ = dailySeconds;
    }
    // Shows the tables with the session in progress (if any), up to today.
    void Refresh(const std::optional<SessionRecord>& current, const LocalTime& now);
    // Where the bar of a day of the chart stands (0 is the oldest, 30 today), for tests.
    RECT BarArea(int day) const;

  private:
    void OnLoad() override;
    void OnClick(int id) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void PlaceControls();
    RECT ChartArea() const;
    // The room left of the bars for the scale's labels.
    int LabelRoom() const;
    void PaintChart(HDC dc);
    void OnExport();

    const UsageTable& table_;
    std::string status_, problem_, statusShown_, allowance_;
    int64_t dailyAllowance_ = 0;
    bool dataChart_ = false;
    UsageTable shown_;
    CalendarDate today_;
    std::vector<DatedUsage> days_;
};

#pragma once
#include <optional>
#include <string>

#include "core/history.h"
#include "store/history_file.h"
#include "win/form_win.h"

// Online time per day and per month from the history file, with the session in progress: a bar
// chart of the last 31 days above a table of days and one of months. Resizable; Esc closes it.
class HistoryWindow : public Form {
  public:
    enum : int { kExport = 111, kDays = 161, kMonths, kStatus };
    static constexpr int kChartDays = 31;

    HistoryWindow(const HistoryPaths& paths, HWND owner);
    // Reads the file when the window opens; a session that ended goes into what was read.
    void Open();
    void AddSession(const SessionRecord& session);
    // Why the history is not written yet (the sessions waiting to be written), said after the
    // status line from the next refresh on; "" once they are written clears it.
    void NoteProblem(const std::string& text) { problem_ = text; }
    // The allowance's line over the file's ("" without one); a daily one is drawn on the chart.
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
    void PaintChart(HDC dc);
    void OnExport();

    const HistoryPaths& paths_;
    UsageTable read_;
    std::string status_, problem_, statusShown_, allowance_;
    int64_t dailyAllowance_ = 0;
    UsageTable shown_;
    CalendarDate today_;
    std::vector<DatedUsage> days_;
};

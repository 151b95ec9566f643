#pragma once
#include <windows.h>

#include <memory>

#include "core/allowance.h"
#include "core/app_state.h"
#include "core/probe_worker.h"
#include "core/tick_engine.h"
#include "core/tray_click.h"
#include "store/data_path.h"
#include "store/options_file.h"
#include "win/clock_win.h"
#include "win/ras_hang_up_win.h"

class TrayIcon;
struct ProgramWindows;

// The hidden main window's class: what tells another process that the timer is running.
inline constexpr const char* kMainWindowClass = "OnlineTimer.Main";

// The running program: a hidden main window with the timer, the tray icon and its menu. It owns
// the state, where the files are and the tick engine, and hands each window what it needs.
class Program : private TickHost {
  public:
    Program();
    ~Program() override;
    // Until Exit, log-off or a fatal error; the process's exit code.
    int Run(HINSTANCE instance);

  private:
    static LRESULT CALLBACK MainWindowProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK TrayWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    bool CreateMainWindows(HINSTANCE instance);
    bool OnStart();
    void OnShutDown();
    void OnTick();
    void OnSuspend();
    void OnTrayMouse(unsigned mouseMessage);
    void OpenTrayMenu();
    // The choice of what counts, with the connections Windows lists now.
    HMENU CountMenu();
    void OnMenu(UINT id);
    // Writes the time log file now and lets the tick engine know; throws AppError.
    void SaveLogNow(const LogRecord& record);
    void OpenHistory();
    // The history's table: the file and the sessions waiting for it.
    void LoadHistoryTable();
    // Says in the History window what the last write of the history left undone.
    void ShowHistoryProblem();
    // The allowance's share on the icon, its tip, its warnings and its line in the History window,
    // with what stops the count.
    void ShowStatus();
    // A minute before the allowance is used, says that the connection will be hung up; at the
    // limit, hangs it up.
    void HangUpAtLimit(const AllowanceView& view);
    // Throws AppError naming the file.
    void SaveMoreOptions();

    // TickHost
    LinkAnswer AskConnection() override;
    void ShowCounts(std::string_view session, std::string_view total) override;
    void ShowAlert() override;
    bool SaveLog(const LogRecord& record) override;
    void CheckpointSession(const SessionRecord& session) override;
    void RecordSession(const SessionRecord& session) override;

    AppState state_;
    DataPaths paths_;
    HistoryPaths historyPaths_;
    HistoryRecorder history_{historyPaths_};
    int ticksSinceHistoryTry_ = 0;
    MoreOptions more_;
    // Windows is asked on a thread of its own: the window thread waits for it at most 40 ms.
    ProbeWorker probe_;
    // Hanging up takes RAS seconds: on a thread of its own too, which only the program's end
    // waits for, so as not to end in the middle of one.
    ProbeWorker hangUp_{HangUpRas, kHangUpWait};
    std::optional<LocalTime> hangUpNotice_;  // the start of the session told it will be hung up
    std::vector<std::string> adaptersUp_;
    std::vector<CountMenuItem> countItems_;
    // The history's online time per day, without the session in progress.
    UsageTable usage_;
    bool usageRead_ = false;
    WindowsClock clock_;
    std::unique_ptr<TickEngine> engine_;
    TrayClicks trayClicks_;
    std::unique_ptr<TrayIcon> trayIcon_;
    std::unique_ptr<ProgramWindows> windows_;
    HWND mainWindow_ = nullptr;
    HWND trayWindow_ = nullptr;
    HMENU trayMenu_ = nullptr;
    UINT taskbarCreated_ = 0;
    bool shutDown_ = false;
    bool saveFailureReported_ = false;
};

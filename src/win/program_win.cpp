#include "win/program_win.h"

#include <algorithm>

#include "store/log_file.h"
#include "store/state_store.h"
#include "store/wide_text_win.h"
#include "win/about_box_win.h"
#include "win/adjust_dialog_win.h"
#include "win/alert_window_win.h"
#include "win/allowance_dialog_win.h"
#include "win/clear_dialog_win.h"
#include "win/config_dialog_win.h"
#include "win/connection_probe_win.h"
#include "win/error_box_win.h"
#include "win/history_window_win.h"
#include "win/program_icon_win.h"
#include "win/stats_window_win.h"
#include "win/tray_icon_win.h"

namespace {

constexpr const char* kTrayClass = "OnlineTimer.TrayIcon";
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickIntervalMs = 925;
constexpr UINT kReportMessage = WM_APP + 1;

enum MenuId : UINT {
    kMenuStats = 201,
    kMenuConfig,
    kMenuAdjust,
    kMenuClear,
    kMenuAbout,
    kMenuExit,
    kMenuHistory,  // added after the others, so that their numbers stay
    kMenuAllowance,
    kMenuCountFirst = 300,  // the choices of what counts, in the order listed
};

template <class T>
T* InstanceOf(HWND hwnd, UINT msg, LPARAM lParam) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    return reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

}  // namespace

struct ProgramWindows {
    StatsWindow stats;
    AlertWindow alert;
    ConfigDialog config;
    AdjustDialog adjust;
    ClearDialog clear;
    AboutBox about;
    HistoryWindow history;
    AllowanceDialog allowance;
};

// The list of every connection, for the Counting menu: whatever is chosen.
const ProbeQuestion kListQuestion{{}, true};

Program::Program() : probe_(ConnectionProbe(), std::chrono::milliseconds(40)) {}
Program::~Program() = default;

int Program::Run(HINSTANCE instance) {
    if (!CreateMainWindows(instance)) {
        ReportError(AppError(static_cast<int>(GetLastError()),
                             "The timer could not create its window. Start it again; if this "
                             "goes on, restart Windows."));
        return 1;
    }
    if (!OnStart()) return 1;

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (Form::HandleDialogKeys(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

bool Program::CreateMainWindows(HINSTANCE instance) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = ProgramIcon(false);
    wc.hIconSm = ProgramIcon(true);
    wc.lpszClassName = kMainWindowClass;
    RegisterClassExA(&wc);
    wc.lpfnWndProc = TrayWindowProc;
    wc.style = CS_DBLCLKS;
    wc.lpszClassName = kTrayClass;
    RegisterClassExA(&wc);

    // A hidden top-level window, not a message-only one: only those hear TaskbarCreated.
    mainWindow_ = CreateWindowExA(0, kMainWindowClass, kProgramTitle, WS_OVERLAPPEDWINDOW, 0, 0, 0,
                                  0, nullptr, nullptr, instance, this);
    trayWindow_ = CreateWindowExA(0, kTrayClass, "", WS_CHILD, 0, 0, 0, 0, mainWindow_, nullptr,
                                  instance, this);
    if (!mainWindow_ || !trayWindow_) return false;
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
    // Run elevated, the program would not hear it from Explorer otherwise.
    ChangeWindowMessageFilterEx(mainWindow_, taskbarCreated_, MSGFLT_ALLOW, nullptr);
    trayIcon_ = std::make_unique<TrayIcon>(trayWindow_, ProgramIcon(true));
    windows_.reset(new ProgramWindows{
        StatsWindow(mainWindow_), AlertWindow(state_.options, mainWindow_),
        ConfigDialog(state_, paths_.settings, mainWindow_), AdjustDialog(state_, mainWindow_),
        ClearDialog(
            state_, [this](const LogRecord& record) { SaveLogNow(record); }, mainWindow_),
        AboutBox(mainWindow_), HistoryWindow(usage_, mainWindow_),
        AllowanceDialog(
            more_, [this] { SaveMoreOptions(); }, mainWindow_)});
    return true;
}

// Start-up. A failure is reported and ends the program without writing anything.
bool Program::OnStart() {
    trayIcon_->Add();
    try {
        paths_ = ResolveDataPaths();
        LoadState(state_, paths_);
    } catch (const AppError& e) {
        trayIcon_->Remove();
        ReportError(e);
        return false;
    }
    // The history is a record beside the total: no fault of its files stops the timer. The
    // History window says what went wrong.
    historyPaths_ = ResolveHistoryPaths();
    history_.Recover();
    ShowHistoryProblem();
    LoadHistoryTable();
    try {
        more_ = LoadMoreOptions(historyPaths_.options);
    } catch (const AppError& e) {
        windows_->history.NoteProblem(e.what());
    }
    probe_.Ask(kListQuestion, std::chrono::milliseconds(0));  // for the menu's first opening
    engine_ = std::make_unique<TickEngine>(state_, clock_, static_cast<TickHost&>(*this));
    SetTimer(mainWindow_, kTickTimer, kTickIntervalMs, nullptr);
    // After an update the Restart Manager closed it for, not after a crash or a hang.
    RegisterApplicationRestart(L"", RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT);
    return true;
}

// Shut-down, once, however the program is ended.
void Program::OnShutDown() {
    if (shutDown_) return;
    shutDown_ = true;
    KillTimer(mainWindow_, kTickTimer);
    // The files first: Windows may end the process at any moment now, and a call into the shell
    // can hang. Ended before start-up had loaded the state (a sent message can arrive while it
    // waits), the files hold the only state there is.
    if (engine_) {
        engine_->FinishSession();
        history_.Flush();
        try {
            SaveState(state_, paths_);
            SaveMoreOptions();  // again, for an allowance whose save failed
        } catch (const AppError& e) {
            ReportError(e);
        }
    }
    trayIcon_->Remove();
}

void Program::OnTick() {
    // At logon the shell may not have taken the icon yet.
    if (!trayIcon_->IsShown()) trayIcon_->Add();
    // Sessions that could not be appended, or a history that could not be read, are tried again
    // about once a minute.
    if ((!history_.Waiting().empty() || !usageRead_) && ++ticksSinceHistoryTry_ >= 65) {
        ticksSinceHistoryTry_ = 0;
        history_.Flush();
        ShowHistoryProblem();
        if (!usageRead_) LoadHistoryTable();
    }
    try {
        engine_->OnTick();
        ShowStatus();
        windows_->history.Refresh(engine_->CurrentSession(), clock_.Now());
    } catch (const AppError& e) {
        // Stop the clock first: the report's own message loop would tick again.
        KillTimer(mainWindow_, kTickTimer);
        ReportError(e);
        DestroyWindow(mainWindow_);
    }
}

// The machine may never wake up again: the total is written before it sleeps.
void Program::OnSuspend() {
    const LogRecord record = LogRecordOf(state_);
    if (SaveLog(record)) engine_->NoteLogSaved(record);
    engine_->Suspend();
}

void Program::CheckpointSession(const SessionRecord& session) {
    history_.Checkpoint(session);
    ShowHistoryProblem();
}

void Program::RecordSession(const SessionRecord& session) {
    usage_.Add(session);
    history_.Record(session);
    ShowHistoryProblem();
}

void Program::LoadHistoryTable() {
    try {
        const HistoryRead read = LoadHistory(historyPaths_.history);
        usage_ = {};
        for (const SessionRecord& s : read.sessions) usage_.Add(s);
        for (const SessionRecord& s : history_.Waiting()) usage_.Add(s);
        windows_->history.NoteFile(HistoryFileText(historyPaths_.history, read.skippedLines));
        usageRead_ = true;
    } catch (const AppError& e) {
        windows_->history.NoteFile(e.what());
    }
}

void Program::ShowStatus() {
    const AllowanceView view = ViewAllowance(more_.allowance, usage_, engine_->CurrentSession(),
                                             clock_.Now(), more_.lastWarnings);
    const std::string& notAnswering = engine_->NotAnswering();
    trayIcon_->Show(view.percent, more_.allowance.warnPercent,
                    StatusLines(notAnswering, view.line));
    windows_->history.ShowAllowance(StatusLines(notAnswering, view.details), view.dailyLimit);
    // Given once shown: a warning the shell did not take is given again at the next tick.
    const bool warned = view.warning.empty() || trayIcon_->Notify(view.warning);
    HangUpAtLimit(view);
    if (!warned || view.lastWarnings == more_.lastWarnings) return;
    more_.lastWarnings = view.lastWarnings;
    try {  // so that a restart does not warn again
        SaveMoreOptions();
    } catch (const AppError& e) {
        windows_->history.NoteProblem(e.what());
    }
}

void Program::HangUpAtLimit(const AllowanceView& view) {
    const HangUpStep step =
        HangUpDue(more_.allowance, more_.counted, view, engine_->CurrentSession(), hangUpNotice_);
    if (step == HangUpStep::kNotice) trayIcon_->Notify(kHangUpNotice);
    // Asked again each tick until the session ends: a connection dialled again is hung up too.
    if (step == HangUpStep::kNow) hangUp_.Ask({more_.counted, false}, std::chrono::milliseconds(0));
}

void Program::SaveMoreOptions() {
    ::SaveMoreOptions(more_, historyPaths_.options);
}

void Program::ShowHistoryProblem() {
    windows_->history.NoteProblem(history_.Problem());
}

void Program::OpenHistory() {
    LoadHistoryTable();  // and what another program changed in the file
    windows_->history.Show();
    windows_->history.Refresh(engine_ ? engine_->CurrentSession() : std::nullopt, clock_.Now());
}

void Program::SaveLogNow(const LogRecord& record) {
    SaveLogTotal(record, paths_.log);
    if (engine_) engine_->NoteLogSaved(record);
}

LinkAnswer Program::AskConnection() {
    const ProbeAnswer answer = probe_.Ask({more_.counted, false});
    const LinkAnswer link{answer.fresh, CountedConnection(more_.counted, answer.seen),
                          std::string(AskedOf(more_.counted)), answer.seen.traffic};
    // Kept as it is now, so that it is found tomorrow by either.
    if (const auto followed =
            answer.fresh ? FollowChosen(more_.counted, answer.seen) : std::nullopt) {
        more_.counted = *followed;
        try {
            SaveMoreOptions();
        } catch (const AppError& e) {
            windows_->history.NoteProblem(e.what());
        }
    }
    return link;
}

void Program::ShowCounts(std::string_view session, std::string_view total) {
    windows_->stats.ShowCounts(std::string(session), std::string(total));
}

void Program::ShowAlert() {
    windows_->alert.ShowAlert();
}

// A failure is reported once, after the tick, and the engine tries again a minute later.
bool Program::SaveLog(const LogRecord& record) {
    try {
        SaveLogTotal(record, paths_.log);
        saveFailureReported_ = false;
        return true;
    } catch (const AppError& e) {
        if (!saveFailureReported_)
            PostMessageA(mainWindow_, kReportMessage, 0,
                         reinterpret_cast<LPARAM>(new AppError(e.Number(), e.what())));
        saveFailureReported_ = true;
        return false;
    }
}

void Program::OnTrayMouse(unsigned mouseMessage) {
    trayClicks_.OnTrayMouse(mouseMessage, [this](TrayAction action) {
        if (action == TrayAction::ToggleStats) {
            StatsWindow& stats = windows_->stats;
            if (ToggleStats(state_, stats.IsVisible()))
                stats.Show();
            else
                stats.Hide();
        } else if (action == TrayAction::OpenMenu) {
            OpenTrayMenu();
        }
    });
}

void Program::OpenTrayMenu() {
    if (!trayMenu_) {
        trayMenu_ = CreatePopupMenu();
        AppendMenuA(trayMenu_, MF_STRING, kMenuStats, "&Stats");
        AppendMenuA(trayMenu_, MF_STRING, kMenuHistory, "&History");
        AppendMenuA(trayMenu_, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()),
                    "Co&unting");
        AppendMenuA(trayMenu_, MF_STRING, kMenuAllowance, "Allo&wance...");
        AppendMenuA(trayMenu_, MF_STRING, kMenuConfig, "C&onfiguration");
        AppendMenuA(trayMenu_, MF_STRING, kMenuAdjust, "A&just Log Time");
        AppendMenuA(trayMenu_, MF_STRING, kMenuClear, "&Clear Log");
        AppendMenuA(trayMenu_, MF_STRING, kMenuAbout, "&About");
        AppendMenuA(trayMenu_, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(trayMenu_, MF_STRING, kMenuExit, "E&xit");
    }
    // Made anew each time, from what Windows lists now.
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_SUBMENU;
    item.hSubMenu = CountMenu();
    HMENU old = GetSubMenu(trayMenu_, 2);
    SetMenuItemInfoA(trayMenu_, 2, TRUE, &item);
    DestroyMenu(old);
    POINT pt;
    GetCursorPos(&pt);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(mainWindow_);
    const UINT id =
        static_cast<UINT>(TrackPopupMenu(trayMenu_, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                         pt.x, pt.y, 0, mainWindow_, nullptr));
    PostMessageA(mainWindow_, WM_NULL, 0, 0);
    if (id) OnMenu(id);
}

HMENU Program::CountMenu() {
    // Asked before the menu is shown: a list that takes longer shows what is known, and says so.
    const ProbeAnswer list = probe_.Ask(kListQuestion, std::chrono::milliseconds(500));
    countItems_ = ::CountMenu(more_.counted, list.seen.connections, adaptersUp_, list.fresh);
    HMENU menu = CreatePopupMenu();
    const auto last = static_cast<UINT>(kMenuCountFirst + countItems_.size() - 1);
    for (UINT id = kMenuCountFirst; id <= last; ++id) {
        if (id == kMenuCountFirst + 3) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        const CountMenuItem& item = countItems_[id - kMenuCountFirst];
        AppendMenuW(menu, MF_STRING | (item.enabled ? 0 : MF_GRAYED), id, Wide(item.text).c_str());
        // One choice of several: a dot.
        if (item.checked) CheckMenuRadioItem(menu, kMenuCountFirst, last, id, MF_BYCOMMAND);
    }
    return menu;
}

void Program::OnMenu(UINT id) {
    if (id >= kMenuCountFirst && id - kMenuCountFirst < countItems_.size()) {
        // From the next tick on; kept at once, so that a restart counts the same.
        more_.counted = countItems_[id - kMenuCountFirst].choice;
        try {
            SaveMoreOptions();
        } catch (const AppError& e) {
            ReportError(e);
        }
        return;
    }
    switch (id) {
        case kMenuStats:
            windows_->stats.Show();
            break;
        case kMenuConfig:
            windows_->config.Show();
            break;
        case kMenuAdjust:
            windows_->adjust.Show();
            break;
        case kMenuClear:
            windows_->clear.Show();
            break;
        case kMenuAbout:
            windows_->about.Show();
            break;
        case kMenuHistory:
            OpenHistory();
            break;
        case kMenuAllowance:
            windows_->allowance.Show();
            break;
        case kMenuExit:
            DestroyWindow(mainWindow_);
            break;
    }
}

LRESULT CALLBACK Program::MainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Program* program = InstanceOf<Program>(hwnd, msg, lParam);
    if (program && program->mainWindow_ == hwnd) return program->HandleMessage(msg, wParam, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// The tray icon's messages arrive as the callback message, with the mouse message in lParam.
LRESULT CALLBACK Program::TrayWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Program* program = InstanceOf<Program>(hwnd, msg, lParam);
    if (msg == kTrayCallbackMessage && program && wParam == 1) program->OnTrayMouse(LOWORD(lParam));
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT Program::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_TIMER:
            if (wParam == kTickTimer && engine_) OnTick();
            return 0;
        case WM_COMMAND:
            OnMenu(LOWORD(wParam));
            return 0;
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMSUSPEND && engine_) OnSuspend();
            if ((wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) && engine_)
                engine_->Resume();
            return TRUE;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // Windows may end the process as soon as this returns; the Restart Manager
            // (ENDSESSION_CLOSEAPP) waits for it to end, and a process left running would keep a
            // new start out.
            if (wParam) DestroyWindow(mainWindow_);
            return 0;
        case kReportMessage: {
            std::unique_ptr<AppError> error(reinterpret_cast<AppError*>(lParam));
            ReportError(*error);
            return 0;
        }
        case WM_CLOSE:
            DestroyWindow(mainWindow_);
            return 0;
        case WM_DESTROY:
            OnShutDown();
            PostQuitMessage(0);
            return 0;
    }
    if (msg == taskbarCreated_ && taskbarCreated_ && !shutDown_) {
        trayIcon_->Forget();
        trayIcon_->Add();
    }
    return DefWindowProcA(mainWindow_, msg, wParam, lParam);
}

#include <windows.h>

#include <memory>

#include "app/program_win.h"
#include "app/tray_icon_win.h"
#include "app/tray_menu.h"
#include "tracking/clock_win.h"
#include "tracking/dialup_probe_win.h"
#include "ui/forms_win.h"
#include "ui/program_icon_win.h"

namespace {

constexpr const char* kMainClass = "OnlineTimer.frmMain";
constexpr const char* kHookClass = "OnlineTimer.picHook";
constexpr UINT_PTR kTimer1 = 1;
constexpr UINT kTimer1Interval = 925;
constexpr UINT WM_APP_REPORT = WM_APP + 1;

enum MenuId : UINT { mnuStats = 201, mnuConfig, mnuAdd, mnuClear, mnuAbout, mnuExit };

// What the tick engine does outside the program state, through the windows and the files.
class ShellTickHost : public TickHost {
  public:
    explicit ShellTickHost(HWND frmMain) : frmMain_(frmMain) {}
    bool IsDialUpConnected() override { return ::IsDialUpConnected(); }
    void ShowCounts(std::string_view session, std::string_view total) override {
        frmTime::Get().ShowCounts(std::string(session), std::string(total));
    }
    void ShowAlert() override { frmAlert::Get().ShowAlert(); }
    // A failure is reported once, after the tick, and the engine tries again a minute later.
    bool SaveLog(const LogRecord& record) override {
        try {
            SaveLogTotal(record, modMain::dataPaths.Log);
            reported_ = false;
            return true;
        } catch (const AppError& e) {
            if (!reported_)
                PostMessageA(frmMain_, WM_APP_REPORT, 0,
                             reinterpret_cast<LPARAM>(new AppError(e.Number(), e.what())));
            reported_ = true;
            return false;
        }
    }

  private:
    HWND frmMain_;
    bool reported_ = false;
};

class frmMain {
  public:
    int Run(HINSTANCE instance);

  private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK HookProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    bool Form_Load();
    void Form_Unload();
    void Timer1_Timer();
    void SaveBeforeSleep();
    void picHook_MouseMove(unsigned code);
    void OpenPopupMenu();
    void OnMenu(UINT id);

    HWND hwnd_ = nullptr;
    HWND picHook_ = nullptr;
    HMENU mnuPopup_ = nullptr;
    HICON icon_ = nullptr;
    UINT taskbarCreated_ = 0;
    bool unloaded_ = false;
    TrayDispatcher tray_;
    WindowsClock clock_;
    std::unique_ptr<ShellTickHost> host_;
    std::unique_ptr<TickEngine> engine_;
};

frmMain* theMain = nullptr;

int frmMain::Run(HINSTANCE instance) {
    icon_ = ProgramIcon(true);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = ProgramIcon(false);
    wc.hIconSm = icon_;
    wc.lpszClassName = kMainClass;
    RegisterClassExA(&wc);
    wc.lpfnWndProc = HookProc;
    wc.style = CS_DBLCLKS;
    wc.lpszClassName = kHookClass;
    RegisterClassExA(&wc);

    // A hidden top-level window, not a message-only one: only those hear TaskbarCreated.
    hwnd_ = CreateWindowExA(0, kMainClass, kProgramTitle, WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr,
                            nullptr, instance, nullptr);
    picHook_ =
        CreateWindowExA(0, kHookClass, "", WS_CHILD, 0, 0, 0, 0, hwnd_, nullptr, instance, nullptr);
    if (!hwnd_ || !picHook_) {
        ReportError(AppError(static_cast<int>(GetLastError()),
                             "The timer could not create its window. Start it again; if this "
                             "goes on, restart Windows."));
        return 1;
    }
    Form::SetOwner(hwnd_);
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
    if (!Form_Load()) return 1;

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (Form::HandleDialogKeys(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

// Start-up. A failure is reported and ends the program without writing anything.
bool frmMain::Form_Load() {
    AddTrayIcon(picHook_, icon_);
    modMain::appState.StatsShown = "no";
    try {
        modMain::dataPaths = ResolveDataPaths();
        LoadState(modMain::appState, modMain::dataPaths);
    } catch (const AppError& e) {
        RemoveTrayIcon(picHook_);
        ReportError(e);
        return false;
    }
    host_ = std::make_unique<ShellTickHost>(hwnd_);
    engine_ = std::make_unique<TickEngine>(modMain::appState, clock_, *host_);
    modMain::tickEngine = engine_.get();
    SetTimer(hwnd_, kTimer1, kTimer1Interval, nullptr);
    return true;
}

// Shut-down, once, however the program is ended.
void frmMain::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    KillTimer(hwnd_, kTimer1);
    RemoveTrayIcon(picHook_);
    // Ended before start-up had loaded the state (a sent message can arrive while it waits):
    // the files hold the only state there is.
    if (!engine_) return;
    try {
        SaveState(modMain::appState, modMain::dataPaths);
    } catch (const AppError& e) {
        ReportError(e);
    }
}

void frmMain::Timer1_Timer() {
    try {
        engine_->Timer1_Timer();
    } catch (const AppError& e) {
        // Stop the clock first: the report's own message loop would tick again.
        KillTimer(hwnd_, kTimer1);
        ReportError(e);
        DestroyWindow(hwnd_);
    }
}

// The machine may never wake up again: the total is written before it sleeps.
void frmMain::SaveBeforeSleep() {
    const LogRecord record = LogRecordOf(modMain::appState);
    if (host_->SaveLog(record)) engine_->NoteLogSaved(record);
}

void frmMain::picHook_MouseMove(unsigned code) {
    tray_.picHook_MouseMove(code, [this](TrayAction action) {
        if (action == TrayAction::ToggleStats) {
            frmTime& stats = frmTime::Get();
            if (ToggleStats(modMain::appState, stats.IsVisible()))
                stats.Show();
            else
                stats.Hide();
        } else if (action == TrayAction::OpenMenu) {
            OpenPopupMenu();
        }
    });
}

void frmMain::OpenPopupMenu() {
    if (!mnuPopup_) {
        mnuPopup_ = CreatePopupMenu();
        AppendMenuA(mnuPopup_, MF_STRING, mnuStats, "&Stats");
        AppendMenuA(mnuPopup_, MF_STRING, mnuConfig, "C&onfiguration");
        AppendMenuA(mnuPopup_, MF_STRING, mnuAdd, "A&just Log Time");
        AppendMenuA(mnuPopup_, MF_STRING, mnuClear, "&Clear Log");
        AppendMenuA(mnuPopup_, MF_STRING, mnuAbout, "&About");
        AppendMenuA(mnuPopup_, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(mnuPopup_, MF_STRING, mnuExit, "E&xit");
    }
    POINT pt;
    GetCursorPos(&pt);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(hwnd_);
    const UINT id = static_cast<UINT>(TrackPopupMenu(
        mnuPopup_, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, pt.x, pt.y, 0, hwnd_, nullptr));
    PostMessageA(hwnd_, WM_NULL, 0, 0);
    if (id) OnMenu(id);
}

void frmMain::OnMenu(UINT id) {
    switch (id) {
        case mnuStats:
            frmTime::Get().Show();
            break;
        case mnuConfig:
            frmConfig::Get().Show();
            break;
        case mnuAdd:
            frmAdd::Get().Show();
            break;
        case mnuClear:
            frmClear::Get().Show();
            break;
        case mnuAbout:
            frmAbout::Get().Show();
            break;
        case mnuExit:
            DestroyWindow(hwnd_);
            break;
    }
}

LRESULT CALLBACK frmMain::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (theMain && theMain->hwnd_ == hwnd) return theMain->HandleMessage(msg, wParam, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// The tray icon's messages arrive as the callback message, with the mouse message in lParam.
LRESULT CALLBACK frmMain::HookProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kTrayCallbackMessage && theMain && wParam == 1)
        theMain->picHook_MouseMove(LOWORD(lParam));
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT frmMain::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_TIMER:
            if (wParam == kTimer1 && engine_) Timer1_Timer();
            return 0;
        case WM_COMMAND:
            OnMenu(LOWORD(wParam));
            return 0;
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMSUSPEND && engine_) SaveBeforeSleep();
            if ((wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) && engine_)
                engine_->Resume();
            return TRUE;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // Windows may end the process as soon as this returns.
            if (wParam) Form_Unload();
            return 0;
        case WM_APP_REPORT: {
            std::unique_ptr<AppError> error(reinterpret_cast<AppError*>(lParam));
            ReportError(*error);
            return 0;
        }
        case WM_CLOSE:
            DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            Form_Unload();
            PostQuitMessage(0);
            return 0;
    }
    if (msg == taskbarCreated_ && taskbarCreated_ && !unloaded_) AddTrayIcon(picHook_, icon_);
    return DefWindowProcA(hwnd_, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Two copies would each count and overwrite the other's total.
    HANDLE single = CreateMutexA(nullptr, FALSE, "Local\\VelmoraOnlineTimer.Running");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxA(nullptr,
                    "The Velmora Online Timer is already running; its icon is in the notification "
                    "area. Right-click the icon to open its menu.",
                    kProgramTitle, MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    frmMain main;
    theMain = &main;
    const int result = main.Run(instance);
    theMain = nullptr;
    CloseHandle(single);
    return result;
}

// The real program and its files under faults, as root and as a standard user (CMakeLists.txt).
#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2ipdef.h>

#include <iphlpapi.h>
#include <shellapi.h>

#include "win_test_support.h"

#include "win/clock_win.h"
#include "win/connection_probe_win.h"

const std::string kDefaults = "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";
const std::string kSaved = "False\r\nFalse\r\nFalse\r\n0\r\n0\r\n0\r\n";

std::string InUse(const std::string& fixed) {  // or its per-user copy if c:\windows is read-only
    HANDLE probe = CreateFileA((fixed + ".probe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    return probe != INVALID_HANDLE_VALUE && CloseHandle(probe) ? fixed : PerUserCopy(fixed);
}

class ProgramTest : public ::testing::Test {
  protected:
    ProgramTest() {  // as before the first start on a new account, offline: RAS lists nothing
        for (auto p : {settings, log, history.history, history.session, history.options, ras})
            SetFileAttributesW(WIDE(p), FILE_ATTRIBUTE_NORMAL), DeleteFileW(WIDE(p));
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kRemoteAccessKey, kRemoteConnectionValue);
    }
    std::string Files() const { return ReadFileBytes(settings) + ReadFileBytes(log); }
    int64_t SavedTotal() const { return ParseLog(ReadFileBytes(log), "").total; }
    std::vector<SessionRecord> Sessions() const { return LoadHistory(history.history).sessions; }
    int64_t Recorded() const {  // the seconds the history holds
        int64_t seconds = 0;
        for (const SessionRecord& s : Sessions()) seconds += s.seconds;
        return seconds;
    }
    // Started, the program says this within ms and ends; the files then as given or as they were.
    void ExpectEnds(const std::string& said, std::string files = "", int ms = 10000) const {
        files = files.empty() ? Files() : files;
        TimerProcess program;
        const std::string shown = program.Message(ms);
        const bool ended = program.WaitForExit();
        EXPECT_EQ(std::tuple(Contains(shown, said), ended, Files()), std::tuple(true, true, files))
            << shown;
    }
    const std::string settings = InUse(kSettingsPath), log = InUse(kLogPath);
    const HistoryPaths history = ResolveHistoryPaths();
    const std::string ras = Beside("ras-double.txt");  // what RAS reports (ras_double.cpp)
};

TEST_F(ProgramTest, StartExitRestartTrayMenusAndSessionEnd) {
    TimerProcess first;
    ASSERT_TRUE(first.Stats());
    EXPECT_EQ(Files(), kDefaults + " 0 \r\n");
    WriteFileBytes(log, "0");  // then held for a moment at Exit, as a scanner would: Exit waits
    HANDLE held = CreateFileW(WIDE(log), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    std::string message = first.Exit(250);
    CloseHandle(held), message += first.Message(1500);
    const bool ended = first.WaitForExit();
    EXPECT_EQ(std::tuple(message, ended, Files()), std::tuple("", true, kSaved + " 0 \r\n"));
    WriteFileBytes(settings, kDefaults), WriteFileBytes(log, "3600");
    TimerProcess program;
    EXPECT_TRUE(WaitFor([&] { return program.TotalShown() == 3600; }));
    ExpectEnds("already running");
    std::string seen;  // double clicks show and hide the Stats window; right clicks open one menu
    for (const LPARAM click : {515, 515, 517, 517}) {
        PostMessageA(program.Tray(), WM_MOUSEMOVE, 1, click), Sleep(500);
        seen += IsWindowVisible(program.Stats()) ? "shown " : "hidden ";
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32768", nullptr));)
            seen += IsWindowVisible(w) ? "menu " : "";
    }
    EXPECT_EQ(seen, "shown hidden hidden menu hidden menu ");
    program.Menu(202), program.Click("Velmora Timer Configuration", ConfigDialog::kOkAndSave);
    EXPECT_EQ(Files(), kSaved + "3600");
    program.Menu(204), program.Click("Are you sure...", ClearDialog::kOk);
    EXPECT_EQ(Files(), kSaved + " 0 \r\n");
    program.Menu(207);  // the History window names its file; Export writes into the same folder
    EXPECT_PRED2(Contains, program.HistoryStatus(history.history, 30000), history.history);
    PostMessageA(GetDlgItem(program.Form("History"), HistoryWindow::kExport), BM_CLICK, 0, 0);
    const HWND save = program.Window("#32770");
    WaitFor([&] { return GetDlgItem(save, 0x47c) || GetDlgItem(save, 0x480); });
    const std::string exported = history.history + ".x.csv";
    for (int box : {0x47c, 0x480})  // the name box, in either style of the Save dialog
        SendMessageW(GetDlgItem(save, box), WM_SETTEXT, 0, (LPARAM)WIDE(exported));
    PostMessageA(save, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(exported).starts_with("date,"); }));
    // Sleeps (each wake told twice) end sessions; closed by the Restart Manager, all is saved.
    WriteFileBytes(settings, kDefaults), WriteFileBytes(log, ""), SetRemoteConnection(1);
    ASSERT_TRUE(WaitFor([&] { return program.TotalShown() == 1; }));
    for (int i = 0; i < 12; ++i) {
        program.Post(WM_POWERBROADCAST, PBT_APMSUSPEND);
        program.Post(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC), Sleep(i * 397 % 1900);
        program.Post(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND), Sleep(300);
    }
    EXPECT_EQ(program.Send(WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
    program.Send(WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(std::pair(ReadFileBytes(settings), Recorded()), std::pair(kSaved, SavedTotal()));
    EXPECT_GE(Sessions().size(), 6u);
    EXPECT_TRUE(TimerProcess().Stats());
}

std::string Report(const std::string& args) {  // what the report command writes into cmd's pipe
    std::FILE* pipe = _popen((Beside("online-timer-report.exe") + " " + args).c_str(), "rb");
    std::string out;
    for (int c; (c = std::fgetc(pipe)) != EOF;) out += static_cast<char>(c);
    return _pclose(pipe), out;
}

// First read by the report, a minute in, while another program holds the history to write it.
TEST_F(ProgramTest, HardKillLosesAtMostAMinuteSleepSessionsAndOverflowAreSaved) {
    const std::string net = "\xd0\xa1\xd0\xb5\xd1\x82\xd1\x8c, \"\"5G\"\"";  // quoted as CSV
    WriteFileBytes(history.history, "start,end,seconds,connection\r\n2026-01-05T10:00:00+01:00," +
                                        ("2026-01-05T11:00:00+01:00,3600,\"" + net + "\"\r\n"));
    SetRemoteConnection(1);
    TimerProcess killed;
    Sleep(63000);  // its session checkpointed
    ASSERT_TRUE(WaitFor([&] { return !ReadFileBytes(history.session).empty(); }));
    const SessionRecord now = ParseHistory(ReadFileBytes(history.session)).sessions.at(0);
    HANDLE held = CreateFileW(WIDE(history.history), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
    const std::string status = Report("status --json"), days = Report("days --csv");
    EXPECT_EQ(std::tuple(Contains(status, "\"running\":true,\"total\":"),
                         Contains(status, "\"sessionStart\":\"" + FormatLocalTime(now.start)),
                         days.find("\r\n" + FormatLocalTime(now.end).substr(0, 10) + ","),
                         Contains(days, "\r\n2026-01-05,1:00:00,3600,1,unknown,,,\"" + net +
                                            " 1:00:00\"\r\n")),
              std::tuple(true, true, days.find("\r\n"), true))
        << status << days;
    CloseHandle(held);
    const int64_t counted = killed.TotalShown(), kept = (killed.Kill(), SavedTotal());
    TimerProcess program;
    ASSERT_TRUE(program.Stats());
    ASSERT_EQ(Sessions().size(), 2u);
    const int64_t recovered = Sessions()[1].seconds;
    EXPECT_EQ(std::tuple(counted >= 62, kept >= counted - 60, kept < counted,
                         recovered >= counted - 60, recovered <= counted),
              std::tuple(true, true, true, true, true))
        << counted << " " << kept << " " << recovered;
    // Held as a spreadsheet holds it: sessions ending meanwhile wait, and go in once it lets go.
    held =
        CreateFileW(WIDE(history.history), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    Sleep(5000), program.Send(WM_POWERBROADCAST, PBT_APMSUSPEND);
    EXPECT_GE(SavedTotal(), kept + 4);
    EXPECT_LE(std::abs(SavedTotal() - program.TotalShown()), 1);
    Sleep(2000), SetRemoteConnection(0), program.Menu(207);
    EXPECT_PRED2(Contains, program.HistoryStatus("2 sessions wait"), "2 sessions wait to be added");
    CloseHandle(held);
    ASSERT_TRUE(program.Close());
    ASSERT_EQ(Sessions().size(), 4u);
    const int64_t seconds = Sessions()[2].seconds, after = Sessions()[3].seconds;
    EXPECT_EQ(std::tuple(seconds >= 4 && seconds <= 7, after >= 1 && after <= 3, SavedTotal()),
              std::tuple(true, true, kept + seconds + after))
        << seconds << " " << after;
    WriteFileBytes(log, " 2147483640 \r\n"), SetRemoteConnection(1);
    ExpectEnds("largest total", kSaved + " 2147483647 \r\n", 20000);
}

// Of time and data, a red bar; RAS hung up at the limit only when asked. Wine notifies in tooltips.
TEST_F(ProgramTest, AllowanceWarnsOnceAtEachShareOnceShownAcrossARestart) {
    const std::string now = FormatLocalTime(WindowsClock().Now()) + ",";
    const auto share = [&](const char* key) {  // the last given, as the options file keeps it
        const std::string file = ReadFileBytes(history.options);
        const size_t at = std::min(file.find(',', file.find(key)), file.size());
        return file.substr(at, file.find('\r', at) - at);
    };
    std::string shares, seen;      // the time's shares as they change; "/": the icon is back
    for (const std::string& add :  // to the options file, or to today's history
         {std::string("allowance=day\nallowance-seconds=12\nwarn-percent=50\nallowance-bytes=1000"),
          now + now + "1,VPN,600,0\n", now + now + "1,,500,0\n", std::string("\nhang-up=yes")}) {
        const std::string& file = Contains(add, "=") ? history.options : history.history;
        WriteFileBytes(file, ReadFileBytes(file) + add), WriteFileBytes(ras, "connected VPN\n");
        TimerProcess program;
        ASSERT_TRUE(program.Stats());
        NOTIFYICONDATAA icon = {};  // forgotten as by a restarting shell
        icon.cbSize = NOTIFYICONDATAA_V1_SIZE, icon.hWnd = program.Tray(), icon.uID = 1;
        if (seen.empty() && Shell_NotifyIconA(NIM_DELETE, &icon))
            Sleep(7000), shares += share("last-warning=") + "/";
        program.Send(RegisterWindowMessageA("TaskbarCreated"));  // until it says it is new
        bool notified = false, red = false;
        for (int i = 0; i < 12; ++i, Sleep(seen.empty() ? 1000 : 500)) {
            if (!shares.ends_with(share("last-warning="))) shares += share("last-warning=");
            for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "tooltips_class32", nullptr));)
                notified |= IsWindowVisible(w) != 0;
        }
        HDC dc = GetDC(FindWindowA(nullptr, "Wine System Tray"));
        for (int p = 0; p < 100 * 60; ++p) red |= GetPixel(dc, p % 100, p / 100) == RGB(220, 0, 0);
        ReleaseDC(WindowFromDC(dc), dc);
        seen += std::string(notified ? "notified " : "") + (red ? "red " : "") +
                share("last-data-warning=") + " " + ReadFileBytes(ras) + "|";
        ASSERT_TRUE(program.Close());
    }
    EXPECT_EQ(shares + " " + seen,
              ",0/,0,50,100 notified red ,0 connected VPN\n|notified red ,50 connected VPN\n|"
              "notified red ,100 connected VPN\n|red ,100 |");
}

using NetworkTest = ProgramTest;
void Ip(const std::string& args) {  // in the tests' own network (tools/wine-session)
    EXPECT_TRUE(TimerProcess("/bin/ip " + args).Started()) << args;  // Wine starts Linux programs
}

// RAS alone; any internet connection, chosen in the menu, kept; an adapter found by its GUID.
TEST_F(NetworkTest, EachChoiceCountsItsConnectionsAndIsKept) {
    WriteFileBytes(ras, "dialing Office\ndialing Home\nconnected VPN\n");
    Ip("link set cell0 up"), Ip("route replace default via 10.77.0.1");
    std::string seen, cell0;
    for (const SeenConnection& c : ConnectionProbe()({{}, true}).connections)
        if (c.name == "cell0") cell0 = c.id;
    const std::string byGuid = "count=only\ncount-source=adapter\ncount-name=Cellular\ncount-id=";
    for (int run = 0; run < 3; ++run, seen += " ") {
        TimerProcess program;
        const auto step = [&](const char* change) {
            if (*change) Ip(change), Sleep(1500);
            seen += program.Counting() ? "+" : "-";
        };
        const auto keys = [&](std::initializer_list<int> pressed) {
            PostMessageA(program.Tray(), WM_MOUSEMOVE, 1, WM_RBUTTONUP), Sleep(1000);
            for (const int key : pressed)  // a letter chooses, else a key pressed
                PostMessageA(program.Window("#32768"), key < 'a' ? WM_KEYDOWN : WM_CHAR, key, 0),
                    Sleep(500);
        };
        step("");
        if (run == 0)  // "Counting", "Any internet connection"
            keys({'u', 'i'}), step(""), step("route del default"),
                step("route add default via 10.77.0.1");
        if (run == 2)  // the last of those listed
            step("link set cell0 down"), Ip("link set cell0 up"), keys({'u', VK_END, VK_RETURN});
        EXPECT_TRUE(program.Close());
        if (run == 1) WriteFileBytes(history.options, byGuid + cell0);  // by a name it has not
    }
    for (const SessionRecord& s : Sessions()) seen += s.connection + " ";
    const std::string options = ReadFileBytes(history.options);
    EXPECT_EQ(seen + options.substr(options.find("count-name=")),
              "++-+ + +- VPN internet internet internet cell0 cell0 count-name=cell0\r\ncount-id=" +
                  cell0 + "\r\n");
}

// Nor while RAS fails; the History window says why; Exit while it hangs saves everything.
TEST_F(NetworkTest, NothingIsCountedWhileRasDoesNotAnswer) {
    WriteFileBytes(ras, "connected VPN\nbytes 4294967000 100\n");
    TimerProcess program;
    ASSERT_TRUE(WaitFor([&] { return program.TotalShown() >= 2; }));
    WriteFileBytes(ras, "connected VPN\nbytes 4294968000 300\n"), Sleep(2000);  // 32-bit wrap
    WriteFileBytes(ras, "hang now\nconnected VPN\n");
    const int before = program.TotalShown();
    program.Menu(207), Sleep(20000);
    EXPECT_EQ(program.HistoryStatus().substr(0, 44),
              "Not counting: Windows is not answering (RAS)");
    const int during = program.TotalShown();
    EXPECT_LE(during - before, 1);
    WriteFileBytes(ras, "connected VPN\n");
    EXPECT_TRUE(WaitFor([&] { return program.TotalShown() >= during + 2; }));
    WriteFileBytes(ras, "error 623\n"), Sleep(2000);  // failing RAS: nothing is up, once asked
    EXPECT_FALSE(program.Counting());
    WriteFileBytes(ras, "hang now\n"), Sleep(1000);
    ASSERT_TRUE(program.Close());
    WriteFileBytes(ras, ""),  // not hanging: a start lists every connection
        WriteFileBytes(history.options, "count=only\ncount-source=adapter\ncount-name=cell0\n");
    Ip("route replace 10.77.0.9 dev cell0"),
        Ip("neigh replace 10.77.0.9 lladdr 2:0:0:0:0:9 dev cell0");
    TimerProcess cell0;  // what it sends, within 1 % of the adapter's own counter
    ASSERT_TRUE(cell0.Counting());
    MIB_IF_ROW2 row = {};
    ConvertInterfaceAliasToLuid(L"cell0", &row.InterfaceLuid);
    const int64_t outBefore = (GetIfEntry2(&row), row.OutOctets);
    WSADATA wsa;
    const SOCKET udp = (WSAStartup(MAKEWORD(2, 2), &wsa), socket(AF_INET, SOCK_DGRAM, 0));
    const sockaddr_in to = {AF_INET, htons(9), {{{10, 77, 0, 9}}}, {}};
    const std::string datagram(1400, 'x');
    for (int i = 0; i < 1000; ++i)
        sendto(udp, datagram.data(), 1400, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    Sleep(2000), GetIfEntry2(&row), cell0.Close();
    const int64_t sent = Sessions().at(2).data.value_or(Traffic{}).sent,
                  moved = static_cast<int64_t>(row.OutOctets) - outBefore;
    EXPECT_EQ(std::tuple(Recorded(), Sessions().size(), Sessions()[0].data, moved > 1000000,
                         std::abs(sent - moved) * 100 < moved),
              std::tuple(SavedTotal(), size_t{3}, Traffic{1000, 200}, true, true))
        << sent << " of " << moved;
}

// The files seeded into c:\windows before this test (CMakeLists.txt) stay as they were.
TEST_F(ProgramTest, OldFilesInTheWindowsFolderSeedThePerUserCopies) {
    ASSERT_NE(log, kLogPath) << "c:\\windows can be written: no per-user copies to seed";
    EXPECT_PRED2(Contains, log + history.history, "\\users\\Дмитрий\\");  // tools/wine-session
    TimerProcess program;
    ASSERT_TRUE(WaitFor([&] { return program.TotalShown() == 4242; }));
    ASSERT_TRUE(program.Close());
    EXPECT_EQ(Files() + ReadFileBytes(kLogPath),
              "False\r\nFalse\r\nTrue\r\n1\r\n2\r\n3\r\n 4242 \r\n 4242 \r\n");
}

TEST_F(ProgramTest, BadOrUnusableFilesStopTheStartNamingTheFile) {
    const std::string odd("0\r\n0\r\n0\r\n\0\0\r\n\xe9t\xe9\r\n\xff\r\n", 20), big(10 << 20, '7');
    WriteFileBytes(settings, odd + big);  // loads, and Exit writes it back as it stood
    TimerProcess program;
    ASSERT_TRUE(program.Stats() && program.Close());
    EXPECT_EQ(ReadFileBytes(settings),
              std::string("False\r\nFalse\r\nFalse\r\n\0\0\r\n\xe9t\xe9\r\n\xff\r\n", 33));
    WriteFileBytes(log, big);
    ExpectEnds("The time log file \"" + log + "\" holds \"" + big.substr(0, 40) +
               "...\", which is outside");
    WriteFileBytes(settings, kDefaults), DeleteFileW(WIDE(log)), CreateDirectoryW(WIDE(log), 0);
    ExpectEnds("a folder stands where the file should be");
    RemoveDirectoryW(WIDE(log)), WriteFileBytes(log, " 77 \r\n");
    HANDLE held = CreateFileW(WIDE(log), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ExpectEnds("The time log file \"" + log + "\" could not be opened"), CloseHandle(held);
    TimerProcess readOnly;  // at Exit: reported, and the file keeps what it held
    ASSERT_TRUE(readOnly.Stats());
    WriteFileBytes(log, " 5 \r\n"), SetFileAttributesW(WIDE(log), FILE_ATTRIBUTE_READONLY);
    EXPECT_PRED2(Contains, readOnly.Exit(), "the file is read-only");
    EXPECT_EQ(std::tuple(ReadFileBytes(log), GetFileAttributesW(WIDE(log + ".new"))),
              std::tuple(" 5 \r\n", INVALID_FILE_ATTRIBUTES));
}

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

#include "core/report.h"

// Over midnight at a month's end, a name to quote; a damaged line; waiting; in progress, with data.
static ReportInputs Inputs() {
    ReportInputs in;
    in.historyPath = "h", in.total = 90061, in.running = true;
    in.history = ParseHistory(
        "2026-11-30T23:30:00+01:00,2026-12-01T00:30:00+01:00,3600,\"\xc3\x9c \"\"a,\tb\\\"\n-\n");
    in.waiting = ParseHistory("2026-12-06T08:00:00+01:00,2026-12-06T08:10:00+01:00,600\n").sessions;
    in.inProgress = ParseSessionLine(
        "2026-12-07T09:00:00+01:00,2026-12-07T09:30:00+01:00,1800,Home,3145728,1048576");
    in.now = *ParseLocalTime("2026-12-07T10:30:42+02:00"),
    in.allowance = {AllowancePeriod::kMonth, 3600};
    return in;
}

// Each case is "arguments=exit|out|err" between the prefix and suffix, LF for CR LF, "~" for the
// note of the line of the history that could not be read.
static void ExpectEach(std::initializer_list<std::string_view> cases, const ReportInputs& in,
                       const std::string& prefix = "0|", const std::string& suffix = "") {
    const std::string note = "Kept in \"h\". 1 line of it could not be read and was left out.\r\n";
    for (const std::string_view c : cases) {
        std::istringstream line{std::string(c.substr(0, c.find('=')))};
        const ReportOutput r = RunReport({std::istream_iterator<std::string>(line), {}}, in);
        std::string got = std::to_string(r.exitCode) + "|" + r.out + "|" + r.err;
        for (size_t at; (at = got.find(note)) != std::string::npos;)
            got.replace(at, note.size(), "~");
        for (size_t at; (at = got.find("\r\n")) != std::string::npos;) got.replace(at, 2, "\n");
        EXPECT_EQ(got, prefix + std::string(c.substr(c.find('=') + 1)) + suffix) << c;
    }
}

TEST(Report, EachCommandAndFormat) {
    ExpectEach(
        {"days 1 "
         "--json={\"days\":[{\"date\":\"2026-12-07\",\"seconds\":1800,\"sessions\":1,\"received\":"
         "3145728,\"sent\":1048576,\"sessionsWithoutData\":0,\"connections\":[{\"name\":\"Home\","
         "\"seconds\":1800,\"received\":3145728,\"sent\":1048576,\"sessionsWithoutData\":0}]}],"
         "\"skippedLines\":1}\n|~",
         "months --csv=month,online time,seconds,sessions,data,received,sent,connections\n2026-12,"
         "1:10:00,4200,3,4.0 MB + unknown,3145728,1048576,\"Home 0:30:00 (4.0 MB), \xc3\x9c "
         "\"\"a,\tb\\ 0:30:00, dial-up 0:10:00\"\n2026-11,0:30:00,1800,1,unknown,,,\"\xc3\x9c "
         "\"\"a,\tb\\ 0:30:00\"\n|~",
         "sessions --from 2026-11-30 --to 2026-12-07=start                      end                "
         "        online time  seconds  in progress  received     sent  "
         "connection\n2026-11-30T23:30:00+01:00  2026-12-01T00:30:00+01:00      1:00:00     3600  "
         "no                  -        -  \xc3\x9c \"a,\tb\\\n2026-12-06T08:00:00+01:00  "
         "2026-12-06T08:10:00+01:00      0:10:00      600  no                  -        -  "
         "dial-up\n2026-12-07T09:00:00+01:00  2026-12-07T09:30:00+01:00      0:30:00     1800  yes "
         " "
         "         3145728  1048576  Home\n\n~|",
         "connections "
         "--json={\"connections\":[{\"month\":\"2026-12\",\"seconds\":1800,\"received\":3145728,"
         "\"sent\":1048576,\"sessionsWithoutData\":0,\"name\":\"Home\"},{\"month\":\"2026-12\","
         "\"seconds\":1800,\"received\":null,\"sent\":null,\"sessionsWithoutData\":1,\"name\":"
         "\"\xc3\x9c \\\"a,\\u0009b\\\\\"},{\"month\":\"2026-12\",\"seconds\":600,\"received\":"
         "null,\"sent\":null,\"sessionsWithoutData\":1,\"name\":\"dial-up\"}],\"skippedLines\":1}"
         "\n|~",
         "status=now:                2026-12-07T10:30:42+02:00\nrunning:            yes\ntotal:    "
         "          01:01:01:01\nsession start:      2026-12-07T09:00:00+01:00\nsession end:       "
         " 2026-12-07T09:30:00+01:00\nsession:            0:30:00\nconnection:         "
         "Home\ncheckpoint age:     0:00:42\nallowance:          month\nused:               "
         "1:10:00\nleft:               0:00:00\nallowance text:     This month: 1:10 of 1:00 (116 "
         "%) - today 0:30\nwaiting sessions:   1\nwaiting:            0:10:00\n\n~|"},
        Inputs());
    // Nothing in progress, an allowance of none, nothing waiting, the timer not running.
    const ReportInputs none{.allowance = {AllowancePeriod::kWeek},
                            .now = *ParseLocalTime("2027-01-02T03:04:05-05:30")};
    ExpectEach({"status "
                "--json={\"now\":\"2027-01-02T03:04:05-05:30\",\"running\":false,\"total\":0,"
                "\"sessionStart\":null,\"sessionEnd\":null,\"sessionSeconds\":null,\"connection\":"
                "null,\"checkpointAgeSeconds\":null,\"allowance\":\"off\",\"usedSeconds\":null,"
                "\"leftSeconds\":null,\"allowanceText\":null,\"waitingSessions\":0,"
                "\"waitingSeconds\":0,\"skippedLines\":0}\n|"},
               none);
    std::string shown;  // what is not there: "-"; of data alone no time left, of 1 s some
    for (const int64_t seconds : {0, 1}) {
        const std::string t =
            RunReport({"status"}, {.allowance = {AllowancePeriod::kDay, seconds, 2, 1, 80, 1}}).out;
        for (const size_t at : {t.find("session start:"), t.find("left:")})
            shown += t.substr(at + 20, t.find('\r', at) - at - 20) + "|";
    }
    EXPECT_EQ(shown, "-|-|-|0:00:01|");
}

// A wrong command line says what is wrong on one line and ends with 2. A file that could not be
// read: 1, and its message.
TEST(Report, WrongCommandLinesAndFilesThatCannotBeRead) {
    ExpectEach(
        {"=no command: days, months, sessions, connections or status (see --help)",
         "day=unknown command \"day\" (see --help)",
         "days --xml=unknown option \"--xml\" (see --help)",
         "days 0=\"0\" is not a positive whole number",
         "days 5x=\"5x\" is not a positive whole number", "days 5 6=unexpected \"6\" after days",
         "status now=unexpected \"now\" after status",
         "sessions --from 2026-02-30=\"2026-02-30\" is not a date (YYYY-MM-DD)",
         "sessions --to=--to needs a date (YYYY-MM-DD)",
         "sessions --from 2026-12-08 --to 2026-12-07=the range is backwards: 2026-12-08 is after "
         "2026-12-07",
         "days --from 2026-12-01=--from and --to are for sessions only",
         "connections 2026-13=\"2026-13\" is not a month (YYYY-MM)",
         "--csv status --json=--csv and --json do not go together"},
        {}, "2||online-timer-report: ", "\n");
    const ReportOutput help = RunReport({"days", "0", "--help"}, {});  // wins over the wrong 0
    EXPECT_EQ(std::pair(help.exitCode, help.out.substr(0, 6)), std::pair(0, std::string("Usage:")));
    ReportInputs in = Inputs();
    in.statusError = "tavo.dat: bad";
    ExpectEach({"status=1||tavo.dat: bad\n",
                "sessions --from 2000-01-01 --to 2000-01-01=0|start  end  online time  seconds  in "
                "progress  received  sent  connection\n\n~|"},
               in, "");
    in.historyError = "history.csv: unreadable";
    ExpectEach({"days=1||history.csv: unreadable\n"}, in, "");
}

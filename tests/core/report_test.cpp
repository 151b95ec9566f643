#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

#include "core/report.h"

namespace {

// Over midnight at a month's end with a name to quote, a damaged line, one of no name waiting,
// one in progress.
ReportInputs Inputs() {
    return {
        "h.csv",
        ParseHistory(
            "2026-11-30T23:30:00+01:00,2026-12-01T00:30:00+01:00,3600,\"\xc3\x9c\"\"a,\tb\"\n-\n"),
        ParseHistory("2026-12-07T08:00:00+01:00,2026-12-07T08:10:00+01:00,600\n").sessions,
        ParseSessionLine("2026-12-07T09:00:00+01:00,2026-12-07T09:30:00+01:00,1800,Home"),
        90061,
        {AllowancePeriod::kMonth, 36000},
        *ParseLocalTime("2026-12-07T09:30:42+01:00"),
        true,
        "",
        ""};
}

// Each case is "arguments=exit|out|err" after the prefix, LF for CR LF, "~" for the note of the
// line of the history that could not be read.
void ExpectEach(std::initializer_list<std::string_view> cases, const ReportInputs& in,
                const std::string& prefix = "0|") {
    const std::string note =
        "Kept in \"h.csv\". 1 line of it could not be read and was left out.\r\n";
    for (const std::string_view c : cases) {
        std::istringstream line{std::string(c.substr(0, c.find('=')))};
        const ReportOutput r = RunReport({std::istream_iterator<std::string>(line), {}}, in);
        std::string got = std::to_string(r.exitCode) + "|" + r.out + "|" + r.err;
        for (size_t at; (at = got.find(note)) != std::string::npos;)
            got.replace(at, note.size(), "~");
        for (size_t at; (at = got.find("\r\n")) != std::string::npos;) got.replace(at, 2, "\n");
        EXPECT_EQ(got, prefix + std::string(c.substr(c.find('=') + 1))) << c;
    }
}

}  // namespace

TEST(Report, EachCommandAndFormat) {
    ExpectEach(
        {"days 1 "
         "--json={\"days\":[{\"date\":\"2026-12-07\",\"seconds\":2400,\"sessions\":2,"
         "\"connections\":[{\"name\":\"Home\",\"seconds\":1800},{\"name\":\"dial-up\",\"seconds\":"
         "600}]}],\"skippedLines\":1}\n|~",
         "months --csv=month,online "
         "time,seconds,sessions,connections\n2026-12,1:10:00,4200,3,\"Home 0:30:00, "
         "\xc3\x9c\"\"a,\tb 0:30:00, dial-up 0:10:00\"\n2026-11,0:30:00,1800,1,\"\xc3\x9c\"\"a,\tb "
         "0:30:00\"\n|~",
         "sessions --json --from "
         "2026-12-07={\"sessions\":[{\"start\":\"2026-12-07T08:00:00+01:00\",\"end\":\"2026-12-"
         "07T08:10:00+01:00\",\"seconds\":600,\"inProgress\":false,\"connection\":\"dial-up\"},{"
         "\"start\":\"2026-12-07T09:00:00+01:00\",\"end\":\"2026-12-07T09:30:00+01:00\","
         "\"seconds\":1800,\"inProgress\":true,\"connection\":\"Home\"}],\"skippedLines\":1}\n|~",
         "sessions --to 2026-11-30=start                      end                        online "
         "time  seconds  in progress  connection\n2026-11-30T23:30:00+01:00  "
         "2026-12-01T00:30:00+01:00      1:00:00     3600  no           \xc3\x9c\"a,\tb\n\n~|",
         "connections=month    online time   seconds  connection\n2026-12      0:30:00      1800  "
         "Home\n2026-12      0:30:00      1800  \xc3\x9c\"a,\tb\n2026-12      0:10:00       600  "
         "dial-up\n\n~|",
         "status "
         "--json={\"now\":\"2026-12-07T09:30:42+01:00\",\"running\":true,\"total\":90061,"
         "\"sessionStart\":\"2026-12-07T09:00:00+01:00\",\"sessionEnd\":\"2026-12-07T09:30:00+01:"
         "00\",\"sessionSeconds\":1800,\"connection\":\"Home\",\"checkpointAgeSeconds\":42,"
         "\"allowance\":\"month\",\"usedSeconds\":4200,\"leftSeconds\":31800,\"allowanceText\":"
         "\"This month: 1:10 of 10:00 (11 %) - today "
         "0:40\",\"waitingSessions\":1,\"waitingSeconds\":600,\"skippedLines\":1}\n|~"},
        Inputs());
    // Nothing in progress, an allowance of none, nothing waiting, the timer not running.
    ReportInputs none;
    none.now = *ParseLocalTime("2027-01-02T03:04:05-05:30");
    none.allowance.period = AllowancePeriod::kWeek;
    ExpectEach({"status=now:                2027-01-02T03:04:05-05:30\nrunning:            "
                "no\ntotal:              00:00:00:00\nsession start:      \nsession end:        "
                "\nsession:            \nconnection:         \ncheckpoint age:     \nallowance:    "
                "      off\nused:               \nleft:               \nallowance text:     "
                "\nwaiting sessions:   0\nwaiting:            0:00:00\n|"},
               none);
}

// A wrong command line says what is wrong on one line and ends with 2; --help wins over it. A file
// that could not be read: 1, and its message.
TEST(Report, WrongCommandLinesAndFilesThatCannotBeRead) {
    ExpectEach(
        {"=no command: give days, months, sessions, connections or status (see --help)\n",
         "day=unknown command \"day\": give days, months, sessions, connections or status\n",
         "days --xml=unknown option \"--xml\" (see --help)\n",
         "days 0=\"0\" is not a positive whole number of days\n",
         "months -1=\"-1\" is not a positive whole number of months\n",
         "days 5x=\"5x\" is not a positive whole number of days\n",
         "days 5 6=unexpected \"6\" after days\n", "status now=unexpected \"now\" after status\n",
         "sessions --from 2026-02-30=\"2026-02-30\" is not a date: write it as YYYY-MM-DD\n",
         "sessions --to=--to needs a date, as YYYY-MM-DD\n",
         "sessions --from 2026-12-08 --to 2026-12-07=the range is backwards: --from 2026-12-08 is "
         "after --to 2026-12-07\n",
         "days --from 2026-12-01=--from and --to go with the sessions command only\n",
         "connections 2026-13=\"2026-13\" is not a month: write it as YYYY-MM\n",
         "--csv status --json=--csv and --json cannot go together\n"},
        {}, "2||online-timer-report: ");
    ReportInputs in = Inputs();
    in.statusError = "tavo.dat: bad";
    const ReportOutput help = RunReport({"days", "0", "--help"}, in);
    EXPECT_EQ(std::to_string(help.exitCode) + help.out.substr(0, 6), "0Usage:");
    ExpectEach({"status=1||tavo.dat: bad\n",
                "connections 2000-01=0|month    online time   seconds  connection\n\n~|"},
               in, "");
    in.historyError = "history.csv: unreadable";
    ExpectEach({"days=||history.csv: unreadable\n", "status=||history.csv: unreadable\n"}, in, "1");
}

#include <gtest/gtest.h>

#include "core/report.h"

namespace {

LocalTime At(const char* text) {
    return ParseLocalTime(text).value();
}

// Over midnight at a month's end with a name to quote, one of no name waiting, one in progress.
ReportInputs Inputs() {
    return {"h.csv",
            {{{At("2026-11-30T23:30:00+01:00"), At("2026-12-01T00:30:00+01:00"), 3600,
               "\xc3\x9c\"a,\tb"}},
             1},
            {{At("2026-12-07T08:00:00+01:00"), At("2026-12-07T08:10:00+01:00"), 600, ""}},
            SessionRecord{At("2026-12-07T09:00:00+01:00"), At("2026-12-07T09:30:00+01:00"), 1800,
                          "Home"},
            90061,
            {AllowancePeriod::kMonth, 36000},
            At("2026-12-07T09:30:42+01:00"),
            true,
            "",
            ""};
}

// Each case is "arguments=exit|out|err", the lines ending in LF for CR LF, "~" for the note of the
// line of the history that could not be read.
void ExpectEach(std::initializer_list<std::string_view> cases, const ReportInputs& in) {
    const std::string note =
        "Kept in \"h.csv\". 1 line of it could not be read and was left out.\r\n";
    for (const std::string_view c : cases) {
        const std::string line(c.substr(0, c.find('=')));
        std::vector<std::string> args;
        for (size_t at = 0; at < line.size(); at = std::min(line.find(' ', at), line.size()) + 1)
            args.push_back(line.substr(at, line.find(' ', at) - at));
        const ReportOutput r = RunReport(args, in);
        std::string got = std::to_string(r.exitCode) + "|" + r.out + "|" + r.err;
        for (size_t at; (at = got.find(note)) != std::string::npos;)
            got.replace(at, note.size(), "~");
        for (size_t at; (at = got.find("\r\n")) != std::string::npos;) got.replace(at, 2, "\n");
        EXPECT_EQ(got, c.substr(c.find('=') + 1)) << c;
    }
}

}  // namespace

TEST(Report, EachCommandInEachFormat) {
    ExpectEach(
        {"days 2=0|Date        Online time  Sessions  Connections\n2026-12-07      0:40:00         "
         "2  Home 0:30:00, dial-up 0:10:00\n2026-12-01      0:30:00         1  \xc3\x9c\"a,\tb "
         "0:30:00\n\n~|",
         "months --csv=0|month,online "
         "time,seconds,sessions,connections\n2026-12,1:10:00,4200,3,\"Home 0:30:00, "
         "\xc3\x9c\"\"a,\tb 0:30:00, dial-up 0:10:00\"\n2026-11,0:30:00,1800,1,\"\xc3\x9c\"\"a,\tb "
         "0:30:00\"\n|~",
         "days 1 "
         "--json=0|{\"days\":[{\"date\":\"2026-12-07\",\"seconds\":2400,\"sessions\":2,"
         "\"connections\":[{\"name\":\"Home\",\"seconds\":1800},{\"name\":\"dial-up\",\"seconds\":"
         "600}]}],\"skippedLines\":1}\n|~",
         "sessions --from 2026-12-07=0|Start                      End                        "
         "Online time  Connection\n2026-12-07T08:00:00+01:00  2026-12-07T08:10:00+01:00      "
         "0:10:00  dial-up\n2026-12-07T09:00:00+01:00  2026-12-07T09:30:00+01:00      0:30:00  "
         "Home (in progress)\n\n~|",
         "sessions --csv --to 2026-12-01=0|start,end,seconds,connection,in "
         "progress\n2026-11-30T23:30:00+01:00,2026-12-01T00:30:00+01:00,3600,\"\xc3\x9c\"\"a,\tb\","
         "no\n|~",
         "sessions --json --from "
         "2026-12-07=0|{\"sessions\":[{\"start\":\"2026-12-07T08:00:00+01:00\",\"end\":\"2026-12-"
         "07T08:10:00+01:00\",\"seconds\":600,\"connection\":\"dial-up\",\"inProgress\":false},{"
         "\"start\":\"2026-12-07T09:00:00+01:00\",\"end\":\"2026-12-07T09:30:00+01:00\","
         "\"seconds\":1800,\"connection\":\"Home\",\"inProgress\":true}],\"skippedLines\":1}\n|~",
         "connections 2026-11=0|Online time  Connection\n    0:30:00  \xc3\x9c\"a,\tb\n\n~|",
         "connections --csv=0|connection,online "
         "time,seconds\nHome,0:30:00,1800\n\"\xc3\x9c\"\"a,\tb\",0:30:00,1800\ndial-up,0:10:00,"
         "600\n|~",
         "connections "
         "--json=0|{\"month\":\"2026-12\",\"connections\":[{\"name\":\"Home\",\"seconds\":1800},{"
         "\"name\":\"\xc3\x9c\\\"a,\\u0009b\",\"seconds\":1800},{\"name\":\"dial-up\",\"seconds\":"
         "600}],\"skippedLines\":1}\n|~",
         "status=0|Timer:       running\nTotal:       01:01:01:01\nIn progress: Home, 0:30:00 "
         "since 2026-12-07T09:00:00+01:00; checkpoint 0:00:42 ago\nAllowance:   This month: 1:10 "
         "of 10:00 (11 %) - today 0:40; 8:50:00 left\nWaiting:     1 (0:10:00), not in the history "
         "yet\n\n~|",
         "status --csv=0|running,total,total seconds,session start,session end,session "
         "seconds,session connection,checkpoint age,allowance,allowance seconds,used seconds,left "
         "seconds,waiting sessions,waiting "
         "seconds\nyes,01:01:01:01,90061,2026-12-07T09:00:00+01:00,2026-12-07T09:30:00+01:00,1800,"
         "Home,42,month,36000,4200,31800,1,600\n|~",
         "status "
         "--json=0|{\"now\":\"2026-12-07T09:30:42+01:00\",\"running\":true,\"total\":90061,"
         "\"totalText\":\"01:01:01:01\",\"inProgress\":{\"start\":\"2026-12-07T09:00:00+01:00\","
         "\"end\":\"2026-12-07T09:30:00+01:00\",\"seconds\":1800,\"connection\":\"Home\","
         "\"ageSeconds\":42},\"allowance\":{\"period\":\"month\",\"seconds\":36000,\"periodStart\":"
         "\"2026-12-01\",\"periodEnd\":\"2026-12-31\",\"usedSeconds\":4200,\"leftSeconds\":31800,"
         "\"text\":\"This month: 1:10 of 10:00 (11 %) - today "
         "0:40\"},\"waiting\":[{\"start\":\"2026-12-07T08:00:00+01:00\",\"end\":\"2026-12-07T08:10:"
         "00+01:00\",\"seconds\":600,\"connection\":\"dial-up\"}],\"skippedLines\":1}\n|~"},
        Inputs());
    // Nothing in progress, no allowance (a week of none), nothing waiting, the timer not running.
    ReportInputs none;
    none.now = At("2027-01-02T03:04:05-05:30");
    none.allowance.period = AllowancePeriod::kWeek;
    ExpectEach({"status=0|Timer:       not running\nTotal:       00:00:00:00\nIn progress: "
                "none\nAllowance:   none\nWaiting:     0 (0:00:00), not in the history yet\n|",
                "status "
                "--json=0|{\"now\":\"2027-01-02T03:04:05-05:30\",\"running\":false,\"total\":0,"
                "\"totalText\":\"00:00:00:00\",\"inProgress\":null,\"allowance\":null,\"waiting\":["
                "],\"skippedLines\":0}\n|"},
               none);
}

// A wrong command line says what is wrong on one line and ends with 2; --help wins over it. A file
// that could not be read: 1, and its message.
TEST(Report, WrongCommandLinesAndFilesThatCannotBeRead) {
    ExpectEach(
        {"=2||online-timer-report: no command: give days, months, sessions, connections or status "
         "(see --help)\n",
         "day=2||online-timer-report: unknown command \"day\": give days, months, sessions, "
         "connections or status\n",
         "days --xml=2||online-timer-report: unknown option \"--xml\" (see --help)\n",
         "days 0=2||online-timer-report: \"0\" is not a positive whole number of days\n",
         "months -1=2||online-timer-report: \"-1\" is not a positive whole number of months\n",
         "days 5x=2||online-timer-report: \"5x\" is not a positive whole number of days\n",
         "days 5 6=2||online-timer-report: unexpected \"6\" after days\n",
         "status now=2||online-timer-report: unexpected \"now\" after status\n",
         "sessions --from 2026-02-30=2||online-timer-report: \"2026-02-30\" is not a date: write "
         "it as YYYY-MM-DD\n",
         "sessions --to=2||online-timer-report: --to needs a date, as YYYY-MM-DD\n",
         "sessions --from 2026-12-08 --to 2026-12-07=2||online-timer-report: the range is "
         "backwards: --from 2026-12-08 is after --to 2026-12-07\n",
         "days --from 2026-12-01=2||online-timer-report: --from and --to go with the sessions "
         "command only\n",
         "connections 2026-13=2||online-timer-report: \"2026-13\" is not a month: write it as "
         "YYYY-MM\n",
         "connections 2026-12-01=2||online-timer-report: \"2026-12-01\" is not a month: write it "
         "as YYYY-MM\n",
         "--csv status --json=2||online-timer-report: --csv and --json cannot go together\n"},
        {});
    ReportInputs in = Inputs();
    in.statusError = "The time log file \"tavo.dat\" holds \"x\".";
    EXPECT_EQ(RunReport({"days", "0", "--help"}, in).out.substr(0, 53),
              "Usage: online-timer-report COMMAND [--csv | --json]\r\n");
    ExpectEach({"status --json=1||The time log file \"tavo.dat\" holds \"x\".\n"}, in);
    in.historyError = "The history file \"h.csv\" could not be read: the read failed.";
    ExpectEach({"days=1||The history file \"h.csv\" could not be read: the read failed.\n",
                "status=1||The history file \"h.csv\" could not be read: the read failed.\n"},
               in);
}

#include <gtest/gtest.h>

#include "core/report.h"

namespace {

LocalTime At(const char* text) {
    return ParseLocalTime(text).value();
}

// A session over midnight at a month's end, one of no name, one waiting and one in progress.
ReportInputs Inputs() {
    ReportInputs in{
        "h.csv",
        {{{At("2026-11-30T23:30:00+01:00"), At("2026-12-01T00:30:00+01:00"), 3600,
           "\xc3\x9c \"5G\",\tb"},
          {At("2026-12-06T10:00:00+01:00"), At("2026-12-06T10:20:00+01:00"), 1200, ""}},
         1},
        {{At("2026-12-07T08:00:00+01:00"), At("2026-12-07T08:10:00+01:00"), 600, "Home"}},
        SessionRecord{At("2026-12-07T09:00:00+01:00"), At("2026-12-07T09:30:00+01:00"), 1800,
                      "Home"},
        90061,
        {AllowancePeriod::kMonth, 36000},
        At("2026-12-07T09:30:42+01:00"),
        true,
        "",
        ""};
    return in;
}

// "exit|out|err" for the command line, its CR LF shown as a line end; a bare LF shows.
std::string Output(const std::string& line, const ReportInputs& in) {
    std::vector<std::string> args;
    for (size_t at = 0; at < line.size(); at = line.find(' ', at) + 1) {
        args.push_back(line.substr(at, line.find(' ', at) - at));
        if (line.find(' ', at) == std::string::npos) break;
    }
    const ReportOutput r = RunReport(args, in);
    const std::string text = std::to_string(r.exitCode) + "|" + r.out + "|" + r.err;
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] != '\r' || text[i + 1] != '\n')
            shown +=
                text[i] == '\n' && (i == 0 || text[i - 1] != '\r') ? "<LF>" : text.substr(i, 1);
    return shown;
}

}  // namespace

TEST(Report, EachCommandInEachFormat) {
    const std::string note =
        "Kept in \"h.csv\". 1 line of it could not be read and was left out.\n";
    const std::string name = "\xc3\x9c \"5G\",\tb", json = "\xc3\x9c \\\"5G\\\",\\u0009b";
    const std::pair<std::string, std::string> cases[] = {
        {"days 2",
         "0|Date        Online time  Sessions  Connections\n"
         "2026-12-07      0:40:00         2  Home 0:40:00\n"
         "2026-12-06      0:20:00         1  dial-up 0:20:00\n\n" +
             note + "|"},
        {"days 1 --csv",
         "0|date,online time,seconds,sessions,connections\n2026-12-07,0:40:00,2400,2,Home "
         "0:40:00\n|" +
             note},
        {"--json months",
         "0|{\"months\":[{\"month\":\"2026-12\",\"seconds\":5400,\"sessions\":4,"
         "\"connections\":[{\"name\":\"Home\",\"seconds\":2400},{\"name\":\"" +
             json +
             "\",\"seconds\":1800},{\"name\":\"dial-up\",\"seconds\":1200}]},{"
             "\"month\":\"2026-11\",\"seconds\":1800,\"sessions\":1,"
             "\"connections\":[{\"name\":\"" +
             json + "\",\"seconds\":1800}]}],\"skippedLines\":1}\n|" + note},
        {"months 1 --csv",
         "0|month,online time,seconds,sessions,connections\n2026-12,1:30:00,"
         "5400,4,\"Home 0:40:00, \xc3\x9c \"\"5G\"\",\tb 0:30:00, dial-up "
         "0:20:00\"\n|" +
             note},
        {"sessions --from 2026-12-07",
         "0|Start                      End                        Online time  Connection\n"
         "2026-12-07T08:00:00+01:00  2026-12-07T08:10:00+01:00      0:10:00  Home\n"
         "2026-12-07T09:00:00+01:00  2026-12-07T09:30:00+01:00      0:30:00  Home (in "
         "progress)\n\n" +
             note + "|"},
        {"sessions --csv --to 2026-12-06",
         "0|start,end,seconds,connection,in progress\n2026-11-30T23:30:00+01:00,2026-12-01T00:30:"
         "00+01:00,3600,\"\xc3\x9c \"\"5G\"\",\tb\",no\n2026-12-06T10:00:00+01:00,2026-12-06T10:20:"
         "00+01:00,1200,dial-up,no\n|" +
             note},
        {"sessions --json --from 2026-12-07",
         "0|{\"sessions\":[{\"start\":\"2026-12-07T08:00:00+01:00\",\"end\":\"2026-12-07T08:10:00+"
         "01:00\",\"seconds\":600,\"connection\":\"Home\",\"inProgress\":false},{\"start\":\"2026-"
         "12-07T09:00:00+01:00\",\"end\":\"2026-12-07T09:30:00+01:00\",\"seconds\":1800,"
         "\"connection\":\"Home\",\"inProgress\":true}],\"skippedLines\":1}\n|" +
             note},
        {"connections 2026-11",
         "0|Online time  Connection\n    0:30:00  " + name + "\n\n" + note + "|"},
        {"connections --csv",
         "0|connection,online time,seconds\nHome,0:40:00,2400\n\"\xc3\x9c \"\"5G\"\",\tb\",0:30:"
         "00,1800\ndial-up,0:20:00,1200\n|" +
             note},
        {"connections 2026-12 --json",
         "0|{\"month\":\"2026-12\",\"connections\":[{\"name\":"
         "\"Home\",\"seconds\":2400},{\"name\":\"" +
             json +
             "\",\"seconds\":1800},{\"name\":\"dial-up\","
             "\"seconds\":1200}],\"skippedLines\":1}\n|" +
             note},
        {"status",
         "0|Timer:       running\nTotal:       01:01:01:01\nIn progress: Home, 0:30:00 since "
         "2026-12-07T09:00:00+01:00; checkpoint 0:00:42 ago\nAllowance:   This month: 1:30 of "
         "10:00 (15 %) - today 0:40; 8:30:00 left\nWaiting:     1 (0:10:00), not in the history "
         "yet\n\n" +
             note + "|"},
        {"status --csv",
         "0|running,total,total seconds,session start,session end,session seconds,session "
         "connection,checkpoint age,allowance,allowance seconds,used seconds,left "
         "seconds,waiting sessions,waiting seconds\nyes,01:01:01:01,90061,2026-12-07T09:00:00+01:"
         "00,2026-12-07T09:30:00+01:00,1800,Home,42,month,36000,5400,30600,1,600\n|" +
             note},
        {"status --json",
         "0|{\"now\":\"2026-12-07T09:30:42+01:00\",\"running\":true,\"total\":90061,"
         "\"totalText\":\"01:01:01:01\",\"inProgress\":{\"start\":\"2026-12-07T09:00:00+01:00\","
         "\"end\":\"2026-12-07T09:30:00+01:00\",\"seconds\":1800,\"connection\":\"Home\","
         "\"ageSeconds\":42},\"allowance\":{\"period\":\"month\",\"seconds\":36000,"
         "\"periodStart\":\"2026-12-01\",\"periodEnd\":\"2026-12-31\",\"usedSeconds\":5400,"
         "\"leftSeconds\":30600,\"text\":\"This month: 1:30 of 10:00 (15 %) - today "
         "0:40\"},\"waiting\":[{\"start\":\"2026-12-07T08:00:00+01:00\",\"end\":\"2026-12-07T08:"
         "10:00+01:00\",\"seconds\":600,\"connection\":\"Home\"}],\"skippedLines\":1}\n|" +
             note},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(Output(line, Inputs()), expected) << line;
    // Nothing in progress, no allowance, nothing waiting, the timer not running.
    ReportInputs none;
    none.now = At("2027-01-02T03:04:05-05:30");
    EXPECT_EQ(Output("status", none) + Output("status --csv", none) + Output("status --json", none),
              "0|Timer:       not running\nTotal:       00:00:00:00\nIn progress: none\n"
              "Allowance:   none\nWaiting:     0 (0:00:00), not in the history yet\n|0|running,"
              "total,total seconds,session start,session end,session seconds,session "
              "connection,checkpoint age,allowance,allowance seconds,used seconds,left "
              "seconds,waiting sessions,waiting seconds\nno,00:00:00:00,0,,,,,,off,,,,0,0\n|0|{"
              "\"now\":\"2027-01-02T03:04:05-05:30\",\"running\":false,\"total\":0,\"totalText\":"
              "\"00:00:00:00\",\"inProgress\":null,\"allowance\":null,\"waiting\":[],"
              "\"skippedLines\":0}\n|");
}

// A wrong command line says what is wrong on one line and ends with 2; a file that could not be
// read, with 1; --help wins over either.
TEST(Report, WrongCommandLinesAndFilesThatCannotBeRead) {
    for (const std::string_view c : std::initializer_list<std::string_view>{
             "=no command: give days, months, sessions, connections or status (see --help)",
             "day=unknown command \"day\": give days, months, sessions, connections or status",
             "days --xml=unknown option \"--xml\" (see --help)",
             "days 0=\"0\" is not a positive whole number of days",
             "months -1=\"-1\" is not a positive whole number of months",
             "days 5x=\"5x\" is not a positive whole number of days",
             "days 5 6=unexpected \"6\" after days", "status now=unexpected \"now\" after status",
             "sessions --from 2026-02-30=\"2026-02-30\" is not a date: write it as YYYY-MM-DD",
             "sessions --to=--to needs a date, as YYYY-MM-DD",
             "sessions --from 2026-12-08 --to 2026-12-07=the range is backwards: --from "
             "2026-12-08 is after --to 2026-12-07",
             "days --from 2026-12-01=--from and --to go with the sessions command only",
             "connections 2026-13=\"2026-13\" is not a month: write it as YYYY-MM",
             "connections 2026-12-01=\"2026-12-01\" is not a month: write it as YYYY-MM",
             "--csv status --json=--csv and --json cannot go together"})
        EXPECT_EQ(Output(std::string(c.substr(0, c.find('='))), {}),
                  "2||online-timer-report: " + std::string(c.substr(c.find('=') + 1)) + "\n")
            << c;
    ReportInputs in = Inputs();
    in.statusError = "The time log file \"tavo.dat\" holds \"x\".";
    EXPECT_EQ(Output("days 1 --csv --json --help", in).substr(0, 54),
              "0|Usage: online-timer-report COMMAND [--csv | --json]\n");
    EXPECT_EQ(Output("sessions --to 2026-11-30", in).substr(0, 2) + Output("status --json", in),
              "0|1||The time log file \"tavo.dat\" holds \"x\".\n");
    in.historyError = "The history file \"h.csv\" could not be read: the read failed.";
    EXPECT_EQ(Output("days", in) + Output("status", in),
              "1||" + in.historyError + "\n1||" + in.historyError + "\n");
}

#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/traffic.h"

// What the timer counts as online, as the user chose it.
enum class CountedKind { kDialUp, kMetered, kInternet, kChosen };
// Where Windows lists a connection: a RAS phone-book entry or connection, a network adapter by its
// friendly name, or a named network (a Wi-Fi's name).
enum class ConnectionSource { kRas, kAdapter, kNetwork };

struct CountChoice {
    CountedKind kind = CountedKind::kDialUp;
    ConnectionSource source = ConnectionSource::kRas;  // and name: of the chosen connection
    std::string name{};
    // An adapter's interface GUID: it keeps the adapter when Windows names it anew ("Cellular 2");
    // the name finds it where the GUID does not.
    std::string id{};
    friend bool operator==(const CountChoice&, const CountChoice&) = default;
};

struct SeenConnection {
    ConnectionSource source = ConnectionSource::kRas;
    std::string name;
    bool up = false;
    bool metered = false;
    std::string id{};  // an adapter's interface GUID
    friend bool operator==(const SeenConnection&, const SeenConnection&) = default;
};

// What one look at the system found, for one choice: only what that choice needs is asked.
struct Sighting {
    // The dial-up status value where it exists: it decides, and the connections are not asked.
    std::optional<bool> registrySays;
    // Whether the system says the internet is reachable; nullopt where it cannot say.
    std::optional<bool> internet{};
    // Connected, but the system cannot say to what: its own check is off or cannot get through.
    // Then the adapters up with a default gateway count, unless it found a captive portal.
    bool unsure = false, captivePortal = false;
    std::vector<SeenConnection> connections{};
    // The byte counters of what the choice counts, where Windows keeps them.
    std::vector<TrafficCount> traffic{};
    friend bool operator==(const Sighting&, const Sighting&) = default;
};

inline constexpr std::string_view kMeteredKind = "metered", kInternetKind = "internet";

// The name the time is counted under, or nullopt when nothing the choice counts is up: the first
// such connection's name, or the kind where it has none; any internet connection is "internet".
std::optional<std::string> CountedConnection(const CountChoice& choice, const Sighting& seen);

// Which of seen.connections carry the bytes counted: those up that the choice counts, while it
// counts any. Where the status value decides, every RAS connection up; for any internet
// connection, the adapters the probe lists for it.
std::vector<bool> BytesCounted(const CountChoice& choice, const Sighting& seen);

// The chosen adapter as it is now, where the one counted has another name or GUID than kept: the
// name it was found by when Windows names it anew, the GUID it has when it was reinstalled.
std::optional<CountChoice> FollowChosen(const CountChoice& choice, const Sighting& seen);

// What the choice asks of Windows, as the user knows it: "RAS", "the network list".
std::string_view AskedOf(const CountChoice& choice);

struct CountMenuItem {
    std::string text;  // with "&&" for an "&" of a name
    CountChoice choice;
    bool checked = false, enabled = true;
};
// The kinds, then each connection listed once, in the order seen, by its name now; the chosen one,
// when it is not there, as not present; while the list is not `complete`, a last line that says
// so. An adapter is offered once it has been seen up (`adaptersUp`, kept by the caller): one never
// up, a virtual one or one switched off, is not.
std::vector<CountMenuItem> CountMenu(const CountChoice& chosen,
                                     const std::vector<SeenConnection>& listed,
                                     std::vector<std::string>& adaptersUp, bool complete);

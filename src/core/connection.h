#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the timer counts as online, as the user chose it.
enum class CountedKind { kDialUp, kMetered, kInternet, kChosen };
// Where Windows lists a connection: a RAS phone-book entry or connection, a network adapter by its
// friendly name, or a named network (a Wi-Fi's name).
enum class ConnectionSource { kRas, kAdapter, kNetwork };

struct CountChoice {
    CountedKind kind = CountedKind::kDialUp;
    ConnectionSource source = ConnectionSource::kRas;  // and name: of the chosen connection
    std::string name;
    friend bool operator==(const CountChoice&, const CountChoice&) = default;
};

struct SeenConnection {
    ConnectionSource source = ConnectionSource::kRas;
    std::string name;
    bool up = false;
    bool metered = false;
    friend bool operator==(const SeenConnection&, const SeenConnection&) = default;
};

// What one look at the system found, for one choice: only what that choice needs is asked.
struct Sighting {
    // The dial-up status value where it exists: it decides, and the connections are not asked.
    std::optional<bool> registrySays;
    // Whether the system says the internet is reachable; nullopt where it cannot say.
    std::optional<bool> internet;
    std::vector<SeenConnection> connections;
    friend bool operator==(const Sighting&, const Sighting&) = default;
};

inline constexpr std::string_view kMeteredKind = "metered", kInternetKind = "internet";

// The name the time is counted under, or nullopt when nothing the choice counts is up: the first
// such connection's name, or the kind where it has none.
std::optional<std::string> CountedConnection(const CountChoice& choice, const Sighting& seen);

struct CountMenuItem {
    std::string text;  // with "&&" for an "&" of a name
    CountChoice choice;
    bool checked = false;
};
// The kinds, then each connection listed once, in the order seen; the chosen one, when it is not
// there, as not present. An adapter is offered once it has been seen up (`adaptersUp`, kept by
// the caller): one never up, a virtual one or one switched off, is not.
std::vector<CountMenuItem> CountMenu(const CountChoice& chosen,
                                     const std::vector<SeenConnection>& listed,
                                     std::vector<std::string>& adaptersUp);

#include "core/connection.h"

#include <algorithm>

#include "core/history.h"

std::optional<std::string> CountedConnection(const CountChoice& choice, const Sighting& seen) {
    const auto firstUp = [&](auto counts) -> std::optional<std::string> {
        const auto it = std::find_if(seen.connections.begin(), seen.connections.end(),
                                     [&](const SeenConnection& c) { return c.up && counts(c); });
        if (it == seen.connections.end()) return std::nullopt;
        return it->name;
    };
    const auto orKind = [](std::optional<std::string> name, std::string_view kind) {
        if (name && name->empty()) *name = kind;
        return name;
    };
    switch (choice.kind) {
        case CountedKind::kDialUp:
            if (seen.registrySays)
                return *seen.registrySays ? std::optional(std::string(kDialUpKind)) : std::nullopt;
            return orKind(firstUp([](const SeenConnection&) { return true; }), kDialUpKind);
        case CountedKind::kMetered:
            return orKind(firstUp([](const SeenConnection& c) { return c.metered; }), kMeteredKind);
        case CountedKind::kInternet:
            if (seen.internet)
                return *seen.internet ? std::optional(std::string(kInternetKind)) : std::nullopt;
            return orKind(firstUp([](const SeenConnection&) { return true; }), kInternetKind);
        case CountedKind::kChosen:
            return firstUp([&](const SeenConnection& c) {
                return c.source == choice.source && c.name == choice.name;
            });
    }
    return std::nullopt;
}

namespace {

// A RAS entry and an adapter may share a name: the menu says which is which.
std::string MenuText(const CountChoice& c) {
    std::string text = "Only ";
    for (const char ch : c.name) text.append(ch == '&' ? 2 : 1, ch);
    constexpr const char* kSourceWords[] = {" (dial-up)", "", " (network)"};
    return text + kSourceWords[static_cast<int>(c.source)];
}

}  // namespace

std::vector<CountMenuItem> CountMenu(const CountChoice& chosen,
                                     const std::vector<SeenConnection>& listed,
                                     std::vector<std::string>& adaptersUp) {
    std::vector<CountMenuItem> items = {
        {"&Dial-up and VPN connections", {CountedKind::kDialUp, {}, {}}},
        {"&Metered connections", {CountedKind::kMetered, {}, {}}},
        {"Any &internet connection", {CountedKind::kInternet, {}, {}}}};
    bool chosenListed = false;
    for (const SeenConnection& c : listed) {
        const bool adapter = c.source == ConnectionSource::kAdapter;
        const bool upBefore =
            std::find(adaptersUp.begin(), adaptersUp.end(), c.name) != adaptersUp.end();
        if (adapter && c.up && !upBefore) adaptersUp.push_back(c.name);
        const CountChoice choice{CountedKind::kChosen, c.source, c.name};
        if (c.name.empty() || (adapter && !c.up && !upBefore) ||
            std::any_of(items.begin(), items.end(),
                        [&](const CountMenuItem& i) { return i.choice == choice; }))
            continue;
        items.push_back({MenuText(choice), choice});
        chosenListed |= choice == chosen;
    }
    if (chosen.kind == CountedKind::kChosen && !chosenListed)
        items.push_back({MenuText(chosen) + " (not present)", chosen});
    for (CountMenuItem& item : items) item.checked = item.choice == chosen;
    return items;
}

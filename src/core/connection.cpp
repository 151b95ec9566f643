#include "core/connection.h"

#include <algorithm>

#include "core/history.h"

namespace {

// The chosen connection among those listed: an adapter by its GUID while one has it.
bool IsChosen(const CountChoice& choice, const SeenConnection& c,
              const std::vector<SeenConnection>& listed) {
    const auto hasId = [&](const SeenConnection& s) { return s.id == choice.id; };
    const bool byId = !choice.id.empty() && std::any_of(listed.begin(), listed.end(), hasId);
    return c.source == choice.source && (byId ? hasId(c) : c.name == choice.name);
}

// Whether the choice counts this connection while it is up.
bool Counts(const CountChoice& choice, const SeenConnection& c,
            const std::vector<SeenConnection>& listed) {
    if (choice.kind == CountedKind::kMetered) return c.metered;
    return choice.kind != CountedKind::kChosen || IsChosen(choice, c, listed);
}

}  // namespace

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
    const auto counts = [&](const SeenConnection& c) {
        return Counts(choice, c, seen.connections);
    };
    switch (choice.kind) {
        case CountedKind::kDialUp:
            if (seen.registrySays)
                return *seen.registrySays ? std::optional(std::string(kDialUpKind)) : std::nullopt;
            return orKind(firstUp(counts), kDialUpKind);
        case CountedKind::kMetered:
            return orKind(firstUp(counts), kMeteredKind);
        case CountedKind::kInternet: {
            const bool byGateway = !seen.internet || (seen.unsure && !seen.captivePortal);
            if (seen.internet != true && !(byGateway && firstUp(counts))) return std::nullopt;
            return std::string(kInternetKind);
        }
        case CountedKind::kChosen:
            return firstUp(counts);
    }
    return std::nullopt;
}

std::vector<bool> BytesCounted(const CountChoice& choice, const Sighting& seen) {
    const bool any = CountedConnection(choice, seen).has_value();
    std::vector<bool> counted;
    for (const SeenConnection& c : seen.connections)
        counted.push_back(any && c.up && Counts(choice, c, seen.connections));
    return counted;
}

// Only adapters have a GUID.
std::optional<CountChoice> FollowChosen(const CountChoice& choice, const Sighting& seen) {
    for (const SeenConnection& c : seen.connections)
        if (IsChosen(choice, c, seen.connections) && !c.id.empty() &&
            (c.id != choice.id || c.name != choice.name))
            return CountChoice{choice.kind, choice.source, c.name, c.id};
    return std::nullopt;
}

std::string_view AskedOf(const CountChoice& choice) {
    if (choice.kind == CountedKind::kDialUp) return "RAS";
    if (choice.kind != CountedKind::kChosen) return "the network list";
    constexpr std::string_view kAsked[] = {"RAS", "the network adapters", "the network list"};
    return kAsked[static_cast<int>(choice.source)];
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
                                     std::vector<std::string>& adaptersUp, bool complete) {
    std::vector<CountMenuItem> items = {
        {"&Dial-up and VPN connections", {CountedKind::kDialUp, {}, {}, {}}},
        {"&Metered connections", {CountedKind::kMetered, {}, {}, {}}},
        {"Any &internet connection", {CountedKind::kInternet, {}, {}, {}}}};
    bool chosenListed = false;
    for (const SeenConnection& c : listed) {
        const bool adapter = c.source == ConnectionSource::kAdapter;
        const std::string key = c.id.empty() ? c.name : c.id;
        const bool upBefore =
            std::find(adaptersUp.begin(), adaptersUp.end(), key) != adaptersUp.end();
        if (adapter && c.up && !upBefore) adaptersUp.push_back(key);
        const bool isChosen = chosen.kind == CountedKind::kChosen && IsChosen(chosen, c, listed);
        const CountChoice choice{CountedKind::kChosen, c.source, c.name, c.id};
        if (c.name.empty() || (adapter && !c.up && !upBefore && !isChosen) ||
            std::any_of(items.begin(), items.end(),
                        [&](const CountMenuItem& i) { return i.choice == choice; }))
            continue;
        items.push_back({MenuText(choice), choice, isChosen});
        chosenListed |= isChosen;
    }
    if (chosen.kind == CountedKind::kChosen && !chosenListed)
        items.push_back({MenuText(chosen) + " (not present)", chosen, true});
    for (size_t i = 0; i < 3; ++i) items[i].checked = items[i].choice.kind == chosen.kind;
    if (!complete) items.push_back({"Still looking for connections...", chosen, false, false});
    return items;
}

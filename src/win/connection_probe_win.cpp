#include "win/connection_probe_win.h"

#include <windows.h>
#include <winsock2.h>
#include <ws2ipdef.h>

#include <iphlpapi.h>
#include <netioapi.h>
#include <netlistmgr.h>
#include <ocidl.h>
#include <ras.h>
#include <raserror.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "core/dialup_probe.h"
#include "store/wide_text_win.h"
#include "win/ras_list_win.h"

namespace {

class WindowsRegistry : public RegistryApi {
  public:
    long OpenKey(const char* subkey, void** key) override {
        HKEY opened = nullptr;
        const LONG status = RegOpenKeyA(HKEY_LOCAL_MACHINE, subkey, &opened);
        *key = opened;
        return status;
    }
    long QueryValue(void* key, const char* name, uint8_t* buffer, uint32_t* size) override {
        DWORD type = 0, bytes = *size;
        const LONG status =
            RegQueryValueExA(static_cast<HKEY>(key), name, nullptr, &type, buffer, &bytes);
        *size = bytes;
        return status;
    }
    void CloseKey(void* key) override { RegCloseKey(static_cast<HKEY>(key)); }
};

// Where the byte counters of a listed connection are read, one for each connection listed while
// they are asked: a RAS connection by its handle; an adapter by its LUID or by the GUID a network
// gives for it; or what was read with the connection already.
struct Counter {
    HRASCONN ras = nullptr;
    std::string name{};  // the RAS connection's
    std::optional<GUID> adapter{};
    NET_LUID luid = {};
    std::optional<TrafficCount> read{};
};
using Counters = std::vector<Counter>;

std::string GuidText(const GUID& guid) {
    wchar_t text[40] = L"";
    StringFromGUID2(guid, text, 40);
    return Utf8(text);
}

// A filter interface counts again what its adapter moved.
std::optional<TrafficCount> AdapterCount(const MIB_IF_ROW2& row) {
    if (row.InterfaceAndOperStatusFlags.FilterInterface) return std::nullopt;
    return TrafficCount{GuidText(row.InterfaceGuid), row.InOctets, row.OutOctets, false};
}

// RAS keeps 32-bit counters, from when the connection came up; an adapter 64-bit ones.
std::optional<TrafficCount> ReadCounter(Counter c) {
    if (c.read) return c.read;
    if (c.ras) {
        RAS_STATS stats = {};
        stats.dwSize = sizeof stats;
        if (RasGetConnectionStatistics(c.ras, &stats) != ERROR_SUCCESS) return std::nullopt;
        return TrafficCount{"ras:" + c.name, stats.dwBytesRcved, stats.dwBytesXmited, true};
    }
    if (c.adapter && ConvertInterfaceGuidToLuid(&*c.adapter, &c.luid) != NO_ERROR)
        return std::nullopt;
    MIB_IF_ROW2 row = {};
    row.InterfaceLuid = c.luid;
    if (c.luid.Value == 0 || GetIfEntry2(&row) != NO_ERROR) return std::nullopt;
    return AdapterCount(row);
}

// The counters of the connections the choice counts now, each adapter once.
void ReadTraffic(Sighting& seen, const CountChoice& choice, const Counters& counters) {
    const std::vector<bool> counted = BytesCounted(choice, seen);
    for (size_t i = 0; i < counters.size() && i < counted.size(); ++i) {
        const auto count = counted[i] ? ReadCounter(counters[i]) : std::nullopt;
        if (count && std::none_of(seen.traffic.begin(), seen.traffic.end(),
                                  [&](const TrafficCount& t) { return t.key == count->key; }))
            seen.traffic.push_back(*count);
    }
}

void AddRasConnections(std::vector<SeenConnection>& seen, Counters* counters = nullptr) {
    for (const RASCONNW& c : RasList<RASCONNW>(RasEnumConnectionsW)) {
        RASCONNSTATUSW status = {};
        status.dwSize = sizeof status;
        const bool up = RasGetConnectStatusW(c.hrasconn, &status) == ERROR_SUCCESS &&
                        status.rasconnstate == RASCS_Connected;
        seen.push_back({ConnectionSource::kRas, Utf8(c.szEntryName), up, false});
        if (counters) counters->push_back({c.hrasconn, seen.back().name});
    }
}

void AddRasEntries(std::vector<SeenConnection>& seen) {
    const auto entries = RasList<RASENTRYNAMEW>([](RASENTRYNAMEW* e, DWORD* bytes, DWORD* count) {
        return RasEnumEntriesW(nullptr, nullptr, e, bytes, count);
    });
    for (const RASENTRYNAMEW& e : entries)
        seen.push_back({ConnectionSource::kRas, Utf8(e.szEntryName), false, false});
}

std::string AdapterGuid(NET_LUID luid) {
    GUID guid;
    return ConvertInterfaceLuidToGuid(&luid, &guid) == NO_ERROR ? GuidText(guid) : "";
}

// Adapters by their friendly names; not the loopback nor tunnel pseudo-interfaces. With
// `byGateway`, an adapter is up only with a default gateway: it reaches beyond its own network.
void AddAdapters(std::vector<SeenConnection>& seen, bool byGateway, Counters* counters = nullptr) {
    constexpr ULONG kFlags = GAA_FLAG_INCLUDE_GATEWAYS | GAA_FLAG_SKIP_ANYCAST |
                             GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    std::vector<char> buffer(16384);
    ULONG bytes = static_cast<ULONG>(buffer.size()), status;
    while ((status = GetAdaptersAddresses(AF_UNSPEC, kFlags, nullptr,
                                          reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()),
                                          &bytes)) == ERROR_BUFFER_OVERFLOW)
        buffer.resize(bytes);
    if (status != ERROR_SUCCESS) return;
    for (auto* a = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); a; a = a->Next)
        if (a->IfType != IF_TYPE_SOFTWARE_LOOPBACK && a->IfType != IF_TYPE_TUNNEL) {
            seen.push_back({ConnectionSource::kAdapter, Utf8(a->FriendlyName),
                            a->OperStatus == IfOperStatusUp &&
                                (!byGateway || a->FirstGatewayAddress != nullptr),
                            false, AdapterGuid(a->Luid)});
            if (counters) counters->push_back({.luid = a->Luid});
        }
}

bool FirstConnected(INetworkConnection* c) {
    VARIANT_BOOL connected = VARIANT_FALSE;
    return SUCCEEDED(c->get_IsConnected(&connected)) && connected != VARIANT_FALSE;
}

// Windows found that a connected network sends the web to a page of its own (a hotspot's).
bool BehindCaptivePortal(INetworkConnection* connection) {
    IPropertyBag* bag = nullptr;
    bool portal = false;
    if (FAILED(connection->QueryInterface(IID_IPropertyBag, reinterpret_cast<void**>(&bag))) ||
        !bag)
        return false;
    for (const wchar_t* name : {L"NA_InternetConnectivityV4", L"NA_InternetConnectivityV6"}) {
        VARIANT value;
        VariantInit(&value);
        if (SUCCEEDED(bag->Read(name, &value, nullptr)) && value.vt == VT_UI4)
            portal |= (value.ulVal & NLM_INTERNET_CONNECTIVITY_WEBHIJACK) != 0;
        VariantClear(&value);
    }
    bag->Release();
    return portal;
}

std::string NetworkName(INetworkConnection* connection) {
    INetwork* network = nullptr;
    BSTR name = nullptr;
    if (SUCCEEDED(connection->GetNetwork(&network)) && network) {
        network->GetName(&name);
        network->Release();
    }
    const std::string text = name ? Utf8(name) : "";
    SysFreeString(name);
    return text;
}

// The networks connected now, with whether Windows counts each as metered; and whether one is
// behind a captive portal.
bool AddNetworks(std::vector<SeenConnection>& seen, INetworkListManager* list,
                 Counters* counters = nullptr) {
    IEnumNetworkConnections* connections = nullptr;
    bool portal = false;
    if (!list || FAILED(list->GetNetworkConnections(&connections)) || !connections) return false;
    INetworkConnection* c = nullptr;
    for (ULONG got = 0; connections->Next(1, &c, &got) == S_OK && got == 1; c->Release()) {
        DWORD cost = 0;
        INetworkConnectionCost* costs = nullptr;
        if (SUCCEEDED(
                c->QueryInterface(IID_INetworkConnectionCost, reinterpret_cast<void**>(&costs))) &&
            costs) {
            costs->GetCost(&cost);
            costs->Release();
        }
        const bool connected = FirstConnected(c);
        portal |= connected && BehindCaptivePortal(c);
        seen.push_back({ConnectionSource::kNetwork, NetworkName(c), connected,
                        (cost & (NLM_CONNECTION_COST_FIXED | NLM_CONNECTION_COST_VARIABLE)) != 0});
        GUID adapter;
        if (counters)
            counters->push_back({.adapter = connected && SUCCEEDED(c->GetAdapterId(&adapter))
                                                ? std::optional(adapter)
                                                : std::nullopt});
    }
    connections->Release();
    return portal;
}

// Every network Windows knows, connected or not, for the menu: the hotspot used last week too.
void AddKnownNetworks(std::vector<SeenConnection>& seen, INetworkListManager* list) {
    IEnumNetworks* networks = nullptr;
    if (!list || FAILED(list->GetNetworks(NLM_ENUM_NETWORK_ALL, &networks)) || !networks) return;
    INetwork* n = nullptr;
    for (ULONG got = 0; networks->Next(1, &n, &got) == S_OK && got == 1; n->Release()) {
        BSTR name = nullptr;
        VARIANT_BOOL connected = VARIANT_FALSE;
        n->get_IsConnected(&connected);
        if (SUCCEEDED(n->GetName(&name)) && name)
            seen.push_back({ConnectionSource::kNetwork, Utf8(name), connected != VARIANT_FALSE});
        SysFreeString(name);
    }
    networks->Release();
}

// What the probe keeps from one call to the next, on the worker's thread.
class WindowsProbe {
  public:
    explicit WindowsProbe(bool readCounters) : readCounters_(readCounters) {}
    Sighting Ask(const ProbeQuestion& question);

  private:
    void AddAdapter(std::vector<SeenConnection>& seen, const CountChoice& choice,
                    Counters* counters);
    INetworkListManager* NetworkList();
    void AskInternet(Sighting& seen, Counters* counters);

    NET_LUID luid_ = {};
    std::string found_;  // the GUID or name luid_ was found by
    INetworkListManager* list_ = nullptr;
    DWORD route_ = 0;
    NET_LUID routeLuid_ = {};
    bool com_ = false, comTried_ = false;
    const bool readCounters_;
};

// The chosen adapter, found once by its GUID (by its name where no adapter has that GUID) and then
// asked alone: a tenth of the cost of listing them all.
void WindowsProbe::AddAdapter(std::vector<SeenConnection>& seen, const CountChoice& choice,
                              Counters* counters) {
    GUID guid;
    const bool hasGuid =
        !choice.id.empty() && SUCCEEDED(CLSIDFromString(Wide(choice.id).c_str(), &guid));
    for (const bool byGuid : {true, false}) {
        const std::string& key = byGuid ? choice.id : choice.name;
        // Gone or renamed since it was found: found again.
        for (int attempt = 0; attempt < 2 && (hasGuid || !byGuid); ++attempt) {
            if (found_ != key || attempt == 1) {
                found_.clear();
                if ((byGuid ? ConvertInterfaceGuidToLuid(&guid, &luid_)
                            : ConvertInterfaceAliasToLuid(Wide(key).c_str(), &luid_)) != NO_ERROR)
                    break;
                found_ = key;
            }
            MIB_IF_ROW2 row = {};
            row.InterfaceLuid = luid_;
            if (GetIfEntry2(&row) == NO_ERROR &&
                (byGuid ? GuidText(row.InterfaceGuid) : Utf8(row.Alias)) == key) {
                seen.push_back({ConnectionSource::kAdapter, Utf8(row.Alias),
                                row.OperStatus == IfOperStatusUp, false,
                                GuidText(row.InterfaceGuid)});
                if (counters) counters->push_back({.read = AdapterCount(row)});
                return;
            }
        }
    }
}

// The Network List Manager, made anew when the route to the internet changes: some systems'
// answers otherwise stay what they were when it was made. nullptr where there is none.
INetworkListManager* WindowsProbe::NetworkList() {
    if (!comTried_) com_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    comTried_ = true;
    DWORD index = 0;
    // An address of no host, routed like any on the internet (192.0.2.1).
    if (GetBestInterface(htonl(0xC0000201), &index) != NO_ERROR) index = 0;
    if (list_ && index == route_) return list_;
    if (list_) list_->Release(), list_ = nullptr;
    route_ = index;
    if (com_)
        CoCreateInstance(CLSID_NetworkListManager, nullptr, CLSCTX_ALL, IID_INetworkListManager,
                         reinterpret_cast<void**>(&list_));
    return list_;
}

// Whether Windows says the internet is reachable; where it cannot say, or is connected but unsure
// (its own check off or blocked), the adapters up with a default gateway, and whether a captive
// portal holds the network.
void WindowsProbe::AskInternet(Sighting& seen, Counters* counters) {
    constexpr DWORD kInternet = NLM_CONNECTIVITY_IPV4_INTERNET | NLM_CONNECTIVITY_IPV6_INTERNET;
    constexpr DWORD kLocal = NLM_CONNECTIVITY_IPV4_SUBNET | NLM_CONNECTIVITY_IPV4_LOCALNETWORK |
                             NLM_CONNECTIVITY_IPV6_SUBNET | NLM_CONNECTIVITY_IPV6_LOCALNETWORK;
    if (INetworkListManager* list = NetworkList()) {
        NLM_CONNECTIVITY connectivity = NLM_CONNECTIVITY_DISCONNECTED;
        if (SUCCEEDED(list->GetConnectivity(&connectivity))) {
            seen.internet = (connectivity & kInternet) != 0;
            seen.unsure = !*seen.internet && (connectivity & kLocal) != 0;
        }
        if (seen.unsure) {
            std::vector<SeenConnection> networks;
            seen.captivePortal = AddNetworks(networks, list);
        }
    }
    if (!seen.internet || seen.unsure) AddAdapters(seen.connections, true, counters);
    // Reachable: through the adapter of the default route. Asked by its LUID, kept while the route
    // keeps its index: asked by the index, Wine takes twice as long.
    if (seen.internet != true || !counters || !route_) return;
    MIB_IF_ROW2 row = {};
    row.InterfaceLuid = routeLuid_;
    if (GetIfEntry2(&row) != NO_ERROR || row.InterfaceIndex != route_) {
        row = {};
        row.InterfaceIndex = route_;
        if (GetIfEntry2(&row) != NO_ERROR) return;
        routeLuid_ = row.InterfaceLuid;
    }
    seen.connections.push_back({ConnectionSource::kAdapter, Utf8(row.Alias),
                                row.OperStatus == IfOperStatusUp, false,
                                GuidText(row.InterfaceGuid)});
    counters->push_back({.read = AdapterCount(row)});
}

Sighting WindowsProbe::Ask(const ProbeQuestion& question) {
    Sighting seen;
    const CountChoice& choice = question.choice;
    if (question.everything) {
        AddRasEntries(seen.connections);
        AddRasConnections(seen.connections);
        AddAdapters(seen.connections, false);
        AddKnownNetworks(seen.connections, NetworkList());
        return seen;
    }
    Counters read;
    Counters* counters = readCounters_ ? &read : nullptr;
    switch (choice.kind) {
        case CountedKind::kDialUp: {
            WindowsRegistry registry;
            seen.registrySays = RegistrySaysConnected(registry);
            // Where the value decides, RAS is asked only for the counters, while it says connected.
            if (!seen.registrySays || (*seen.registrySays && counters))
                AddRasConnections(seen.connections, counters);
            break;
        }
        case CountedKind::kMetered:
            AddNetworks(seen.connections, NetworkList(), counters);
            break;
        case CountedKind::kInternet:
            AskInternet(seen, counters);
            break;
        case CountedKind::kChosen:
            if (choice.source == ConnectionSource::kRas)
                AddRasConnections(seen.connections, counters);
            if (choice.source == ConnectionSource::kAdapter)
                AddAdapter(seen.connections, choice, counters);
            if (choice.source == ConnectionSource::kNetwork)
                AddNetworks(seen.connections, NetworkList(), counters);
            break;
    }
    if (counters) ReadTraffic(seen, choice, read);
    return seen;
}

}  // namespace

ProbeWorker::Probe ConnectionProbe(bool readCounters) {
    return [probe = std::make_shared<WindowsProbe>(readCounters)](const ProbeQuestion& question) {
        return probe->Ask(question);
    };
}

#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Bytes a session moved.
struct Traffic {
    int64_t received = 0, sent = 0;
    friend bool operator==(const Traffic&, const Traffic&) = default;
};

// A counter of bytes as Windows keeps it for one interface or RAS connection: since it came up,
// or since the machine started. RAS keeps 32 bits, which wrap after 4 GB.
struct TrafficCount {
    std::string key;  // the adapter's GUID, or "ras:" and the RAS connection's name
    uint64_t received = 0, sent = 0;
    bool wraps32 = false;
    friend bool operator==(const TrafficCount&, const TrafficCount&) = default;
};

// What the counters moved since the last reading. A counter not in that reading is where counting
// starts; one that goes down was reset (the connection came up again) and counts from zero, unless
// a 32-bit counter wrapped, which is what a fall of more than half its range is.
class TrafficMeter {
  public:
    Traffic Read(const std::vector<TrafficCount>& counts);

  private:
    std::map<std::string, TrafficCount> last_;
};

// "512 bytes", "3.2 KB", "740.0 MB", "3.2 GB": units of 1024 with one decimal, as Windows shows
// sizes.
std::string FormatBytes(int64_t bytes);

#include "core/traffic.h"

#include <cstdio>

namespace {

constexpr uint64_t kWrap32 = uint64_t{1} << 32;

int64_t Moved(uint64_t before, uint64_t now, bool wraps32) {
    if (now >= before) return static_cast<int64_t>(now - before);
    if (wraps32 && before - now > kWrap32 / 2) return static_cast<int64_t>(now + kWrap32 - before);
    return static_cast<int64_t>(now);
}

}  // namespace

Traffic TrafficMeter::Read(const std::vector<TrafficCount>& counts) {
    Traffic moved;
    std::map<std::string, TrafficCount> seen;
    for (const TrafficCount& count : counts) {
        const auto last = last_.find(count.key);
        if (last != last_.end()) {
            moved.received += Moved(last->second.received, count.received, count.wraps32);
            moved.sent += Moved(last->second.sent, count.sent, count.wraps32);
        }
        seen[count.key] = count;
    }
    // One missing from a reading may have moved anything meanwhile: it starts again.
    last_ = std::move(seen);
    return moved;
}

std::string FormatBytes(int64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    double value = static_cast<double>(bytes) / 1024;
    size_t unit = 0;
    // The unit in which the number, rounded to a tenth, stays under 1024: 8 EB at most.
    for (; value >= 1023.95; ++unit) value /= 1024;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

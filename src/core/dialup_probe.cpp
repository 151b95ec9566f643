#include "core/dialup_probe.h"

#include <cstring>

std::optional<bool> RegistrySaysConnected(RegistryApi& registry) {
    void* key = nullptr;
    const long opened = registry.OpenKey(kRemoteAccessKey, &key);
    if (opened == kStatusNotFound) return std::nullopt;
    if (opened != kStatusSuccess) return false;
    uint8_t buffer[4] = {0, 0, 0, 0};
    uint32_t size = sizeof buffer;
    const long read = registry.QueryValue(key, kRemoteConnectionValue, buffer, &size);
    registry.CloseKey(key);
    if (read == kStatusNotFound) return std::nullopt;
    if (read != kStatusSuccess) return false;
    int32_t value;
    std::memcpy(&value, buffer, sizeof value);
    return value != 0;
}

#pragma once
#include <cstdint>
#include <optional>

inline constexpr const char* kRemoteAccessKey = "System\\CurrentControlSet\\Services\\RemoteAccess";
inline constexpr const char* kRemoteConnectionValue = "Remote Connection";
inline constexpr long kStatusSuccess = 0;
inline constexpr long kStatusNotFound = 2;

// The three registry calls of the probe, with the statuses Windows gives them.
class RegistryApi {
  public:
    virtual ~RegistryApi() = default;
    virtual long OpenKey(const char* subkey, void** key) = 0;
    // size: in, the buffer's room; out, the bytes written.
    virtual long QueryValue(void* key, const char* name, uint8_t* buffer, uint32_t* size) = 0;
    virtual void CloseKey(void* key) = 0;
};

// What the status value says, or nullopt when the key or the value does not exist. A value that
// exists but cannot be read in four bytes says "not connected".
std::optional<bool> RegistrySaysConnected(RegistryApi& registry);

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/dialup_probe.h"

// The registry value decides where it can be read in four bytes; without the key or the value
// the dial-up connections are asked. Every opened key is closed.
TEST(DialUpProbe, RegistryValueOrElseTheConnections) {
    struct FakeRegistry : RegistryApi {
        long openStatus = kStatusSuccess;
        std::optional<std::vector<uint8_t>> value;
        int open = 0;
        long OpenKey(const char* subkey, void** key) override {
            EXPECT_STREQ(subkey, "System\\CurrentControlSet\\Services\\RemoteAccess");
            *key = this;
            open += openStatus == kStatusSuccess;
            return openStatus;
        }
        long QueryValue(void* key, const char* name, uint8_t* buffer, uint32_t* size) override {
            EXPECT_TRUE(key == this && std::strcmp(name, "Remote Connection") == 0 && *size == 4);
            if (!value) return kStatusNotFound;
            if (value->size() > *size) return std::fill_n(buffer, 4, 1), 234;  // ERROR_MORE_DATA
            std::copy(value->begin(), value->end(), buffer);
            *size = static_cast<uint32_t>(value->size());
            return kStatusSuccess;
        }
        void CloseKey(void* key) override { open -= key == this; }
    };
    using Bytes = std::optional<std::vector<uint8_t>>;
    const struct {
        long openStatus;
        Bytes value;
        bool connections, connected;
        // clang-format off
    } cases[] = {
        {0, Bytes{{1, 0, 0, 0}}, false, true}, {0, Bytes{{0, 0, 0, 0}}, true, false},
        {0, Bytes{{0, 0, 0, 1}}, false, true}, {0, Bytes{{7}}, false, true},
        {0, Bytes{{0}}, true, false}, {0, Bytes{{1, 0, 0, 0, 0}}, true, false},
        {0, Bytes{std::vector<uint8_t>{}}, true, false}, {0, std::nullopt, true, true},
        {0, std::nullopt, false, false}, {2, Bytes{{0}}, true, true},
        {5, Bytes{{1, 0, 0, 0}}, true, false},
    };
    // clang-format on
    for (const auto& c : cases) {
        FakeRegistry registry;
        registry.openStatus = c.openStatus;
        registry.value = c.value;
        EXPECT_EQ(IsDialUpConnected(registry, [&] { return c.connections; }), c.connected)
            << c.openStatus << " " << (c.value ? c.value->size() : 0);
        EXPECT_EQ(registry.open, 0);
    }
}

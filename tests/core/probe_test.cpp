#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/dialup_probe.h"

namespace {

// A registry that holds the status value as given, and counts opened and closed keys.
struct FakeRegistry : RegistryApi {
    bool keyExists = true;
    std::optional<std::vector<uint8_t>> value;
    int opened = 0, closed = 0;

    long OpenKey(const char* subkey, void** key) override {
        EXPECT_STREQ(subkey, "System\\CurrentControlSet\\Services\\RemoteAccess");
        if (!keyExists) return kStatusNotFound;
        ++opened;
        *key = this;
        return kStatusSuccess;
    }
    long QueryValue(void* key, const char* name, uint8_t* buffer, uint32_t* size) override {
        EXPECT_EQ(key, this);
        EXPECT_STREQ(name, "Remote Connection");
        EXPECT_EQ(*size, 4u);
        if (!value) return kStatusNotFound;
        if (value->size() > *size) return 234;  // ERROR_MORE_DATA
        std::memcpy(buffer, value->data(), value->size());
        *size = static_cast<uint32_t>(value->size());
        return kStatusSuccess;
    }
    void CloseKey(void* key) override {
        EXPECT_EQ(key, this);
        ++closed;
    }
};

}  // namespace

TEST(DialUpProbe, RegistryValueDecidesWhereItExists) {
    const struct {
        std::vector<uint8_t> bytes;
        bool connected;
    } cases[] = {
        {{1, 0, 0, 0}, true}, {{0, 0, 0, 0}, false}, {{0, 0, 0, 1}, true},
        {{7}, true},          {{0}, false},          {{1, 0, 0, 0, 0, 0, 0, 0}, false},
    };
    for (const auto& c : cases) {
        FakeRegistry registry;
        registry.value = c.bytes;
        bool asked = false;
        EXPECT_EQ(IsDialUpConnected(registry, [&] { return asked = true; }), c.connected);
        EXPECT_FALSE(asked) << "the connections are asked only without a registry value";
        EXPECT_EQ(registry.closed, 1);
    }
}

TEST(DialUpProbe, MissingValueOrKeyAsksTheConnections) {
    FakeRegistry noValue;
    EXPECT_TRUE(IsDialUpConnected(noValue, [] { return true; }));
    EXPECT_FALSE(IsDialUpConnected(noValue, [] { return false; }));
    EXPECT_EQ(noValue.opened, 2);
    EXPECT_EQ(noValue.closed, 2);

    FakeRegistry noKey;
    noKey.keyExists = false;
    EXPECT_TRUE(IsDialUpConnected(noKey, [] { return true; }));
    EXPECT_EQ(noKey.closed, 0);
}

#pragma once
#include <windows.h>

#include <ras.h>

#include <vector>

// A RAS list: the first call says how much room it needs. Nothing when RAS fails.
template <class Item, class Enumerate>
std::vector<Item> RasList(Enumerate enumerate) {
    std::vector<Item> items;
    DWORD bytes = sizeof(Item), count = 0, status;
    do {
        items.assign(bytes / sizeof(Item) + 1, Item{});
        for (Item& item : items) item.dwSize = sizeof(Item);
        bytes = static_cast<DWORD>(items.size() * sizeof(Item));
        status = enumerate(items.data(), &bytes, &count);
    } while (status == ERROR_BUFFER_TOO_SMALL && bytes > items.size() * sizeof(Item));
    items.resize(status == ERROR_SUCCESS ? count : 0);
    return items;
}

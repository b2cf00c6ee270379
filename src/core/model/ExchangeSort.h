#pragma once
#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

namespace quillon::model {

// Orders items with an exchange sort: each item is swapped with every later one that
// `after` puts before it. Not a stable sort: items with equal keys keep the order this sort
// gives them, which is the order the lists and printed pages have always shown, so a
// library sort must not replace it. keyOf is taken once per item; `after` must order keys
// strictly (no key after itself, and so on).
template <typename Item, typename KeyOf, typename After>
void exchangeSort(std::vector<Item>& items, KeyOf keyOf, After after)
{
    using Key = decltype(keyOf(items.front()));
    std::vector<Key> keys;
    keys.reserve(items.size());
    for (const Item& item : items)
        keys.push_back(keyOf(item));
    // Without equal keys the exchange sort gives the plain sorted order, found here without
    // comparing every pair: a project of a thousand files would otherwise take half a million
    // comparisons. Only a list with equal keys needs the exchange itself.
    std::vector<size_t> order(items.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return after(keys[b], keys[a]); });
    const bool tied = std::adjacent_find(order.begin(), order.end(), [&](size_t a, size_t b) {
        return !after(keys[b], keys[a]);
    }) != order.end();
    if (!tied) {
        std::vector<Item> sorted;
        sorted.reserve(items.size());
        for (size_t i : order)
            sorted.push_back(std::move(items[i]));
        items = std::move(sorted);
        return;
    }
    for (size_t i = 0; i + 1 < items.size(); ++i) {
        for (size_t j = i + 1; j < items.size(); ++j) {
            if (after(keys[i], keys[j])) {
                std::swap(items[i], items[j]);
                std::swap(keys[i], keys[j]);
            }
        }
    }
}

} // namespace quillon::model

#pragma once
#include <utility>
#include <vector>

namespace quillon::model {

// Orders items with an exchange sort: each item is swapped with every later one that
// `after` puts before it. Not a stable sort: items with equal keys keep the order this sort
// gives them, which is the order the lists and printed pages have always shown, so a
// library sort must not replace it. keyOf is taken once per item.
template <typename Item, typename KeyOf, typename After>
void exchangeSort(std::vector<Item>& items, KeyOf keyOf, After after)
{
    using Key = decltype(keyOf(items.front()));
    std::vector<Key> keys;
    keys.reserve(items.size());
    for (const Item& item : items)
        keys.push_back(keyOf(item));
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

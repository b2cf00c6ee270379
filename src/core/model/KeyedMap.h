#pragma once
#include "model/TextPrimitives.h"

#include <QHash>
#include <QString>

#include <utility>
#include <vector>

namespace quillon::model {

// A map from text keys, compared case-insensitively, to values, kept in insertion order.
// Lookups are constant time; removal is linear (it is rare).
template <typename T>
class KeyedMap {
public:
    bool contains(const QString& key) const { return index_.contains(upperCase(key)); }
    qsizetype size() const { return qsizetype(entries_.size()); }
    bool isEmpty() const { return entries_.empty(); }
    void clear()
    {
        entries_.clear();
        index_.clear();
    }

    // Adds the key, or replaces the value of an equal key in its original place.
    void insert(const QString& key, T value)
    {
        const QString folded = upperCase(key);
        const auto it = index_.constFind(folded);
        if (it != index_.constEnd()) {
            entries_[size_t(*it)].second = std::move(value);
            return;
        }
        index_.insert(folded, qsizetype(entries_.size()));
        entries_.emplace_back(key, std::move(value));
    }
    // Adds the key only when no equal key is present; true when it was added.
    bool insertIfAbsent(const QString& key, T value)
    {
        if (contains(key))
            return false;
        insert(key, std::move(value));
        return true;
    }
    const T* find(const QString& key) const
    {
        const auto it = index_.constFind(upperCase(key));
        return it == index_.constEnd() ? nullptr : &entries_[size_t(*it)].second;
    }
    T* find(const QString& key)
    {
        const auto it = index_.constFind(upperCase(key));
        return it == index_.constEnd() ? nullptr : &entries_[size_t(*it)].second;
    }
    T value(const QString& key, T fallback = T()) const
    {
        const T* found = find(key);
        return found ? *found : fallback;
    }
    bool remove(const QString& key)
    {
        const auto it = index_.constFind(upperCase(key));
        if (it == index_.constEnd())
            return false;
        entries_.erase(entries_.begin() + *it);
        index_.clear();
        for (size_t i = 0; i < entries_.size(); ++i)
            index_.insert(upperCase(entries_[i].first), qsizetype(i));
        return true;
    }

    // Empties the map and hands over its entries, in insertion order.
    std::vector<std::pair<QString, T>> takeEntries()
    {
        index_.clear();
        return std::exchange(entries_, {});
    }

    // Entries in insertion order, each with the key as first given.
    const std::vector<std::pair<QString, T>>& entries() const { return entries_; }

private:
    std::vector<std::pair<QString, T>> entries_;
    QHash<QString, qsizetype> index_;
};

} // namespace quillon::model

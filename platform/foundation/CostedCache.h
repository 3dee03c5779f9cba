#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <unordered_map>

// Values by key, each with a cost, kept in use order (front: most recent). Beyond the cost
// limit or the count limit (0: none) entries leave from the back. Not thread-safe: the caches
// built on it hold their own lock.
template<typename Value>
class CostedCache {
public:
    // A found entry moves to the front, so the least recently used leave first.
    const Value* find(const std::string& key)
    {
        const auto it = m_index.find(key);
        if (it == m_index.end())
            return nullptr;
        m_entries.splice(m_entries.begin(), m_entries, it->second);
        return &it->second->value;
    }

    // Looks without moving: entries then leave in the order they were stored.
    const Value* peek(const std::string& key) const
    {
        const auto it = m_index.find(key);
        return it == m_index.end() ? nullptr : &it->second->value;
    }

    // An entry dearer than the whole cost limit is not kept (taking it would push out every
    // other entry and then itself); it still replaces what the key held.
    void insert(const std::string& key, Value value, std::size_t cost)
    {
        remove(key);
        if (m_costLimit && cost > m_costLimit)
            return;
        m_entries.push_front({key, std::move(value), cost});
        m_index[key] = m_entries.begin();
        m_totalCost += cost;
        evict();
    }

    void remove(const std::string& key)
    {
        const auto it = m_index.find(key);
        if (it == m_index.end())
            return;
        m_totalCost -= it->second->cost;
        m_entries.erase(it->second);
        m_index.erase(it);
    }

    void clear()
    {
        m_entries.clear();
        m_index.clear();
        m_totalCost = 0;
    }

    std::size_t totalCost() const { return m_totalCost; }
    std::size_t count() const { return m_entries.size(); }
    std::size_t costLimit() const { return m_costLimit; }
    std::size_t countLimit() const { return m_countLimit; }
    void setCostLimit(std::size_t limit) { m_costLimit = limit; evict(); }
    void setCountLimit(std::size_t limit) { m_countLimit = limit; evict(); }

private:
    struct Entry {
        std::string key;
        Value value;
        std::size_t cost;
    };

    void evict()
    {
        while (!m_entries.empty()
               && ((m_costLimit && m_totalCost > m_costLimit) || (m_countLimit && m_entries.size() > m_countLimit)))
            remove(m_entries.back().key);
    }

    std::list<Entry> m_entries;
    std::unordered_map<std::string, typename std::list<Entry>::iterator> m_index;
    std::size_t m_totalCost = 0;
    std::size_t m_costLimit = 0;
    std::size_t m_countLimit = 0;
};

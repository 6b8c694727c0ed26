// Growable array of the foundation library: comment-id lists (32-bit integers)
// and error-report substitution texts (SWCharString).
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

template <class T>
class SIArray {
public:
    SIArray() = default;

    // Appends a copy of the value and returns its index.
    std::size_t append(T value)
    {
        m_items.push_back(std::move(value));
        return m_items.size() - 1;
    }

    std::size_t count() const { return m_items.size(); }
    bool isEmpty() const { return m_items.empty(); }

    // Element by index; an index outside 0 .. count()-1 throws std::out_of_range.
    const T& operator[](std::size_t i) const { return m_items.at(i); }
    T& operator[](std::size_t i) { return m_items.at(i); }

    typename std::vector<T>::const_iterator begin() const { return m_items.begin(); }
    typename std::vector<T>::const_iterator end() const { return m_items.end(); }

    bool operator==(const SIArray& o) const { return m_items == o.m_items; }

private:
    std::vector<T> m_items;
};

using SIntArray = SIArray<int32_t>;

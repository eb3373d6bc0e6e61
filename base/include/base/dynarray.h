#pragma once
// A dynamic array whose element access is checked: an index outside 0..length-1
// raises ERangeError instead of reading past the end (an empty array too).
#include "rtl/sysutils.h"

#include <cstddef>
#include <vector>

template <class T>
class TDynArray {
public:
    T& operator[](std::int64_t index) { return CheckedAt(items_, index); }
    const T& operator[](std::int64_t index) const { return CheckedAt(items_, index); }
    std::int64_t Length() const { return static_cast<std::int64_t>(items_.size()); }
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    // Growing or shrinking keeps the first min(old, new) entries; a negative length empties.
    void SetLength(std::int64_t length) { items_.resize(length > 0 ? static_cast<std::size_t>(length) : 0); }
    void clear() { items_.clear(); }
    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<T> items_;
};

#pragma once
// The two record orders and their tie rules, at n log n:
// - by size, largest first; equal sizes keep their source order;
// - by name ascending without regard to case; names that compare equal come out in the
//   reverse of their source order.

#include <QString>
#include <algorithm>
#include <numeric>
#include <vector>

#include "engine/text.h"

namespace dovrane::engine {

// `sizeOf(item)` gives an unsigned size.
template <typename T, typename SizeOf>
std::vector<T> OrderBySize(const std::vector<T>& source, SizeOf sizeOf) {
    std::vector<T> out(source);
    std::stable_sort(out.begin(), out.end(),
                     [&](const T& a, const T& b) { return sizeOf(a) > sizeOf(b); });
    return out;
}

// `nameOf(item)` gives the name as a QString. Each name is folded once, not per comparison.
template <typename T, typename NameOf>
std::vector<T> OrderByName(const std::vector<T>& source, NameOf nameOf) {
    std::vector<QString> keys;
    keys.reserve(source.size());
    for (const T& item : source)
        keys.push_back(FoldCase(nameOf(item)));
    std::vector<size_t> index(source.size());
    // Reversed before a stable sort: equal names end up last-met first.
    std::iota(index.rbegin(), index.rend(), size_t{0});
    std::stable_sort(index.begin(), index.end(),
                     [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    std::vector<T> out;
    out.reserve(source.size());
    for (const size_t i : index)
        out.push_back(source[i]);
    return out;
}

}  // namespace dovrane::engine

#pragma once
// The two record orders and their tie rules, at n log n:
// - by size, largest first; equal sizes keep their source order;
// - by name ascending without regard to case; names that compare equal come out in the
//   reverse of their source order.

#include <QString>
#include <algorithm>
#include <ranges>
#include <vector>

#include "engine/text.h"

namespace dovrane::engine {

// A stable sort that allocates nothing for the few items most folders have: insertion
// below 24 items, the library's merge sort above.
template <typename It, typename Less>
void StableSort(It first, It last, Less less) {
    if (last - first > 24) {
        std::stable_sort(first, last, less);
        return;
    }
    for (It i = first; i != last; ++i) {
        auto item = std::move(*i);
        It j = i;
        for (; j != first && less(item, *(j - 1)); --j)
            *j = std::move(*(j - 1));
        *j = std::move(item);
    }
}

// The name order's tie rule, for every list that has one: `make` of each item of
// [first, last) goes to `out` last-met first, then a stable sort by `less`, so that items
// that compare equal stay in the reverse of their source order. `out` has room for them
// all; returns the end of what was written.
template <typename It, typename Out, typename Make, typename Less>
Out ReverseStableSort(It first, It last, Out out, Make make, Less less) {
    Out end = out;
    for (It i = last; i != first;)
        *end++ = make(*--i);
    StableSort(out, end, less);
    return end;
}

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
    const auto positions = std::views::iota(size_t{0}, source.size());
    std::vector<size_t> index(source.size());
    ReverseStableSort(
        positions.begin(), positions.end(), index.begin(), [](size_t i) { return i; },
        [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    std::vector<T> out;
    out.reserve(source.size());
    for (const size_t i : index)
        out.push_back(source[i]);
    return out;
}

}  // namespace dovrane::engine

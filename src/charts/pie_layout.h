#pragma once
// Where the slices of a folder or file-type pie go: whole degrees from 0 (three o'clock)
// counter-clockwise, and the colour table entry of each. Pure computation; drawing is
// the chart's.

#include <QtGlobal>
#include <vector>

namespace dovrane::charts {

struct SliceSpec {
    int startAngle = 0;
    int endAngle = 0;
    int colorIndex = 0;  // entry of the colour table, already taken mod 16
    bool other = false;  // the remainder slice
    friend bool operator==(const SliceSpec&, const SliceSpec&) = default;
};

// Entries ordered by size, largest first, with total T and "Other" size O (0 when every
// entry fits). N-1 named slices when there are more than N entries, else all of them;
// truncated sweeps, with the rounding loss going to the slice that closes the circle.
std::vector<SliceSpec> LayOutChart(const std::vector<quint64>& sizesBySize, quint64 total,
                                   quint64 other, int numberOfSlices);

// The folder chart: as above, except that a folder of total 0 gets n equal slices of
// 360 / n degrees and leaves the rest of the circle empty.
std::vector<SliceSpec> LayOutFolderChart(const std::vector<quint64>& sizesBySize, quint64 total,
                                         quint64 other, int numberOfSlices);

}  // namespace dovrane::charts

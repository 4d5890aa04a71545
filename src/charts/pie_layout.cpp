#include "charts/pie_layout.h"

#include "engine/settings.h"
#include "engine/slice_rules.h"

namespace dovrane::charts {
namespace {

SliceSpec Slice(int start, int end, size_t index, bool other = false) {
    return {start, end, static_cast<int>(index % engine::kSliceColorCount), other};
}

}  // namespace

std::vector<SliceSpec> LayOutChart(const std::vector<quint64>& sizes, quint64 total, quint64 other,
                                   int numberOfSlices) {
    std::vector<SliceSpec> slices;
    const size_t n = engine::NamedSliceCount(sizes.size(), numberOfSlices);
    int angle = 0;
    for (size_t i = 0; i < n; ++i) {
        const bool nextEmpty = i + 1 < sizes.size() && sizes[i + 1] == 0;
        const bool closes = nextEmpty || (i == n - 1 && other == 0);
        const int sweep = closes ? 360 - angle
                                 : static_cast<int>(static_cast<double>(sizes[i]) /
                                                    static_cast<double>(total) * 360.0);
        slices.push_back(Slice(angle, angle + sweep, i));
        angle += sweep;
    }
    if (other != 0)
        slices.push_back(Slice(angle, 360, n, true));
    return slices;
}

std::vector<SliceSpec> LayOutFolderChart(const std::vector<quint64>& sizes, quint64 total,
                                         quint64 other, int numberOfSlices) {
    if (total != 0)
        return LayOutChart(sizes, total, other, numberOfSlices);
    std::vector<SliceSpec> slices;
    const size_t n = engine::NamedSliceCount(sizes.size(), numberOfSlices);
    if (n == 0)
        return slices;
    const int sweep = static_cast<int>(360 / n);
    for (size_t i = 0; i < n; ++i)
        slices.push_back(Slice(static_cast<int>(i) * sweep, static_cast<int>(i + 1) * sweep, i));
    return slices;
}

}  // namespace dovrane::charts

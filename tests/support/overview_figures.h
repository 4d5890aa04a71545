#pragma once
// A colour reference as a pixel reads it; the figures behind the Overview and its details.
#include <QRgb>

#include "charts/color_ref.h"
#include "support/test_device.h"

namespace dovrane::test {

inline QRgb Rgb(engine::ColorRef color) {
    return charts::RgbFromColorRef(color) & 0xFFFFFF;
}

constexpr quint64 kMB = 1 << 20;

// 16 MB of program memory, 4 MB free; an 8 MB store with 2 MB free; with cards, after an
// ordinary folder, SD (4 MB, 1 MB in use) and CF (1,000,000 bytes, half in use).
inline void SetupOverview(platform::TestDevice& dev, bool cards) {
    dev.setMemory(platform::MemoryFigures{16 * kMB, 4 * kMB})
        .setDiskSpace(u"\\", {{8 * kMB, 2 * kMB}});
    if (cards)
        dev.addFolder(u"\\Windows")
            .addFolder(u"\\SD", platform::kAttributeTemporary)
            .setDiskSpace(u"\\SD", {{4 * kMB, 3 * kMB}})
            .addFolder(u"\\CF", platform::kAttributeTemporary)
            .setDiskSpace(u"\\CF", {{1000000, 500000}});
}

}  // namespace dovrane::test

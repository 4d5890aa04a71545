#include "engine/settings.h"

#include "platform/profile.h"

namespace dovrane::engine {
namespace {

const QString kSection = QStringLiteral("Dovrane Storage Analyzer");
const QString kNumberOfSlices = QStringLiteral("Number Of Slices");

QString ColorName(int index) {
    return QStringLiteral("Color%1").arg(index);
}

}  // namespace

Settings ReadSettings(const platform::Profile& profile) {
    Settings s;
    s.numberOfSlices = profile.readInt(kSection, kNumberOfSlices, kDefaultNumberOfSlices);
    for (int i = 0; i < kSliceColorCount; ++i) {
        const auto fallback = static_cast<int>(kDefaultSliceColors[static_cast<size_t>(i)]);
        s.sliceColors[static_cast<size_t>(i)] =
            static_cast<ColorRef>(profile.readInt(kSection, ColorName(i), fallback));
    }
    return s;
}

bool WriteSettings(platform::Profile& profile, const Settings& settings) {
    profile.writeInt(kSection, kNumberOfSlices, settings.numberOfSlices);
    for (int i = 0; i < kSliceColorCount; ++i)
        profile.writeInt(kSection, ColorName(i),
                         static_cast<int>(settings.sliceColors[static_cast<size_t>(i)]));
    return profile.sync();
}

}  // namespace dovrane::engine

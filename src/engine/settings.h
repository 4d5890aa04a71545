#pragma once
// The two stored settings: the number of slices of a pie and the sixteen slice colours.
// Read once at start-up into a plain value that is handed to whoever needs it.

#include <QtGlobal>
#include <array>

namespace dovrane::platform {
class Profile;
}

namespace dovrane::engine {

using ColorRef = quint32;  // 0x00BBGGRR: red in the low byte
constexpr int kSliceColorCount = 16;
using SliceColors = std::array<ColorRef, kSliceColorCount>;

constexpr SliceColors kDefaultSliceColors{
    0x0000FF, 0x008000, 0x00FFFF, 0xFF0000, 0xFFFFFF, 0x808080, 0xFF00FF, 0x808040,
    0x800000, 0x400080, 0x00FF00, 0x008080, 0x800080, 0xC0C0C0, 0xFFFF00, 0x000000};

constexpr int kDefaultNumberOfSlices = 16;
constexpr int kMinNumberOfSlices = 5;  // the range Preferences keeps to
constexpr int kMaxNumberOfSlices = 25;

struct Settings {
    // Used as stored: a value outside 5..25 stays until Preferences saves another.
    int numberOfSlices = kDefaultNumberOfSlices;
    SliceColors sliceColors = kDefaultSliceColors;

    ColorRef sliceColor(int index) const {
        return sliceColors[static_cast<size_t>(index % kSliceColorCount)];
    }
    friend bool operator==(const Settings&, const Settings&) = default;
};

// Missing values fall back to the defaults; nothing is written back.
Settings ReadSettings(const platform::Profile& profile);
// All seventeen values; false when the profile could not be written.
bool WriteSettings(platform::Profile& profile, const Settings& settings);

}  // namespace dovrane::engine

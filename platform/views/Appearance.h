// Appearance: the look the view layer draws in. The headless view layer
// has one look (the newest one its version number names); whether it is
// light or dark is a setting of the process that drawing code asks at each
// draw, so a change takes effect on the next draw.
#pragma once

namespace brevanton {

enum class AppearanceName { Aqua, DarkAqua };

class Appearance {
public:
    // The process-wide appearance; Aqua until set.
    static AppearanceName current();
    static void setCurrent(AppearanceName);
    static bool currentIsDark() { return current() == AppearanceName::DarkAqua; }

    // While one lives, the current appearance on this thread is the given
    // one (to resolve values for an appearance that is not shown).
    class ScopedOverride {
    public:
        explicit ScopedOverride(AppearanceName);
        ~ScopedOverride();
        ScopedOverride(const ScopedOverride&) = delete;
        ScopedOverride& operator=(const ScopedOverride&) = delete;

    private:
        int m_previous;
    };
};

// The version number of the view layer's look, on the scale whose
// thresholds drawing code compares against to choose an older or newer
// style (1266 and below the oldest, 2285 and above the newest). The
// headless view layer draws the newest look.
inline constexpr double ViewLayerVersionNumber = 2285.0;

} // namespace brevanton

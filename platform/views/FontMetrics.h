// FontMetricsProvider: where the widths and heights of text come from. Fonts
// (Font.h) and the web view's layout ask the process-wide current provider.
// The default, DeterministicFontMetricsProvider, measures with fixed tables so
// that every test sees the same numbers on every machine; a GUI installs a
// provider that measures real fonts (platform/views/qt).
#pragma once

#include "platform/views/Font.h"

#include <memory>
#include <string_view>
#include <vector>

namespace brevanton {

struct FontLineMetrics {
    // Above the baseline, positive.
    double ascent { 0 };
    // Below the baseline, positive.
    double descent { 0 };
    // From one baseline to the next.
    double lineHeight { 0 };
};

class FontMetricsProvider {
public:
    virtual ~FontMetricsProvider() = default;

    // The advance of the whole run, shaped as one piece of text.
    virtual double widthOfRun(const FontDescriptor&, std::u16string_view run) const = 0;
    // The x of the caret before each UTF-16 unit of the run and after its
    // last: run.size() + 1 values, the first 0 and the last the run's width.
    // The units of one cluster (a surrogate pair, a base with its marks)
    // share the x of the cluster's start.
    virtual std::vector<double> caretPositions(const FontDescriptor&, std::u16string_view run) const = 0;
    virtual FontLineMetrics lineMetrics(const FontDescriptor&) const = 0;

    // The provider every font and layout asks; the deterministic one unless another was installed.
    static const FontMetricsProvider& current();
    // Installs a provider for the whole process; null restores the deterministic one.
    static void setCurrent(std::shared_ptr<const FontMetricsProvider>);
    // Moves whenever the current provider changes, so that layouts measured
    // with another provider know to measure again.
    static uint64_t generation();
};

// Fixed metrics. Interface fonts: a fixed-pitch family advances 0.6 em per
// character, others by a per-character table; ascent 0.8 em, descent 0.2 em,
// line height 1.2 em. Page text: every UTF-16 unit advances 0.5 em; ascent
// 0.8 em, descent 0.2 em, line height 1.25 em.
class DeterministicFontMetricsProvider final : public FontMetricsProvider {
public:
    static constexpr double pageAdvancePerFontSize = 0.5;
    static constexpr double pageLineHeightPerFontSize = 1.25;

    double widthOfRun(const FontDescriptor&, std::u16string_view run) const override;
    std::vector<double> caretPositions(const FontDescriptor&, std::u16string_view run) const override;
    FontLineMetrics lineMetrics(const FontDescriptor&) const override;

    // The advance of one character of an interface font.
    static double interfaceAdvance(const FontDescriptor&, char32_t);
};

// Whether a family is one of the fixed-pitch families the deterministic table knows.
bool isFixedPitchFontFamily(std::u16string_view family);

} // namespace brevanton

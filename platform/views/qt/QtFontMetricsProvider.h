// The font metrics of the GUI: real fonts measured by Qt (QFontMetricsF for
// widths, QTextLayout for caret positions), with fractional advances and no
// hinting. Families are pinned to the DejaVu fonts, so that pages look the
// same on every machine: monospace families become "DejaVu Sans Mono", serif
// ones "DejaVu Serif", the rest "DejaVu Sans"; page text whose family list
// names nothing known gets the page's default, "DejaVu Serif". A point is a
// pixel. Measure and paint only on the main thread, once a QGuiApplication
// exists.
#pragma once

#include "platform/views/FontMetrics.h"

#include <QFont>

#include <memory>
#include <string>
#include <unordered_map>

class QFontMetricsF;

namespace brevanton {

class QtFontMetricsProvider final : public FontMetricsProvider {
public:
    QtFontMetricsProvider();
    ~QtFontMetricsProvider() override;

    double widthOfRun(const FontDescriptor&, std::u16string_view run) const override;
    std::vector<double> caretPositions(const FontDescriptor&, std::u16string_view run) const override;
    FontLineMetrics lineMetrics(const FontDescriptor&) const override;

private:
    struct Entry;
    const Entry& entry(const FontDescriptor&) const;

    mutable std::unordered_map<std::u16string, std::unique_ptr<Entry>> m_fonts;
    // Pages measure and draw the same words again and again.
    mutable std::unordered_map<std::u16string, double> m_widths;
    mutable std::unordered_map<std::u16string, std::vector<double>> m_carets;
};

// The DejaVu family a descriptor's family (or CSS family list) maps to.
QString qtPinnedFontFamily(const FontDescriptor&);
// The Qt font for a descriptor on a device of the given logical resolution
// (dots per inch), sized so that a point of the descriptor is a pixel there.
QFont qtFont(const FontDescriptor&, double logicalDotsPerInch = 72);

// Makes the Qt provider the current one (needs a QGuiApplication).
void installQtFontMetricsProvider();

} // namespace brevanton

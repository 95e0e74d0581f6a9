// The font metrics of the GUI: real fonts measured by Qt (QFontMetricsF for
// widths, QTextLayout for caret positions), with fractional advances and no
// hinting. Families are pinned to the DejaVu fonts, so that pages look the
// same on every machine: monospace families become "DejaVu Sans Mono", serif
// ones "DejaVu Serif", the rest "DejaVu Sans"; page text whose family list
// names nothing known gets the page's default, "DejaVu Serif". A point is a
// pixel. Measurements may be asked for from any thread (layouts and source
// colouring run in the background too) once a QGuiApplication exists: one
// lock guards the caches and the Qt fonts they are measured with. Paint only
// on the main thread.
#pragma once

#include "platform/views/FontMetrics.h"

#include <QFont>
#include <QStringList>

#include <memory>
#include <mutex>
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
    // Callers hold m_lock.
    const Entry& entry(const FontDescriptor&) const;
    double measureWidth(const FontDescriptor&, std::u16string_view run, std::u16string key) const;

    mutable std::mutex m_lock;
    mutable std::unordered_map<std::u16string, std::unique_ptr<Entry>> m_fonts;
    // Pages measure and draw the same words again and again.
    mutable std::unordered_map<std::u16string, double> m_widths;
    mutable std::unordered_map<std::u16string, std::vector<double>> m_carets;
};

// The DejaVu family a descriptor's family (or CSS family list) maps to.
QString qtPinnedFontFamily(const FontDescriptor&);
// The families text in a pinned family is drawn and measured in: the family
// itself, then the Noto families that hold the glyphs it lacks (other
// scripts, Chinese and Japanese, colour emoji), tried in that order.
QStringList qtFontFamiliesWithFallback(const QString& family);
// The Qt font for a descriptor on a device of the given logical resolution
// (dots per inch), sized so that a point of the descriptor is a pixel there.
QFont qtFont(const FontDescriptor&, double logicalDotsPerInch = 72);

// Makes the Qt provider the current one (needs a QGuiApplication).
void installQtFontMetricsProvider();

} // namespace brevanton

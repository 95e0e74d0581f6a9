#include "platform/views/qt/QtFontMetricsProvider.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

namespace brevanton {

namespace {

// The device every measurement is made against: 72 dots per inch, so a point is a pixel.
QPaintDevice* referenceDevice()
{
    static QImage image = [] {
        QImage made(1, 1, QImage::Format_ARGB32_Premultiplied);
        made.setDotsPerMeterX(2835); // 72 dpi
        made.setDotsPerMeterY(2835);
        return made;
    }();
    return &image;
}

QString toQString(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

enum class Generic { None, Sans, Serif, Mono };

Generic genericOf(const QString& name)
{
    static const std::array<const char*, 12> mono { "monospace", "courier", "courier new", "menlo", "monaco", "consolas",
                                                    "sf mono", "dejavu sans mono", "liberation mono", "lucida console",
                                                    "andale mono", "ui-monospace" };
    static const std::array<const char*, 12> serif { "serif", "times", "times new roman", "georgia", "palatino",
                                                     "palatino linotype", "book antiqua", "garamond", "cambria",
                                                     "dejavu serif", "liberation serif", "ui-serif" };
    static const std::array<const char*, 14> sans { "sans-serif", "helvetica", "helvetica neue", "arial", "verdana",
                                                    "tahoma", "trebuchet ms", "lucida grande", "segoe ui", "system-ui",
                                                    "-apple-system", "dejavu sans", "liberation sans", "ui-sans-serif" };
    QString lower = name.toLower();
    for (auto* known : mono) {
        if (lower == QLatin1String(known))
            return Generic::Mono;
    }
    for (auto* known : serif) {
        if (lower == QLatin1String(known))
            return Generic::Serif;
    }
    for (auto* known : sans) {
        if (lower == QLatin1String(known))
            return Generic::Sans;
    }
    return Generic::None;
}

// The family, then the size's bits, the weight, the slant and the role (it
// picks the family a name unknown here stands for) as units of their own, a
// fixed number of them: a run's text may follow. Formatting the numbers as
// text cost more than the measuring a key saves.
std::u16string cacheKey(const FontDescriptor& font)
{
    const std::u16string& family = font.familyName();
    std::u16string key;
    key.reserve(family.size() + 9 + 16);
    key = family;
    key += u'\x1F';
    uint64_t size = std::bit_cast<uint64_t>(font.pointSize());
    for (int shift = 0; shift < 64; shift += 16)
        key += static_cast<char16_t>((size >> shift) & 0xFFFF);
    auto weight = static_cast<uint32_t>(font.weight());
    key += static_cast<char16_t>(weight & 0xFFFF);
    key += static_cast<char16_t>(weight >> 16);
    key += font.isItalic() ? u'i' : u'r';
    key += static_cast<char16_t>(font.metricsRole());
    return key;
}

std::u16string runKey(const FontDescriptor& font, std::u16string_view run)
{
    auto key = cacheKey(font);
    key += u'\x1E';
    key.append(run);
    return key;
}

} // namespace

QString qtPinnedFontFamily(const FontDescriptor& font)
{
    // A CSS list: the first family known wins.
    for (const QString& part : toQString(font.familyName()).split(QLatin1Char(','))) {
        QString name = part.trimmed();
        if (name.size() >= 2 && (name.front() == QLatin1Char('"') || name.front() == QLatin1Char('\'')) && name.back() == name.front())
            name = name.mid(1, name.size() - 2).trimmed();
        switch (genericOf(name)) {
        case Generic::Mono:
            return QStringLiteral("DejaVu Sans Mono");
        case Generic::Serif:
            return QStringLiteral("DejaVu Serif");
        case Generic::Sans:
            return QStringLiteral("DejaVu Sans");
        case Generic::None:
            break;
        }
    }
    return font.metricsRole() == FontMetricsRole::Page ? QStringLiteral("DejaVu Serif") : QStringLiteral("DejaVu Sans");
}

QStringList qtFontFamiliesWithFallback(const QString& family)
{
    bool serif = family.contains(QLatin1String("Serif"));
    bool mono = family.contains(QLatin1String("Mono"));
    QStringList families { family };
    families << (mono ? QStringLiteral("Noto Sans Mono") : serif ? QStringLiteral("Noto Serif") : QStringLiteral("Noto Sans"))
             << QStringLiteral("Noto Sans Arabic") << QStringLiteral("Noto Naskh Arabic")
             << (serif ? QStringLiteral("Noto Serif CJK SC") : QStringLiteral("Noto Sans CJK SC"))
             << QStringLiteral("Noto Sans CJK JP") << QStringLiteral("Noto Color Emoji");
    return families;
}

QFont qtFont(const FontDescriptor& descriptor, double logicalDotsPerInch)
{
    QFont font(qtPinnedFontFamily(descriptor));
    font.setFamilies(qtFontFamiliesWithFallback(font.family()));
    font.setPointSizeF(std::max(0.5, descriptor.pointSize()) * 72 / logicalDotsPerInch);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(descriptor.weight(), 100, 900)));
    font.setItalic(descriptor.isItalic());
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(true);
    return font;
}

struct QtFontMetricsProvider::Entry {
    QFont font;
    QFontMetricsF metrics;
    explicit Entry(const FontDescriptor& descriptor)
        : font(qtFont(descriptor))
        , metrics(font, referenceDevice())
    {
    }
};

QtFontMetricsProvider::QtFontMetricsProvider() = default;
QtFontMetricsProvider::~QtFontMetricsProvider() = default;

const QtFontMetricsProvider::Entry& QtFontMetricsProvider::entry(const FontDescriptor& descriptor) const
{
    auto key = cacheKey(descriptor);
    auto found = m_fonts.find(key);
    if (found == m_fonts.end())
        found = m_fonts.emplace(std::move(key), std::make_unique<Entry>(descriptor)).first;
    return *found->second;
}

double QtFontMetricsProvider::widthOfRun(const FontDescriptor& descriptor, std::u16string_view run) const
{
    if (run.empty())
        return 0;
    auto key = runKey(descriptor, run);
    std::lock_guard lock(m_lock);
    return measureWidth(descriptor, run, std::move(key));
}

double QtFontMetricsProvider::measureWidth(const FontDescriptor& descriptor, std::u16string_view run, std::u16string key) const
{
    auto found = m_widths.find(key);
    if (found != m_widths.end())
        return found->second;
    if (m_widths.size() > 200000)
        m_widths.clear();
    double width = entry(descriptor).metrics.horizontalAdvance(toQString(run));
    m_widths.emplace(std::move(key), width);
    return width;
}

std::vector<double> QtFontMetricsProvider::caretPositions(const FontDescriptor& descriptor, std::u16string_view run) const
{
    std::vector<double> positions(run.size() + 1, 0);
    if (run.empty())
        return positions;
    auto key = runKey(descriptor, run);
    std::lock_guard lock(m_lock);
    auto found = m_carets.find(key);
    if (found != m_carets.end())
        return found->second;
    if (m_carets.size() > 50000)
        m_carets.clear();
    QTextLayout layout(toQString(run), entry(descriptor).font, referenceDevice());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    double last = 0;
    for (size_t i = 0; i < run.size(); ++i) {
        // Units inside a cluster stand where the cluster starts.
        if (layout.isValidCursorPosition(static_cast<int>(i)))
            last = line.cursorToX(static_cast<int>(i));
        positions[i] = last;
    }
    positions[run.size()] = measureWidth(descriptor, run, key);
    m_carets.emplace(std::move(key), positions);
    return positions;
}

FontLineMetrics QtFontMetricsProvider::lineMetrics(const FontDescriptor& descriptor) const
{
    std::lock_guard lock(m_lock);
    auto& metrics = entry(descriptor).metrics;
    return { metrics.ascent(), metrics.descent(), metrics.lineSpacing() };
}

void installQtFontMetricsProvider()
{
    FontMetricsProvider::setCurrent(std::make_shared<QtFontMetricsProvider>());
    // Qt's fonts go with the application: the deterministic provider takes over then.
    qAddPostRoutine([] { FontMetricsProvider::setCurrent(nullptr); });
}

} // namespace brevanton

#include "platform/views/FontMetrics.h"

#include "platform/foundation/Text.h"

#include <atomic>
#include <mutex>

namespace brevanton {

namespace {

std::mutex& providerMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<const FontMetricsProvider>& installedProvider()
{
    static std::shared_ptr<const FontMetricsProvider> provider;
    return provider;
}

std::atomic<uint64_t> providerGeneration { 0 };

const DeterministicFontMetricsProvider& deterministicProvider()
{
    static const DeterministicFontMetricsProvider provider;
    return provider;
}

// The provider installed last; kept alive by installedProvider() until replaced.
std::atomic<const FontMetricsProvider*> currentProvider { nullptr };

} // namespace

const FontMetricsProvider& FontMetricsProvider::current()
{
    auto* provider = currentProvider.load(std::memory_order_acquire);
    return provider ? *provider : deterministicProvider();
}

void FontMetricsProvider::setCurrent(std::shared_ptr<const FontMetricsProvider> provider)
{
    std::lock_guard lock(providerMutex());
    currentProvider.store(provider.get(), std::memory_order_release);
    installedProvider() = std::move(provider);
    ++providerGeneration;
}

uint64_t FontMetricsProvider::generation()
{
    return providerGeneration.load(std::memory_order_acquire);
}

bool isFixedPitchFontFamily(std::u16string_view family)
{
    for (std::u16string_view name : { u"Menlo", u"Monaco", u"Courier", u"Courier New", u"SF Mono", u"DejaVu Sans Mono",
                                      u"Liberation Mono", u"Monospace" }) {
        if (equalsIgnoringASCIICase(family, name))
            return true;
    }
    return false;
}

namespace {

// The advance of a character of a proportional interface font of this size.
double proportionalAdvance(double em, char32_t c)
{
    if (c == U' ' || c == U'i' || c == U'l' || c == U'j' || c == U'.' || c == U',' || c == U'\'' || c == U'!' || c == U'|')
        return em * 0.28;
    if (c == U'm' || c == U'w' || c == U'M' || c == U'W')
        return em * 0.85;
    if (c >= U'A' && c <= U'Z')
        return em * 0.68;
    if (c >= 0x2E80)
        return em; // wide scripts
    return em * 0.55;
}

// What a run's advances depend on, found once per run rather than per
// character (a page's source may be a single line of millions).
struct InterfaceFont {
    explicit InterfaceFont(const FontDescriptor& font)
        : em(font.pointSize())
        , fixedPitch(isFixedPitchFontFamily(font.familyName()))
    {
    }
    double advance(char32_t c) const { return fixedPitch ? em * 0.6 : proportionalAdvance(em, c); }

    double em;
    bool fixedPitch;
};

} // namespace

double DeterministicFontMetricsProvider::interfaceAdvance(const FontDescriptor& font, char32_t c)
{
    return InterfaceFont(font).advance(c);
}

std::vector<double> DeterministicFontMetricsProvider::caretPositions(const FontDescriptor& font, std::u16string_view run) const
{
    std::vector<double> positions(run.size() + 1, 0);
    if (font.metricsRole() == FontMetricsRole::Page) {
        double advance = font.pointSize() * pageAdvancePerFontSize;
        for (size_t i = 1; i <= run.size(); ++i)
            positions[i] = static_cast<double>(i) * advance;
        return positions;
    }
    InterfaceFont interface(font);
    double x = 0;
    for (size_t i = 0; i < run.size(); ++i) {
        positions[i] = x;
        char32_t c = run[i];
        if (isHighSurrogate(run[i]) && i + 1 < run.size() && isLowSurrogate(run[i + 1])) {
            c = 0x10000 + ((run[i] - 0xD800) << 10) + (run[i + 1] - 0xDC00);
            positions[++i] = x;
        }
        x += interface.advance(c);
    }
    positions[run.size()] = x;
    return positions;
}

double DeterministicFontMetricsProvider::widthOfRun(const FontDescriptor& font, std::u16string_view run) const
{
    if (font.metricsRole() == FontMetricsRole::Page)
        return static_cast<double>(run.size()) * (font.pointSize() * pageAdvancePerFontSize);
    InterfaceFont interface(font);
    double width = 0;
    for (size_t i = 0; i < run.size(); ++i) {
        char32_t c = run[i];
        if (isHighSurrogate(run[i]) && i + 1 < run.size() && isLowSurrogate(run[i + 1])) {
            c = 0x10000 + ((run[i] - 0xD800) << 10) + (run[i + 1] - 0xDC00);
            ++i;
        }
        width += interface.advance(c);
    }
    return width;
}

FontLineMetrics DeterministicFontMetricsProvider::lineMetrics(const FontDescriptor& font) const
{
    double size = font.pointSize();
    double lineHeight = font.metricsRole() == FontMetricsRole::Page ? size * pageLineHeightPerFontSize : size * 1.2;
    return { size * 0.8, size * 0.2, lineHeight };
}

} // namespace brevanton

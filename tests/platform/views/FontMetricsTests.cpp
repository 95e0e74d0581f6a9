#include "platform/views/Font.h"
#include "platform/views/FontMetrics.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

// Every unit advances by its index in the run plus one point: widths depend on order, as shaping would.
class CountingProvider final : public FontMetricsProvider {
public:
    double widthOfRun(const FontDescriptor&, std::u16string_view run) const override { return caretPositions({}, run).back(); }
    std::vector<double> caretPositions(const FontDescriptor&, std::u16string_view run) const override
    {
        std::vector<double> positions { 0 };
        for (size_t i = 0; i < run.size(); ++i)
            positions.push_back(positions.back() + 1 + static_cast<double>(i));
        return positions;
    }
    FontLineMetrics lineMetrics(const FontDescriptor&) const override { return { 7, 3, 11 }; }
};

} // namespace

TEST(FontMetrics, DeterministicProviderKeepsInterfaceAndPageMetricsApart)
{
    auto& metrics = FontMetricsProvider::current();
    FontDescriptor helvetica(u"Helvetica", 10);
    FontDescriptor page = FontDescriptor(u"Helvetica", 10).withMetricsRole(FontMetricsRole::Page);
    EXPECT_FALSE(helvetica == page);
    EXPECT_TRUE(helvetica == FontDescriptor(u"Helvetica", 10)) << "descriptors made as before compare as before";
    EXPECT_TRUE(helvetica.withWeight(700).isBold());
    EXPECT_EQ(helvetica.withItalic(true).withPointSize(12).isItalic(), true);

    EXPECT_DOUBLE_EQ(metrics.widthOfRun(helvetica, u"iM"), 10 * 0.28 + 10 * 0.85);
    EXPECT_DOUBLE_EQ(metrics.widthOfRun(page, u"iM"), 10.0);
    EXPECT_DOUBLE_EQ(metrics.lineMetrics(helvetica).lineHeight, 12);
    EXPECT_DOUBLE_EQ(metrics.lineMetrics(page).lineHeight, 12.5);

    // Both units of a surrogate pair stand at the pair's start; the last position is the width.
    auto positions = metrics.caretPositions(helvetica, u"a\U0001F600b");
    ASSERT_EQ(positions.size(), 5u);
    EXPECT_EQ(positions[1], positions[2]);
    EXPECT_DOUBLE_EQ(positions[4], metrics.widthOfRun(helvetica, u"a\U0001F600b"));
    auto pagePositions = metrics.caretPositions(page, u"abc");
    EXPECT_EQ(pagePositions, (std::vector<double> { 0, 5, 10, 15 }));
}

TEST(FontMetrics, AnInstalledProviderMeasuresFontsUntilRemoved)
{
    auto font = Font::fontWithName(u"Helvetica", 10);
    double before = font->widthOfString(u"abc");
    uint64_t generation = FontMetricsProvider::generation();
    FontMetricsProvider::setCurrent(std::make_shared<CountingProvider>());
    EXPECT_NE(FontMetricsProvider::generation(), generation);
    EXPECT_DOUBLE_EQ(font->widthOfString(u"abc"), 1 + 2 + 3);
    EXPECT_DOUBLE_EQ(font->lineHeight(), 11);
    EXPECT_DOUBLE_EQ(font->descender(), -3);
    FontMetricsProvider::setCurrent(nullptr);
    EXPECT_DOUBLE_EQ(font->widthOfString(u"abc"), before);
    EXPECT_DOUBLE_EQ(font->ascender(), 8);
}

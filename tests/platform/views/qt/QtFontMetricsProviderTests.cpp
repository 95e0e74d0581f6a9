#include "platform/views/qt/QtFontMetricsProvider.h"

#include <QFontInfo>

#include "tests/platform/views/qt/QtTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace brevanton;

namespace {

void ensureApplication()
{
    brevanton::testing::qtApplication();
}

} // namespace

TEST(QtFontMetricsProvider, DejaVuWidthsAreFractionalAndGrowWithTheRun)
{
    ensureApplication();
    QtFontMetricsProvider provider;
    FontDescriptor sans(u"DejaVu Sans", 16);
    EXPECT_EQ(QFontInfo(qtFont(sans)).family(), QStringLiteral("DejaVu Sans"));
    std::u16string text = u"Hamburgefonstiv fiddly text";
    bool fractional = false;
    double previous = 0;
    for (size_t length = 1; length <= text.size(); ++length) {
        double width = provider.widthOfRun(sans, std::u16string_view(text).substr(0, length));
        EXPECT_GT(width, previous) << length;
        fractional = fractional || std::abs(width - std::round(width)) > 1e-3;
        previous = width;
    }
    EXPECT_TRUE(fractional) << "unhinted advances are not whole pixels";
    EXPECT_GT(provider.widthOfRun(sans.withWeight(700), u"Hamburgefonstiv"), provider.widthOfRun(sans, u"Hamburgefonstiv"));
    EXPECT_GT(provider.widthOfRun(sans.withPointSize(32), u"mm"), 1.9 * provider.widthOfRun(sans, u"mm"));

    auto positions = provider.caretPositions(sans, text);
    ASSERT_EQ(positions.size(), text.size() + 1);
    EXPECT_EQ(positions.front(), 0);
    for (size_t i = 1; i < positions.size(); ++i)
        EXPECT_GE(positions[i], positions[i - 1]) << i;
    EXPECT_NEAR(positions.back(), provider.widthOfRun(sans, text), 0.5);
    // The two units of a surrogate pair share one caret position.
    auto astral = provider.caretPositions(sans, u"a\U0001D400b");
    EXPECT_EQ(astral[1], astral[2]);

    auto line = provider.lineMetrics(sans);
    EXPECT_GT(line.ascent, 10);
    EXPECT_GT(line.descent, 2);
    EXPECT_GE(line.lineHeight, line.ascent + line.descent - 1e-9);
}

TEST(QtFontMetricsProvider, FamiliesArePinnedToDejaVu)
{
    ensureApplication();
    auto page = [](std::u16string family) { return FontDescriptor(std::move(family), 12).withMetricsRole(FontMetricsRole::Page); };
    EXPECT_EQ(qtPinnedFontFamily(page(u"\"Lucida Unknown\", Georgia, sans-serif")), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(qtPinnedFontFamily(page(u"Nothing, monospace")), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(qtPinnedFontFamily(page(u"Nothing Known")), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(qtPinnedFontFamily(FontDescriptor(u"Nothing Known", 12)), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(qtPinnedFontFamily(FontDescriptor(u"Menlo", 12)), QStringLiteral("DejaVu Sans Mono"));
    // Mono advances are all alike.
    QtFontMetricsProvider provider;
    FontDescriptor mono(u"Menlo", 12);
    EXPECT_NEAR(provider.widthOfRun(mono, u"iiii"), provider.widthOfRun(mono, u"MMMM"), 1e-6);
}

#include "platform/views/qt/QtFontMetricsProvider.h"

#include <QFontInfo>

#include "tests/platform/views/qt/QtTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <thread>
#include <vector>

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

// A family name the provider does not know stands for a serif face in a
// page and a sans-serif one in the interface: what one of them measured
// first is never given to the other.
TEST(QtFontMetricsProvider, AnUnknownFamilyIsMeasuredApartForPagesAndTheInterface)
{
    ensureApplication();
    FontDescriptor interface(u"Nothing Known", 14);
    FontDescriptor page = interface.withMetricsRole(FontMetricsRole::Page);
    std::u16string_view text = u"Hamburgefonstiv";
    double pageAlone = QtFontMetricsProvider().widthOfRun(page, text);
    auto pageLineAlone = QtFontMetricsProvider().lineMetrics(page);
    QtFontMetricsProvider provider;
    double interfaceWidth = provider.widthOfRun(interface, text);
    auto interfaceLine = provider.lineMetrics(interface);
    EXPECT_NE(interfaceWidth, pageAlone) << "the two faces differ";
    EXPECT_EQ(provider.widthOfRun(page, text), pageAlone);
    EXPECT_EQ(provider.caretPositions(page, text).back(), pageAlone);
    EXPECT_EQ(provider.lineMetrics(page).lineHeight, pageLineAlone.lineHeight);
    EXPECT_EQ(provider.widthOfRun(interface, text), interfaceWidth);
    EXPECT_EQ(provider.lineMetrics(interface).ascent, interfaceLine.ascent);
}

// Layouts in the background and the window on the main thread measure with
// the one provider at the same moment: every thread gets the widths, caret
// positions and line metrics one thread alone gets, new runs and fonts being
// added to the caches all the while.
TEST(QtFontMetricsProvider, MeasuresFromManyThreadsAtOnce)
{
    ensureApplication();
    auto descriptor = [](int i) {
        return FontDescriptor(i % 2 ? u"DejaVu Sans" : u"monospace", 10 + i % 7).withWeight(i % 3 ? 400 : 700);
    };
    auto run = [](int i) {
        std::u16string text = u"word ";
        for (char c : std::to_string(i * 7919))
            text += static_cast<char16_t>(u'a' + (c - '0'));
        return text;
    };
    constexpr int runs = 1500;
    std::vector<double> expectedWidths;
    std::vector<double> expectedLastCarets;
    std::vector<double> expectedAscents;
    {
        QtFontMetricsProvider alone;
        for (int i = 0; i < runs; ++i) {
            expectedWidths.push_back(alone.widthOfRun(descriptor(i), run(i)));
            expectedLastCarets.push_back(alone.caretPositions(descriptor(i), run(i)).back());
            expectedAscents.push_back(alone.lineMetrics(descriptor(i)).ascent);
        }
    }

    QtFontMetricsProvider shared;
    constexpr int threadCount = 6;
    std::vector<int> mismatches(threadCount, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            // Each thread walks the runs from its own place, so inserts collide.
            for (int n = 0; n < runs; ++n) {
                int i = (n + t * runs / threadCount) % runs;
                if (shared.widthOfRun(descriptor(i), run(i)) != expectedWidths[i])
                    ++mismatches[t];
                if (n % 3 == 0 && std::abs(shared.caretPositions(descriptor(i), run(i)).back() - expectedLastCarets[i]) > 1e-6)
                    ++mismatches[t];
                if (shared.lineMetrics(descriptor(i)).ascent != expectedAscents[i])
                    ++mismatches[t];
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < threadCount; ++t)
        EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

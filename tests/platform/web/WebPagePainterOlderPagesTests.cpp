// What older and generated pages show: no-break spaces, list markers of
// items holding paragraphs, numbered kinds of markers, and the fills their
// presentational attributes ask for.
#include "tests/platform/web/WebPageTestSupport.h"

#include "platform/foundation/Text.h"
#include "platform/web/WebPagePainter.h"

#include <algorithm>

using namespace brevanton;

namespace {

class WebPagePainterOlderPages : public WebPageTest { };

bool holds(const std::u16string& text, char16_t c)
{
    return text.find(c) != std::u16string::npos;
}

TEST_F(WebPagePainterOlderPages, NoBreakSpacesAndTheirStandInAreDrawnAsSpacesWhereTheTextHasThem)
{
    loadBody(u"<p id=a>1.\u00A0Introduction\u00A0and\u00A0more</p><p id=b>x\u23D8y</p>");
    auto runs = ofKind(paint(), DrawCommand::Kind::TextRun);
    ASSERT_GE(runs.size(), 2u);
    for (auto& run : runs)
        EXPECT_FALSE(holds(run.text, 0xA0)) << "no missing-glyph box";
    EXPECT_EQ(runs[0].text, u"1. Introduction and more");
    // The glyphs stand where the layout measured them.
    auto measured = layout().textRun(textOf(u"a"), 0);
    EXPECT_EQ(runs[0].glyphPositions, measured->positions);
    EXPECT_EQ(runs[1].text, u"x\u23D8y") << "a character of its own";

    // An editor showing U+00A0 as a stand-in: it is drawn as the space it stands for.
    webView->mainFrame()->setCharacterShownAsSpace(0x23D8);
    runs = ofKind(paint(), DrawCommand::Kind::TextRun);
    EXPECT_EQ(runs[1].text, u"x y");
    webView->mainFrame()->setCharacterShownAsSpace(0);
    EXPECT_EQ(ofKind(paint(), DrawCommand::Kind::TextRun)[1].text, u"x\u23D8y");
}

TEST_F(WebPagePainterOlderPages, AnItemsMarkerStandsOnItsTextsFirstLineAndCountsInItsKind)
{
    loadBody(u"<ol type=i start=3><li><p id=first>Roman</p></li><li><p id=second style='margin-top:30px'>Four</p></li></ol>"
             u"<ol type=A start=26><li id=z>Z</li><li id=aa>AA</li></ol><ul><li><p id=bullet>dot</p></li></ul>");
    auto runs = ofKind(paint(), DrawCommand::Kind::TextRun);
    auto marker = [&](const std::u16string& text) -> const DrawCommand* {
        auto found = std::find_if(runs.begin(), runs.end(), [&](auto& run) { return run.text == text; });
        return found == runs.end() ? nullptr : &*found;
    };
    for (auto [label, id] : { std::pair { u"iii.", u"first" }, std::pair { u"iv.", u"second" } }) {
        auto* run = marker(label);
        ASSERT_TRUE(run) << toUTF8(label);
        auto text = layout().textRun(textOf(id), 0);
        EXPECT_EQ(run->rect.minY(), text->rect.minY()) << toUTF8(label) << " on its text's line, not above it";
        EXPECT_EQ(run->rect.minY() + run->baselineOffset, text->baseline);
    }
    EXPECT_TRUE(marker(u"Z."));
    EXPECT_TRUE(marker(u"AA."));
    // A bullet, too, is level with the paragraph's first line.
    auto bullets = ofKind(paint(), DrawCommand::Kind::FillPath);
    ASSERT_FALSE(bullets.empty());
    Rect dot = bullets.back().rect;
    Rect line = layout().textRun(textOf(u"bullet"), 0)->rect;
    EXPECT_GT(dot.midY(), line.minY());
    EXPECT_LT(dot.midY(), line.maxY());

    EXPECT_EQ(webListMarkerText(1994, u"upper-roman"), u"MCMXCIV");
    EXPECT_EQ(webListMarkerText(28, u"lower-alpha"), u"ab");
    EXPECT_EQ(webListMarkerText(0, u"lower-alpha"), u"0") << "no letter for zero";
    EXPECT_EQ(webListMarkerText(4000, u"lower-roman"), u"4000");
}

TEST_F(WebPagePainterOlderPages, ATablesBgcolorFillsItsBoxAndItsCellpaddingPadsItsCells)
{
    loadBody(u"<table id=table bgcolor=#00ff00 cellpadding=5><tr bgcolor=red><td id=cell>x</td></tr></table>");
    auto fills = ofKind(paint(), DrawCommand::Kind::FillRect);
    auto filled = [&](const Rect& box, Color color) {
        return std::any_of(fills.begin(), fills.end(), [&](auto& fill) { return fill.rect == box && fill.color == color; });
    };
    EXPECT_TRUE(filled(box(u"table"), Color::sRGB255(0, 255, 0)));
    Rect cell = box(u"cell");
    EXPECT_EQ(line(u"cell").minY(), cell.minY() + 5) << "the cellpadding";
}

TEST_F(WebPagePainterOlderPages, FormControlsDrawAsTheDesktopDrawsThemAndAMissingImageShowsItsAltText)
{
    loadBody(u"<p style='margin:0'><input id=field value='typed text'> <input id=box type=checkbox checked>"
             u" <button id=button>Send <b>now</b></button> <select id=menu><option>one</option>"
             u"<option selected>second choice</option></select></p>"
             u"<p style='margin:0'><img id=missing src='nowhere.png' alt='A lost picture'></p>");
    // Sized from their text: a field of 20 characters, a button and a pop-up around their labels.
    EXPECT_EQ(box(u"field").size, (Size { 20 * 8 + 6, 20 + 6 }));
    EXPECT_EQ(box(u"box").size, (Size { 13, 13 }));
    EXPECT_EQ(box(u"button").width(), 8 * 8 + 16);
    EXPECT_EQ(box(u"menu").width(), 13 * 8 + 6 + 16) << "as wide as the widest option";
    EXPECT_EQ(box(u"missing").size, (Size { 14 * 8 + 6, 20 + 6 }));

    auto commands = paint();
    auto runs = ofKind(commands, DrawCommand::Kind::TextRun);
    auto drawnIn = [&](const std::u16string& text, const Rect& box) {
        return std::any_of(runs.begin(), runs.end(), [&](auto& run) {
            return run.text == text && box.containsPoint(Point { run.rect.minX() + 1, run.rect.midY() });
        });
    };
    EXPECT_TRUE(drawnIn(u"typed text", box(u"field")));
    EXPECT_TRUE(drawnIn(u"Send now", box(u"button")));
    EXPECT_TRUE(drawnIn(u"second choice", box(u"menu"))) << "the selected option";
    EXPECT_TRUE(drawnIn(u"A lost picture", box(u"missing")));
    auto checks = ofKind(commands, DrawCommand::Kind::StrokePath);
    EXPECT_TRUE(std::any_of(checks.begin(), checks.end(), [&](auto& stroke) { return box(u"box").intersects(stroke.rect); }))
        << "the check mark";
    auto strokes = ofKind(commands, DrawCommand::Kind::StrokeRect);
    EXPECT_TRUE(std::any_of(strokes.begin(), strokes.end(), [&](auto& stroke) { return stroke.rect == box(u"missing"); }));
    // Nothing of the button's content is laid out as text of the page.
    EXPECT_TRUE(layout().lineBoxRects(*element(u"button")->firstChild()).empty());
}

} // namespace

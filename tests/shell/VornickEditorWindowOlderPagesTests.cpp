// What older pages show in the editor window, checked in the window's own
// picture and in what it replayed: no-break spaces as spaces, list markers
// on their text's line, the fills of presentational attributes, form
// controls and the alt text of a missing image.
#include "tests/shell/VornickEditorWindowTestSupport.h"

#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMElement.h"
#include "platform/views/Toolbar.h"

#include <algorithm>

using namespace brevanton;

namespace {

using EditorWindowOlderPages = brevanton::testing::EditorWindowSession;

TEST_F(EditorWindowOlderPages, APageOfNoBreakSpacesListsAndColouredTablesIsDrawnAsABrowserDrawsIt)
{
    std::string page = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Old</title></head>"
                       "<body bgcolor=\"#ffffff\" text=\"#000080\">\n";
    for (int i = 1; i <= 12; ++i)
        page += "<p>" + std::to_string(i) + ".\xC2\xA0" "Introduction\xC2\xA0to\xC2\xA0the\xC2\xA0" "chapter&nbsp;" + std::to_string(i) + "</p>\n";
    page += "<ol type=\"I\"><li><p id=\"item\">First point</p></li><li><p>Second point</p></li></ol>\n"
            "<table id=\"coloured\" bgcolor=\"#ff0000\" width=\"200\" height=\"40\" cellpadding=\"4\"><tr><td>cell</td></tr></table>\n"
            "<form><input value=\"typed\"> <input type=\"checkbox\" checked> <button>Send</button></form>\n"
            "<p><img src=\"missing.png\" alt=\"Picture of the harbour\"></p>\n</body></html>\n";
    openPage("old.html", page);
    // The page as tall as a window without a toolbar shows it.
    Rect frame = editor->window()->frame();
    editor->window()->setFrame(Rect(frame.minX(), frame.minY() - Toolbar::height, frame.width(), frame.height() + Toolbar::height));
    settle();
    widget()->repaint();
    QImage picture = widget()->grab().toImage();
    saveScreenshot(picture, "older-page-top.png");
    auto commands = widget()->lastPaintedCommands();

    // No no-break space (nor the editor's stand-in for it) reaches the painter.
    char16_t standIn = webView()->mainFrame()->characterShownAsSpace();
    size_t runs = 0;
    for (auto& command : commands) {
        if (command.kind != DrawCommand::Kind::TextRun)
            continue;
        ++runs;
        EXPECT_EQ(command.text.find(u'\u00A0'), std::u16string::npos) << toUTF8(command.text);
        if (standIn) {
            EXPECT_EQ(command.text.find(standIn), std::u16string::npos) << toUTF8(command.text);
        }
    }
    EXPECT_GT(runs, 12u);
    auto drawn = [&](const std::u16string& text) {
        return std::find_if(commands.begin(), commands.end(),
                            [&](auto& command) { return command.kind == DrawCommand::Kind::TextRun && command.text == text; });
    };
    EXPECT_NE(drawn(u"1. Introduction to the chapter 1"), commands.end());

    // The marker on its paragraph's first line.
    auto marker = drawn(u"I.");
    auto text = drawn(u"First point");
    ASSERT_NE(marker, commands.end());
    ASSERT_NE(text, commands.end());
    EXPECT_NEAR(marker->rectInWindow.midY(), text->rectInWindow.midY(), 1);

    // The end of the page: the table's fill in the picture, inside its box.
    QTest::keyClick(widget(), Qt::Key_End, Qt::ControlModifier);
    settle();
    widget()->repaint();
    picture = widget()->grab().toImage();
    saveScreenshot(picture, "older-page-end.png");
    auto table = document()->getElementById(u"coloured");
    auto pageView = webView()->mainFrame()->frameView()->documentView();
    Rect box = pageView->convertRectToView(webView()->boundingBox(*table), nullptr);
    QPoint inside(static_cast<int>(box.minX()) + 3, static_cast<int>(widget()->height() - box.maxY()) + 3);
    EXPECT_EQ(QColor(picture.pixel(inside)), QColor(255, 0, 0));

    // The controls and the missing picture's alt text.
    commands = widget()->lastPaintedCommands();
    EXPECT_NE(drawn(u"typed"), commands.end());
    EXPECT_NE(drawn(u"Send"), commands.end());
    EXPECT_NE(drawn(u"Picture of the harbour"), commands.end());
}

} // namespace

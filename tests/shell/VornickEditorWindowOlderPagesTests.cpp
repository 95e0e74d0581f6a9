// What older pages show in the editor window, checked in the window's own
// picture and in what it replayed: no-break spaces as spaces, list markers
// on their text's line, the fills of presentational attributes, form
// controls and the alt text of a missing image; broken pages in a legacy
// encoding opened through File > Open, their text, the validation summary
// at the window's foot and the list behind it, and what Save writes.
#include "tests/shell/VornickEditorWindowTestSupport.h"

#include "editing/VornickDOMPathBar.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/DocumentTextDecoding.h"
#include "platform/views/Toolbar.h"
#include "platform/views/qt/QtMenuBar.h"
#include "platform/views/qt/QtPanels.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <QApplication>

#include <algorithm>
#include <cmath>
#include <set>

using namespace brevanton;

namespace {

class EditorWindowOlderPages : public brevanton::testing::EditorWindowSession {
protected:
    std::string path(const std::string& name) const { return m_folder + "/" + name; }
    std::string contents(const std::string& name) const { return readFile(path(name)).value_or(""); }

    // Opens the page as a user does: File > Open's shortcut in the window in
    // front (a first page's, when none is open), the panel answered with the
    // page; its window becomes `editor` once the page is loaded and checked.
    void openThroughTheOpenPanel(const std::string& name)
    {
        if (!editor)
            open("page.html");
        auto asked = std::make_shared<int>(0);
        shell->setOpenPanel([asked, chosen = path(name)](const QtOpenPanelRequest&, std::function<void(std::optional<URL>)> completion) {
            ++*asked;
            completion(URL::fileURLWithPath(chosen));
        });
        press(Qt::Key_O, Qt::ControlModifier);
        shell->setOpenPanel({});
        ASSERT_EQ(*asked, 1);
        const auto& windows = shell->editorWindows();
        auto opened = std::find_if(windows.begin(), windows.end(), [&](const auto& window) { return window->path() == path(name); });
        ASSERT_NE(opened, windows.end()) << name << " opened no window";
        editor = *opened;
        // A repaired copy's status is set before its validation ends: the
        // summary the bar shows is what is awaited.
        ASSERT_TRUE(RunLoop::main().runUntil(
            [this] {
                const auto& summary = pathBar()->validationSegmentText();
                return editor->editingView()->loadingState() != VornickContentLoadingState::InProgress
                    && editor->editingView()->tidyStatusForFocusedWebFrame() != VornickFrameValidationStatus::Pending && !summary.empty()
                    && !summary.ends_with(u"Validating...");
            },
            30));
        settle();
    }
    std::shared_ptr<VornickDOMPathBar> pathBar() const { return VornickContentEditingViewTestPeer::of(*editor->editingView()).domPathBar; }
    // The page's text runs as the window painted them, a line each.
    std::u16string paintedPageText() const
    {
        widget()->repaint();
        std::u16string text;
        for (const auto& command : widget()->lastPaintedCommands()) {
            if (command.kind == DrawCommand::Kind::TextRun)
                text += command.text + u"\n";
        }
        return text;
    }
    // What the path bar at the window's foot drew: its texts and the colour of its status dot.
    struct DrawnBar {
        std::vector<std::u16string> texts;
        std::optional<Color> dot;
    };
    DrawnBar drawnBar() const
    {
        widget()->repaint();
        DrawnBar drawn;
        auto bar = pathBar();
        for (const auto& command : widget()->lastPaintedCommands()) {
            if (command.view != bar.get())
                continue;
            if (command.kind == DrawCommand::Kind::Text)
                drawn.texts.push_back(command.text);
            else if (command.kind == DrawCommand::Kind::FillRoundedRect)
                drawn.dot = command.color;
        }
        return drawn;
    }
    // Clicks the validation summary and reads the items of the menu it pops up.
    std::vector<std::u16string> listedFindings()
    {
        auto bar = pathBar();
        QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier,
                          brevanton::testing::centreInWidget(*widget(), *bar, bar->validationSegmentRect()));
        settle();
        std::vector<std::u16string> titles;
        auto* shown = dynamic_cast<QtMenu*>(QApplication::activePopupWidget());
        if (!shown)
            return titles;
        for (auto* action : shown->actions())
            titles.push_back(action->text().toStdU16String());
        shown->close();
        settle();
        return titles;
    }
    // Closes the window of `editor`, the window in front after it taking its place.
    void closeWindowInFront()
    {
        editor->window()->close();
        editor.reset();
        settle();
        editor = shell->frontEditorWindow();
    }
    static bool isColour(const std::optional<Color>& colour, int red, int green, int blue)
    {
        return colour && std::abs(colour->redComponent() * 255 - red) < 2 && std::abs(colour->greenComponent() * 255 - green) < 2
            && std::abs(colour->blueComponent() * 255 - blue) < 2;
    }
    static bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
    static bool contains(const std::u16string& text, const std::u16string& part) { return text.find(part) != std::u16string::npos; }
};

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

// Broken Latin-1 and windows-1252 pages open from tidy's repair: the text
// reads right, the window says the page is a repaired copy, and Save writes
// the repaired page in windows-1252 under its META as written, a second
// save and a save after opening it again writing the same bytes.
TEST_F(EditorWindowOlderPages, ABrokenLegacyEncodedPageOpensFromItsRepairReadsRightAndSavesAsDeclared)
{
    struct Case {
        const char* name;
        std::vector<std::u16string> shown;
        std::string declaration;
        std::vector<std::string> saved;
        std::string repaired;
    };
    const Case cases[] = {
        { "legacy-latin1-repaired.html",
          { u"\u201CThe caf\u00E9\u2019s menu\u201D \u2013 cr\u00E8me br\u00FBl\u00E9e \u20AC5.", u"Na\u00EFve", u"r\u00E9sum\u00E9 \u2026" },
          "charset=\"iso-8859-1\"",
          { "<title>Caf\xE9 cr\xE8me</title>", "\x93The caf\xE9\x92s menu\x94 \x96 cr\xE8me br\xFBl\xE9" "e \x80" "5.", "r\xE9sum\xE9 \x85</p>" },
          "\x85</i>" },
        { "legacy-windows-1252-repaired.html",
          { u"Coffee \u20AC2,", u"tea", u"\u20AC1.50", u"\u201CQuoted\u201D \u2018single\u2019 \u2122" },
          "content=\"text/html; charset=windows-1252\"",
          { "Coffee \x80" "2, <b>tea</b> \x80" "1.50</p>", "\x93Quoted\x94 \x91single\x92 \x99" },
          "1.50</b>" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::copy_file(std::string(BREVANTON_TEST_DATA_DIR) + "/html-pages/" + c.name, path(c.name));
        openThroughTheOpenPanel(c.name);
        auto text = paintedPageText();
        for (const auto& shown : c.shown)
            EXPECT_TRUE(contains(text, shown)) << toUTF8(shown) << " is not among the painted runs:\n" << toUTF8(text);
        auto bar = drawnBar();
        ASSERT_FALSE(bar.texts.empty());
        EXPECT_TRUE(std::any_of(bar.texts.begin(), bar.texts.end(),
                                [](const auto& drawn) { return drawn.starts_with(u"Loaded from a repaired copy \u2014 "); }))
            << toUTF8(bar.texts.front()) << " / " << toUTF8(bar.texts.back()) << " / " << toUTF8(pathBar()->validationSegmentText());
        auto listed = listedFindings();
        ASSERT_FALSE(listed.empty());
        EXPECT_TRUE(listed.front().starts_with(u"Loaded from a repaired copy")) << toUTF8(listed.front());
        std::string all;
        for (const auto& item : listed)
            all += toUTF8(item) + "\n";
        EXPECT_TRUE(std::any_of(listed.begin() + 1, listed.end(), [](const auto& item) { return item.ends_with(u"(STRUCTURAL)"); })) << all;

        press(Qt::Key_S, Qt::ControlModifier);
        EXPECT_FALSE(editor->window()->isDocumentEdited());
        auto first = contents(c.name);
        auto decoded = decodeDocumentText(first, DocumentTextSyntax::HTML);
        EXPECT_EQ(decoded.encoding, u"windows-1252");
        EXPECT_FALSE(decoded.replacedUndecodableBytes);
        EXPECT_TRUE(contains(first, c.declaration)) << first;
        for (const auto& kept : c.saved)
            EXPECT_TRUE(contains(first, kept)) << kept << " is not in\n" << first;
        EXPECT_FALSE(contains(first, c.repaired)) << "the repair was not saved:\n" << first;
        // Saved, the file is the repaired page: the notice goes.
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !pathBar()->validationSegmentText().starts_with(u"Loaded"); }, 30));
        press(Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(contents(c.name), first) << "a second save changed the file";

        // Opened again, the sound file is shown as it is, reads the same and saves to the same bytes.
        closeWindowInFront();
        openThroughTheOpenPanel(c.name);
        EXPECT_FALSE(pathBar()->loadedFromRepairedCopy());
        text = paintedPageText();
        for (const auto& shown : c.shown)
            EXPECT_TRUE(contains(text, shown)) << toUTF8(shown) << " is not among the painted runs:\n" << toUTF8(text);
        press(Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(contents(c.name), first) << "saved after opening again, the file changed";
        closeWindowInFront();
    }
}

// A page whose repair would lose something is shown as written, and the
// window lists each of tidy's findings once, at tidy's level: warnings in
// the summary, its dot and its list. A windows-1252 one saves as it was read.
TEST_F(EditorWindowOlderPages, APageWhoseRepairIsRefusedListsEachFindingOnceAsAWarning)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::u16string shown;
        std::vector<std::string> saved;
    };
    const Case cases[] = {
        { "misnested-bold.html", {}, u"bold", {} },
        { "misnested-latin1.html",
          "<!DOCTYPE html>\n<html><head><meta charset=\"iso-8859-1\"><title>Caf\xE9</title></head>\n"
          "<body><b><p>\x80 caf\xE9 \x93quoted\x94</p><p>two</p></body></html>\n",
          u"\u20AC caf\u00E9 \u201Cquoted\u201D", { "charset=\"iso-8859-1\"", "\x80 caf\xE9 \x93quoted\x94" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.bytes.empty()) {
            ASSERT_TRUE(writeFileAtomically(path(c.name), c.bytes));
        }
        openThroughTheOpenPanel(c.name);
        EXPECT_TRUE(contains(paintedPageText(), c.shown));
        auto view = editor->editingView();
        ASSERT_TRUE(vornick_refusedRepairLoss(*view->mainFrame()));

        auto listed = listedFindings();
        ASSERT_GE(listed.size(), 2u);
        EXPECT_TRUE(listed.front().starts_with(u"Shown as written; tidy's repair was not loaded: ")) << toUTF8(listed.front());
        std::vector<std::u16string> findings(listed.begin() + 1, listed.end());
        std::string all;
        for (const auto& finding : findings)
            all += toUTF8(finding) + "\n";
        for (const auto& finding : findings)
            EXPECT_TRUE(contains(finding, u": Warning: ")) << all;
        EXPECT_EQ(std::set<std::u16string>(findings.begin(), findings.end()).size(), findings.size()) << "listed twice:\n" << all;

        auto bar = drawnBar();
        auto summary = std::to_string(findings.size()) + (findings.size() == 1 ? " Warning" : " Warnings");
        EXPECT_TRUE(std::any_of(bar.texts.begin(), bar.texts.end(), [&](const auto& drawn) { return toUTF8(drawn) == summary; }))
            << summary << " is not drawn; the bar reads " << toUTF8(pathBar()->validationSegmentText());
        EXPECT_TRUE(isColour(bar.dot, 230, 162, 0)) << "the dot is not the warnings' amber";

        if (c.saved.empty())
            continue;
        press(Qt::Key_S, Qt::ControlModifier);
        auto first = contents(c.name);
        EXPECT_EQ(decodeDocumentText(first, DocumentTextSyntax::HTML).encoding, u"windows-1252");
        for (const auto& kept : c.saved)
            EXPECT_TRUE(contains(first, kept)) << kept << " is not in\n" << first;
        press(Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(contents(c.name), first) << "a second save changed the file";
    }
}

} // namespace

#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/VornickEditorWindowTestSupport.h"

#include "app/VornickWindow.h"
#include "editing/VornickContentEditingView.h"
#include "editing/VornickContentOverlayView.h"
#include "editing/VornickDOMPathBar.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickSourceLoupe.h"
#include "html/VornickHTMLStringSyntaxPainterAndMapper.h"
#include "html/VornickHTMLSyntaxColoringPreferences.h"
#include "ui/VornickHTMLSourceCodeView.h"
#include "html/VornickHTMLServices.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "platform/views/Menu.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/ScrollView.h"
#include "platform/views/SavePanel.h"
#include "platform/views/Screen.h"
#include "platform/views/SplitView.h"
#include "platform/views/qt/QtMenuBar.h"
#include "platform/views/qt/QtPanels.h"
#include "platform/views/qt/QtPasteboardBridge.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebFrameView.h"
#include "platform/web/WebGeneratedContent.h"
#include "shell/VornickApplicationShell.h"
#include "shell/VornickEditorWindow.h"
#include "shell/VornickErrorAlert.h"
#include "toolkit/VornickErrors.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"
#include "tests/html/TidyRunLog.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QDrag>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QTest>
#include <QWindow>
#include <QTimer>
#include <QWheelEvent>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <set>
#include <thread>

using namespace brevanton;

namespace {

class EditorWindow : public brevanton::testing::EditorWindowSession {
protected:
    void SetUp() override
    {
        EditorWindowSession::SetUp();
        open("page.html");
    }

    std::string path(const std::string& name) const { return m_folder + "/" + name; }
    std::shared_ptr<DOMElement> element(const std::u16string& tag) const
    {
        auto list = editor->editingView()->mainFrameDocument()->getElementsByTagName(tag);
        return list && list->length() ? downcast<DOMElement>(list->item(0)) : nullptr;
    }
    // Where a node's box is in the widget, a few points into it from the left.
    QPoint pointInWidget(const DOMNode& node, double dx = 3) const
    {
        auto webView = editor->editingView()->embeddedWebView();
        Rect box = webView->boundingBox(node);
        Point base = webView->convertPointToView(Point { box.minX() + dx, box.midY() }, nullptr);
        return QPoint(static_cast<int>(base.x), static_cast<int>(widget()->height() - base.y));
    }
    // The hues of the source pane's text besides the greys (its syntax colours).
    size_t huesInSourcePane(const QImage& picture) const
    {
        Rect pane = editor->sourcePane()->convertRectToView(editor->sourcePane()->bounds(), nullptr);
        QRect area(static_cast<int>(pane.minX()) + 2, static_cast<int>(widget()->height() - pane.maxY()) + 2,
                   static_cast<int>(pane.width()) - 4, std::min(300, static_cast<int>(pane.height()) - 4));
        std::set<int> hues;
        for (QRgb colour : coloursIn(picture, area)) {
            QColor shown(colour);
            if (shown.hsvSaturation() > 80 && shown.value() > 60)
                hues.insert(shown.hsvHue() / 20);
        }
        return hues.size();
    }
    // The distinct colours of the widget's picture in a rectangle.
    static std::set<QRgb> coloursIn(const QImage& image, const QRect& area)
    {
        std::set<QRgb> colours;
        for (int y = area.top(); y <= area.bottom(); y += 2) {
            for (int x = area.left(); x <= area.right(); x += 2)
                colours.insert(image.pixel(x, y));
        }
        return colours;
    }

    // How many pixels differ between two pictures in a rectangle.
    static int changedPixels(const QImage& before, const QImage& after, const QRect& area)
    {
        int changed = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x)
                changed += before.pixel(x, y) != after.pixel(x, y) ? 1 : 0;
        }
        return changed;
    }
    // Sends the input method's event: a preedit (with the cursor after its
    // first character) and a committed text, either may be empty.
    void inputMethod(const QString& preedit, const QString& committed = {})
    {
        QInputMethodEvent event(preedit, { { QInputMethodEvent::Cursor, 1, 1, QVariant() } });
        event.setCommitString(committed);
        QCoreApplication::sendEvent(widget(), &event);
        settle();
    }

};

TEST_F(EditorWindow, ShowsThePageBesideItsSyntaxColouredSource)
{
    ASSERT_TRUE(widget());
    EXPECT_TRUE(widget()->isVisible());
    EXPECT_EQ(widget()->windowHandle()->title(), QString("page.html"));
    ASSERT_EQ(editor->splitView()->subviews().size(), 2u);
    EXPECT_EQ(editor->splitView()->subviews()[0], editor->editingView());
    EXPECT_EQ(editor->splitView()->subviews()[1], editor->sourcePane());

    // The source is coloured in the background; the pane shows it when done.
    auto sourceView = editor->editingView()->sourceLoupe()->sourceCodeView();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return sourceView->textStorage().runs().size() > 1; }, 30));
    settle();
    QImage picture = widget()->grab().toImage();
    saveScreenshot(picture, "editor-window.png");
    // The source pane: its background and the colours of the syntax.
    Rect pane = editor->sourcePane()->convertRectToView(editor->sourcePane()->bounds(), nullptr);
    QRect paneInWidget(static_cast<int>(pane.minX()) + 2, static_cast<int>(widget()->height() - pane.maxY()) + 2,
                       static_cast<int>(pane.width()) - 4, std::min(200, static_cast<int>(pane.height()) - 4));
    EXPECT_GE(huesInSourcePane(picture), 2u) << "the syntax colours";
    // The text is light on the dark background.
    EXPECT_LT(QColor(picture.pixel(paneInWidget.right() - 2, paneInWidget.bottom() - 2)).value(), 100);
    // Every text command of the pane was drawn where it was recorded: ink inside its box.
    size_t checked = 0;
    for (const auto& command : widget()->lastPaintedCommands()) {
        if (command.kind != DrawCommand::Kind::Text || command.text.find_first_not_of(u" \t") == std::u16string::npos)
            continue;
        if (!command.view || !command.view->isDescendantOf(editor->sourcePane().get()))
            continue;
        Rect box = command.rectInWindow;
        QRect inWidget(static_cast<int>(box.minX()), static_cast<int>(widget()->height() - box.maxY()),
                       std::max(2, static_cast<int>(box.width())), std::max(2, static_cast<int>(box.height())));
        inWidget = inWidget.intersected(paneInWidget);
        if (inWidget.isEmpty())
            continue;
        EXPECT_GE(coloursIn(picture, inWidget).size(), 2u) << toUTF8(command.text);
        if (++checked == 10)
            break;
    }
    EXPECT_GT(checked, 0u);
}

TEST_F(EditorWindow, TheSourcePaneKeepsItsColoursWhenAnEditRegeneratesTheSource)
{
    auto sourceView = editor->editingView()->sourceLoupe()->sourceCodeView();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return sourceView->textStorage().runs().size() > 1; }, 30));
    settle();
    // The colour of each kind of token the pane shows, from its text's runs.
    auto colours = [&] {
        std::set<std::string> shown;
        for (const auto& run : sourceView->textStorage().runs()) {
            if (!run.attributes)
                continue;
            auto found = run.attributes->find(ForegroundColorAttributeName);
            if (found != run.attributes->end())
                if (auto* colour = std::any_cast<Color>(&found->second))
                    shown.insert(colour->description());
        }
        return shown;
    };
    auto loaded = colours();
    QImage before = widget()->grab().toImage();
    saveScreenshot(before, "source-pane-loaded.png");

    auto heading = element(u"H1");
    ASSERT_TRUE(heading);
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, pointInWidget(*heading->firstChild()));
    settle();
    unsigned updates = editor->editingView()->sourceLoupe()->sourceUpdateCount();
    QTest::keyClicks(widget(), "x");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor->editingView()->sourceLoupe()->sourceUpdateCount() > updates; }, 30));
    settle();
    QImage after = widget()->grab().toImage();
    saveScreenshot(after, "source-pane-regenerated.png");

    // The regenerated source is coloured as the loaded one was: no colour
    // the pane did not use before.
    for (const auto& colour : colours())
        EXPECT_TRUE(loaded.count(colour)) << colour;
    EXPECT_EQ(huesInSourcePane(after), huesInSourcePane(before));
}

TEST_F(EditorWindow, AKeystrokeRepaintsTheTypedLineNotTheWholePage)
{
    auto paragraph = element(u"P");
    ASSERT_TRUE(paragraph);
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, pointInWidget(*paragraph->firstChild()));
    // Tidy's verdict on the loaded page and the page's last resources mark
    // what they change, the latter the whole page a moment after they came:
    // on a busy machine these may come with the keystroke's repaint if they
    // are not awaited, and drawn, first.
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            return editor->editingView()->tidyStatusForFocusedWebFrame() != VornickFrameValidationStatus::Pending
                && !webView()->isLoading();
        },
        30));
    RunLoop::main().runFor(0.5);
    settle();
    widget()->repaint();
    unsigned paints = widget()->paintCount();
    QTest::keyClick(widget(), Qt::Key_X);
    // The repaint follows on a later turn; a busy machine may take a while.
    ASSERT_TRUE(QTest::qWaitFor([&] { return widget()->paintCount() != paints; }, 30000));
    EXPECT_NE(paragraph->textContent().find(u'x'), std::u16string::npos);
    // What Qt redrew of the page: the paragraph's line with the caret, not
    // the page (the source pane beside it may come in the same paint on a
    // busy machine, when its regenerated source is shown that soon).
    auto webView = editor->editingView()->embeddedWebView();
    Rect pageRect = webView->convertRectToView(webView->visibleRect(), nullptr);
    QRect page(static_cast<int>(pageRect.minX()), static_cast<int>(widget()->height() - pageRect.maxY()),
               static_cast<int>(pageRect.width()), static_cast<int>(pageRect.height()));
    QRect painted = widget()->lastPaintedRegion().intersected(page).boundingRect();
    QPoint line = pointInWidget(*paragraph->firstChild());
    EXPECT_LE(painted.top(), line.y());
    EXPECT_GE(painted.bottom(), line.y());
    EXPECT_LT(painted.height(), webView->bounds().height() / 4) << painted.top() << " " << painted.height();
}

TEST_F(EditorWindow, ASessionOfRealQtEventsEditsUndoesAndSaves)
{
    auto heading = element(u"H1");
    ASSERT_TRUE(heading);
    auto text = heading->firstChild();
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, pointInWidget(*text));
    settle();
    auto range = editor->editingView()->effectiveOperationRange();
    ASSERT_TRUE(range);
    EXPECT_EQ(range->startContainer(), text);
    // The input method is told where the caret is: on the heading's line.
    QRect caret = widget()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QPoint clicked = pointInWidget(*text);
    EXPECT_LE(caret.top(), clicked.y());
    EXPECT_GE(caret.bottom(), clicked.y());
    EXPECT_LT(caret.height(), 80);

    // Over the text the pointer is the I-beam the editing view sets.
    QMouseEvent moved(QEvent::MouseMove, QPointF(pointInWidget(*text, 6)), widget()->mapToGlobal(QPointF(pointInWidget(*text, 6))),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget(), &moved);
    settle();
    EXPECT_EQ(widget()->cursor().shape(), Qt::IBeamCursor);

    QTest::keyClicks(widget(), "New ");
    settle();
    std::u16string typed = element(u"H1")->textContent();
    EXPECT_NE(typed.find(u"New"), std::u16string::npos) << toUTF8(typed);

    // The Edit menu offers Undo now, and Redo not yet.
    auto edit = shell->mainMenu()->itemWithTitle(u"Edit")->submenu();
    EXPECT_TRUE(Menu::validateItem(*edit->itemWithTitle(u"Undo")));
    EXPECT_FALSE(Menu::validateItem(*edit->itemWithTitle(u"Redo")));
    // Undo takes the typing back (at least its last step).
    QTest::keyClick(widget(), Qt::Key_Z, Qt::ControlModifier);
    settle();
    EXPECT_NE(element(u"H1")->textContent(), typed);
    EXPECT_TRUE(Menu::validateItem(*edit->itemWithTitle(u"Redo")));
    QTest::keyClick(widget(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    settle();
    EXPECT_EQ(element(u"H1")->textContent(), typed);

    // A browser copies a bold word: its markup only as HTML, its text as
    // plain text. The general pasteboard gets both from the clipboard, and
    // Ctrl+V in the paragraph pastes the markup there.
    auto* copied = new QMimeData;
    copied->setHtml("<strong>pasted</strong>");
    copied->setText("pasted");
    QGuiApplication::clipboard()->setMimeData(copied);
    ASSERT_TRUE(installedQtPasteboardBridge());
    installedQtPasteboardBridge()->synchronize();
    EXPECT_EQ(Pasteboard::generalPasteboard()->stringForType(PasteboardTypeHTML), u"<strong>pasted</strong>");
    auto paragraph = element(u"P");
    ASSERT_TRUE(paragraph);
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, pointInWidget(*paragraph->firstChild()));
    settle();
    QTest::keyClick(widget(), Qt::Key_V, Qt::ControlModifier);
    settle();
    auto strong = element(u"STRONG");
    ASSERT_TRUE(strong);
    EXPECT_EQ(strong->textContent(), u"pasted");
    EXPECT_EQ(strong->parentNode(), paragraph);

    // The source beside the page follows the edit.
    auto sourceView = editor->editingView()->sourceLoupe()->sourceCodeView();
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] {
            auto shown = sourceView->string();
            return shown.find(typed) != std::u16string::npos && shown.find(u"<strong>pasted</strong>") != std::u16string::npos;
        },
        30));
    QCoreApplication::processEvents();
    QImage edited = widget()->grab().toImage();
    saveScreenshot(edited, "editor-window-typed.png");
    EXPECT_GE(huesInSourcePane(edited), 2u) << "the regenerated source's syntax colours";
    QTest::keyClick(widget(), Qt::Key_S, Qt::ControlModifier);
    settle();
    auto saved = readFile(path("page.html"));
    ASSERT_TRUE(saved);
    EXPECT_NE(saved->find("<strong>pasted</strong>"), std::string::npos) << *saved;
    EXPECT_NE(saved->find("<h1>" + toUTF8(typed) + "</h1>"), std::string::npos) << *saved;
    EXPECT_NE(saved->find("iframe"), std::string::npos) << *saved;
    // The source shown is what was saved, once its regeneration (a busy machine's may be late) is in.
    RunLoop::main().runUntil([&] { return toUTF8(sourceView->string()) == *saved; }, 30);
    EXPECT_EQ(toUTF8(sourceView->string()), *saved);
}

TEST_F(EditorWindow, TheMenuBarAboveThePageValidatesOnOpeningAndItsSaveWritesTheFile)
{
    auto* bar = dynamic_cast<QtMenuBar*>(widget()->menuBar());
    ASSERT_TRUE(bar);
    EXPECT_TRUE(bar->isVisible());
    auto fileItem = shell->mainMenu()->itemWithTitle(u"File");
    auto editItem = shell->mainMenu()->itemWithTitle(u"Edit");
    ASSERT_TRUE(fileItem && editItem);
    QtMenu* file = bar->menuForItem(*fileItem);
    QtMenu* edit = bar->menuForItem(*editItem);
    ASSERT_TRUE(file && edit);
    EXPECT_EQ(bar->actionForItem(*fileItem)->text(), QString("File"));
    EXPECT_EQ(bar->actionForItem(*editItem)->text(), QString("Edit"));
    // The page's content keeps the window's frame below the bar.
    EXPECT_EQ(widget()->height() - widget()->contentTop(), static_cast<int>(editor->window()->frame().height()));

    QAction* undo = edit->actionForItem(*editItem->submenu()->itemWithTitle(u"Undo"));
    ASSERT_TRUE(undo);
    edit->popup(QPoint(10, 10));
    EXPECT_FALSE(undo->isEnabled()) << "nothing to undo yet";
    edit->hide();
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, pointInWidget(*element(u"H1")->firstChild()));
    settle();
    QTest::keyClicks(widget(), "Menu ");
    settle();
    edit->popup(QPoint(10, 10));
    EXPECT_TRUE(undo->isEnabled());
    edit->hide();

    std::u16string typed = element(u"H1")->textContent();
    QAction* save = file->actionForItem(*fileItem->submenu()->itemWithTitle(u"Save"));
    ASSERT_TRUE(save);
    EXPECT_EQ(save->shortcut(), QKeySequence("Ctrl+S"));
    save->trigger();
    settle();
    auto saved = readFile(path("page.html"));
    ASSERT_TRUE(saved);
    EXPECT_NE(saved->find("<h1>" + toUTF8(typed) + "</h1>"), std::string::npos) << *saved;
}

TEST_F(EditorWindow, DroppingTextFromAnotherProgramOnThePageInsertsItAsOneStep)
{
    auto paragraph = element(u"P");
    ASSERT_TRUE(paragraph);
    std::u16string before = paragraph->textContent();
    QPoint at = pointInWidget(*paragraph->firstChild());
    QMimeData data;
    data.setText("dropped");
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget(), &enter);
    EXPECT_NE(enter.dropAction(), Qt::IgnoreAction);
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget(), &drop);
    settle();
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(paragraph->textContent().rfind(u"dropped", 0), 0u) << toUTF8(paragraph->textContent());
    QTest::keyClick(widget(), Qt::Key_Z, Qt::ControlModifier);
    settle();
    EXPECT_EQ(paragraph->textContent(), before);
}

TEST_F(EditorWindow, ClickingTheImageShowsTheSelectionIndicatorInTheWindowsPicture)
{
    auto image = element(u"IMG");
    ASSERT_TRUE(image);
    QPoint onImage = pointInWidget(*image, 10);
    QImage before = widget()->grab().toImage();
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, onImage);
    settle();
    EXPECT_EQ(editor->editingView()->effectiveOperationRange()->toString(), u"");
    QImage after = widget()->grab().toImage();
    saveScreenshot(after, "editor-window-image-selected.png");
    // The overlay's indicator changed pixels around the image.
    auto webView = editor->editingView()->embeddedWebView();
    Rect box = webView->convertRectToView(webView->boundingBox(*image), nullptr);
    QRect around(static_cast<int>(box.minX()) - 4, static_cast<int>(widget()->height() - box.maxY()) - 4,
                 static_cast<int>(box.width()) + 8, static_cast<int>(box.height()) + 8);
    int changed = 0;
    for (int y = around.top(); y <= around.bottom(); ++y) {
        for (int x = around.left(); x <= around.right(); ++x)
            changed += before.pixel(x, y) != after.pixel(x, y) ? 1 : 0;
    }
    EXPECT_GT(changed, 20);
}

TEST_F(EditorWindow, AnInputMethodsCompositionIsShownAtTheCaretAndOnlyItsCommitEditsTheDocument)
{
    auto heading = element(u"H1");
    ASSERT_TRUE(heading);
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, pointInWidget(*heading->firstChild()));
    settle();
    std::u16string before = heading->textContent();
    auto sourceView = editor->editingView()->sourceLoupe()->sourceCodeView();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return sourceView->string().find(before) != std::u16string::npos; }, 30));
    settle();
    std::u16string source = sourceView->string();
    UndoManager* undo = editor->editingView()->undoManager();
    ASSERT_TRUE(undo);
    bool couldUndo = undo->canUndo();
    QRect caret = widget()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QRect afterCaret(caret.left(), caret.top(), 60, caret.height());
    QImage plain = widget()->grab().toImage();

    inputMethod(QString::fromUtf8("かな"));
    QImage composing = widget()->grab().toImage();
    saveScreenshot(composing, "editor-window-composing.png");
    EXPECT_GT(changedPixels(plain, composing, afterCaret), 20) << "the composition is drawn at the caret";
    EXPECT_EQ(heading->textContent(), before);
    EXPECT_EQ(undo->canUndo(), couldUndo);
    RunLoop::main().runUntil([] { return false; }, 0.3);
    EXPECT_EQ(sourceView->string(), source) << "the source never sees it";
    // The candidate window follows the input method's cursor into the composition.
    QRect cursor = widget()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_GT(cursor.left(), caret.left());
    EXPECT_NEAR(cursor.center().y(), caret.center().y(), 4);

    // Committed, the text goes in once, and Undo takes all of it back.
    inputMethod({}, QString::fromUtf8("仮名"));
    std::u16string typed = heading->textContent();
    size_t at = typed.find(u"仮名");
    ASSERT_NE(at, std::u16string::npos) << toUTF8(typed);
    EXPECT_EQ(typed.find(u"仮名", at + 1), std::u16string::npos);
    EXPECT_EQ(typed.size(), before.size() + 2);
    EXPECT_FALSE(editor->editingView()->embeddedWebView()->hasMarkedText());
    QTest::keyClick(widget(), Qt::Key_Z, Qt::ControlModifier);
    settle();
    EXPECT_EQ(heading->textContent(), before);
}

TEST_F(EditorWindow, ACancelledOrClickedAwayCompositionLeavesNothing)
{
    auto heading = element(u"H1");
    auto paragraph = element(u"P");
    ASSERT_TRUE(heading && paragraph);
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, pointInWidget(*heading->firstChild()));
    settle();
    std::u16string headingText = heading->textContent();
    std::u16string paragraphText = paragraph->textContent();
    QRect caret = widget()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QRect afterCaret(caret.left(), caret.top(), 60, caret.height());
    QImage plain = widget()->grab().toImage();

    inputMethod(QString::fromUtf8("かな"));
    inputMethod({});
    EXPECT_EQ(changedPixels(plain, widget()->grab().toImage(), afterCaret), 0);
    EXPECT_EQ(heading->textContent(), headingText);

    // A click ends the composition first: no input method here commits it, so it goes.
    inputMethod(QString::fromUtf8("かな"));
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, pointInWidget(*paragraph->firstChild()));
    settle();
    EXPECT_FALSE(editor->editingView()->embeddedWebView()->hasMarkedText());
    EXPECT_EQ(heading->textContent(), headingText);
    EXPECT_EQ(paragraph->textContent(), paragraphText);
    // The caret went to the paragraph; after where it stood, the heading is as it was.
    EXPECT_EQ(changedPixels(plain, widget()->grab().toImage(), afterCaret.adjusted(2, 0, 0, 0)), 0);
}

TEST_F(EditorWindow, DraggingTheSelectedImageShowsItsPictureUnderThePointer)
{
    auto image = element(u"IMG");
    ASSERT_TRUE(image);
    QPoint onImage = pointInWidget(*image, 10);
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, onImage);
    settle();
    auto range = editor->editingView()->effectiveOperationRange();
    ASSERT_TRUE(range && !range->collapsed());
    auto webView = editor->editingView()->embeddedWebView();
    Rect bounds = webView->convertRectToView(webView->vornick_bestGuessBoundsOfRange(*range), nullptr);

    QPixmap pixmap;
    QPoint hotSpot;
    shell->backend().setDragExecutor([&](QDrag& drag, Qt::DropActions) {
        pixmap = drag.pixmap();
        hotSpot = drag.hotSpot();
        return Qt::IgnoreAction;
    });
    QPoint to = onImage + QPoint(20, 0);
    QTest::mousePress(widget(), Qt::LeftButton, Qt::NoModifier, onImage);
    QMouseEvent moved(QEvent::MouseMove, QPointF(to), widget()->mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget(), &moved);
    QTest::mouseRelease(widget(), Qt::LeftButton, Qt::NoModifier, to);
    settle();
    ASSERT_FALSE(pixmap.isNull());
    EXPECT_EQ(pixmap.size(), QSize(static_cast<int>(std::lround(bounds.width())), static_cast<int>(std::lround(bounds.height()))));
    // The pointer keeps its place in the picture: where the drag began, from the selection's top left.
    QPoint topLeft(static_cast<int>(std::lround(bounds.minX())), static_cast<int>(std::lround(widget()->height() - bounds.maxY())));
    EXPECT_EQ(hotSpot, to - topLeft);
    QImage picture = pixmap.toImage();
    saveScreenshot(picture, "editor-window-drag-image.png");
    int seen = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            seen += qAlpha(picture.pixel(x, y)) > 0 ? 1 : 0;
    }
    EXPECT_GT(seen, picture.width() * picture.height() / 2);
    // Nothing was dropped: the page is as it was.
    EXPECT_TRUE(image->parentNode());
}

TEST_F(EditorWindow, ShownSectionHandlesArePaintedAtTheBricksRightEdges)
{
    editor->editingView()->setSectionHandlesShown(true);
    settle();
    QImage picture = widget()->grab().toImage();
    saveScreenshot(picture, "editor-window-section-handles.png");
    auto webView = editor->editingView()->embeddedWebView();
    auto document = editor->editingView()->mainFrameDocument();
    size_t painted = 0;
    for (DOMNode* node = document.get(); node; node = node->traverseNext()) {
        auto* brick = toElement(node);
        if (!brick || brick->getAttribute(u"class").find(u"brevanton-brick") == std::u16string::npos)
            continue;
        auto handles = webGeneratedBoxes(webView->mainFrame()->layout(), *brick, webView->textSizeMultiplier());
        ASSERT_EQ(handles.size(), 1u);
        Rect box = webView->boundingBox(*brick);
        EXPECT_GE(handles[0].rect.minX(), box.maxX() - 13) << "inside the strip a click selects the brick in";
        Rect handle = webView->convertRectToView(handles[0].rect, nullptr);
        QPoint centre(static_cast<int>(handle.midX()), static_cast<int>(widget()->height() - handle.midY()));
        if (!picture.rect().contains(centre))
            continue;
        // The handle's blue over the white page.
        QColor shown = picture.pixelColor(centre);
        EXPECT_GT(shown.blue(), shown.red() + 30) << toUTF8(brick->localName());
        ++painted;
    }
    EXPECT_GT(painted, 0u);

    editor->editingView()->setSectionHandlesShown(false);
    settle();
    EXPECT_NE(widget()->grab().toImage(), picture);
}

TEST_F(EditorWindow, ClosingWithUnsavedChangesAsksAndKeepsThemUnlessTheUserSaysOtherwise)
{
    AlertDriver::shared().reset();
    auto original = readFile(path("page.html"));
    ASSERT_TRUE(original);
    // Nothing changed yet: the window closes without asking.
    auto second = shell->openFile(path("tables.html"), nullptr);
    ASSERT_TRUE(second);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return second->editingView()->loadingState() != VornickContentLoadingState::InProgress; }, 30));
    second->window()->performClose();
    settle();
    EXPECT_FALSE(second->window()->isVisible());
    EXPECT_TRUE(AlertDriver::shared().shownAlerts().empty());

    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, pointInWidget(*element(u"H1")->firstChild()));
    settle();
    QTest::keyClicks(widget(), "Unsaved ");
    settle();
    std::u16string typed = element(u"H1")->textContent();
    ASSERT_NE(typed.find(u"Unsaved"), std::u16string::npos);

    // Cancel: the window stays with the edit.
    AlertDriver::shared().enqueueButtonTitle(u"Cancel");
    QTest::keyClick(widget(), Qt::Key_W, Qt::ControlModifier);
    settle();
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    EXPECT_EQ(AlertDriver::shared().shownAlerts()[0]->messageText(), u"Do you want to save the changes made to the document \u201Cpage.html\u201D?");
    EXPECT_TRUE(editor->window()->isVisible());
    EXPECT_EQ(element(u"H1")->textContent(), typed);
    EXPECT_EQ(readFile(path("page.html")), original);

    // Save: the file gets the edit, then the window closes.
    AlertDriver::shared().enqueueButtonTitle(u"Save");
    editor->window()->performClose();
    settle();
    EXPECT_FALSE(editor->window()->isVisible());
    auto saved = readFile(path("page.html"));
    ASSERT_TRUE(saved);
    EXPECT_NE(saved->find("<h1>" + toUTF8(typed) + "</h1>"), std::string::npos) << *saved;
    AlertDriver::shared().reset();
}

TEST_F(EditorWindow, DontSaveClosesWithoutWritingAndASavedDocumentClosesWithoutAsking)
{
    AlertDriver::shared().reset();
    auto original = readFile(path("page.html"));
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, pointInWidget(*element(u"H1")->firstChild()));
    settle();
    QTest::keyClicks(widget(), "Kept ");
    settle();
    // Saved: nothing is left to ask about.
    QTest::keyClick(widget(), Qt::Key_S, Qt::ControlModifier);
    settle();
    EXPECT_FALSE(editor->editingView()->isDocumentEdited());
    QTest::keyClicks(widget(), "Dropped ");
    settle();
    auto saved = readFile(path("page.html"));
    ASSERT_TRUE(saved && saved != original);

    AlertDriver::shared().enqueueButtonTitle(u"Don\u2019t Save");
    editor->window()->performClose();
    settle();
    EXPECT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    EXPECT_FALSE(editor->window()->isVisible());
    EXPECT_EQ(readFile(path("page.html")), saved);
    AlertDriver::shared().reset();
}

TEST_F(EditorWindow, TheEventLoopEndsWhenTheLastWindowClosedAfterTheUserAnswered)
{
    AlertDriver::shared().reset();
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, pointInWidget(*element(u"H1")->firstChild()));
    settle();
    QTest::keyClicks(widget(), "Gone ");
    settle();
    AlertDriver::shared().enqueueButtonTitle(u"Don\u2019t Save");
    QTimer::singleShot(0, [this] { QTest::keyClick(widget(), Qt::Key_W, Qt::ControlModifier); });
    // Should the loop not end, this ends it with another code.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    guard.start(5000);
    EXPECT_EQ(shell->run(), 0);
    EXPECT_FALSE(editor->window()->isVisible());
    EXPECT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    AlertDriver::shared().reset();
}

TEST_F(EditorWindow, ASaveThatFailsTellsTheUserWhyAndTheWindowStays)
{
    AlertDriver::shared().reset();
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, pointInWidget(*element(u"H1")->firstChild()));
    settle();
    QTest::keyClicks(widget(), "Lost ");
    settle();
    // The folder the file was in is gone.
    std::filesystem::remove_all(m_folder);
    QTest::keyClick(widget(), Qt::Key_S, Qt::ControlModifier);
    settle();
    // While the message is up, the window does not close.
    editor->window()->performClose();
    settle();
    EXPECT_TRUE(editor->window()->isVisible());
    ASSERT_TRUE(AlertDriver::shared().answerSheet(*editor->window(), AlertFirstButtonReturn));
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    auto alert = AlertDriver::shared().shownAlerts()[0];
    EXPECT_EQ(alert->messageText(), u"The document \u201Cpage.html\u201D could not be saved.");
    EXPECT_FALSE(alert->informativeText().empty());
    RunLoop::main().runUntil([] { return false; }, 0.1);
    EXPECT_TRUE(editor->editingView()->isDocumentEdited());

    // Closing: Save fails the same way, and the window stays with the edit.
    AlertDriver::shared().enqueueButtonTitle(u"Save");
    AlertDriver::shared().enqueueButtonTitle(u"OK");
    editor->window()->performClose();
    RunLoop::main().runUntil([] { return false; }, 0.1);
    settle();
    EXPECT_TRUE(editor->window()->isVisible());
    EXPECT_EQ(AlertDriver::shared().shownAlerts().size(), 3u);
    AlertDriver::shared().reset();
}

TEST_F(EditorWindow, ASaveThatWouldLoseUndecodableBytesIsRefusedWithTheReason)
{
    AlertDriver::shared().reset();
    const std::string original = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>t</title></head>"
                                 "<body><h1>Cr\xE8me</h1></body></html>\n";
    ASSERT_TRUE(writeFileAtomically(path("latin1.html"), original));
    auto latin1 = shell->openFile(path("latin1.html"), nullptr);
    ASSERT_TRUE(latin1);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return latin1->editingView()->loadingState() != VornickContentLoadingState::InProgress; }, 30));
    settle();
    latin1->window()->makeKeyAndOrderFront();
    latin1->editingView()->setDocumentEdited(true);
    QTest::keyClick(shell->backend().widgetForWindow(*latin1->window()), Qt::Key_S, Qt::ControlModifier);
    settle();
    ASSERT_TRUE(AlertDriver::shared().answerSheet(*latin1->window(), AlertFirstButtonReturn));
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    auto alert = AlertDriver::shared().shownAlerts()[0];
    EXPECT_EQ(alert->messageText(), u"The document \u201Clatin1.html\u201D could not be saved.");
    EXPECT_NE(alert->informativeText().find(u"not valid UTF-8"), std::u16string::npos) << toUTF8(alert->informativeText());
    EXPECT_EQ(readFile(path("latin1.html")), original);
    AlertDriver::shared().reset();
}

// The edited mark follows whether the document differs from its file.
class EditorWindowEditedMark : public EditorWindow {
protected:
    // Whether the document is marked edited; the editing view, the window
    // and the native window (modified, with the title the desktop shows) agree.
    bool markedEdited()
    {
        settle();
        bool edited = editor->editingView()->isDocumentEdited();
        EXPECT_EQ(editor->window()->isDocumentEdited(), edited);
        EXPECT_EQ(widget()->isWindowModified(), edited);
        EXPECT_EQ(widget()->windowHandle()->title(), edited ? QString("page.html*") : QString("page.html"));
        return edited;
    }
    void clickIn(const std::u16string& tag)
    {
        auto target = element(tag);
        QPoint point = target->firstChild() ? pointInWidget(*target->firstChild()) : pointInWidget(*target, 10);
        QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, point);
        settle();
    }
    void type(const char* text)
    {
        QTest::keyClicks(widget(), text);
        settle();
    }
    void command(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QTest::keyClick(widget(), key, modifiers);
        settle();
    }
    void undo() { command(Qt::Key_Z); }
    void redo() { command(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }
    std::u16string heading() const { return element(u"H1")->textContent(); }
};

TEST_F(EditorWindowEditedMark, TypingThenUndoingIsNoChangeAndClosingDoesNotAsk)
{
    AlertDriver::shared().reset();
    auto original = readFile(path("page.html"));
    std::u16string loaded = heading();
    EXPECT_FALSE(markedEdited());
    // Selecting the image is an undo step that changes no content.
    auto* undoManager = editor->window()->undoManager();
    clickIn(u"IMG");
    ASSERT_TRUE(undoManager->canUndo());
    EXPECT_FALSE(markedEdited());
    clickIn(u"H1");
    type("xy");
    EXPECT_TRUE(markedEdited());
    clickIn(u"IMG");
    EXPECT_TRUE(markedEdited());
    undo();
    EXPECT_NE(heading(), loaded);
    EXPECT_TRUE(markedEdited());
    undo();
    EXPECT_EQ(heading(), loaded);
    EXPECT_FALSE(markedEdited());
    undo();
    EXPECT_FALSE(undoManager->canUndo());
    EXPECT_FALSE(markedEdited());
    redo();
    EXPECT_FALSE(markedEdited());
    redo();
    EXPECT_TRUE(markedEdited());
    undo();
    EXPECT_FALSE(markedEdited());

    editor->window()->performClose();
    settle();
    EXPECT_FALSE(editor->window()->isVisible());
    EXPECT_TRUE(AlertDriver::shared().shownAlerts().empty());
    EXPECT_EQ(readFile(path("page.html")), original);
}

TEST_F(EditorWindowEditedMark, AfterASaveUndoAndRedoLeaveAndReachTheSavedStateUntilANewChangeBranchesOff)
{
    AlertDriver::shared().reset();
    clickIn(u"H1");
    type("ab");
    command(Qt::Key_S);
    EXPECT_FALSE(markedEdited());
    std::u16string saved = heading();
    // Typing on after the save is a step of its own: its undo is the save.
    type("c");
    EXPECT_TRUE(markedEdited());
    undo();
    EXPECT_EQ(heading(), saved);
    EXPECT_FALSE(markedEdited());

    undo();
    EXPECT_NE(heading(), saved);
    EXPECT_TRUE(markedEdited());
    redo();
    EXPECT_EQ(heading(), saved);
    EXPECT_FALSE(markedEdited());

    // Undone past the save, then typed: as many steps as at the save, but
    // the saved state can never come back.
    undo();
    type("y");
    EXPECT_TRUE(markedEdited());
    undo();
    EXPECT_TRUE(markedEdited());
    EXPECT_NE(heading(), saved);
    redo();
    EXPECT_TRUE(markedEdited());

    AlertDriver::shared().enqueueButtonTitle(u"Don\u2019t Save");
    editor->window()->performClose();
    settle();
    EXPECT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    EXPECT_FALSE(editor->window()->isVisible());
    AlertDriver::shared().reset();
}

TEST_F(EditorWindowEditedMark, AFailedSaveChangesNothingAndAChangeWithoutUndoStaysUntilSaved)
{
    AlertDriver::shared().reset();
    auto original = readFile(path("page.html"));
    std::u16string loaded = heading();
    clickIn(u"H1");
    type("x");
    // Refused: the file is write-protected. The file still holds the
    // document as loaded, so undoing the typing is no change.
    std::filesystem::permissions(path("page.html"), std::filesystem::perms::owner_read);
    command(Qt::Key_S);
    ASSERT_TRUE(AlertDriver::shared().answerSheet(*editor->window(), AlertFirstButtonReturn));
    EXPECT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    EXPECT_EQ(readFile(path("page.html")), original);
    EXPECT_TRUE(markedEdited());
    undo();
    EXPECT_EQ(heading(), loaded);
    EXPECT_FALSE(markedEdited());
    std::filesystem::permissions(path("page.html"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    // A change no step can take back keeps the document edited through undo
    // and redo, until it is saved.
    redo();
    auto caret = editor->editingView()->effectiveOperationRange()->cloneRange();
    caret->collapse(false);
    editor->editingView()->vornick_insertText(u"!", caret);
    std::u16string changed = heading();
    EXPECT_NE(changed.find(u'!'), std::u16string::npos);
    undo();
    EXPECT_NE(heading(), loaded);
    EXPECT_TRUE(markedEdited());
    redo();
    EXPECT_TRUE(markedEdited());
    command(Qt::Key_S);
    EXPECT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    EXPECT_FALSE(markedEdited());
    undo();
    EXPECT_TRUE(markedEdited());
    redo();
    EXPECT_EQ(heading(), changed);
    EXPECT_FALSE(markedEdited());
    AlertDriver::shared().reset();
}

TEST_F(EditorWindow, FileOpenShowsTheChosenFileInAWindowOfItsOwn)
{
    std::vector<QtOpenPanelRequest> asked;
    std::optional<URL> answer = URL::fileURLWithPath(path("tables.html"));
    shell->setOpenPanel([&](const QtOpenPanelRequest& request, std::function<void(std::optional<URL>)> completion) {
        asked.push_back(request);
        completion(answer);
    });
    auto open = shell->mainMenu()->itemWithTitle(u"File")->submenu()->itemWithTitle(u"Open\u2026");
    ASSERT_TRUE(open);
    EXPECT_TRUE(Menu::validateItem(*open));
    QTest::keyClick(widget(), Qt::Key_O, Qt::ControlModifier);
    settle();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].window, editor->window());
    ASSERT_EQ(shell->editorWindows().size(), 2u);
    auto second = shell->editorWindows()[1];
    EXPECT_EQ(second->path(), path("tables.html"));
    EXPECT_TRUE(second->window()->isVisible());

    // Cancelled: nothing more opens.
    answer.reset();
    QTest::keyClick(widget(), Qt::Key_O, Qt::ControlModifier);
    settle();
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(shell->editorWindows().size(), 2u);

    // A file that cannot be read is refused with a message.
    AlertDriver::shared().reset();
    answer = URL::fileURLWithPath(path("missing.html"));
    QTest::keyClick(widget(), Qt::Key_O, Qt::ControlModifier);
    settle();
    EXPECT_EQ(shell->editorWindows().size(), 2u);
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    EXPECT_EQ(AlertDriver::shared().shownAlerts()[0]->messageText(), u"The document \u201Cmissing.html\u201D could not be opened.");
    AlertDriver::shared().reset();
}

// Holds the syntax painter's queue busy until it goes: what is queued
// after it waits. The blockers share the flag, which outlives this holder
// until the last of them has seen it.
class HeldPaintingQueue {
public:
    HeldPaintingQueue()
    {
        for (int blocker = 0; blocker < 64; ++blocker) {
            VornickHTMLStringSyntaxPainterAndMapper::mappingQueue().addOperation([released = m_released] {
                while (!*released)
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
            });
        }
    }
    ~HeldPaintingQueue() { release(); }
    void release() { *m_released = true; }

private:
    std::shared_ptr<std::atomic<bool>> m_released { std::make_shared<std::atomic<bool>>(false) };
};

// The pane of a page whose source has a line wider than the pane: the source
// shows in the text colour until it is coloured, and its long line can be
// scrolled into view, by the wheel or the scroller that shows under it.
TEST_F(EditorWindow, TheSourcePaneShowsPlainSourceReadablyAndScrollsSidewaysToLongLines)
{
    auto held = std::make_unique<HeldPaintingQueue>();
    editor = shell->openFile(path("formatting.html"), nullptr);
    ASSERT_TRUE(editor);
    auto loupe = editor->editingView()->sourceLoupe();
    auto sourceView = loupe->sourceCodeView();
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return editor->editingView()->loadingState() != VornickContentLoadingState::InProgress && !sourceView->string().empty(); }, 30));
    settle();
    // Not coloured yet: all of it in the loupe's text colour, on its dark background.
    auto dark = VornickHTMLSyntaxColoringPreferences::sourceLoupeDarkHTMLSyntaxHighlightingPreferences();
    ASSERT_EQ(sourceView->textStorage().runs().size(), 1u);
    EXPECT_EQ(*sourceView->textStorage().attributeAtIndex<Color>(ForegroundColorAttributeName, 0), *dark->colorForTokenKind(TK_OTHER_TEXT));
    QImage plain = widget()->grab().toImage();
    saveScreenshot(plain, "source-pane-plain.png");
    Rect pane = editor->sourcePane()->convertRectToView(editor->sourcePane()->bounds(), nullptr);
    QRect paneInWidget(static_cast<int>(pane.minX()) + 2, static_cast<int>(widget()->height() - pane.maxY()) + 2,
                       static_cast<int>(pane.width()) - 4, 200);
    size_t light = 0;
    for (QRgb colour : coloursIn(plain, paneInWidget))
        light += QColor(colour).value() > 160 ? 1 : 0;
    EXPECT_GT(light, 3u) << "the plain source's text is readable on the dark background";

    held->release();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return sourceView->textStorage().runs().size() > 1; }, 30));
    settle();
    auto scrollView = loupe->scrollView();
    auto clip = scrollView->contentView();
    auto scroller = scrollView->horizontalScroller();
    ASSERT_TRUE(scroller);
    EXPECT_FALSE(scroller->isHidden()) << "a line is wider than the pane";
    EXPECT_GT(sourceView->frame().width(), clip->frame().width());
    // The scroller is at the pane's bottom.
    Rect bar = scroller->convertRectToView(scroller->bounds(), nullptr);
    EXPECT_EQ(bar.minY(), pane.minY());
    QImage before = widget()->grab().toImage();
    saveScreenshot(before, "source-pane-long-line.png");

    // A sideways turn of the wheel over the text.
    QPoint inText(static_cast<int>(pane.midX()), static_cast<int>(widget()->height() - pane.maxY()) + 40);
    QWheelEvent wheel(QPointF(inText), widget()->mapToGlobal(QPointF(inText)), QPoint(), QPoint(-120, 0), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(widget(), &wheel);
    settle();
    EXPECT_EQ(clip->bounds().origin.x, 40);
    EXPECT_GT(scroller->doubleValue(), 0);
    QImage scrolled = widget()->grab().toImage();
    saveScreenshot(scrolled, "source-pane-scrolled-sideways.png");
    EXPECT_GT(changedPixels(before, scrolled, paneInWidget), 100) << "the text moved";

    // A click in the track right of the knob shows the line's end.
    Rect knob = scroller->convertRectToView(scroller->knobRect(), nullptr);
    QPoint inTrack(static_cast<int>(bar.maxX()) - 3, static_cast<int>(widget()->height() - bar.midY()));
    ASSERT_GT(inTrack.x(), knob.maxX());
    for (int click = 0; click < 10 && scroller->doubleValue() < 1; ++click) {
        QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, inTrack);
        settle();
    }
    EXPECT_DOUBLE_EQ(scroller->doubleValue(), 1);
    EXPECT_EQ(clip->documentVisibleRect().maxX(), sourceView->frame().width());
    saveScreenshot(widget()->grab().toImage(), "source-pane-line-end.png");
}

TEST_F(EditorWindow, AScrolledPageIsDrawnOnlyInsideItsOwnPane)
{
    std::string page = "<!DOCTYPE html>\n<html><head><title>Long</title></head><body>\n";
    for (int i = 0; i < 80; ++i)
        page += "<h2>Section " + std::to_string(i) + "</h2>\n<p>Paragraph " + std::to_string(i) + "</p>\n";
    page += "</body></html>\n";
    ASSERT_TRUE(writeFileAtomically(path("long.html"), page));
    editor = shell->openFile(path("long.html"), nullptr);
    ASSERT_TRUE(editor);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor->editingView()->loadingState() != VornickContentLoadingState::InProgress; }, 30));
    settle();
    // The band of the window just above the page's visible part.
    auto webView = editor->editingView()->embeddedWebView();
    Rect visible = webView->convertRectToView(webView->visibleRect(), nullptr);
    int pageTop = static_cast<int>(widget()->height() - visible.maxY());
    ASSERT_GT(pageTop, 20);
    QRect above(static_cast<int>(visible.minX()) + 2, pageTop - 20, static_cast<int>(visible.width()) - 4, 19);
    QImage before = widget()->grab().toImage();

    QPoint inPage(static_cast<int>(visible.midX()), pageTop + 100);
    for (int step = 0; step < 10; ++step) {
        QWheelEvent wheel(QPointF(inPage), widget()->mapToGlobal(QPointF(inPage)), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(widget(), &wheel);
        settle();
    }
    QImage scrolled = widget()->grab().toImage();
    saveScreenshot(scrolled, "editor-window-scrolled.png");
    ASSERT_GT(changedPixels(before, scrolled, QRect(above.left(), pageTop + 1, above.width(), 200)), 50) << "the page scrolled";
    EXPECT_EQ(changedPixels(before, scrolled, above), 0) << "the page's text spilled over what is above it";
}

// Pictures edited in another program while the page is open.
class EditorWindowImages : public EditorWindow {
protected:
    // A 4 by 4 picture of one colour; in place, as a paint program writes it.
    void writePicture(const std::string& name, QColor colour)
    {
        // Past the file system's step of modification times.
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(colour);
        ASSERT_TRUE(picture.save(QString::fromStdString(path(name)), "PNG"));
    }
    // The colour drawn in the middle of the element's box.
    QRgb colourOf(const DOMElement& image) const
    {
        QImage picture = widget()->grab().toImage();
        return picture.pixel(pointInWidget(image, 20));
    }
    // Whether the window's views are marked to redraw the element's box in
    // the window (what the widget is told to update).
    bool markedForDisplay(const DOMElement& image) const
    {
        auto webView = editor->editingView()->embeddedWebView();
        Rect box = webView->convertRectToView(webView->boundingBox(image), nullptr);
        auto documentView = webView->mainFrame()->frameView()->documentView();
        if (!documentView->needsDisplay())
            return false;
        Rect marked = documentView->convertRectToView(documentView->dirtyRect(), nullptr);
        return marked.intersection(box) == box;
    }
};

TEST_F(EditorWindowImages, APictureRewrittenOrAppearingIsDrawnAnewOnceItsChangeIsReported)
{
    writePicture("swatch.png", Qt::red);
    ASSERT_TRUE(writeFileAtomically(path("swatches.html"),
                                    "<!DOCTYPE html>\n<html><head><title>Swatches</title></head><body>\n"
                                    "<p><img src=\"swatch.png\" width=\"40\" height=\"40\" alt=\"\"> "
                                    "<img src=\"later.png\" width=\"40\" height=\"40\" alt=\"\"></p>\n</body></html>\n"));
    editor = shell->openFile(path("swatches.html"), nullptr);
    ASSERT_TRUE(editor);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor->editingView()->loadingState() != VornickContentLoadingState::InProgress; }, 30));
    settle();
    auto list = editor->editingView()->mainFrameDocument()->getElementsByTagName(u"IMG");
    ASSERT_EQ(list->length(), 2u);
    auto swatch = downcast<DOMElement>(list->item(0));
    auto later = downcast<DOMElement>(list->item(1));
    ASSERT_EQ(colourOf(*swatch), qRgb(255, 0, 0));
    EXPECT_NE(colourOf(*later), qRgb(0, 255, 0));
    settle();
    ASSERT_FALSE(markedForDisplay(*swatch)) << "painted: nothing left marked";

    // Rewritten in place with other pixels: the editor's watcher reports it,
    // the picture's box is marked, and the window draws the new pixels.
    writePicture("swatch.png", Qt::blue);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return markedForDisplay(*swatch); }, 30)) << "the change was never reported";
    EXPECT_EQ(colourOf(*swatch), qRgb(0, 0, 255));
    saveScreenshot(widget()->grab().toImage(), "editor-window-picture-changed.png");

    // The missing picture appears; once the change is reported it is drawn.
    writePicture("later.png", Qt::green);
    settle();
    VornickContentEditingViewTestPeer::refreshForResourceFileChangeAtURL(*editor->editingView(), URL::fileURLWithPath(path("later.png")));
    EXPECT_TRUE(markedForDisplay(*later));
    EXPECT_EQ(colourOf(*later), qRgb(0, 255, 0));
    EXPECT_EQ(colourOf(*swatch), qRgb(0, 0, 255));
}

// Documents opened one after another.
class EditorWindowCascade : public EditorWindow {
protected:
    void TearDown() override
    {
        opened.clear();
        EditorWindow::TearDown();
        Screen::setMainScreenFrame(Rect(0, 0, 1920, 1080));
    }
    std::shared_ptr<VornickEditorWindow> openAnother()
    {
        auto another = shell->openFile(path("empty-body.html"), nullptr);
        if (another)
            opened.push_back(another);
        return another;
    }
    static Point topLeft(const VornickEditorWindow& editor)
    {
        Rect frame = editor.window()->frame();
        return Point { frame.minX(), frame.maxY() };
    }
    // Where the widget stands on the screen, counted from its top-left corner.
    QPoint widgetPlace(const VornickEditorWindow& editor) const
    {
        auto* shown = shell->backend().widgetForWindow(*editor.window());
        return shown ? shown->geometry().topLeft() : QPoint(-1, -1);
    }
    std::vector<std::shared_ptr<VornickEditorWindow>> opened;
};

TEST_F(EditorWindowCascade, EachNewWindowStepsDownAndRightFromTheFrontmostAndWrapsAtTheVisibleFrame)
{
    Point first = topLeft(*editor);
    auto second = openAnother();
    ASSERT_TRUE(second);
    EXPECT_EQ(topLeft(*second), (Point { first.x + 22, first.y - 22 }));
    EXPECT_EQ(widgetPlace(*second) - widgetPlace(*editor), QPoint(22, 22)) << "the widget moved with the window";

    // Brought to the front, the first window is the one the next steps from.
    editor->window()->makeKeyAndOrderFront();
    auto third = openAnother();
    ASSERT_TRUE(third);
    EXPECT_EQ(topLeft(*third), topLeft(*second));

    // The desktop's panel takes the screen's lowest 100 points: windows
    // step down until the next would reach into it, then start again at the
    // visible frame's top-left corner.
    Screen::setMainScreenVisibleFrame(Rect(0, 100, 1920, 980));
    Point previous = topLeft(*third);
    bool wrapped = false;
    for (int i = 0; i < 10 && !wrapped; ++i) {
        auto next = openAnother();
        ASSERT_TRUE(next);
        Rect frame = next->window()->frame();
        EXPECT_GE(frame.minY(), 100) << i;
        if (topLeft(*next) == (Point { 0, 1080 }))
            wrapped = true;
        else
            EXPECT_EQ(topLeft(*next), (Point { previous.x + 22, previous.y - 22 })) << i;
        previous = topLeft(*next);
    }
    EXPECT_TRUE(wrapped);
    auto afterWrap = openAnother();
    ASSERT_TRUE(afterWrap);
    EXPECT_EQ(topLeft(*afterWrap), (Point { 22, 1058 }));
}

TEST_F(EditorWindowCascade, OnASmallScreenTheFirstWindowFitsAndTheNextStillStepsAside)
{
    Screen::setMainScreenFrame(Rect(0, 0, 1024, 768));
    for (auto& editorWindow : std::vector(shell->editorWindows()))
        editorWindow->window()->close();
    settle();
    auto first = openAnother();
    ASSERT_TRUE(first);
    Rect visible = Screen::mainScreen().visibleFrame();
    Rect frame = first->window()->frame();
    EXPECT_EQ(frame.intersection(visible), frame);
    EXPECT_EQ(topLeft(*first), (Point { 60, 708 }));
    auto second = openAnother();
    ASSERT_TRUE(second);
    EXPECT_EQ(topLeft(*second), (Point { 82, 686 }));
}

} // namespace

QPoint headingTextInOffscreenWindow()
{
    class Probe : public EditorWindow {
    public:
        void TestBody() override {}
        QPoint heading()
        {
            SetUp();
            QPoint point = editor && element(u"H1") ? pointInWidget(*element(u"H1")->firstChild()) : QPoint();
            TearDown();
            return point;
        }
    };
    return Probe().heading();
}


// Save As, Revert to Saved and a file another program changed: the edits
// always have somewhere to go, and nothing is changed without being asked.
class EditorWindowFileCommands : public EditorWindow {
protected:
    void SetUp() override
    {
        EditorWindow::SetUp();
        AlertDriver::shared().reset();
        SavePanelDriver::shared().reset();
    }
    void TearDown() override
    {
        AlertDriver::shared().reset();
        SavePanelDriver::shared().reset();
        EditorWindow::TearDown();
    }
    // Types at the start of the heading.
    void typeInHeading(const char* text)
    {
        QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, pointInWidget(*element(u"H1")->firstChild()));
        settle();
        QTest::keyClicks(widget(), text);
        settle();
    }
    std::string contents(const std::string& name) const { return readFile(path(name)).value_or("(missing)"); }
    // Another program writes the file: other contents, another time.
    void changeOnDisk(const std::string& name, const std::string& text)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_TRUE(writeFileAtomically(path(name), text));
    }
    std::shared_ptr<MenuItem> fileItem(std::u16string_view title) const
    {
        return shell->mainMenu()->itemWithTitle(u"File")->submenu()->itemWithTitle(title);
    }
    bool choose(std::u16string_view title)
    {
        auto menu = shell->mainMenu()->itemWithTitle(u"File")->submenu();
        bool done = menu->performActionForItemAtIndex(menu->indexOfItem(menu->itemWithTitle(title).get()));
        settle();
        return done;
    }
};

TEST_F(EditorWindowFileCommands, SaveAsWritesTheEditsToTheNewFileAndTheWindowGoesOnWithIt)
{
    std::string original = contents("page.html");
    typeInHeading("Renamed ");
    SavePanelDriver::shared().enqueueConfirmation(URL::fileURLWithPath(path("copy.html")));
    QTest::keyClick(widget(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    settle();
    ASSERT_EQ(SavePanelDriver::shared().shownPanels().size(), 1u);
    auto panel = SavePanelDriver::shared().shownPanels()[0];
    EXPECT_EQ(panel->nameFieldStringValue(), u"page.html");
    EXPECT_EQ(panel->directoryURL()->fileSystemPath(), std::optional<std::string>(m_folder));
    EXPECT_NE(contents("copy.html").find("Renamed Heading"), std::string::npos);
    EXPECT_EQ(contents("page.html"), original) << "the old file is unchanged";
    EXPECT_EQ(editor->path(), path("copy.html"));
    EXPECT_EQ(editor->window()->title(), u"copy.html");
    EXPECT_EQ(widget()->windowHandle()->title(), QString("copy.html"));
    EXPECT_FALSE(editor->editingView()->isDocumentEdited());

    // Save now writes the new file.
    typeInHeading("Again ");
    QTest::keyClick(widget(), Qt::Key_S, Qt::ControlModifier);
    settle();
    EXPECT_NE(contents("copy.html").find("Again "), std::string::npos);
    EXPECT_EQ(contents("page.html"), original);

    // Cancelled: nothing is written and the window keeps its file.
    typeInHeading("More ");
    SavePanelDriver::shared().enqueueCancellation();
    QTest::keyClick(widget(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    settle();
    EXPECT_EQ(contents("copy.html").find("More "), std::string::npos);
    EXPECT_EQ(editor->path(), path("copy.html"));
    EXPECT_TRUE(editor->editingView()->isDocumentEdited());
}

// Saved under another name, a page's references go on naming the same
// files: relative ones stay relative, written from the new folder when the
// folder changes; addresses of other kinds stay as written.
TEST_F(EditorWindowFileCommands, SaveAsKeepsReferencesRelativeFromTheNewFolderAndRefusesANameThatIsNoPage)
{
    std::filesystem::create_directories(path("site/pages/sub"));
    const std::string untouched = "<a href=\"#x\">x</a> <a href=\"mailto:a@example.com\">m</a> <a href=\"http://example.com/a\">w</a>"
                                  " <img src=\"data:image/gif;base64,R0lGODlhAQABAAAAACw=\" alt=\"d\"> <img src=\"//example.com/c.png\" alt=\"c\">";
    ASSERT_TRUE(writeFileAtomically(path("site/pages/page.html"),
                                    "<!DOCTYPE html>\n<html><head><title>Poppies</title><link rel=\"stylesheet\" href=\"../css/site.css\"></head>\n"
                                    "<body><p><img src=\"poppy.jpg\" alt=\"p\"> " + untouched + "</p></body></html>\n"));
    struct Case {
        const char* savedAs;
        const char* poppy;
        const char* styleSheet;
    } cases[] = {
        { "site/pages/copy.html", "poppy.jpg", "../css/site.css" },
        { "site/pages/sub/copy.html", "../poppy.jpg", "../../css/site.css" },
        { "site/copy.html", "pages/poppy.jpg", "css/site.css" },
    };
    for (const auto& c : cases) {
        editor = shell->openFile(path("site/pages/page.html"), nullptr);
        ASSERT_TRUE(editor);
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor->editingView()->loadingState() != VornickContentLoadingState::InProgress; }, 30));
        settle();
        SavePanelDriver::shared().enqueueConfirmation(URL::fileURLWithPath(path(c.savedAs)));
        QTest::keyClick(widget(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        settle();
        EXPECT_EQ(editor->window()->title(), u"copy.html");
        std::string saved = contents(c.savedAs);
        EXPECT_NE(saved.find(std::string("src=\"") + c.poppy + "\""), std::string::npos) << c.savedAs << "\n" << saved;
        EXPECT_NE(saved.find(std::string("href=\"") + c.styleSheet + "\""), std::string::npos) << c.savedAs << "\n" << saved;
        for (const char* attribute : { "href=\"#x\"", "href=\"mailto:a@example.com\"", "href=\"http://example.com/a\"",
                                       "src=\"data:image/gif;base64,R0lGODlhAQABAAAAACw=\"", "src=\"//example.com/c.png\"" })
            EXPECT_NE(saved.find(attribute), std::string::npos) << attribute << " in " << c.savedAs << "\n" << saved;
        EXPECT_EQ(saved.find("file:"), std::string::npos) << c.savedAs << "\n" << saved;
        // Saved again, the file stays as it is.
        QTest::keyClick(widget(), Qt::Key_S, Qt::ControlModifier);
        settle();
        EXPECT_EQ(contents(c.savedAs), saved) << c.savedAs;
        editor->window()->close();
        settle();
    }
    editor = shell->editorWindows().front();

    // A name no page has is refused in words, and the window keeps its file.
    Error error;
    std::string kept = editor->path();
    EXPECT_FALSE(editor->saveAs(path("notes.txt"), &error));
    EXPECT_EQ(error.code(), VornickDocumentFileNotHTMLError);
    EXPECT_EQ(VornickUserDescriptionOfError(error).find(u"error"), std::u16string::npos);
    EXPECT_FALSE(std::filesystem::exists(path("notes.txt")));
    EXPECT_EQ(editor->path(), kept);
}

TEST_F(EditorWindowFileCommands, RevertToSavedAsksThenLoadsTheFileAgainWithoutTheEditsOrTheirUndo)
{
    auto revert = fileItem(u"Revert to Saved");
    ASSERT_TRUE(revert);
    EXPECT_FALSE(Menu::validateItem(*revert)) << "nothing to revert";
    typeInHeading("Discarded ");
    EXPECT_TRUE(Menu::validateItem(*revert));

    AlertDriver::shared().enqueueButtonTitle(u"Cancel");
    EXPECT_TRUE(choose(u"Revert to Saved"));
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    EXPECT_EQ(AlertDriver::shared().shownAlerts()[0]->messageText(),
              u"Do you want to revert to the most recently saved version of the document \u201Cpage.html\u201D?");
    EXPECT_NE(element(u"H1")->textContent().find(u"Discarded"), std::u16string::npos);

    AlertDriver::shared().enqueueButtonTitle(u"Revert");
    EXPECT_TRUE(choose(u"Revert to Saved"));
    ASSERT_TRUE(RunLoop::main().runUntil(
        [this] { return editor->editingView()->loadingState() != VornickContentLoadingState::InProgress; }, 30));
    settle();
    EXPECT_EQ(element(u"H1")->textContent(), u"Heading");
    EXPECT_FALSE(editor->editingView()->isDocumentEdited());
    EXPECT_FALSE(editor->window()->undoManager()->canUndo());
    EXPECT_FALSE(editor->window()->isDocumentEdited());
    // Typing goes on in the reloaded page.
    typeInHeading("New ");
    EXPECT_TRUE(editor->editingView()->isDocumentEdited());
}

// Reverted while tidy still checks an edit, the page never shows what that
// check found: the edit is gone, and so are its findings.
TEST_F(EditorWindowFileCommands, TheCheckOfAnEditStillRunningAtARevertNeverShowsOnTheRevertedPage)
{
    brevanton::testing::TidyRunLog tidy;
    ASSERT_TRUE(tidy.install(m_folder));
    struct Restore {
        ~Restore() { VornickTidyFilter::setTidyExecutablePath(std::nullopt); }
    } restore;
    VornickTidyFilter::setTidyExecutablePath(tidy.executable());
    auto validated = [this] {
        auto status = editor->editingView()->tidyStatusForFocusedWebFrame();
        return status != VornickFrameValidationStatus::Pending && status != VornickFrameValidationStatus::NotFinished;
    };
    // An image without a text alternative: tidy warns.
    openPage("warned.html", "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>W</title></head>\n"
                            "<body><h1>Heading</h1><p><img src=\"a.png\"></p></body></html>\n");
    ASSERT_TRUE(RunLoop::main().runUntil(validated, 30));
    ASSERT_EQ(editor->editingView()->tidyStatusForFocusedWebFrame(), VornickFrameValidationStatus::Warnings);
    // Another program writes the page without it.
    changeOnDisk("warned.html", "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>W</title></head>\n"
                                "<body><h1>Heading</h1><p>text</p></body></html>\n");

    // A key typed; while tidy checks the edited page, File > Revert to Saved.
    ASSERT_TRUE(tidy.setDelay(1.5));
    tidy.clear();
    clickInto(*element(u"H1")->firstChild());
    QTest::keyClick(widget(), Qt::Key_X);
    settle();
    // (Polled: nothing reaches the run loop while tidy runs.)
    auto started = std::chrono::steady_clock::now();
    while (tidy.started().empty() && std::chrono::steady_clock::now() - started < std::chrono::seconds(20))
        RunLoop::main().runOnce(0.01);
    ASSERT_EQ(tidy.started().size(), 1u) << tidy.startedText();
    ASSERT_EQ(tidy.ended(), 0u) << "the check ended before the page was reverted";
    std::vector<VornickFrameValidationStatus> shown;
    auto observation = NotificationCenter::defaultCenter().addObserver(
        VornickContentEditingViewValidationResultsForFocusedWebFrameDidChangeNotification, editor->editingView().get(), nullptr,
        [&](const Notification&) { shown.push_back(editor->editingView()->tidyStatusForFocusedWebFrame()); });
    AlertDriver::shared().enqueueButtonTitle(u"Revert");
    EXPECT_TRUE(choose(u"Revert to Saved"));
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    ASSERT_TRUE(RunLoop::main().runUntil(
        [this] { return editor->editingView()->loadingState() != VornickContentLoadingState::InProgress; }, 30));
    ASSERT_EQ(element(u"P")->textContent(), u"text");

    // The edit's check ends, then the reverted page's own: only the page's own result shows.
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return tidy.ended() >= 2 && validated(); }, 30)) << tidy.startedText();
    RunLoop::main().runFor(0.5);
    settle();
    for (auto status : shown)
        EXPECT_NE(status, VornickFrameValidationStatus::Warnings) << "the edit's findings showed on the reverted page";
    EXPECT_EQ(editor->editingView()->tidyStatusForFocusedWebFrame(), VornickFrameValidationStatus::Valid);
    EXPECT_EQ(editor->editingView()->tidyStatusSummaryForDisplayToUser(), u"Valid HTML");
}

TEST_F(EditorWindowFileCommands, AFileChangedByAnotherProgramOffersSaveAsRevertOrAConfirmedOverwrite)
{
    typeInHeading("Mine ");
    changeOnDisk("page.html", "<!DOCTYPE html><html><head><title>Theirs</title></head><body><h1>Theirs</h1></body></html>\n");
    std::string theirs = contents("page.html");

    // Cancel: nothing is written, the edits stay.
    AlertDriver::shared().enqueueButtonTitle(u"Cancel");
    QTest::keyClick(widget(), Qt::Key_S, Qt::ControlModifier);
    settle();
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    auto alert = AlertDriver::shared().shownAlerts()[0];
    EXPECT_EQ(alert->messageText(), u"The file of the document \u201Cpage.html\u201D was changed by another program.");
    std::vector<std::u16string> buttons;
    for (const auto& button : alert->buttons())
        buttons.push_back(button->title());
    EXPECT_EQ(buttons, (std::vector<std::u16string> { u"Save As\u2026", u"Revert", u"Overwrite\u2026", u"Cancel" }));
    EXPECT_EQ(contents("page.html"), theirs);
    EXPECT_TRUE(editor->editingView()->isDocumentEdited());

    // Overwrite asks once more; Cancel there writes nothing either.
    AlertDriver::shared().enqueueButtonTitle(u"Overwrite\u2026");
    AlertDriver::shared().enqueueButtonTitle(u"Cancel");
    QTest::keyClick(widget(), Qt::Key_S, Qt::ControlModifier);
    settle();
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 3u);
    EXPECT_NE(AlertDriver::shared().shownAlerts()[2]->messageText().find(u"overwrite"), std::u16string::npos);
    EXPECT_EQ(contents("page.html"), theirs);

    // Save As keeps the edits in a new file and leaves theirs alone.
    AlertDriver::shared().enqueueButtonTitle(u"Save As\u2026");
    SavePanelDriver::shared().enqueueConfirmation(URL::fileURLWithPath(path("mine.html")));
    QTest::keyClick(widget(), Qt::Key_S, Qt::ControlModifier);
    settle();
    EXPECT_NE(contents("mine.html").find("Mine Heading"), std::string::npos);
    EXPECT_EQ(contents("page.html"), theirs);
    EXPECT_EQ(editor->path(), path("mine.html"));
}

TEST_F(EditorWindowFileCommands, OverwriteConfirmedReplacesTheOtherProgramsChangesAndRevertTakesThem)
{
    typeInHeading("Mine ");
    changeOnDisk("page.html", "<!DOCTYPE html><html><head><title>Theirs</title></head><body><h1>Theirs</h1></body></html>\n");
    AlertDriver::shared().enqueueButtonTitle(u"Overwrite\u2026");
    AlertDriver::shared().enqueueButtonTitle(u"Overwrite");
    QTest::keyClick(widget(), Qt::Key_S, Qt::ControlModifier);
    settle();
    EXPECT_NE(contents("page.html").find("Mine Heading"), std::string::npos);
    EXPECT_FALSE(editor->editingView()->isDocumentEdited());
    // The next save is an ordinary one again.
    typeInHeading("Also ");
    QTest::keyClick(widget(), Qt::Key_S, Qt::ControlModifier);
    settle();
    EXPECT_NE(contents("page.html").find("Also Mine Heading"), std::string::npos);
    EXPECT_EQ(AlertDriver::shared().shownAlerts().size(), 2u);

    // Revert discards the edits and shows what the other program wrote.
    typeInHeading("Dropped ");
    changeOnDisk("page.html", "<!DOCTYPE html><html><head><title>Theirs</title></head><body><h1>Theirs</h1></body></html>\n");
    AlertDriver::shared().enqueueButtonTitle(u"Revert");
    QTest::keyClick(widget(), Qt::Key_S, Qt::ControlModifier);
    settle();
    ASSERT_TRUE(RunLoop::main().runUntil(
        [this] { return editor->editingView()->loadingState() != VornickContentLoadingState::InProgress; }, 30));
    settle();
    EXPECT_EQ(element(u"H1")->textContent(), u"Theirs");
    EXPECT_FALSE(editor->editingView()->isDocumentEdited());
}

TEST_F(EditorWindowFileCommands, AWriteProtectedFilesAlertAdvisesSavingUnderAnotherNameInWordsOnly)
{
    typeInHeading("Locked ");
    std::filesystem::permissions(path("page.html"), std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    QTest::keyClick(widget(), Qt::Key_S, Qt::ControlModifier);
    settle();
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    auto text = AlertDriver::shared().shownAlerts()[0]->informativeText();
    EXPECT_NE(text.find(u"write-protected"), std::u16string::npos) << toUTF8(text);
    EXPECT_NE(text.find(u"under another name"), std::u16string::npos) << toUTF8(text);
    EXPECT_EQ(text.find(u"Domain"), std::u16string::npos) << toUTF8(text);
    AlertDriver::shared().answerSheet(*editor->window(), AlertFirstButtonReturn);
    settle();
    // Which is now possible.
    SavePanelDriver::shared().enqueueConfirmation(URL::fileURLWithPath(path("unlocked.html")));
    QTest::keyClick(widget(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    settle();
    EXPECT_NE(contents("unlocked.html").find("Locked Heading"), std::string::npos);
    std::filesystem::permissions(path("page.html"), std::filesystem::perms::owner_all);
}

TEST_F(EditorWindowFileCommands, FilesNoWindowEditsAreRefusedAtOpenWithTheReasonAndOpenNoWindow)
{
    // A style sheet: it would open as a page and fail only at Save.
    Error error;
    EXPECT_FALSE(shell->openFile(path("style.css"), &error));
    EXPECT_EQ(error.code(), VornickDocumentFileNotHTMLError);
    auto said = VornickUserDescriptionOfError(error);
    EXPECT_NE(said.find(u"\u201Cstyle.css\u201D is not an HTML or XHTML page"), std::u16string::npos) << toUTF8(said);

    // XHTML that is not well-formed: the parser's message with the line and column of its first fault.
    ASSERT_TRUE(writeFileAtomically(path("broken.xhtml"), "<?xml version=\"1.0\"?>\n<html xmlns=\"http://www.w3.org/1999/xhtml\">\n"
                                                          "<head><title>x</title></head>\n<body><p>One<p>Two</body>\n</html>\n"));
    error = Error();
    EXPECT_FALSE(shell->openFile(path("broken.xhtml"), &error));
    said = VornickUserDescriptionOfError(error);
    EXPECT_NE(said.find(u"not well-formed"), std::u16string::npos) << toUTF8(said);
    EXPECT_NE(said.find(u"\u201Cbroken.xhtml\u201D is not well-formed XHTML: line 4, column 26: Opening and ending tag mismatch: p line 4 and body"),
              std::u16string::npos)
        << toUTF8(said);
    EXPECT_EQ(said.find(u"Domain"), std::u16string::npos) << toUTF8(said);
    EXPECT_EQ(shell->editorWindows().size(), 1u);

    // Chosen in the open panel, the refusal is an alert saying the same.
    shell->setOpenPanel([&](const QtOpenPanelRequest&, std::function<void(std::optional<URL>)> completion) {
        completion(URL::fileURLWithPath(path("broken.xhtml")));
    });
    QTest::keyClick(widget(), Qt::Key_O, Qt::ControlModifier);
    settle();
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    EXPECT_EQ(AlertDriver::shared().shownAlerts()[0]->informativeText(), said);
    EXPECT_EQ(shell->editorWindows().size(), 1u);

    // Well-formed XHTML opens.
    ASSERT_TRUE(writeFileAtomically(path("fine.xhtml"), "<?xml version=\"1.0\"?>\n<html xmlns=\"http://www.w3.org/1999/xhtml\">\n"
                                                        "<head><title>x</title></head>\n<body><p>One</p></body>\n</html>\n"));
    EXPECT_TRUE(shell->openFile(path("fine.xhtml"), &error));
}

// A page given to the program that it cannot open: the user sees an alert
// naming the file and the place of its first fault, no window opens.
TEST_F(EditorWindowFileCommands, APageGivenToTheProgramThatCannotBeOpenedIsToldInAnAlertAtItsFirstFault)
{
    const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\n"
                             "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n<title>Poppies</title>\n</head>\n";
    struct Case {
        const char* name;
        std::string contents;
        const char16_t* said;
    } cases[] = {
        // Three more faults follow from it, the last at line 11, column 1.
        { "em.xhtml", head + "<body><p>Poppies, <em>grow</p>\n<p>They flower in June.</p>\n</body>\n</html>\n",
          u"line 7, column 31: Opening and ending tag mismatch: em line 7 and p" },
        { "amp.xhtml", head + "<body>\n<p>Fish & chips</p>\n</body>\n</html>\n", u"line 8, column 10: xmlParseEntityRef: no name" },
        { "open.xhtml", head + "<body>\n<p>One\n<p>Two</p>\n</body>\n</html>\n",
          u"line 10, column 8: Opening and ending tag mismatch: p line 8 and body" },
        { "notes.txt", "Poppies", u"is not an HTML or XHTML page" },
    };
    for (const auto& c : cases) {
        AlertDriver::shared().reset();
        ASSERT_TRUE(writeFileAtomically(path(c.name), c.contents));
        EXPECT_FALSE(shell->openDocumentTellingUser(path(c.name)));
        EXPECT_EQ(shell->editorWindows().size(), 1u) << c.name;
        ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u) << c.name;
        auto alert = AlertDriver::shared().shownAlerts()[0];
        EXPECT_EQ(alert->messageText(), u"The document \u201C" + toUTF16(c.name) + u"\u201D could not be opened.");
        EXPECT_NE(alert->informativeText().find(c.said), std::u16string::npos) << toUTF8(alert->informativeText());
    }
}

TEST_F(EditorWindowFileCommands, TheOpenPanelStartsInTheFolderOfTheDocumentInFront)
{
    std::filesystem::create_directory(path("sub"));
    std::filesystem::copy_file(path("tables.html"), path("sub/tables.html"));
    std::vector<QtOpenPanelRequest> asked;
    std::optional<URL> answer;
    shell->setOpenPanel([&](const QtOpenPanelRequest& request, std::function<void(std::optional<URL>)> completion) {
        asked.push_back(request);
        completion(answer);
    });
    QTest::keyClick(widget(), Qt::Key_O, Qt::ControlModifier);
    settle();
    ASSERT_EQ(asked.size(), 1u);
    ASSERT_TRUE(asked[0].directoryURL);
    EXPECT_EQ(asked[0].directoryURL->fileSystemPath(), std::optional<std::string>(m_folder));
    Error error;
    auto second = shell->openFile(path("sub/tables.html"), &error);
    ASSERT_TRUE(second);
    settle();
    QTest::keyClick(shell->backend().widgetForWindow(*second->window()), Qt::Key_O, Qt::ControlModifier);
    settle();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].directoryURL->fileSystemPath(), std::optional<std::string>(path("sub")));
}

TEST_F(EditorWindow, ThePathBarIsDrawnAtTheWindowsFootWithTheCaretsPathAndTheValidationSummary)
{
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, pointInWidget(*element(u"EM")->firstChild()));
    settle();
    auto view = editor->editingView();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return view->tidyStatusForFocusedWebFrame() != VornickFrameValidationStatus::Pending; }, 20));
    settle();
    widget()->repaint();
    QCoreApplication::processEvents();
    bool summary = false;
    bool path = false;
    for (const auto& command : widget()->lastPaintedCommands()) {
        if (command.kind != DrawCommand::Kind::Text || command.rectInWindow.minY() > VornickDOMPathBar::naturalDOMPathBarHeight())
            continue;
        summary = summary || command.text == view->tidyStatusSummaryForDisplayToUser();
        path = path || command.text.find(u"<em>") != std::u16string::npos;
    }
    EXPECT_TRUE(summary) << "the summary at the foot of the window";
    EXPECT_TRUE(path) << "the caret's element path beside it";
}

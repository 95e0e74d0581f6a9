// An editor window at a desktop's size on the Qt backend (offscreen), as a
// user meets it: the page fills its pane down to the path bar from the first
// paint, Page Down moves by the pane's height, a click low in the pane puts
// the caret in the page, and a resize or hiding the source repaints all the
// page it exposes.
#include "tests/shell/VornickEditorWindowTestSupport.h"

#include "editing/VornickDOMPathBar.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMElement.h"

#include <QPaintEvent>

using namespace brevanton;

namespace {

// A page of `paragraphs` numbered paragraphs.
std::string longPage(int paragraphs)
{
    std::string page = "<!DOCTYPE html>\n<html><head><title>Long</title></head><body>\n";
    for (int index = 0; index < paragraphs; ++index)
        page += "<p>Paragraph " + std::to_string(index) + " of the long page, a line of text.</p>\n";
    return page + "</body></html>\n";
}

// The parts of the page's pane, in the window's base coordinates.
struct PaneGeometry {
    Rect webView;
    Rect clip;
    Rect page;
};

class WindowLayout : public brevanton::testing::EditorWindowSession {
protected:
    // As the program runs by default: the editing view is built with its
    // source loupe embedded, which the window then shows beside the page.
    void SetUp() override
    {
        UserDefaults::standard().setInteger(1, u"EmbedSourceLoupe");
        EditorWindowSession::SetUp();
    }
    void TearDown() override
    {
        EditorWindowSession::TearDown();
        UserDefaults::standard().removeObjectForKey(u"EmbedSourceLoupe");
    }
    PaneGeometry paneGeometry() const
    {
        auto frameView = webView()->mainFrame()->frameView();
        auto& document = *frameView->documentView();
        return { webView()->convertRectToView(webView()->bounds(), nullptr), clip().convertRectToView(clip().bounds(), nullptr),
                 document.convertRectToView(document.visibleRect(), nullptr) };
    }
    // Where the page's pane ends at the window's foot: on the path bar.
    static double paneBottom() { return VornickDOMPathBar::naturalDOMPathBarHeight(); }
    // The union of what the page itself drew in the widget's last paint.
    Rect pagePaintedInLastPaint() const
    {
        auto* page = webView()->mainFrame()->frameView()->documentView().get();
        Rect painted;
        for (const auto& command : widget()->lastPaintedCommands()) {
            if (command.view == page)
                painted = painted.isEmpty() ? command.rectInWindow : painted.unionWith(command.rectInWindow);
        }
        return painted;
    }
};

// Records the page's pane as it is when the window's widget paints first.
class FirstPaintProbe : public QObject {
public:
    std::function<void()> onFirstPaint;
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && dynamic_cast<QtWindowWidget*>(object) && onFirstPaint) {
            onFirstPaint();
            onFirstPaint = nullptr;
        }
        return false;
    }
};

TEST_F(WindowLayout, ThePageFillsItsPaneFromTheFirstPaintDownToThePathBar)
{
    FirstPaintProbe probe;
    std::optional<PaneGeometry> atFirstPaint;
    probe.onFirstPaint = [&] {
        if (editor)
            atFirstPaint = paneGeometry();
    };
    qApp->installEventFilter(&probe);
    openPage("long.html", longPage(300));
    qApp->removeEventFilter(&probe);
    ASSERT_GT(widget()->paintCount(), 0u);

    Rect content = editor->window()->contentView()->frame();
    EXPECT_GT(content.height(), 600) << "a window of a desktop's size";
    std::vector<std::pair<const char*, PaneGeometry>> moments { { "now", paneGeometry() } };
    if (atFirstPaint)
        moments.push_back({ "at the first paint", *atFirstPaint });
    for (const auto& [when, pane] : moments) {
        EXPECT_DOUBLE_EQ(pane.webView.minY(), paneBottom()) << when << ": the page view reaches the path bar";
        EXPECT_GT(pane.webView.height(), content.height() / 2) << when << ": more than a strip under the head's fields";
        EXPECT_EQ(pane.clip, pane.webView) << when << ": the visible part is the whole view";
        EXPECT_EQ(pane.page, pane.clip) << when << ": page all the way down";
    }
    // What the last paint drew of the page reaches the pane's foot.
    widget()->repaint();
    Rect painted = pagePaintedInLastPaint();
    EXPECT_LE(painted.minY(), paneBottom() + 1) << painted.description();
    EXPECT_GE(painted.maxY(), paneGeometry().clip.maxY() - 1) << painted.description();
}

TEST_F(WindowLayout, PageDownMovesByThePanesHeightAndAClickLowInThePanePlacesTheCaret)
{
    openPage("long.html", longPage(300));
    double paneHeight = paneGeometry().webView.height();
    ASSERT_GT(paneHeight, 500);

    // A click a few points above the path bar puts the caret on the line there.
    QPoint low(60, widget()->height() - static_cast<int>(paneBottom()) - 6);
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, low);
    settle();
    ASSERT_TRUE(selection());
    Rect caret = caretBox();
    Rect visible = clip().documentVisibleRect();
    EXPECT_GT(caret.maxY(), visible.maxY() - 3 * caret.height()) << "the caret on the pane's lowest line";

    press(Qt::Key_Home, Qt::ControlModifier);
    ASSERT_DOUBLE_EQ(clip().bounds().origin.y, 0);
    press(Qt::Key_PageDown);
    EXPECT_NEAR(clip().bounds().origin.y, paneHeight, 2 * caret.height()) << "a page is the pane's height";
}

// A window made larger and smaller, and the source hidden and shown again:
// each time the page covers the pane, and the paint after it covers all the
// window shows of the page.
TEST_F(WindowLayout, AResizeOrHidingTheSourceRepaintsThePageItExposes)
{
    openPage("long.html", longPage(300));
    struct Step {
        const char* what;
        std::function<void()> act;
    };
    const Step steps[] = {
        { "larger", [&] { widget()->resize(widget()->width() + 200, widget()->height() + 150); } },
        { "smaller", [&] { widget()->resize(widget()->width() - 300, widget()->height() - 250); } },
        // View > Hide Source and Show Source by their keys.
        { "source hidden", [&] { press(Qt::Key_U, Qt::ControlModifier | Qt::AltModifier); } },
        { "source shown", [&] { press(Qt::Key_U, Qt::ControlModifier | Qt::AltModifier); } },
    };
    for (const auto& step : steps) {
        step.act();
        settle();
        PaneGeometry pane = paneGeometry();
        EXPECT_EQ(pane.page, pane.clip) << step.what;
        EXPECT_DOUBLE_EQ(pane.webView.minY(), paneBottom()) << step.what;
        // Qt paints what the change marked; the page's part of that paint
        // covers the page's pane.
        QImage picture = widget()->grab().toImage();
        Rect painted = pagePaintedInLastPaint();
        EXPECT_LE(painted.minY(), pane.clip.minY() + 1) << step.what << painted.description();
        EXPECT_GE(painted.maxX(), pane.clip.maxX() - 1) << step.what << painted.description();
        // The pane's lowest row right of the text is the page's white.
        int row = widget()->height() - static_cast<int>(paneBottom()) - 3;
        int column = static_cast<int>(pane.clip.maxX()) - 40;
        EXPECT_EQ(picture.pixelColor(column, row), QColor(Qt::white)) << step.what;
    }
}

} // namespace

#include "tests/platform/views/qt/QtBackendWindowTest.h"

#include "platform/foundation/Text.h"
#include "platform/views/DraggingSession.h"
#include "platform/views/Image.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/TextInputClient.h"
#include "platform/views/qt/QtEventTranslation.h"

#include <gtest/gtest.h>

#include <QDrag>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QTest>
#include <QTextCharFormat>

#include <string>
#include <vector>

using namespace brevanton;

namespace {

// A first responder that takes marked text and typed keys and says which
// came in which order; the input method's cursor is 10 points per offset
// right of x = 10.
class ComposingView : public View, public TextInputClient {
public:
    using View::View;
    std::vector<std::string> calls;
    MarkedText marked;

    bool acceptsFirstResponder() const override { return true; }
    void keyDown(const Event& event) override { calls.push_back("key " + toUTF8(event.characters())); }
    void mouseDown(const Event&) override { calls.push_back("click"); }

    bool hasMarkedText() const override { return !marked.text.empty(); }
    void setMarkedText(MarkedText text) override
    {
        calls.push_back("mark " + toUTF8(text.text));
        marked = std::move(text);
    }
    void unmarkText() override
    {
        calls.push_back("unmark");
        marked = {};
    }
    std::optional<Rect> firstRectForMarkedTextOffset(size_t offset) override
    {
        if (marked.text.empty())
            return std::nullopt;
        return Rect(10 + 10.0 * static_cast<double>(offset), 150, 1, 20);
    }
};

class WidgetInputMethod : public brevanton::testing::QtBackendWindowTest<ComposingView> {
protected:
    void prepareWindow() override { ASSERT_TRUE(window->makeFirstResponder(view)); }

    void compose(const QString& preedit, const QList<QInputMethodEvent::Attribute>& attributes = {})
    {
        QInputMethodEvent event(preedit, attributes);
        QCoreApplication::sendEvent(widget(), &event);
    }
    void commit(const QString& text, const QString& preedit = {})
    {
        QInputMethodEvent event(preedit, {});
        event.setCommitString(text);
        QCoreApplication::sendEvent(widget(), &event);
    }
};

QTextCharFormat formatWithBackground()
{
    QTextCharFormat format;
    format.setBackground(Qt::blue);
    return format;
}

QTextCharFormat singlyUnderlined()
{
    QTextCharFormat format;
    format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
    return format;
}

TEST_F(WidgetInputMethod, APreeditIsMarkedTextAndACommitIsOneKeyPressAfterItWasUnmarked)
{
    compose(QString::fromUtf8("かなカナ"), { { QInputMethodEvent::TextFormat, 0, 2, formatWithBackground() },
                                          { QInputMethodEvent::TextFormat, 2, 2, singlyUnderlined() },
                                          { QInputMethodEvent::Cursor, 2, 1, QVariant() } });
    EXPECT_EQ(view->calls, (std::vector<std::string> { "mark かなカナ" }));
    EXPECT_EQ(view->marked.cursor, 2u);
    EXPECT_TRUE(view->marked.showsCursor);
    EXPECT_EQ(view->marked.clauses, (std::vector<MarkedTextClause> { { 0, 2, true }, { 2, 2, false } }));
    // The candidate window goes to the cursor inside the composition (base y 150 to 170 is row 30 to 50).
    EXPECT_EQ(widget()->inputMethodQuery(Qt::ImCursorRectangle).toRect(), QRect(30, 30, 1, 20));

    view->calls.clear();
    commit(QString::fromUtf8("仮名"));
    EXPECT_EQ(view->calls, (std::vector<std::string> { "unmark", "key 仮名" }));
    EXPECT_FALSE(view->hasMarkedText());
    EXPECT_NE(widget()->inputMethodQuery(Qt::ImCursorRectangle).toRect(), QRect(30, 30, 1, 20));

    // A commit that starts the next composition at once.
    compose(QString::fromUtf8("じ"));
    view->calls.clear();
    commit(QString::fromUtf8("了"), QString::fromUtf8("次"));
    EXPECT_EQ(view->calls, (std::vector<std::string> { "unmark", "key 了", "mark 次" }));
    EXPECT_EQ(view->marked.cursor, 1u) << "without a cursor attribute, at the end";
    EXPECT_TRUE(view->marked.clauses.empty());
}

TEST_F(WidgetInputMethod, ACancelAClickOrTheLossOfFocusEndsTheCompositionWithoutTyping)
{
    compose("ab");
    compose("");
    EXPECT_EQ(view->calls, (std::vector<std::string> { "mark ab", "unmark" }));

    // Offscreen there is no input method to commit: what is marked goes,
    // before the click reaches the view.
    compose("cd");
    view->calls.clear();
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    EXPECT_EQ(view->calls, (std::vector<std::string> { "unmark", "click" }));

    compose("ef");
    view->calls.clear();
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(widget(), &popup);
    EXPECT_TRUE(view->calls.empty()) << "a popup takes the focus only for a moment";
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(widget(), &away);
    EXPECT_EQ(view->calls, (std::vector<std::string> { "unmark" }));
}

TEST(QtInputMethodTranslation, ClausesAreOrderedClippedAndTheCursorMayBeHidden)
{
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTextCharFormat waved;
    waved.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    QInputMethodEvent event("abcd", { { QInputMethodEvent::TextFormat, 1, 10, singlyUnderlined() },
                                      { QInputMethodEvent::TextFormat, 0, 2, bold },
                                      { QInputMethodEvent::TextFormat, 3, 1, waved },
                                      { QInputMethodEvent::Cursor, 9, 0, QVariant() } });
    MarkedText marked = markedTextFromQtInputMethodEvent(event);
    EXPECT_EQ(marked.text, u"abcd");
    EXPECT_EQ(marked.cursor, 4u);
    EXPECT_FALSE(marked.showsCursor);
    // The overlapping and overlong clause keeps only what no clause before it covers.
    EXPECT_EQ(marked.clauses, (std::vector<MarkedTextClause> { { 0, 2, true }, { 2, 2, false } }));
}

// A view that drags a 60 by 40 red image lying at (20, 100) in its
// coordinates, or an item without an image.
class DragImageView : public View, public DraggingSource {
public:
    using View::View;
    bool withImage { true };
    std::shared_ptr<DraggingSession> session;

    void mouseDown(const Event&) override { }
    void mouseDragged(const Event& event) override
    {
        if (session)
            return;
        PasteboardItem pasteboardItem;
        (void)pasteboardItem.setString(u"dragged", PasteboardTypeString);
        DraggingItem item(pasteboardItem);
        if (withImage) {
            item.setDraggingFrame(Rect(20, 100, 60, 40), Image::imageWithSize({ 60, 40 }, [](GraphicsContext& context) {
                context.fillRect(Rect(0, 0, 60, 40), Color::sRGB(1, 0, 0));
            }));
        }
        session = beginDraggingSession({ item }, event, std::shared_ptr<DraggingSource>(shared_from_this(), static_cast<DraggingSource*>(this)));
    }
    DragOperation sourceOperationMaskForDraggingContext(DraggingSession&, DraggingContext) override { return DragOperations::Copy; }
};

class WidgetDragImage : public brevanton::testing::QtBackendWindowTest<DragImageView> {
protected:
    // Drags from a press at (30, 70) to (50, 80) of the widget; what the QDrag showed.
    void drag()
    {
        view->session.reset();
        backend->setDragExecutor([this](QDrag& drag, Qt::DropActions) {
            picture = drag.pixmap().toImage();
            hotSpot = drag.hotSpot();
            return Qt::IgnoreAction;
        });
        QTest::mousePress(widget(), Qt::LeftButton, Qt::NoModifier, QPoint(30, 70));
        QMouseEvent moved(QEvent::MouseMove, QPointF(50, 80), widget()->mapToGlobal(QPointF(50, 80)), Qt::NoButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(widget(), &moved);
        QTest::mouseRelease(widget(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 80));
    }
    // Made only once the application is there.
    QImage picture;
    QPoint hotSpot;
};

TEST_F(WidgetDragImage, TheDraggedItemsImageIsTheDragsTranslucentPixmapUnderThePointer)
{
    drag();
    ASSERT_TRUE(view->session);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(60, 40));
    // The drag began at base (50, 120); the image's top left is at base (20, 140).
    EXPECT_EQ(hotSpot, QPoint(30, 20));
    QColor pixel = picture.pixelColor(30, 20);
    EXPECT_GT(pixel.red(), 200);
    EXPECT_LT(pixel.green(), 30);
    EXPECT_GT(pixel.alpha(), 100);
    EXPECT_LT(pixel.alpha(), 250) << "seen through";

    view->withImage = false;
    drag();
    ASSERT_TRUE(view->session);
    EXPECT_TRUE(picture.isNull()) << "an item without an image shows none";
}

} // namespace

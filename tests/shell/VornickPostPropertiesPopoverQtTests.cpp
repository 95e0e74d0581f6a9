// The post properties popover in a real Qt window (offscreen): placed at its
// item, a tag typed to its completion with Qt key events and Return, a
// category checked by a click, OK.
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/publishing/PostViewTestSupport.h"

#include "blog/VornickBlogTag.h"
#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/Popover.h"
#include "platform/views/ScrollView.h"
#include "platform/views/Screen.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "publishing/VornickBlogPostCategoriesOutlineViewController.h"
#include "publishing/VornickBlogPostTagListTokenFieldController.h"
#include "publishing/VornickWordPressPagePropertiesUIController.h"

#include <QTest>

namespace brevanton {
namespace {

class NoPostEditor final : public VornickPostPropertiesEditor {
public:
    int edits { 0 };
    void postPropertiesEdited() override { ++edits; }
    std::shared_ptr<VornickWordPressPostView> postPropertiesPostView() const override { return nullptr; }
};

class VornickPostPropertiesPopoverQtTests : public PostViewTest {
protected:
    std::unique_ptr<QtWindowBackend> backend;
    std::shared_ptr<Window> postWindow;
    std::shared_ptr<View> item;
    std::shared_ptr<VornickWordPressPostPropertiesUIController> controller;
    NoPostEditor editor;

    void SetUp() override
    {
        testing::qtApplication();
        PostViewTest::SetUp();
        backend = std::make_unique<QtWindowBackend>();
        postWindow = Window::create(Rect(100, 150, 700, 600));
        item = std::make_shared<View>(Rect(300, 560, 60, 24));
        postWindow->contentView()->addSubview(item);
        postWindow->makeKeyAndOrderFront();
        controller = VornickWordPressPostPropertiesUIController::create();
    }

    void TearDown() override
    {
        controller.reset();
        postWindow->close();
        postWindow.reset();
        QCoreApplication::processEvents();
        backend.reset();
        Application::shared().resetForTesting();
        PostViewTest::TearDown();
    }

    QtWindowWidget* widgetOf(const std::shared_ptr<Window>& window) const { return window ? backend->widgetForWindow(*window) : nullptr; }
    QtWindowWidget* popoverWidget() const { return widgetOf(controller->popover()->window()); }

    // The dark pixels of a view's rectangle in a picture of the popover.
    int darkPixels(const QImage& image, const View& view, const Rect& rect) const
    {
        QRect area = QRect(pointIn(view, { rect.minX(), rect.minY() }), pointIn(view, { rect.maxX(), rect.maxY() })).normalized();
        int dark = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x)
                dark += qGray(image.pixel(x, y)) < 96 ? 1 : 0;
        }
        return dark;
    }

    // A point of a view in the popover widget's coordinates.
    QPoint pointIn(const View& view, Point point) const
    {
        Point base = view.convertPointToView(point, nullptr);
        return QPoint(static_cast<int>(base.x), static_cast<int>(popoverWidget()->height() - base.y));
    }
};

} // namespace

TEST_F(VornickPostPropertiesPopoverQtTests, ATagTypedToItsCompletionAndACategoryClickedAreAccepted)
{
    auto travel = term(u"BlogTag", u"identifierUsedByBlogService", u"1", u"Travel");
    term(u"BlogTag", u"identifierUsedByBlogService", u"2", u"Transport");
    auto news = term(u"BlogCategory", u"identifierUsedByBlogService", u"3", u"News");
    auto uncategorized = term(u"BlogCategory", u"identifierUsedByBlogService", u"4", u"Uncategorized");
    auto post = makePost(u"Post", u"<p>x</p>");
    post->setObjectsForKey({ uncategorized }, u"categories");

    controller->showForWordPressBlogPost(post, item, &editor);
    QCoreApplication::processEvents();
    auto* widget = popoverWidget();
    ASSERT_NE(widget, nullptr);
    ASSERT_TRUE(widget->isVisible());
    EXPECT_TRUE(widget->windowFlags() & Qt::FramelessWindowHint);
    // At its item: centred on it, touching its top edge (the item's view is
    // not flipped), or its bottom edge where the screen has no room above.
    Rect anchor = item->convertRectToScreen(item->bounds());
    Rect frame = controller->popover()->window()->frame();
    Rect screen = Screen::mainScreen().visibleFrame();
    EXPECT_DOUBLE_EQ(frame.midX(), anchor.midX());
    if (screen.maxY() - anchor.maxY() >= frame.height())
        EXPECT_DOUBLE_EQ(frame.minY(), anchor.maxY());
    else
        EXPECT_DOUBLE_EQ(frame.maxY(), anchor.minY());
    EXPECT_EQ(frame.intersection(screen), frame) << frame.description();
    auto* postWidget = widgetOf(postWindow);
    ASSERT_NE(postWidget, nullptr);
    QPoint itemTop = postWidget->mapToGlobal(QPoint(static_cast<int>(anchor.midX() - postWindow->frame().minX()), 0));
    EXPECT_NEAR(widget->geometry().center().x(), itemTop.x(), 2);
    // Its picture: the OK button and the controls are drawn.
    QImage picture = widget->grab().toImage();
    EXPECT_FALSE(testing::inkBounds(picture).isEmpty());

    // A click in the tag field, "tra" typed: the completions open under the field.
    auto field = controller->tagsTokenFieldController()->tokenField();
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, pointIn(*field, { 20, 12 }));
    QCoreApplication::processEvents();
    QTest::keyClicks(widget, "trav");
    QCoreApplication::processEvents();
    EXPECT_EQ(field->typedText(), u"trav");
    ASSERT_EQ(field->completions(), std::vector<std::u16string> { u"Travel" });
    auto* list = widgetOf(field->completionWindow());
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isVisible());
    EXPECT_GE(list->geometry().top(), widget->mapToGlobal(pointIn(*field, { 0, 0 })).y() - 1) << "under the field";
    // The list's row: its highlight and the completion's text, drawn from the recorded commands.
    QImage listPicture = list->grab().toImage();
    QColor highlight = listPicture.pixelColor(3, 3);
    EXPECT_NE(highlight, QColor(Qt::white)) << "the first row is highlighted";
    EXPECT_FALSE(testing::inkBounds(listPicture).isEmpty());
    QTest::keyClick(widget, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_FALSE(list->isVisible());
    auto tags = controller->tagsTokenFieldController()->displayedTags();
    ASSERT_EQ(tags.size(), 1u);
    EXPECT_EQ(tags[0], travel);

    // A click on "News"'s box checks it and unchecks "Uncategorized".
    auto outline = controller->categoriesOutlineViewController()->categoriesOutlineView();
    long row = outline->rowForItem(news);
    ASSERT_GE(row, 0);
    Rect box = outline->checkBoxRect(0, row);
    int uncheckedInk = darkPixels(widget->grab().toImage(), *outline, box.insetBy(2, 2));
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, pointIn(*outline, { box.midX(), box.midY() }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(controller->categoriesOutlineViewController()->isProposed(*std::static_pointer_cast<VornickBlogCategory>(news)));
    EXPECT_EQ(controller->categoriesOutlineViewController()->proposedCategories().size(), 1u);
    EXPECT_GT(darkPixels(widget->grab().toImage(), *outline, box.insetBy(2, 2)), uncheckedInk + 4) << "the box shows its check mark";

    // OK.
    std::shared_ptr<Button> ok;
    for (const auto& subview : controller->contentView()->subviews()) {
        if (auto button = std::dynamic_pointer_cast<Button>(subview); button && button->title() == u"OK")
            ok = button;
    }
    ASSERT_TRUE(ok);
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, pointIn(*ok, { 20, 11 }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(widget->isVisible());
    EXPECT_EQ(post->objectsForKey(u"tags"), (std::vector<std::shared_ptr<ManagedObject>> { travel }));
    EXPECT_EQ(post->objectsForKey(u"categories"), (std::vector<std::shared_ptr<ManagedObject>> { news }));
    EXPECT_EQ(editor.edits, 1);
}

} // namespace brevanton

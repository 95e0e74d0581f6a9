// A web list in a real (offscreen) Qt window: the first batch with its
// placeholder, the wheel loading the next batches, a click selecting a row.
#include "tests/platform/views/qt/QtBackendWindowTest.h"
#include "tests/ui/WebListTestSupport.h"

#include <QTest>
#include <QWheelEvent>

namespace brevanton {
namespace {

class WebListQtTest : public testing::QtBackendWindowTest<View> {
protected:
    void SetUp() override
    {
        QtBackendWindowTest::SetUp();
        controller = VornickWebListViewController::create<TitleListController>(Rect(0, 0, 300, 200));
        view->addSubview(controller->webView());
        controller->setActionDelegate(&delegate);
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !controller->webView()->isLoading(); }, 30));
        arrayController = std::make_shared<TestListArrayController>();
        arrayController->setObjects(items.make(120));
        controller->setArrayController(arrayController);
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return controller->numberOfItemsLoaded() > 0; }, 30));
    }
    void TearDown() override
    {
        controller->setActionDelegate(nullptr);
        controller->webView()->removeFromSuperview();
        controller.reset();
        QtBackendWindowTest::TearDown();
    }
    void wheelDown()
    {
        QPointF at(150, 100);
        QWheelEvent wheel(at, widget()->mapToGlobal(at), QPoint(), QPoint(0, -120 * 5), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(widget(), &wheel);
        controller->webView()->layoutIfNeeded();
    }
    // Where a row's middle is in the widget.
    QPoint rowInWidget(long row)
    {
        auto& webView = controller->webView();
        webView->layoutIfNeeded();
        Rect box = webView->boundingBox(*controller->listItemForRow(row));
        auto& documentView = webView->mainFrame()->frameView()->documentView();
        Point base = documentView->convertPointToView(Point { box.midX(), box.midY() }, nullptr);
        return QPoint(static_cast<int>(base.x), static_cast<int>(widget()->height() - base.y));
    }

    TestListItems items;
    std::shared_ptr<TitleListController> controller;
    std::shared_ptr<TestListArrayController> arrayController;
    RecordingListDelegate delegate;
};

TEST_F(WebListQtTest, TheWheelLoadsBatchesAndAClickSelectsARow)
{
    auto document = controller->webView()->mainFrameDocument();
    EXPECT_EQ(document->getElementById(u"list")->childElementCount(), 50u);
    EXPECT_TRUE(document->getElementById(u"placeholder"));
    // The rows are drawn: ink where the first row stands.
    QImage picture = widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QPoint first = rowInWidget(0);
    EXPECT_FALSE(testing::inkBounds(picture.copy(0, first.y() - 8, picture.width(), 16)).isEmpty());

    auto& clip = *controller->webView()->mainFrame()->frameView()->clipView();
    std::vector<size_t> loaded;
    for (int step = 0; step < 200 && controller->numberOfItemsLoaded() < 120; ++step) {
        wheelDown();
        if (loaded.empty() || loaded.back() != controller->numberOfItemsLoaded())
            loaded.push_back(controller->numberOfItemsLoaded());
    }
    EXPECT_EQ(loaded, std::vector<size_t>({ 50, 100, 120 }));
    EXPECT_FALSE(document->getElementById(u"placeholder"));
    for (int step = 0; step < 50; ++step)
        wheelDown();
    EXPECT_EQ(clip.documentVisibleRect().maxY(), clip.documentRect().maxY()) << "at the end";

    // Back up to row 60, and click it.
    controller->webView()->scrollNodeIntoViewIfNeeded(*controller->listItemForRow(60));
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, rowInWidget(60));
    EXPECT_EQ(controller->selectedRowIndexes(), std::vector<long>({ 60 }));
    ASSERT_FALSE(delegate.selections.empty());
    EXPECT_EQ(delegate.selections.back(), std::vector<std::shared_ptr<ManagedObject>>({ arrayController->objects[60] }));
    // The selected row is drawn with its fill.
    QImage selected = widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QPoint middle = rowInWidget(60);
    EXPECT_NE(selected.pixel(middle.x() + 100, middle.y()), qRgb(255, 255, 255));
}

} // namespace
} // namespace brevanton

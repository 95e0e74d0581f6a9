#include "platform/views/EventSynthesizer.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/ImageBrowserView.h"
#include "platform/views/ScrollView.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

struct Item : ImageBrowserItem {
    Item(std::u16string title, std::optional<URL> url) : title(std::move(title)), url(std::move(url)) { }
    std::u16string imageUID() const override { return title; }
    std::optional<URL> imageRepresentation() const override { return url; }
    std::u16string imageTitle() const override { return title; }
    std::u16string imageSubtitle() const override { return u"640 x 480"; }
    std::u16string title;
    std::optional<URL> url;
};

struct Recorder : ImageBrowserDataSource, ImageBrowserDelegate {
    long numberOfItemsInImageBrowser(ImageBrowserView&) override { return static_cast<long>(items.size()); }
    std::shared_ptr<ImageBrowserItem> imageBrowserItemAtIndex(ImageBrowserView&, long index) override
    {
        asked.push_back(index);
        return index >= 0 && index < static_cast<long>(items.size()) ? items[static_cast<size_t>(index)] : nullptr;
    }
    void imageBrowserSelectionDidChange(ImageBrowserView& browser) override { selections.push_back(browser.selectionIndexes()); }
    void imageBrowserCellWasClickedAtIndex(ImageBrowserView&, long index) override { clicked.push_back(index); }
    void imageBrowserCellWasDoubleClickedAtIndex(ImageBrowserView&, long index) override { doubleClicked.push_back(index); }
    void imageBrowserCellWasRightClickedAtIndex(ImageBrowserView&, long index, const Event&) override { rightClicked.push_back(index); }
    void imageBrowserBackgroundWasRightClicked(ImageBrowserView&, const Event&) override { ++backgroundRightClicks; }

    std::vector<std::shared_ptr<Item>> items;
    std::vector<long> asked;
    std::vector<IndexSet> selections;
    std::vector<long> clicked;
    std::vector<long> doubleClicked;
    std::vector<long> rightClicked;
    int backgroundRightClicks { 0 };
};

struct ImageBrowser : ::testing::Test {
    void SetUp() override
    {
        for (int i = 0; i < 40; ++i) {
            std::optional<URL> url;
            if (i % 5 != 4)
                url = URL::fileURLWithPath("/pictures/picture " + std::to_string(i) + ".jpg", false);
            recorder.items.push_back(std::make_shared<Item>(u"Picture " + std::u16string(1, char16_t(u'A' + i)), url));
        }
        window = Window::create(Rect(0, 0, 460, 400));
        window->orderFront();
        scrollView = std::make_shared<ScrollView>(Rect(0, 0, 460, 400));
        scrollView->setHasVerticalScroller(true);
        scrollView->setOverlaysScrollers(true);
        browser = std::make_shared<ImageBrowserView>(Rect(0, 0, 460, 400));
        browser->setDataSource(&recorder);
        browser->setDelegate(&recorder);
        scrollView->setDocumentView(browser);
        window->contentView()->addSubview(scrollView);
        browser->reloadData();
    }

    // A point of a cell's thumbnail in the window.
    Point inCell(long index) const
    {
        Rect thumbnail = browser->thumbnailFrameAtIndex(index);
        return browser->convertPointToView({ thumbnail.midX(), thumbnail.midY() }, nullptr);
    }

    std::vector<DrawCommand> drawn(DrawCommand::Kind kind)
    {
        GraphicsContext context;
        window->contentView()->display(context);
        std::vector<DrawCommand> result;
        for (auto& command : context.commandsOfView(browser.get())) {
            if (command.kind == kind)
                result.push_back(command);
        }
        return result;
    }

    Recorder recorder;
    std::shared_ptr<Window> window;
    std::shared_ptr<ScrollView> scrollView;
    std::shared_ptr<ImageBrowserView> browser;
    EventSynthesizer events;
};

} // namespace

TEST_F(ImageBrowser, TheGridFillsTheWidthAndOnlyTheVisibleCellsAreDrawnAsThumbnailsOrPlaceholders)
{
    // 132-point cells with 10-point gaps: three columns in 460 points, 14 rows.
    EXPECT_EQ(browser->numberOfColumns(), 3);
    EXPECT_EQ(browser->numberOfRows(), 14);
    EXPECT_EQ(browser->frame().width(), 460);
    EXPECT_EQ(browser->frame().height(), 10 + 14 * (162 + 10));
    for (long index = 0; index < 40; ++index) {
        Rect cell = browser->itemFrameAtIndex(index);
        EXPECT_EQ(browser->indexOfItemAtPoint({ cell.midX(), cell.midY() }), index);
        EXPECT_TRUE(cell.containsRect(browser->thumbnailFrameAtIndex(index)));
    }
    EXPECT_EQ(browser->indexOfItemAtPoint({ 2, 2 }), -1);
    EXPECT_TRUE(browser->itemFrameAtIndex(40).isEmpty());

    // 400 points show the first three rows (the third in part): nine cells asked for, one of them without a file.
    recorder.asked.clear();
    auto files = drawn(DrawCommand::Kind::ImageFile);
    EXPECT_EQ(recorder.asked, (std::vector<long> { 0, 1, 2, 3, 4, 5, 6, 7, 8 }));
    ASSERT_EQ(files.size(), 8u);
    EXPECT_EQ(files[0].imagePath, "/pictures/picture 0.jpg");
    EXPECT_EQ(files[0].rect, browser->thumbnailFrameAtIndex(0));
    ASSERT_TRUE(files[0].wantedPixelSize);
    EXPECT_EQ(*files[0].wantedPixelSize, (Size { 120, 120 }));
    // Item 4 has no file: a placeholder card in its thumbnail's box.
    auto cards = drawn(DrawCommand::Kind::FillRoundedRect);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_TRUE(browser->thumbnailFrameAtIndex(4).containsRect(cards[0].rect));
    auto texts = drawn(DrawCommand::Kind::Text);
    EXPECT_EQ(texts[0].text, u"Picture A");
    EXPECT_EQ(texts[1].text, u"640 x 480");

    // Scrolled to the end, the last cells are drawn, and the window wider holds four columns.
    browser->scrollIndexToVisible(39);
    recorder.asked.clear();
    drawn(DrawCommand::Kind::ImageFile);
    EXPECT_TRUE(std::find(recorder.asked.begin(), recorder.asked.end(), 39) != recorder.asked.end());
    EXPECT_TRUE(std::find(recorder.asked.begin(), recorder.asked.end(), 0) == recorder.asked.end());
    window->setFrame(Rect(0, 0, 620, 400));
    scrollView->setFrameSize({ 620, 400 });
    EXPECT_EQ(browser->numberOfColumns(), 4);
    EXPECT_EQ(browser->frame().width(), 620);
}

TEST_F(ImageBrowser, TheUsersClicksSelectAndAreToldButSelectionsMadeInCodeAreNot)
{
    events.click(window, inCell(2));
    EXPECT_EQ(browser->selectionIndexes(), (IndexSet { 2 }));
    EXPECT_EQ(recorder.selections, (std::vector<IndexSet> { { 2 } }));
    EXPECT_EQ(recorder.clicked, (std::vector<long> { 2 }));

    // A click on the selected cell changes nothing, but is a click all the same.
    events.click(window, inCell(2));
    EXPECT_EQ(recorder.selections.size(), 1u);
    EXPECT_EQ(recorder.clicked, (std::vector<long> { 2, 2 }));

    // Shift extends from the last cell clicked, Command toggles.
    events.click(window, inCell(5), ModifierFlag::Shift);
    EXPECT_EQ(browser->selectionIndexes(), (IndexSet { 2, 3, 4, 5 }));
    events.click(window, inCell(3), ModifierFlag::Command);
    EXPECT_EQ(browser->selectionIndexes(), (IndexSet { 2, 4, 5 }));
    // A plain click on one of several selected cells leaves it alone once released.
    events.click(window, inCell(4));
    EXPECT_EQ(browser->selectionIndexes(), (IndexSet { 4 }));
    EXPECT_EQ(recorder.selections.back(), (IndexSet { 4 }));

    // The background clears the selection.
    size_t told = recorder.selections.size();
    events.click(window, browser->convertPointToView({ 2, 2 }, nullptr));
    EXPECT_TRUE(browser->selectionIndexes().empty());
    EXPECT_EQ(recorder.selections.size(), told + 1);

    browser->setSelectionIndexes({ 1, 7, 99 }, false);
    EXPECT_EQ(browser->selectionIndexes(), (IndexSet { 1, 7 }));
    EXPECT_EQ(recorder.selections.size(), told + 1);

    // A reload with fewer items drops the indexes past the end.
    recorder.items.resize(5);
    browser->reloadData();
    EXPECT_EQ(browser->selectionIndexes(), (IndexSet { 1 }));
    EXPECT_EQ(browser->numberOfRows(), 2);
}

TEST_F(ImageBrowser, DoubleAndRightClicksAreToldWithTheCellSelected)
{
    events.click(window, inCell(1));
    events.click(window, inCell(1), 0, 2);
    EXPECT_EQ(recorder.doubleClicked, (std::vector<long> { 1 }));

    events.send(events.rightMouseDown(window, inCell(5)));
    EXPECT_EQ(browser->selectionIndexes(), (IndexSet { 5 }));
    EXPECT_EQ(recorder.rightClicked, (std::vector<long> { 5 }));

    // A right click on a selected cell keeps the selection; on the background it is cleared first.
    browser->setSelectionIndexes({ 4, 5 }, false);
    events.send(events.rightMouseDown(window, inCell(4)));
    EXPECT_EQ(browser->selectionIndexes(), (IndexSet { 4, 5 }));
    events.send(events.rightMouseDown(window, browser->convertPointToView({ 2, 2 }, nullptr)));
    EXPECT_TRUE(browser->selectionIndexes().empty());
    EXPECT_EQ(recorder.backgroundRightClicks, 1);
}

TEST_F(ImageBrowser, ADragCarriesTheSelectedItemsThatHaveSomethingToCarry)
{
    browser->setSelectionIndexes({ 0, 3, 4 }, false);
    Point start = inCell(3);
    events.send(events.mouseDown(window, start));
    // Within the threshold nothing starts.
    events.send(events.mouseDragged(window, { start.x + 3, start.y }));
    EXPECT_FALSE(DraggingSession::currentSession());
    events.send(events.mouseDragged(window, { start.x + 20, start.y + 20 }));
    auto session = DraggingSession::currentSession();
    ASSERT_TRUE(session);
    // Item 4 has no file: by default it is left out.
    ASSERT_EQ(session->items().size(), 2u);
    EXPECT_EQ(session->items()[0].draggingFrame(), browser->thumbnailFrameAtIndex(0));
    auto urls = URLsFromURIList(*session->items()[1].item().stringForType(PasteboardTypeURL));
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0].fileSystemPath(), "/pictures/picture 3.jpg");
    session->cancel();
    events.send(events.mouseUp(window, { start.x + 20, start.y + 20 }));
    // The drag kept the selection.
    EXPECT_EQ(browser->selectionIndexes(), (IndexSet { 0, 3, 4 }));
}

#include "platform/views/qt/QtPasteboardBridge.h"

#include "platform/net/WebResource.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/qt/QtMimeData.h"
#include "platform/web/WebArchive.h"
#include "tests/platform/views/qt/QtTestSupport.h"

#include <QClipboard>
#include <QDropEvent>
#include <QEventLoop>
#include <QMimeData>

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

constexpr const char16_t* ArchiveType = u"com.Orbendalworks.Brevanton.webarchive";

Data bytes(std::string_view text)
{
    return Data(text.begin(), text.end());
}

PasteboardItem copiedSelection()
{
    PasteboardItem item;
    EXPECT_TRUE(item.setString(u"caf\u00e9 & more", PasteboardTypeString));
    EXPECT_TRUE(item.setString(u"<p>caf\u00e9 &amp; more</p>", PasteboardTypeHTML));
    EXPECT_TRUE(item.setData(bytes("bplist00\x01\x02\x00binary"), ArchiveType));
    return item;
}

struct QtPasteboardTest : ::testing::Test {
    void SetUp() override
    {
        brevanton::testing::qtApplication();
        QGuiApplication::clipboard()->clear();
        general = Pasteboard::generalPasteboard();
        general->clearContents();
    }

    std::shared_ptr<Pasteboard> general;
};

} // namespace

TEST_F(QtPasteboardTest, ItemsRoundTripThroughMimeData)
{
    auto mimeData = mimeDataFromPasteboardItems({ copiedSelection() });
    // Other programs read the text and the HTML under their usual names.
    EXPECT_EQ(mimeData->text(), QString::fromStdU16String(u"caf\u00e9 & more"));
    EXPECT_EQ(mimeData->html(), QString::fromStdU16String(u"<p>caf\u00e9 &amp; more</p>"));
    EXPECT_TRUE(mimeData->hasFormat(QString::fromStdU16String(ArchiveType)));

    auto items = pasteboardItemsFromMimeData(*mimeData);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].stringForType(PasteboardTypeString), u"caf\u00e9 & more");
    EXPECT_EQ(items[0].stringForType(PasteboardTypeHTML), u"<p>caf\u00e9 &amp; more</p>");
    // The program's own binary data comes back byte for byte.
    EXPECT_EQ(items[0].dataForType(ArchiveType), bytes("bplist00\x01\x02\x00binary"));

    // A second trip changes nothing.
    auto again = pasteboardItemsFromMimeData(*mimeDataFromPasteboardItems(items));
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].types(), items[0].types());
    for (auto& type : items[0].types())
        EXPECT_EQ(again[0].dataForType(type), items[0].dataForType(type));
}

TEST_F(QtPasteboardTest, AnotherProgramsHTMLAlsoArrivesAsAWebArchiveOfThatPage)
{
    QMimeData browser;
    browser.setHtml(QString::fromStdU16String(u"<b>caf\u00e9</b>"));
    browser.setText("caf\u00e9");
    auto items = pasteboardItemsFromMimeData(browser);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].stringForType(PasteboardTypeString), u"caf\u00e9") << "the text stays the text the program gave";
    auto archiveData = items[0].dataForType(WebArchivePboardType);
    ASSERT_TRUE(archiveData);
    auto archive = WebArchive::create(*archiveData);
    ASSERT_TRUE(archive);
    ASSERT_TRUE(archive->mainResource());
    EXPECT_EQ(archive->mainResource()->MIMEType(), u"text/html");
    EXPECT_EQ(archive->mainResource()->data(), bytes("<b>caf\xc3\xa9</b>"));
}

TEST_F(QtPasteboardTest, URLsOfEveryItemGoIntoOneListAndForeignFormatsAreLeft)
{
    auto first = PasteboardItem::itemWithURL(*URL::create(u"https://example.com/a"), u"A");
    auto second = PasteboardItem::itemWithURL(*URL::create(u"https://example.com/b"), u"B");
    auto mimeData = mimeDataFromPasteboardItems({ first, second });
    ASSERT_EQ(mimeData->urls().size(), 2);
    EXPECT_EQ(mimeData->urls()[1].toString(), "https://example.com/b");
    // The title is the first item's.
    EXPECT_EQ(mimeData->data(QString::fromStdU16String(PasteboardTypeURLName)), "A");
    // A list of URLs is no plain text of ours.
    auto items = pasteboardItemsFromMimeData(*mimeData);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_FALSE(items[0].hasType(PasteboardTypeString));
    EXPECT_EQ(URLsFromURIList(*items[0].stringForType(PasteboardTypeURL)).size(), 2u);

    QMimeData foreign;
    foreign.setData("image/png", "\x89PNG");
    foreign.setData("application/x-other-program", "x");
    EXPECT_TRUE(pasteboardItemsFromMimeData(foreign).empty());
}

TEST_F(QtPasteboardTest, CopiesReachTheClipboardAndOtherProgramsCopiesReachTheGeneralPasteboard)
{
    QtPasteboardBridge bridge;
    auto* clipboard = QGuiApplication::clipboard();

    general->clearContents();
    ASSERT_TRUE(general->writeObjects({ copiedSelection() }));
    bridge.synchronize();
    EXPECT_EQ(clipboard->text(), QString::fromStdU16String(u"caf\u00e9 & more"));
    EXPECT_TRUE(clipboard->mimeData()->hasFormat(QString::fromStdU16String(ArchiveType)));
    // Our own copy is not read back: the pasteboard keeps its items and count.
    int64_t countAfterCopy = general->changeCount();
    EXPECT_EQ(bridge.mirroredChangeCount(), countAfterCopy);
    EXPECT_EQ(general->dataForType(ArchiveType), bytes("bplist00\x01\x02\x00binary"));

    // Nothing new, nothing written.
    const QMimeData* written = clipboard->mimeData();
    bridge.synchronize();
    EXPECT_EQ(clipboard->mimeData(), written);

    // Another program copies HTML.
    auto* foreign = new QMimeData;
    foreign->setHtml("<b>from elsewhere</b>");
    foreign->setText("from elsewhere");
    foreign->setData("image/png", "\x89PNG");
    clipboard->setMimeData(foreign);
    EXPECT_GT(general->changeCount(), countAfterCopy);
    EXPECT_EQ(general->stringForType(PasteboardTypeHTML), u"<b>from elsewhere</b>");
    EXPECT_EQ(general->stringForType(PasteboardTypeString), u"from elsewhere");
    auto archiveData = general->dataForType(ArchiveType);
    ASSERT_TRUE(archiveData) << "the HTML also comes as a web archive, which paste reads";
    auto archive = WebArchive::create(*archiveData);
    ASSERT_TRUE(archive && archive->mainResource());
    EXPECT_EQ(archive->mainResource()->data(), bytes("<b>from elsewhere</b>"));
    EXPECT_EQ(general->pasteboardItems().size(), 1u);
    // Reading it in is no copy of ours: the other program's data stays.
    bridge.synchronize();
    EXPECT_EQ(clipboard->mimeData(), foreign);

    // Another of our processes copies an archive: it arrives whole.
    clipboard->setMimeData(mimeDataFromPasteboardItems({ copiedSelection() }).release());
    EXPECT_EQ(general->dataForType(ArchiveType), bytes("bplist00\x01\x02\x00binary"));

    // The clipboard emptied elsewhere empties the pasteboard.
    clipboard->clear();
    EXPECT_TRUE(general->pasteboardItems().empty());

    // A copy left alone reaches the clipboard by the next poll.
    general->clearContents();
    ASSERT_TRUE(general->setString(u"polled", PasteboardTypeString));
    QEventLoop loop;
    QTimer::singleShot(QtPasteboardBridge::pollIntervalMilliseconds * 2, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(clipboard->text(), "polled");
}

TEST_F(QtPasteboardTest, ABridgeStartsWithWhatTheClipboardHolds)
{
    QGuiApplication::clipboard()->setText("copied before we started");
    QtPasteboardBridge bridge;
    EXPECT_EQ(general->stringForType(PasteboardTypeString), u"copied before we started");
    installQtPasteboardBridge();
    auto* installed = installedQtPasteboardBridge();
    ASSERT_TRUE(installed);
    installQtPasteboardBridge();
    EXPECT_EQ(installedQtPasteboardBridge(), installed);
}

TEST_F(QtPasteboardTest, DropsFromOtherProgramsArriveOnTheDragPasteboard)
{
    EXPECT_EQ(qtDropActionsFromDragOperationMask(DragOperations::Copy | DragOperations::Generic),
              Qt::CopyAction | Qt::MoveAction);
    EXPECT_EQ(dragOperationMaskFromQtDropActions(Qt::MoveAction | Qt::LinkAction),
              DragOperations::Move | DragOperations::Generic | DragOperations::Link);
    EXPECT_EQ(qtDropActionFromDragOperation(DragOperations::Generic), Qt::MoveAction);
    EXPECT_EQ(qtDropActionFromDragOperation(DragOperations::None), Qt::IgnoreAction);

    QMimeData dragged;
    dragged.setUrls({ QUrl("file:///tmp/picture.png") });
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::LinkAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    auto info = draggingInfoFromQtDropEvent(enter, nullptr, Point { 5, 7 });
    auto drag = Pasteboard::pasteboardWithName(PasteboardNameDrag);
    EXPECT_EQ(info.draggingPasteboard, drag);
    EXPECT_EQ(info.draggingLocation, (Point { 5, 7 }));
    EXPECT_EQ(info.sourceOperationMask, DragOperations::Copy | DragOperations::Link);
    auto urls = drag->readObjectsForClasses({ PasteboardReadingClass::URL });
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(std::get<URL>(urls[0]).fileSystemPath(), "/tmp/picture.png");

    // Moves of the same drag leave the pasteboard alone.
    int64_t count = drag->changeCount();
    QDragMoveEvent move(QPoint(6, 6), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    draggingInfoFromQtDropEvent(move, nullptr, Point { 6, 8 });
    EXPECT_EQ(drag->changeCount(), count);
}

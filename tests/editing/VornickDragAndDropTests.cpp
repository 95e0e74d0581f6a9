#include "ApplicationDelegateTestSupport.h"
#include "PointerTestSupport.h"

#include "dom/VornickNodeExtensions.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickPasteboardObject.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/views/DraggingInfo.h"
#include "platform/views/DraggingSession.h"
#include "platform/views/Pasteboard.h"
#include "platform/web/WebArchive.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <filesystem>
#include <functional>

using namespace brevanton;
using namespace brevanton::testing;

namespace {

// Stages dropped files by copying them into "media/" beside the document.
class StagingHost : public EditingRecorder {
public:
    std::string mediaFolder;
    std::vector<URL> staged;
    std::optional<URL> vornickContentEditingViewFindReferencedFileInBlogMediaLibraryOrStageIntoBlogMediaLibrary(
        VornickContentEditingView&, const URL& url) override
    {
        staged.push_back(url);
        std::filesystem::create_directories(mediaFolder);
        auto target = mediaFolder + "/" + toUTF8(url.lastPathComponent());
        std::error_code error;
        std::filesystem::copy_file(*url.fileSystemPath(), target, std::filesystem::copy_options::overwrite_existing, error);
        return URL::fileURLWithPath(target);
    }
};

class DragAndDrop : public PointerTest {
protected:
    void SetUp() override
    {
        PointerTest::SetUp();
        appDelegate.install(path("defaults.plist"));
        host.mediaFolder = m_folder + "/media";
        ASSERT_TRUE(writeFileAtomically(path("clip.mp4"), "...."));
        ASSERT_TRUE(writeFileAtomically(path("notes.txt"), "notes"));
        std::filesystem::copy_file(path("picture.png"), path("other.png"));
    }
    void TearDown() override
    {
        view->setDelegate(nullptr);
        PointerTest::TearDown();
        appDelegate.remove();
    }
    // Shows a page of the test data in a key document window.
    void showPage(const std::string& name)
    {
        load(name);
        window = VornickWindow::create(Rect(100, 100, 800, 600));
        view->setFrame(Rect(0, 0, 800, 600));
        window->contentView()->addSubview(view);
        window->makeKeyAndOrderFront();
        ASSERT_TRUE(window->makeFirstResponder(view->embeddedWebView()));
        drain();
        view->setDelegate(&host);
        view->setTargetRange(nullptr);
        view->undoManager()->removeAllActions();
    }
    std::shared_ptr<Pasteboard> dragPasteboard(const std::vector<PasteboardItem>& items)
    {
        auto pasteboard = Pasteboard::pasteboardWithName(PasteboardNameDrag);
        pasteboard->clearContents();
        if (!items.empty()) {
            EXPECT_TRUE(pasteboard->writeObjects(items));
        }
        return pasteboard;
    }
    DraggingInfo over(Point inWindow, DragOperation mask = DragOperations::Copy | DragOperations::Generic)
    {
        return DraggingInfo { window, inWindow, mask, Pasteboard::pasteboardWithName(PasteboardNameDrag) };
    }
    // The middle of a node, in the window's coordinates.
    Point middleOf(const DOMNode& node) const
    {
        Rect box = boxOf(node);
        return inWindow(Point { box.midX(), box.midY() });
    }
    // A whole drag from outside: entered, updated, performed, ended.
    bool dropAt(Point inWindow)
    {
        auto info = over(inWindow);
        if (view->updateProposedDrop(info) == DragOperations::None) {
            view->endProposedDrop(info);
            return false;
        }
        bool dropped = view->performProposedDrop(info);
        view->endProposedDrop(info);
        return dropped;
    }
    std::shared_ptr<DOMDocumentFragment> fragmentOf(const std::vector<PasteboardItem>& items)
    {
        view->setTargetRange(rangeIn(textNode(u"First"), 0, 0));
        return VornickContentEditingViewTestPeer::createFragmentFromContentsOfPasteboard(*view, *dragPasteboard(items), *document());
    }
    std::string markupOf(const std::shared_ptr<DOMDocumentFragment>& fragment)
    {
        auto holder = document()->createElement(u"div");
        holder->appendChild(fragment->cloneNode(true));
        return toUTF8(holder->innerHTML());
    }

    TestApplicationDelegate appDelegate;
    StagingHost host;
};

TEST_F(DragAndDrop, PasteboardContentBecomesOneFragmentInPasteboardOrder)
{
    showPage("page.html");
    // Two image files: both images, in order.
    dragPasteboard({ PasteboardItem::itemWithURL(url("picture.png")), PasteboardItem::itemWithURL(url("other.png")) });
    VornickContentEditingViewTestPeer::createFragmentForDropIfNeededForDocument(*view, *document(), *Pasteboard::pasteboardWithName(PasteboardNameDrag));
    ASSERT_TRUE(VornickContentEditingViewTestPeer::of(*view).fragmentForDrop);
    auto markup = markupOf(VornickContentEditingViewTestPeer::of(*view).fragmentForDrop);
    EXPECT_LT(markup.find("picture.png"), markup.find("other.png")) << markup;
    EXPECT_EQ(VornickContentEditingViewTestPeer::of(*view).imageFileURLsForDrop.size(), 2u);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).droppingSingleLink);
    VornickContentEditingViewTestPeer::clearProposedDrop(*view);

    // A file of another kind after an image adds nothing; an image after a
    // link is added to the link.
    dragPasteboard({ PasteboardItem::itemWithURL(url("picture.png")), PasteboardItem::itemWithURL(url("notes.txt")) });
    VornickContentEditingViewTestPeer::createFragmentForDropIfNeededForDocument(*view, *document(), *Pasteboard::pasteboardWithName(PasteboardNameDrag));
    markup = markupOf(VornickContentEditingViewTestPeer::of(*view).fragmentForDrop);
    EXPECT_EQ(markup.find("notes.txt"), std::string::npos) << markup;
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).droppingSingleLink);
    VornickContentEditingViewTestPeer::clearProposedDrop(*view);
    dragPasteboard({ PasteboardItem::itemWithURL(url("notes.txt")), PasteboardItem::itemWithURL(url("picture.png")) });
    VornickContentEditingViewTestPeer::createFragmentForDropIfNeededForDocument(*view, *document(), *Pasteboard::pasteboardWithName(PasteboardNameDrag));
    markup = markupOf(VornickContentEditingViewTestPeer::of(*view).fragmentForDrop);
    EXPECT_NE(markup.find(">notes.txt</a>"), std::string::npos) << markup;
    EXPECT_LT(markup.find("notes.txt"), markup.find("<img")) << markup;
    VornickContentEditingViewTestPeer::clearProposedDrop(*view);

    // One web link with its title; text with its inner whitespace collapsed.
    EXPECT_EQ(markupOf(fragmentOf({ PasteboardItem::itemWithURL(*URL::create(u"https://example.com/a"), u"Example") })),
              "<a href=\"https://example.com/a\">Example</a>");
    EXPECT_EQ(markupOf(fragmentOf({ PasteboardItem::itemWithString(u"two \n\t words") })), "two words");
    // An empty pasteboard makes nothing.
    EXPECT_FALSE(fragmentOf({}));
}

TEST_F(DragAndDrop, MoviesBecomeVideoElementsOnlyInHTML5Documents)
{
    showPage("page.html");
    dragPasteboard({ PasteboardItem::itemWithURL(url("clip.mp4")) });
    VornickContentEditingViewTestPeer::createFragmentForDropIfNeededForDocument(*view, *document(), *Pasteboard::pasteboardWithName(PasteboardNameDrag));
    auto markup = markupOf(VornickContentEditingViewTestPeer::of(*view).fragmentForDrop);
    EXPECT_NE(markup.find("<video controls=\"controls\""), std::string::npos) << markup;
    EXPECT_EQ(VornickContentEditingViewTestPeer::of(*view).movieFileURLsForDrop.size(), 1u);
    VornickContentEditingViewTestPeer::clearProposedDrop(*view);

    std::filesystem::copy_file(std::string(BREVANTON_TEST_DATA_DIR) + "/html-pages/legacy.html", path("legacy.html"));
    load("legacy.html");
    dragPasteboard({ PasteboardItem::itemWithURL(url("clip.mp4")) });
    VornickContentEditingViewTestPeer::createFragmentForDropIfNeededForDocument(*view, *document(), *Pasteboard::pasteboardWithName(PasteboardNameDrag));
    markup = markupOf(VornickContentEditingViewTestPeer::of(*view).fragmentForDrop);
    EXPECT_EQ(markup.find("<video"), std::string::npos) << markup;
    EXPECT_NE(markup.find(">clip.mp4</a>"), std::string::npos) << markup;
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).movieFileURLsForDrop.empty());
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).droppingSingleLink);
}

TEST_F(DragAndDrop, EachDropIsOneUndoStep)
{
    showPage("page.html");
    auto word = textNode(u"paragraph");
    view->setTargetRange(rangeIn(textNode(u"Heading"), 0, 0));

    // Text between two letters gets a space on either side.
    dragPasteboard({ PasteboardItem::itemWithString(u"dropped") });
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(dropAt(middleOf(*word))); },
        [&] {
            auto em = element(u"EM");
            auto text = toUTF8(em->textContent());
            EXPECT_NE(text.find(" dropped "), std::string::npos) << text;
        });

    // A titled web link: one link, its text selected.
    dragPasteboard({ PasteboardItem::itemWithURL(*URL::create(u"https://example.com/a"), u"Example") });
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(dropAt(middleOf(*textNode(u"Heading")))); },
        [&] {
            auto link = element(u"A");
            ASSERT_TRUE(link);
            EXPECT_EQ(link->getAttribute(u"href"), u"https://example.com/a");
            EXPECT_EQ(toUTF8(view->effectiveOperationRange()->toString()), "Example");
        });
}

TEST_F(DragAndDrop, ADragOverTheWebViewReachesTheEditingView)
{
    showPage("page.html");
    auto webView = view->embeddedWebView();
    view->setTargetRange(rangeIn(textNode(u"First"), 0, 0));
    dragPasteboard({ PasteboardItem::itemWithString(u"dropped") });
    auto info = over(middleOf(*textNode(u"Heading")));
    checkUndoableStep(
        *view,
        [&] {
            // Through the web view as the window system would call it.
            View& destination = *webView;
            EXPECT_EQ(destination.draggingEntered(info), DragOperations::Generic);
            EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).dropTargetRange);
            EXPECT_EQ(destination.draggingUpdated(info), DragOperations::Generic);
            destination.draggingExited(info);
            EXPECT_TRUE(destination.prepareForDragOperation(info));
            EXPECT_TRUE(destination.performDragOperation(info));
            destination.concludeDragOperation(info);
            destination.draggingEnded(info);
            EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).dropTargetRange);
            EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).fragmentForDrop);
        },
        [&] { EXPECT_NE(toUTF8(element(u"H1")->textContent()).find("dropped"), std::string::npos) << bodyHTML(); });

    // A drag that leaves without a drop changes nothing and ends cleared.
    auto before = bodyHTML();
    dragPasteboard({ PasteboardItem::itemWithString(u"never") });
    View& destination = *webView;
    EXPECT_NE(destination.draggingEntered(info), DragOperations::None);
    destination.draggingExited(info);
    destination.draggingEnded(info);
    EXPECT_EQ(bodyHTML(), before);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).dropTargetRange);
    // A plain view takes no drops.
    EXPECT_EQ(window->contentView()->draggingEntered(info), DragOperations::None);
    EXPECT_FALSE(window->contentView()->prepareForDragOperation(info));
}

TEST_F(DragAndDrop, DropsIntoTextAreEachOneUndoStep)
{
    showPage("page.html");
    // A web archive of part of the heading, as another document would have copied it.
    auto archive = VornickContentEditingViewTestPeer::cleanedUpWebArchiveDataForRange(*view, *rangeIn(textNode(u"Heading"), 0, 4));
    ASSERT_TRUE(archive);
    auto paragraphText = [&] { return toUTF8(element(u"EM")->textContent()); };
    struct Case {
        const char* name;
        std::vector<PasteboardItem> items;
        std::function<void()> check;
    };
    std::vector<Case> cases;
    cases.push_back({ "an image file",
          { PasteboardItem::itemWithURL(url("other.png")) },
          [&] {
              // Staged into the media library, referenced from there, spaced from the letters around it.
              auto image = element(u"EM")->getElementsByTagName(u"img")->item(0);
              ASSERT_TRUE(image);
              auto& img = downcast<DOMElement>(*image);
              EXPECT_EQ(img.getAttribute(u"src"), u"media/other.png") << bodyHTML();
              EXPECT_EQ(img.getAttribute(u"srcset"), u"media/other.png 1x") << bodyHTML();
              EXPECT_TRUE(std::filesystem::exists(path("media/other.png")));
              auto html = bodyHTML();
              EXPECT_TRUE(html.find("parag <img") != std::string::npos || html.find("parag&nbsp;<img") != std::string::npos) << html;
              EXPECT_NE(html.find("> raph"), std::string::npos) << html;
          } });
    cases.push_back({ "a file of another kind",
          { PasteboardItem::itemWithURL(url("notes.txt")) },
          [&] {
              auto link = element(u"A");
              ASSERT_TRUE(link);
              EXPECT_EQ(toUTF8(link->textContent()), "notes.txt");
              EXPECT_EQ(toUTF8(view->effectiveOperationRange()->toString()), "notes.txt");
          } });
    cases.push_back({ "a web link with its title",
          { PasteboardItem::itemWithURL(*URL::create(u"https://example.com/b"), u"Example B") },
          [&] {
              auto link = element(u"A");
              ASSERT_TRUE(link);
              EXPECT_EQ(link->getAttribute(u"href"), u"https://example.com/b");
              EXPECT_EQ(toUTF8(link->textContent()), "Example B");
          } });
    cases.push_back({ "a web archive",
          { pasteboardItemWithWebArchiveData(*archive) },
          [&] { EXPECT_NE(paragraphText().find("parag Head"), std::string::npos) << bodyHTML(); } });
    cases.push_back({ "plain text",
          { PasteboardItem::itemWithString(u"plain words") },
          [&] { EXPECT_NE(paragraphText().find(" plain words "), std::string::npos) << bodyHTML(); } });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto before = documentSnapshot(*document());
        view->setTargetRange(rangeIn(textNode(u"Heading"), 0, 0));
        dragPasteboard(c.items);
        checkUndoableStep(*view, [&] { ASSERT_TRUE(dropAt(middleOf(*textNode(u"paragraph")))); }, c.check);
        view->undoManager()->undo();
        EXPECT_EQ(documentSnapshot(*document()), before);
        view->undoManager()->removeAllActions();
    }
}

TEST_F(DragAndDrop, AWholeHeadingDroppedIntoParagraphTextGoesBesideTheParagraph)
{
    showPage("page.html");
    // A web archive of the whole heading, dragged over a view with or
    // without a selection: the heading may not stand inside the paragraph or
    // its emphasis, so it goes where the place under the pointer, pulled up
    // through its containers, lets it.
    auto archive = VornickContentEditingViewTestPeer::cleanedUpWebArchiveDataForRange(*view, *vornick_outerRange(*element(u"H1")));
    ASSERT_TRUE(archive);
    dragPasteboard({ pasteboardItemWithWebArchiveData(*archive) });
    auto paragraph = element(u"P");
    auto info = over(middleOf(*textNode(u"paragraph")));
    EXPECT_NE(view->updateProposedDrop(info), DragOperations::None);
    view->endProposedDrop(info);
    view->setTargetRange(rangeIn(textNode(u"Heading"), 0, 0));
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(dropAt(middleOf(*textNode(u"paragraph")))); },
        [&] {
            auto headings = document()->getElementsByTagName(u"H1");
            ASSERT_EQ(headings->length(), 2u) << bodyHTML();
            auto dropped = headings->item(1);
            EXPECT_EQ(toUTF8(dropped->textContent()), "Heading");
            EXPECT_EQ(dropped->parentNode(), paragraph->parentNode()) << bodyHTML();
            EXPECT_NE(toUTF8(paragraph->textContent()).find("First paragraph of text."), std::string::npos) << bodyHTML();
        });
}

TEST_F(DragAndDrop, AnImageFileThatCannotBeStagedDropsNothing)
{
    showPage("page.html");
    struct RefusingHost : EditingRecorder {
        std::optional<URL> vornickContentEditingViewFindReferencedFileInBlogMediaLibraryOrStageIntoBlogMediaLibrary(
            VornickContentEditingView&, const URL&) override
        {
            return std::nullopt;
        }
    } refusing;
    view->setDelegate(&refusing);
    auto before = bodyHTML();
    dragPasteboard({ PasteboardItem::itemWithURL(url("other.png")) });
    EXPECT_FALSE(dropAt(middleOf(*textNode(u"paragraph"))));
    EXPECT_EQ(bodyHTML(), before);
    EXPECT_FALSE(view->undoManager()->canUndo());
    view->setDelegate(&host);
}

TEST_F(DragAndDrop, AnImageFileDroppedOnAnImageChangesItsSourceAndThenItsSize)
{
    showPage("page.html");
    auto before = bodyHTML();
    auto image = element(u"IMG");
    dragPasteboard({ PasteboardItem::itemWithURL(url("other.png")) });
    auto info = over(middleOf(*image));
    ASSERT_NE(view->updateProposedDrop(info), DragOperations::None);
    ASSERT_TRUE(VornickContentEditingViewTestPeer::of(*view).droppingReplacementImage);
    ASSERT_TRUE(view->performProposedDrop(info));
    view->endProposedDrop(info);
    EXPECT_EQ(image->getAttribute(u"src"), u"media/other.png");
    EXPECT_EQ(image->getAttribute(u"alt"), u"A picture");
    EXPECT_EQ(element(u"IMG"), image) << "the element itself stays";
    EXPECT_FALSE(image->hasAttribute(u"width"));

    // The size arrives on a later turn, as attribute changes of their own.
    drain();
    EXPECT_EQ(image->getAttribute(u"width"), u"40");
    EXPECT_EQ(image->getAttribute(u"height"), u"30");
    while (view->undoManager()->canUndo())
        view->undoManager()->undo();
    EXPECT_EQ(image->getAttribute(u"src"), u"picture.png");
    EXPECT_FALSE(image->hasAttribute(u"width"));
}

TEST_F(DragAndDrop, ALateSizeNeverReachesAnImageThatLeftOrChanged)
{
    showPage("page.html");
    auto image = element(u"IMG");
    auto info = over(middleOf(*image));

    // The element is taken out before the size arrives.
    dragPasteboard({ PasteboardItem::itemWithURL(url("other.png")) });
    ASSERT_NE(view->updateProposedDrop(info), DragOperations::None);
    ASSERT_TRUE(view->performProposedDrop(info));
    view->endProposedDrop(info);
    auto parent = image->parentNode();
    parent->removeChild(image);
    drain();
    EXPECT_FALSE(image->hasAttribute(u"width"));
    parent->appendChild(image);
    drain();

    // The element takes another source before the size arrives.
    view->undoManager()->removeAllActions();
    dragPasteboard({ PasteboardItem::itemWithURL(url("picture.png")) });
    info = over(middleOf(*image));
    ASSERT_NE(view->updateProposedDrop(info), DragOperations::None);
    ASSERT_TRUE(view->performProposedDrop(info));
    view->endProposedDrop(info);
    image->setAttribute(u"src", u"elsewhere.png");
    drain();
    EXPECT_FALSE(image->hasAttribute(u"width"));
    EXPECT_FALSE(image->hasAttribute(u"height"));
}

TEST_F(DragAndDrop, RefusedDropsLeaveTheDocumentAlone)
{
    showPage("page.html");
    auto before = bodyHTML();
    dragPasteboard({ PasteboardItem::itemWithString(u"text") });
    auto point = middleOf(*textNode(u"Heading"));

    // Not editable; over another window; a field that takes no drops.
    view->setEditable(false);
    EXPECT_EQ(view->updateProposedDrop(over(point)), DragOperations::None);
    EXPECT_FALSE(view->performProposedDrop(over(point)));
    view->setEditable(true);
    auto info = over(point);
    info.destinationWindow = VornickWindow::create(Rect(0, 0, 100, 100));
    EXPECT_EQ(view->updateProposedDrop(info), DragOperations::None);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).dropTargetRange);
    element(u"H1")->setAttribute(u"id", u"field");
    attachTo(u"field");
    before = bodyHTML();
    auto points = vornick_attachmentPoints(*view->mainFrame());
    ASSERT_EQ(points.size(), 1u);
    std::static_pointer_cast<VornickAttachmentPoint>(points[0])->setAllowsDrops(false);
    EXPECT_EQ(view->updateProposedDrop(over(point)), DragOperations::None);
    view->endProposedDrop(over(point));
    EXPECT_EQ(bodyHTML(), before);
    EXPECT_FALSE(view->undoManager()->canUndo());
}

} // namespace

#include "dom/VornickPasteboardCopies.h"

#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/Pasteboard.h"
#include "platform/web/WebArchive.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::string mainResourceText(const Pasteboard& pasteboard)
{
    auto data = pasteboard.dataForType(WebArchivePboardType);
    if (!data)
        return "(none)";
    auto archive = WebArchive::create(*data);
    if (!archive)
        return "(not an archive)";
    auto& bytes = archive->mainResource()->data();
    return std::string(bytes.begin(), bytes.end());
}

class VornickPasteboardCopiesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        webView = WebView::create(Rect(0, 0, 800, 600));
        webView->setMainFrameURL(URL::fileURLWithPath(std::string(BREVANTON_TEST_DATA_DIR) + "/web/page.html").absoluteString());
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
        document = webView->mainFrameDocument();
        pasteboard->clearContents();
        ASSERT_TRUE(pasteboard->setString(u"earlier", PasteboardTypeString));
    }
    std::shared_ptr<WebView> webView;
    std::shared_ptr<DOMDocument> document;
    std::shared_ptr<Pasteboard> pasteboard = Pasteboard::pasteboardWithName(u"VornickPasteboardCopiesTest");
};

TEST_F(VornickPasteboardCopiesTest, ASubtreeCopiesAsArchiveAndText)
{
    auto para = document->getElementById(u"para");
    int64_t count = pasteboard->changeCount();
    EXPECT_TRUE(vornick_copySubtreeReplacingContentsOfPasteboard(*para, *pasteboard, true, 0, std::nullopt));
    EXPECT_GT(pasteboard->changeCount(), count);
    EXPECT_EQ(pasteboard->types(), (std::vector<std::u16string> { WebArchivePboardType, PasteboardTypeString }));
    EXPECT_EQ(mainResourceText(*pasteboard), "<p id=\"para\">Some words here</p>");
    EXPECT_EQ(pasteboard->stringForType(PasteboardTypeString), u"Some words here");

    // The archive carries the images the subtree shows.
    EXPECT_TRUE(vornick_copySubtreeReplacingContentsOfPasteboard(*document->body(), *pasteboard, true, 0, std::nullopt));
    auto archive = WebArchive::create(*pasteboard->dataForType(WebArchivePboardType));
    ASSERT_TRUE(archive);
    ASSERT_EQ(archive->subresources().size(), 1u);
    EXPECT_EQ(archive->subresources()[0]->url().lastPathComponent(), u"picture.png");

    // Text alone, under a type of the caller's; the answer says no archive was written.
    EXPECT_FALSE(vornick_copySubtreeReplacingContentsOfPasteboard(*para, *pasteboard, false, 0, u"com.Orbendalworks.Brevanton.Snippet"));
    EXPECT_EQ(pasteboard->types(), (std::vector<std::u16string> { u"com.Orbendalworks.Brevanton.Snippet" }));
    EXPECT_EQ(pasteboard->stringForType(u"com.Orbendalworks.Brevanton.Snippet"), u"Some words here");

    // An archive alone: no plain text of another representation type.
    EXPECT_TRUE(vornick_copySubtreeReplacingContentsOfPasteboard(*para, *pasteboard, true, 1, std::nullopt));
    EXPECT_EQ(pasteboard->types(), (std::vector<std::u16string> { WebArchivePboardType }));
}

TEST_F(VornickPasteboardCopiesTest, NothingToWriteLeavesThePasteboardAlone)
{
    auto para = document->getElementById(u"para");
    int64_t count = pasteboard->changeCount();
    EXPECT_FALSE(vornick_copySubtreeReplacingContentsOfPasteboard(*para, *pasteboard, false, 1, std::nullopt));
    EXPECT_EQ(pasteboard->changeCount(), count);
    EXPECT_EQ(pasteboard->stringForType(PasteboardTypeString), u"earlier");

    // A node no web view shows has no archive: asked for one without text, the pasteboard stays.
    auto detached = DOMDocument::createHTMLDocument();
    auto orphan = detached->createElement(u"p");
    orphan->setTextContent(u"alone");
    EXPECT_FALSE(vornick_copySubtreeReplacingContentsOfPasteboard(*orphan, *pasteboard, true, 1, std::nullopt));
    EXPECT_EQ(pasteboard->changeCount(), count);
    EXPECT_EQ(pasteboard->stringForType(PasteboardTypeString), u"earlier");
    // With text it still copies the text.
    EXPECT_FALSE(vornick_copySubtreeReplacingContentsOfPasteboard(*orphan, *pasteboard, true, 0, std::nullopt));
    EXPECT_EQ(pasteboard->types(), (std::vector<std::u16string> { PasteboardTypeString }));
    EXPECT_EQ(pasteboard->stringForType(PasteboardTypeString), u"alone");
}

TEST_F(VornickPasteboardCopiesTest, ANodeListCopiesItsTextWithTheArchiveOfItsParentsContents)
{
    auto para = document->getElementById(u"para");
    para->setTextContent(u"one ");
    auto bold = document->createElement(u"b");
    bold->setTextContent(u"two");
    para->appendChild(bold);
    para->appendChild(document->createTextNode(u" three"));
    auto children = para->childNodes();
    EXPECT_TRUE(vornick_copyReplacingContentsOfPasteboard(*children, *pasteboard, true, 0, std::nullopt, *para));
    EXPECT_EQ(mainResourceText(*pasteboard), "one <b>two</b> three");
    EXPECT_EQ(pasteboard->stringForType(PasteboardTypeString), u"one two three");

    int64_t count = pasteboard->changeCount();
    EXPECT_FALSE(vornick_copyReplacingContentsOfPasteboard(*children, *pasteboard, false, 2, std::nullopt, *para));
    EXPECT_EQ(pasteboard->changeCount(), count);
}

} // namespace

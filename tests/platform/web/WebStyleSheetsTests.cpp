#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/web/WebNodeArchives.h"
#include "platform/web/WebStyleSheets.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class WebStyleSheetsPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        webView = WebView::create(Rect(0, 0, 800, 600));
        webView->setMainFrameURL(URL::fileURLWithPath(std::string(BREVANTON_TEST_DATA_DIR) + "/web/page.html").absoluteString());
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
    }
    std::shared_ptr<WebView> webView;
};

TEST_F(WebStyleSheetsPageTest, StyleSheetsShowLinkedSheetsRulesAndImports)
{
    auto document = webView->mainFrameDocument();
    auto style = document->createElement(u"style");
    style->setTextContent(u"/* note */ @media screen { p { color: red } } h1 { margin: 0; }");
    document->head()->appendChild(style);

    auto sheets = webStyleSheets(*webView->mainFrame());
    ASSERT_EQ(sheets.size(), 2u);
    auto& linked = sheets[0];
    ASSERT_TRUE(linked->href());
    EXPECT_EQ(URL::create(*linked->href())->lastPathComponent(), u"site.css");
    EXPECT_EQ(linked->ownerNode()->tagName(), u"LINK");
    ASSERT_EQ(linked->cssRules().size(), 2u);
    auto& import = linked->cssRules()[0];
    EXPECT_EQ(import->type(), DOMCSSRule::IMPORT_RULE);
    EXPECT_EQ(import->href(), u"base.css");
    EXPECT_EQ(import->parentStyleSheet(), linked);
    ASSERT_TRUE(import->styleSheet()) << "the imported sheet was loaded";
    EXPECT_EQ(import->styleSheet()->cssRules().size(), 3u);
    EXPECT_EQ(import->styleSheet()->parentStyleSheet(), linked);
    EXPECT_EQ(linked->cssRules()[1]->type(), DOMCSSRule::STYLE_RULE);
    EXPECT_EQ(linked->cssRules()[1]->cssText(), u".hidden { display: none }");

    auto& embedded = sheets[1];
    EXPECT_FALSE(embedded->href());
    EXPECT_EQ(embedded->ownerNode(), style);
    ASSERT_EQ(embedded->cssRules().size(), 2u);
    EXPECT_EQ(embedded->cssRules()[0]->type(), DOMCSSRule::MEDIA_RULE);
    EXPECT_EQ(embedded->cssRules()[1]->cssText(), u"h1 { margin: 0; }");
}

TEST_F(WebStyleSheetsPageTest, NodeAndRangeArchivesCarryTheResourcesTheyUse)
{
    auto document = webView->mainFrameDocument();
    auto picture = document->getElementById(u"picture");
    auto archive = webArchiveForNode(*picture, *webView->mainFrame());
    EXPECT_EQ(std::string(archive->mainResource()->data().begin(), archive->mainResource()->data().end()),
              "<img id=\"picture\" src=\"picture.png\">");
    ASSERT_EQ(archive->subresources().size(), 1u);
    EXPECT_EQ(archive->subresources()[0]->MIMEType(), u"image/png");

    auto range = document->createRange();
    range->setStart(document->getElementById(u"para")->firstChild(), 5);
    range->setEnd(document->getElementById(u"para")->firstChild(), 10);
    auto rangeArchive = webArchiveForRange(*range, *webView->mainFrame());
    EXPECT_EQ(std::string(rangeArchive->mainResource()->data().begin(), rangeArchive->mainResource()->data().end()), "words");
    EXPECT_TRUE(rangeArchive->subresources().empty());
    EXPECT_EQ(*WebArchive::create(rangeArchive->data()), *rangeArchive);
}

TEST(WebSubresourceReloadTest, ChangedReferencesAndFilesLoadAgain)
{
    auto folder = *createTemporaryDirectory("webreload");
    EXPECT_TRUE(writeFileAtomically(folder + "/a.css", "p { color: red }"));
    auto picture = readFile(std::string(BREVANTON_TEST_DATA_DIR) + "/web/picture.png");
    EXPECT_TRUE(writeFileAtomically(folder + "/b.png", *picture));
    EXPECT_TRUE(writeFileAtomically(folder + "/page.html", "<link rel=stylesheet href='a.css'><img id=i src='none.png'>"));
    auto webView = WebView::create(Rect(0, 0, 400, 400));
    webView->setMainFrameURL(URL::fileURLWithPath(folder + "/page.html").absoluteString());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
    auto image = webView->mainFrameDocument()->getElementById(u"i");
    EXPECT_EQ(webView->boundingBox(*image).size, WebLayout::defaultReplacedSize);

    // A new src loads when layout next looks, and the image then takes its own size.
    image->setAttribute(u"src", u"b.png");
    webView->layoutIfNeeded();
    auto source = webView->mainFrame()->dataSource();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return source->subresourceForURL(URL::fileURLWithPath(folder + "/b.png")) != nullptr; }, 30));
    EXPECT_EQ(webView->boundingBox(*image).size, (Size { 40, 30 }));

    // A changed file is read again on request.
    auto css = URL::fileURLWithPath(folder + "/a.css");
    EXPECT_TRUE(writeFileAtomically(folder + "/a.css", "p { color: blue }"));
    webView->mainFrame()->reloadSubresource(css);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return source->subresourceForURL(css)->data().size() == 17; }, 30));
    EXPECT_TRUE(removeItem(folder));
}

} // namespace

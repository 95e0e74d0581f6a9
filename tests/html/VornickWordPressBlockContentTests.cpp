// The WordPress block mode helper on real block content: embeds, image
// blocks from the blog's media items, what heading commands may do, and the
// structure check on what WordPress writes and on damaged posts.
#include "html/VornickWordPressBlockModeHelper.h"

#include "BlockModeEditingContextStub.h"
#include "dom/VornickNodeExtensions.h"
#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickErrors.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::shared_ptr<DOMDocument> page(std::u16string_view body)
{
    return DOMDocument::parseHTML(u"<html><body>" + std::u16string(body) + u"</body></html>", u"file:///site/post.html");
}

std::unique_ptr<VornickWordPressBlockModeHelper> blockHelper(bool blockMode = true)
{
    auto helper = std::make_unique<VornickWordPressBlockModeHelper>();
    helper->setHtmlSpec(VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5));
    helper->setOperatingInBlockMode(blockMode);
    return helper;
}

std::u16string markupOf(DOMDocument& document, const std::shared_ptr<DOMDocumentFragment>& fragment)
{
    auto holder = document.createElement(u"div");
    (void)holder->appendChild(fragment);
    return holder->innerHTML();
}

using PlainView = brevanton::testing::BlockModeEditingContextStub;

struct PostView : PlainView, VornickWordPressMediaLibraryAccess {
    std::optional<VornickWordPressMediaItemImage> item;
    std::vector<std::u16string> asked;
    std::optional<VornickWordPressMediaItemImage> mediaItemImageForURL(const URL& url) override
    {
        asked.push_back(url.absoluteString());
        return item;
    }
};

struct Found {
    std::optional<int64_t> code;
    std::u16string message;
    std::u16string element;
    bool hasStart { false };
    bool hasEnd { false };
};

std::vector<Found> enumerate(const VornickBlockModeHelper& helper, const DOMNode& node)
{
    std::vector<Found> found;
    helper.enumerateChildBlocksOfNode(node, 0, [&](const VornickExactSelection& selection, const std::optional<Error>& error, bool&) {
        Found entry;
        if (error) {
            entry.code = error->code();
            entry.message = error->localizedDescription();
        }
        if (selection.element())
            entry.element = asciiLowercase(selection.element()->tagName());
        entry.hasStart = selection.blockStartComment() != nullptr;
        entry.hasEnd = selection.blockEndComment() != nullptr;
        found.push_back(entry);
    });
    return found;
}

std::vector<std::optional<int64_t>> codes(const std::vector<Found>& found)
{
    std::vector<std::optional<int64_t>> result;
    for (const auto& entry : found)
        result.push_back(entry.code);
    return result;
}

const std::optional<int64_t> sound;

} // namespace

TEST(VornickWordPressBlockContent, EmbedsArePlaceholdersOrBlocksOfTheSnippetAPatternNames)
{
    auto helper = blockHelper();
    auto document = page(u"");
    Dictionary properties { { u"providerNameSlug", Value(u"vimeo") }, { u"responsive", Value(true) } };
    auto placeholder = helper->createEmbedPlaceholderWithProperties(properties, u"Vimeo Embed URL", *document);
    ASSERT_TRUE(placeholder);
    EXPECT_EQ(markupOf(*document, placeholder),
              u"<!-- wp:embed {\"providerNameSlug\":\"vimeo\",\"responsive\":true} --><figure class=\"wp-block-embed is-provider-vimeo "
              u"wp-block-embed-vimeo\"><div class=\"wp-block-embed__wrapper\"><span class=\"brevanton-empty-block-interior\">Vimeo Embed "
              u"URL</span></div></figure><!-- /wp:embed -->");
    auto bare = helper->createEmbedPlaceholderWithProperties({}, u"URL", *document);
    EXPECT_EQ(markupOf(*document, bare), u"<!-- wp:embed --><figure class=\"wp-block-embed\"><div class=\"wp-block-embed__wrapper\">"
                                         u"<span class=\"brevanton-empty-block-interior\">URL</span></div></figure><!-- /wp:embed -->");

    // A pasted URL of a known site becomes its embed block, with the URL in
    // the comment and the wrapper; any other URL a link.
    auto video = URL::create(std::u16string_view(u"https://www.youtube.com/watch?v=dQw4w9WgXcQ"));
    ASSERT_TRUE(video);
    auto embed = helper->createFragmentForPasteOfURL(*video, u"A video", *document);
    ASSERT_TRUE(embed);
    auto embedMarkup = markupOf(*document, embed);
    EXPECT_TRUE(embedMarkup.starts_with(u"<!-- wp:embed {\"url\":\"https://www.youtube.com/watch?v=dQw4w9WgXcQ\",\"type\":\"video\","
                                        u"\"providerNameSlug\":\"youtube\""))
        << toUTF8(embedMarkup);
    EXPECT_NE(embedMarkup.find(u"<div class=\"wp-block-embed__wrapper\">\nhttps://www.youtube.com/watch?v=dQw4w9WgXcQ\n</div>"),
              std::u16string::npos);
    // Its attributes are written as WordPress writes them: "&" and the other
    // characters its attribute writer escapes come as escapes in the comment.
    auto query = URL::create(std::u16string_view(u"https://www.youtube.com/watch?v=dQw4w9WgXcQ&t=10--x"));
    ASSERT_TRUE(query);
    auto queried = markupOf(*document, helper->createFragmentForPasteOfURL(*query, u"A video", *document));
    EXPECT_TRUE(queried.starts_with(u"<!-- wp:embed {\"url\":\"https://www.youtube.com/watch?v=dQw4w9WgXcQ\\u0026t=10\\u002d\\u002dx\","))
        << toUTF8(queried);
    EXPECT_NE(queried.find(u"\nhttps://www.youtube.com/watch?v=dQw4w9WgXcQ&amp;t=10--x\n</div>"), std::u16string::npos) << toUTF8(queried);
    auto site = URL::create(std::u16string_view(u"https://example.com/about"));
    EXPECT_EQ(markupOf(*document, helper->createFragmentForPasteOfURL(*site, u"About", *document)),
              u"<a href=\"https://example.com/about\">About</a>");

    // A classic post gets no block comments: a link.
    auto classic = blockHelper(false);
    EXPECT_EQ(markupOf(*document, classic->createFragmentForPasteOfURL(*video, u"A video", *document)),
              u"<a href=\"https://www.youtube.com/watch?v=dQw4w9WgXcQ\">A video</a>");
}

TEST(VornickWordPressBlockContent, ImagesBecomeImageBlocksOfTheBlogsMediaItems)
{
    auto helper = blockHelper();
    auto document = page(u"");
    auto file = URL::fileURLWithPath(std::string_view("/home/me/Pictures/lake.jpg"));
    PostView view;
    // No media item for the file: nothing is inserted.
    EXPECT_FALSE(helper->createImageWithURL(file, *document, &view, nullptr));
    EXPECT_EQ(view.asked, std::vector<std::u16string> { file.absoluteString() });

    VornickWordPressMediaItemImage item;
    item.serviceIdentifier = u"417";
    item.pixelsWide = 1600;
    item.pixelsHigh = 1200;
    item.largeVariantSourceURL = URL::create(std::u16string_view(u"https://example.com/wp-content/uploads/lake-1024x768.jpg"));
    item.remoteURL = URL::create(std::u16string_view(u"https://example.com/wp-content/uploads/lake.jpg"));
    view.item = item;
    auto image = helper->createImageWithURL(file, *document, &view, nullptr);
    ASSERT_TRUE(image);
    EXPECT_EQ(markupOf(*document, image),
              u"<!-- wp:image {\"id\":417,\"linkDestination\":\"none\"} -->\n<figure class=\"wp-block-image\"><img "
              u"src=\"https://example.com/wp-content/uploads/lake-1024x768.jpg\" alt=\"\" class=\"wp-image-417\"></figure>\n<!-- /wp:image -->");

    // Not yet uploaded: the remote or local address and identifier 0.
    item.serviceIdentifier.clear();
    item.largeVariantSourceURL.reset();
    item.remoteURL.reset();
    item.resolvedLocalURL = file;
    view.item = item;
    auto local = markupOf(*document, helper->createImageWithURL(file, *document, &view, nullptr));
    EXPECT_NE(local.find(u"{\"id\":0,\"linkDestination\":\"none\"}"), std::u16string::npos) << toUTF8(local);
    EXPECT_NE(local.find(u"src=\"file:///home/me/Pictures/lake.jpg\" alt=\"\" class=\"wp-image-0\""), std::u16string::npos);
    item.resolvedLocalURL.reset();
    view.item = item;
    EXPECT_FALSE(helper->createImageWithURL(file, *document, &view, nullptr));

    // Only a view that edits WordPress posts can place media items.
    PlainView plain;
    EXPECT_THROW((void)helper->createImageWithURL(file, *document, &plain, nullptr), InternalInconsistencyException);
}

TEST(VornickWordPressBlockContent, ImageScaleComesFromAnAtNxNameOrTheBoxItReplaces)
{
    // The plain helper: a name such as "photo0x.png" or "photo@0x.png"
    // tells no scale, and a box of no width (before layout) gives 1.
    VornickBlockModeHelper helper;
    auto document = page(u"<p id=p>x</p>");
    PlainView view;
    view.mediaSize = std::pair<long, long>(300, 200);
    auto attributes = [&](const char* path, const DOMRange* range) {
        auto fragment = helper.createImageWithURL(URL::fileURLWithPath(std::string_view(path)), *document, &view, range);
        auto image = downcast<DOMElement>(fragment->firstChild()->shared_from_this());
        return toUTF8(image->getAttribute(u"srcset") + u" " + image->getAttribute(u"width") + u"x" + image->getAttribute(u"height"));
    };
    auto paragraph = vornick_innerRange(document->getElementById(u"p"));
    EXPECT_EQ(attributes("/site/photo0x.png", paragraph.get()), "photo0x.png 1x 300x200");
    EXPECT_EQ(attributes("/site/photo@0x.png", paragraph.get()), "photo@0x.png 1x 300x200");
    EXPECT_EQ(attributes("/site/photo3x.png", nullptr), "photo3x.png 1x 300x200");
    EXPECT_EQ(attributes("/site/photo@3x.png", nullptr), "photo@3x.png 3x 100x67");
    view.boxWidth = 100;
    EXPECT_EQ(attributes("/site/photo@0x.png", paragraph.get()), "photo@0x.png 3x 100x67");
}

TEST(VornickWordPressBlockContent, HeadingCommandsActOnParagraphAndHeadingBlocksOnly)
{
    auto helper = blockHelper();
    auto document = page(u"<!-- wp:paragraph -->\n<p>para</p>\n<!-- /wp:paragraph -->\n"
                         u"<!-- wp:heading {\"level\":3} -->\n<h3 class=\"wp-block-heading\">head</h3>\n<!-- /wp:heading -->\n"
                         u"<!-- wp:list -->\n<ul><li>item</li></ul>\n<!-- /wp:list -->\n"
                         u"<!-- wp:quote -->\n<blockquote class=\"wp-block-quote\"><!-- wp:paragraph -->\n<p>quoted</p>\n"
                         u"<!-- /wp:paragraph --></blockquote>\n<!-- /wp:quote -->");
    PlainView view;
    auto caretIn = [&](const char16_t* tag, unsigned index) {
        auto text = document->getElementsByTagName(tag)->item(index)->firstChild()->shared_from_this();
        view.range = document->createRange();
        view.range->setStart(text, 1);
        view.range->collapse(true);
    };
    auto allowed = [&] {
        return std::pair(helper->canChangeHeadingLevelInContentEditingView(view), helper->canClearHeadingLevelInContentEditingView(view));
    };
    caretIn(u"p", 0);
    EXPECT_EQ(helper->blockTypeForHeadingOperationInWordPressPostView(view), u"wp:paragraph");
    EXPECT_EQ(allowed(), std::pair(true, false));
    caretIn(u"h3", 0);
    EXPECT_EQ(allowed(), std::pair(true, true));
    caretIn(u"li", 0);
    EXPECT_EQ(helper->blockTypeForHeadingOperationInWordPressPostView(view), u"wp:list");
    EXPECT_EQ(allowed(), std::pair(false, false));
    // The innermost block decides: a paragraph inside a quote.
    caretIn(u"p", 1);
    EXPECT_EQ(allowed(), std::pair(true, false));

    // A selection: only one that selects a block exactly (its comments may stay outside).
    view.range = vornick_outerRange(*document->getElementsByTagName(u"h3")->item(0));
    EXPECT_EQ(allowed(), std::pair(true, true));
    auto words = document->createRange();
    words->setStart(document->getElementsByTagName(u"p")->item(0)->firstChild()->shared_from_this(), 0);
    words->setEnd(document->getElementsByTagName(u"p")->item(0)->firstChild()->shared_from_this(), 2);
    view.range = words;
    EXPECT_FALSE(helper->blockTypeForHeadingOperationInWordPressPostView(view));
    EXPECT_EQ(allowed(), std::pair(false, false));

    // Outside block mode the plain rules apply, whatever the comments say.
    helper->setOperatingInBlockMode(false);
    caretIn(u"h3", 0);
    EXPECT_FALSE(helper->blockTypeForHeadingOperationInWordPressPostView(view));
    EXPECT_EQ(allowed(), std::pair(true, true));
}

TEST(VornickWordPressBlockContent, WhatWordPressWritesIsSound)
{
    auto helper = blockHelper();
    // Custom HTML of several nodes, a shortcode of text alone, classic markup
    // between blocks, a teaser break of two comments, and a block whose
    // content is blocks with no element around them.
    auto document = page(u"<!-- wp:html -->\n<div>map</div>\ntext <b>bold</b>\n<!-- note -->\n<p>more</p>\n<!-- /wp:html -->\n"
                         u"<!-- wp:shortcode -->\n[gallery ids=\"1,2\"]\n<!-- /wp:shortcode -->\n"
                         u"<p>classic</p>\n<h2>classic heading</h2>\n"
                         u"<!-- wp:more {\"noTeaser\":true} -->\n<!--more-->\n<!--noteaser-->\n<!-- /wp:more -->\n"
                         u"<!-- wp:post-template -->\n<!-- wp:post-title /-->\n<!-- wp:spacer {\"height\":200} -->\n<div class=\"wp-block-spacer\">"
                         u"</div>\n<!-- /wp:spacer -->\n<!-- /wp:post-template -->\n"
                         u"<!-- wp:html /-->");
    // Blocks of text alone and blocks of blocks are not handed over (there
    // is nothing of theirs to show or replace); the blocks inside are.
    auto found = enumerate(*helper, *document->body());
    EXPECT_EQ(codes(found), std::vector<std::optional<int64_t>>(5, sound));
    ASSERT_EQ(found.size(), 5u);
    EXPECT_EQ(found[0].element, u"div");
    EXPECT_TRUE(found[0].hasEnd);
    EXPECT_TRUE(found[1].hasStart && found[1].hasEnd);
    EXPECT_EQ(found[1].element, u"");
    EXPECT_TRUE(found[2].hasStart && !found[2].hasEnd);
    EXPECT_EQ(found[3].element, u"div");
    EXPECT_TRUE(found[4].hasStart && !found[4].hasEnd);
}

TEST(VornickWordPressBlockContent, DamagedPostsReportEachFault)
{
    auto helper = blockHelper();
    auto document = page(u"<!-- /wp:paragraph -->\n"                                            // 41
                         u"<!-- wp:paragraph --><!-- /wp:paragraph -->\n"                       // 44
                         u"<!-- wp:quote --><blockquote></blockquote><!-- /wp:list -->\n"      // 43
                         u"<!-- wp:list --><ul></ul><ol></ol><!-- /wp:list -->\n"              // 45, then 41
                         u"<!-- wp:more --><!--more--><p>x</p><!-- /wp:more -->\n"             // 45, then 41
                         u"<!-- wp:image {id:5} --><figure></figure><!-- /wp:image -->\n"      // 46
                         u"<!-- wp:group --><div></div>\n<!-- wp:paragraph --><p>a</p><!-- /wp:paragraph -->\n" // 42, sound
                         u"<!-- wp:heading --><h2>end</h2>");                                   // 42
    auto found = enumerate(*helper, *document->body());
    EXPECT_EQ(codes(found), (std::vector<std::optional<int64_t>> { 41, 44, 43, 45, 41, 45, 41, 46, 42, sound, 42 }));
    ASSERT_EQ(found.size(), 11u);
    EXPECT_EQ(found[0].message, u"Incomplete block: Encountered block end comment <!-- /wp:paragraph --> without preceding block start comment");
    EXPECT_EQ(found[2].message, u"Incomplete block: Encountered block end comment <!-- /wp:list --> that doesn't match preceding block start "
                                u"comment <!-- wp:quote -->");
    EXPECT_EQ(found[5].message, u"Element <p> in block that already has a block interior comment (<!--more-->)");
    EXPECT_EQ(found[7].message,
              u"Incomplete block: Encountered block end comment <!-- /wp:image --> and couldn't confirm match to block start comment");
    EXPECT_EQ(found[8].message, u"Incomplete block: Encountered new start comment <!-- wp:paragraph --> before closure of existing block "
                                u"<!-- wp:group -->");
    EXPECT_EQ(found[10].message, u"Unclosed block at end: <!-- wp:heading -->");

    // A block holding blocks that is never closed: its blocks stay sound.
    auto unclosed = page(u"<!-- wp:post-template --><!-- wp:post-title /--><!-- wp:post-date /-->");
    EXPECT_EQ(codes(enumerate(*helper, *unclosed->body())), (std::vector<std::optional<int64_t>> { 42, sound, sound }));
}

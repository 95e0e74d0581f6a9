#include "html/VornickScannedHTMLPart.h"
#include "html/VornickWordPressBlockDetector.h"
#include "html/VornickWordPressHTMLTreeRecognizer.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

// The nesting of the recognised parts as "name(children)" text.
class Outline : public VornickHTMLTreeRecognizerDelegate {
public:
    void htmlTreeRecognizerDidPushPart(VornickHTMLTreeRecognizer& recognizer, const std::shared_ptr<VornickScannedHTMLPart>& part) override
    {
        if (recognizer.partStack().size() == 1)
            roots.push_back(part);
    }
    static std::u16string text(const VornickScannedHTMLPart& part)
    {
        std::u16string out;
        if (auto* comment = dynamic_cast<const VornickScannedHTMLBlockStartComment*>(&part))
            out = comment->typeName();
        else if (auto* tag = dynamic_cast<const VornickScannedHTMLElementStartTag*>(&part))
            out = tag->tagName();
        if (!part.children().empty()) {
            out += u"(";
            for (size_t i = 0; i < part.children().size(); ++i)
                out += (i ? u" " : u"") + text(*part.children()[i]);
            out += u")";
        }
        return out;
    }
    std::u16string text() const
    {
        std::u16string out;
        for (size_t i = 0; i < roots.size(); ++i)
            out += (i ? u" " : u"") + text(*roots[i]);
        return out;
    }
    std::vector<std::shared_ptr<VornickScannedHTMLPart>> roots;
};

std::u16string outline(std::u16string_view html, size_t* openPartsAtEnd = nullptr)
{
    VornickWordPressHTMLTreeRecognizer recognizer;
    Outline outline;
    recognizer.setDelegate(&outline);
    (void)recognizer.parseHTMLString(html);
    if (openPartsAtEnd)
        *openPartsAtEnd = recognizer.partStack().size();
    return outline.text();
}

} // namespace

TEST(VornickWordPressHTMLTreeRecognizer, BlockCommentsEncloseTheirContent)
{
    EXPECT_EQ(outline(u"<!-- wp:group --><div><!-- wp:paragraph --><p>a</p><!-- /wp:paragraph --></div><!-- /wp:group -->"),
              u"wp:group(div(wp:paragraph(p)))");
    // Self-closing blocks are pushed and popped at once, so what follows is their sibling.
    EXPECT_EQ(outline(u"<!-- wp:columns --><!-- wp:spacer /--><!--wp:separator/--><!-- wp:quote --><blockquote></blockquote>"
                      u"<!-- /wp:quote --><!-- /wp:columns --><!-- wp:more /-->"),
              u"wp:columns(wp:spacer wp:separator wp:quote(blockquote)) wp:more");
    // Full names with hyphens and namespaces; a closer pops down to the block it names.
    size_t open = 99;
    EXPECT_EQ(outline(u"<!-- wp:media-text --><!-- wp:ns/x-y --><!-- wp:media --><!-- /wp:ns/x-y --><!-- wp:image /--><!-- /wp:media-text -->",
                      &open),
              u"wp:media-text(wp:ns/x-y(wp:media) wp:image)");
    EXPECT_EQ(open, 0u);
    // A closer without an open block of its type is ignored.
    EXPECT_EQ(outline(u"<!-- wp:quote --><!-- /wp:list --><p>a</p><!-- /wp:quote --><!-- /wp:quote --><hr>", &open),
              u"wp:quote(p) hr");
}

TEST(VornickWordPressBlockDetector, FindsOpeningBlockCommentsOnly)
{
    EXPECT_TRUE(VornickWordPressBlockDetector::htmlStringContainsWordPressBlocksInString(u"<p>a</p><!--wp:paragraph--><p>b</p>"));
    EXPECT_TRUE(VornickWordPressBlockDetector::htmlStringContainsWordPressBlocksInString(u"<!-- \n wp:spacer {\"height\":\"2px\"} /-->"));
    VornickWordPressBlockDetector detector;
    EXPECT_FALSE(detector.htmlStringContainsWordPressBlocks(u"<p><!-- note --><!-- /wp:paragraph --> wp:paragraph</p>"));
    EXPECT_TRUE(detector.htmlStringContainsWordPressBlocks(u"<!-- wp:heading --><h2>x</h2>"));
    EXPECT_FALSE(detector.htmlStringContainsWordPressBlocks(u""));
}

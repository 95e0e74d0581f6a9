#include "html/VornickHTMLTreeRecognizer.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

struct Listener : VornickHTMLTreeRecognizerDelegate {
    std::vector<std::string> events;
    std::vector<std::shared_ptr<VornickScannedHTMLPart>> pushed;
    void htmlTreeRecognizerDidPushPart(VornickHTMLTreeRecognizer&, const std::shared_ptr<VornickScannedHTMLPart>& part) override
    {
        pushed.push_back(part);
        events.push_back("push " + toUTF8(part->description()));
    }
    void htmlTreeRecognizerWillPopPart(VornickHTMLTreeRecognizer&, const std::shared_ptr<VornickScannedHTMLPart>& part) override
    {
        events.push_back("pop " + toUTF8(static_cast<VornickScannedHTMLElementStartTag&>(*part).tagName()));
    }
};

} // namespace

TEST(HTMLTreeRecognizer, RecordsStartTagsAndAssignments)
{
    VornickHTMLTreeRecognizer recognizer;
    Listener listener;
    recognizer.setDelegate(&listener);
    std::u16string html = u"<div disabled id=d><a title href=\"x\" data-x=y>t</a><img src=\"i.png\"></div></p>";
    EXPECT_TRUE(recognizer.parseHTMLString(html));
    EXPECT_EQ(listener.events, (std::vector<std::string> {
        "push <div disabled id=d>", "push <a title href=\"x\" data-x=y>", "pop a", "push <img src=\"i.png\">", "pop img", "pop div" }));

    auto& div = static_cast<VornickScannedHTMLElementStartTag&>(*listener.pushed[0]);
    EXPECT_EQ(div.range(), (VornickRange { 0, 19 }));
    ASSERT_EQ(div.children().size(), 2u);
    EXPECT_EQ(div.firstChildElementOfKind(u"IMG"), listener.pushed[2]);
    EXPECT_EQ(div.firstChildElementOfKind(u"span"), nullptr);

    auto& a = static_cast<VornickScannedHTMLElementStartTag&>(*listener.pushed[1]);
    ASSERT_EQ(a.attributeAssignments().size(), 3u);
    auto title = a.firstAssignmentOfAttribute(u"TITLE");
    ASSERT_TRUE(title);
    EXPECT_FALSE(title->attributeValue());
    EXPECT_EQ(title->range(), (VornickRange { 22, 5 }));
    auto href = a.firstAssignmentOfAttribute(u"href");
    EXPECT_EQ(*href->attributeValue(), u"\"x\"");
    EXPECT_EQ(href->attributeValueRange(), (VornickRange { 33, 3 }));
    EXPECT_EQ(href->range(), (VornickRange { 28, 8 }));
    EXPECT_EQ(*href->attributeValueWithoutQuotes(), u"x");
    EXPECT_EQ(html.substr(href->range().location, href->range().length), u"href=\"x\"");
    EXPECT_TRUE(recognizer.partStack().empty());
}

TEST(HTMLTreeRecognizer, StackQueries)
{
    struct Probe : VornickHTMLTreeRecognizerDelegate {
        size_t divIndex { 0 };
        void htmlTreeRecognizerDidPushPart(VornickHTMLTreeRecognizer& recognizer, const std::shared_ptr<VornickScannedHTMLPart>& part) override
        {
            if (static_cast<VornickScannedHTMLElementStartTag&>(*part).tagName() == u"b")
                divIndex = recognizer.partStackIndexOfEnclosingElementWithTagName(u"DIV");
        }
    } probe;
    VornickHTMLTreeRecognizer recognizer;
    recognizer.setDelegate(&probe);
    recognizer.parseHTMLString(u"<div><p><b>x</b></p></div><p>");
    EXPECT_EQ(probe.divIndex, 0u);
    EXPECT_EQ(recognizer.partStack().size(), 1u); // the last <p> is never closed
    EXPECT_EQ(recognizer.partStackIndexOfEnclosingElementWithTagName(u"div"), VornickNotFound);

    VornickScannedHTMLBlockStartComment block({ 10, 20 }, u"core/paragraph");
    EXPECT_EQ(block.innerRange(), (VornickRange { 14, 13 }));
    EXPECT_EQ(VornickScannedHTMLBlockStartComment({ 10, 7 }, u"x").innerRange().location, VornickNotFound);
    EXPECT_EQ(block.description(), u"<!-- core/paragraph {...} -->");
}

#include "platform/css/CSSStyleResolver.h"
#include "platform/css/DOMCSSComputedStyle.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace brevanton;

namespace {

std::shared_ptr<DOMDocument> parse(std::string_view html, const std::u16string& url = {})
{
    return DOMDocument::parseHTML(toUTF16(html), url);
}

std::string value(const std::shared_ptr<DOMDocument>& document, std::u16string_view id, std::u16string_view property)
{
    auto element = document->getElementById(id);
    EXPECT_TRUE(element) << toUTF8(id);
    if (!element)
        return {};
    return toUTF8(getComputedStyle(*element)->getPropertyValue(property));
}

class UserSheetReset : public ::testing::Test {
protected:
    void TearDown() override { CSSStyleResolver::setUserStyleSheet({}); }
};

} // namespace

TEST(CSSStyleResolver, CascadeOrdersBySpecificityThenSourceOrder)
{
    auto document = parse("<style>"
                          "#a { color: red } p.x { color: green } p { color: blue }"
                          "p.y { color: green } .y { color: red }"
                          "div p { color: olive } body > div > p { color: navy }"
                          "</style><div><p id=a class=x>a</p><p id=b class=y>b</p><p id=c>c</p></div>");
    EXPECT_EQ(value(document, u"a", u"color"), "rgb(255, 0, 0)");
    EXPECT_EQ(value(document, u"b", u"color"), "rgb(0, 128, 0)");
    EXPECT_EQ(value(document, u"c", u"color"), "rgb(0, 0, 128)");
}

TEST(CSSStyleResolver, ImportantAndInlineStyle)
{
    auto document = parse("<style>p { color: red !important; margin-top: 3px !important } #a { color: blue }"
                          "#b { color: blue }</style>"
                          "<p id=a style='color: green; margin-top: 5px'>a</p>"
                          "<p id=b style='color: green !important'>b</p><p id=c style='color: green'>c</p>");
    EXPECT_EQ(value(document, u"a", u"color"), "rgb(255, 0, 0)");
    EXPECT_EQ(value(document, u"a", u"margin-top"), "3px");
    EXPECT_EQ(value(document, u"b", u"color"), "rgb(0, 128, 0)");
    EXPECT_EQ(value(document, u"c", u"color"), "rgb(255, 0, 0)");
}

#include "platform/foundation/Text.h"
#include "platform/views/Pasteboard.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

TEST(WebViewPasteboardTest, URLsComeFromTheURLListOrFromTextThatIsOneURL)
{
    auto pasteboard = Pasteboard::pasteboardWithName(u"WebViewPasteboardTest");
    pasteboard->clearContents();
    EXPECT_FALSE(WebView::URLFromPasteboard(*pasteboard));
    EXPECT_FALSE(WebView::URLTitleFromPasteboard(*pasteboard));

    ASSERT_TRUE(pasteboard->writeObjects({ PasteboardItem::itemWithURL(*URL::create(u"https://example.com/a"), u" A page "),
                                           PasteboardItem::itemWithURL(*URL::create(u"https://example.com/b")) }));
    ASSERT_TRUE(pasteboard->setString(u"https://example.com/text", PasteboardTypeString));
    EXPECT_EQ(WebView::URLFromPasteboard(*pasteboard)->absoluteString(), u"https://example.com/a") << "the list comes first";
    EXPECT_EQ(WebView::URLTitleFromPasteboard(*pasteboard), u" A page ");

    struct Case {
        std::u16string text;
        std::optional<std::u16string> url;
    };
    for (auto& [text, url] : std::vector<Case> {
             { u"  https://example.com/text\n", u"https://example.com/text" },
             { u"mailto:someone@example.com", u"mailto:someone@example.com" },
             { u"see https://example.com/", std::nullopt },
             { u"https://example.com/ and more", std::nullopt },
             { u"relative/path.html", std::nullopt },
             { u"", std::nullopt },
         }) {
        pasteboard->clearContents();
        ASSERT_TRUE(pasteboard->setString(text, PasteboardTypeString));
        auto found = WebView::URLFromPasteboard(*pasteboard);
        EXPECT_EQ(found ? std::optional(found->absoluteString()) : std::nullopt, url) << toUTF8(text);
        EXPECT_FALSE(WebView::URLTitleFromPasteboard(*pasteboard));
    }
}

} // namespace

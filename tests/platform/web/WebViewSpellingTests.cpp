#include "tests/platform/web/WebPageTestSupport.h"

#include "platform/dom/DOMRange.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/WordListSpellChecker.h"

using namespace brevanton;

namespace {

class WebViewSpelling : public WebPageTest {
protected:
    void SetUp() override
    {
        WebPageTest::SetUp();
        SpellChecker::setSharedSpellChecker(std::make_shared<WordListSpellChecker>(
            std::vector<std::u16string> { u"Hello", u"again", u"world", u"bonjour" }));
        loadBody(u"<p id=p>Hello wrld again</p><p id=q lang=fr>bonjour wrld</p>");
        webView->setEditable(true);
    }
    void TearDown() override
    {
        UserDefaults::standard().removeObjectForKey(u"WebContinuousSpellCheckingEnabled");
        UserDefaults::standard().removeObjectForKey(u"WebAutomaticSpellingCorrectionEnabled");
        SpellChecker::setSharedSpellChecker(nullptr);
        WebPageTest::TearDown();
    }
    // The red dots drawn, as the stretch from the first to the last of each
    // run of them on one line.
    std::vector<Rect> marks()
    {
        std::vector<Rect> found;
        for (auto& command : ofKind(paint(), DrawCommand::Kind::FillRect)) {
            if (command.color.space() != Color::Space::SRGB || command.color.redComponent() < 0.8 || command.color.greenComponent() > 0.3)
                continue;
            if (!found.empty() && found.back().minY() == command.rect.minY() && command.rect.minX() - found.back().maxX() < 4)
                found.back() = found.back().unionWith(command.rect);
            else
                found.push_back(command.rect);
        }
        return found;
    }
    void placeCaret(const char16_t* id, unsigned offset)
    {
        auto caret = DOMRange::create(*webView->mainFrameDocument());
        caret->setStart(textOf(id).shared_from_this(), offset);
        caret->collapse(true);
        webView->setSelectedDOMRange(caret, WebSelectionAffinityDownstream);
    }
};

TEST_F(WebViewSpelling, MisspeltWordsOfAnEditablePageAreMarkedUnderTheirTextWhileCheckingIsOn)
{
    EXPECT_TRUE(marks().empty()) << "checking as you type starts off";
    WebView::setContinuousSpellCheckingEnabled(true);
    auto found = marks();
    ASSERT_EQ(found.size(), 1u) << "only the English paragraph has a dictionary";
    // "wrld" is the 7th to 10th character: 8px each, under the first line's baseline.
    Rect text = line(u"p");
    EXPECT_NEAR(found[0].minX(), 6 * 8, 1);
    EXPECT_NEAR(found[0].maxX(), 10 * 8, 2.5);
    EXPECT_GT(found[0].minY(), text.minY() + text.height() / 2);
    EXPECT_LE(found[0].maxY(), text.maxY() + 1);

    webView->setEditable(false);
    EXPECT_TRUE(marks().empty()) << "a page that is only read is not marked";
    webView->setEditable(true);
    WebView::setContinuousSpellCheckingEnabled(false);
    EXPECT_TRUE(marks().empty());
}

TEST_F(WebViewSpelling, TheWordTheCaretEndsIsBeingTypedAndMarkedOnceTheCaretLeavesIt)
{
    WebView::setContinuousSpellCheckingEnabled(true);
    placeCaret(u"p", 10);
    EXPECT_TRUE(marks().empty());
    placeCaret(u"p", 11);
    EXPECT_EQ(marks().size(), 1u);
    placeCaret(u"p", 8);
    EXPECT_EQ(marks().size(), 1u) << "a caret inside the word leaves its mark";
}

} // namespace

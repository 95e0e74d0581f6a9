// A block post edited in its theme keeps its stored text wherever the edit
// did not reach: typing in one paragraph, an inspector change of one block
// or a new paragraph changes only that part of what is written back, and a
// block made or rebuilt is laid out as the block editor lays it out.
#include "tests/publishing/BlockInspectorTestSupport.h"

#include "app/VornickWindow.h"
#include "blog/VornickBlog.h"
#include "editing/VornickEmbeddedWebView.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMRange.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/SegmentedControl.h"
#include "platform/web/WebFrame.h"
#include "publishing/VornickWordPressBlockAlignmentInspectorModule.h"

namespace brevanton {
namespace {

// Sets the blog post formatting when a template has loaded, as the post window does.
class BlogFormattingDelegate : public RecordingPostViewDelegate {
public:
    void vornickContentEditingViewEndLoading(VornickContentEditingView& view, VornickContentLoadingState state,
                                             const VornickResourceLoadAttempts& attempts) override
    {
        if (auto frame = view.mainFrame())
            vornick_setHTMLFormattingPreferences(*frame, VornickBlog::blogPostHTMLFormattingPreferences());
        RecordingPostViewDelegate::vornickContentEditingViewEndLoading(view, state, attempts);
    }
};

std::u16string trimmed(const std::u16string& text)
{
    auto blank = [](char16_t c) { return c == u' ' || c == u'\n' || c == u'\t' || c == u'\r'; };
    size_t start = 0;
    size_t end = text.size();
    while (start < end && blank(text[start]))
        ++start;
    while (end > start && blank(text[end - 1]))
        --end;
    return text.substr(start, end - start);
}

// The text with its one occurrence of `from` replaced by `to`.
std::u16string replacedOnce(const std::u16string& text, const std::u16string& from, const std::u16string& to)
{
    auto at = text.find(from);
    EXPECT_NE(at, std::u16string::npos) << toUTF8(from);
    EXPECT_EQ(text.find(from, at + 1), std::u16string::npos) << toUTF8(from);
    if (at == std::u16string::npos)
        return text;
    return text.substr(0, at) + to + text.substr(at + from.size());
}

// Where two texts part, with some context, for a failure's message.
std::string firstDifference(const std::u16string& expected, const std::u16string& actual)
{
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    size_t from = at > 60 ? at - 60 : 0;
    return "at " + std::to_string(at) + "\nexpected: …" + toUTF8(expected.substr(from, 120)) + "…\nwritten:  …"
        + toUTF8(actual.substr(from, 120)) + "…";
}

} // namespace

class VornickBlogPostViewBlockLayoutTests : public BlockInspectorTest {
protected:
    BlogFormattingDelegate blogDelegate;
    std::shared_ptr<VornickWindow> window;
    EventSynthesizer events;

    void SetUp() override
    {
        BlockInspectorTest::SetUp();
        blogDelegate.templatesFolder = delegate.templatesFolder;
    }
    void TearDown() override
    {
        if (view)
            view->removeFromSuperview();
        window.reset();
        BlockInspectorTest::TearDown();
    }

    // The post of tests/data/wordpress/ in a view formatting as the post window does, in a key window.
    void openDataPost(const std::string& name)
    {
        view = makeView();
        view->setDelegate(&blogDelegate);
        showDataPost(name);
        window = VornickWindow::create(Rect(0, 0, 1024, 768));
        view->setFrame(Rect(0, 0, 1024, 768));
        window->contentView()->addSubview(view);
        window->makeKeyAndOrderFront();
        ASSERT_TRUE(window->makeFirstResponder(view->embeddedWebView()));
        drain();
    }
    static void drain()
    {
        for (int turns = 0; turns < 100 && RunLoop::main().runOnce(0); ++turns) {
        }
    }
    // The text node of the body whose text ends with `end`.
    std::shared_ptr<DOMNode> textNodeEndingWith(const std::u16string& end) const
    {
        auto root = pointElement(u"body");
        for (DOMNode* node = root->first(); node; node = node->traverseNext(root.get())) {
            if (node->isTextNode() && downcast<DOMCharacterData>(*node).data().ends_with(end))
                return node->shared_from_this();
        }
        ADD_FAILURE() << "no text ending with " << toUTF8(end);
        return nullptr;
    }
    // Puts the caret at the end of that text and types there.
    void typeAtEndOf(const std::u16string& end, const std::u16string& typed)
    {
        auto text = textNodeEndingWith(end);
        ASSERT_TRUE(text);
        auto range = view->mainFrame()->domDocument()->createRange();
        auto length = downcast<DOMCharacterData>(*text).length();
        range->setStart(text, length);
        range->setEnd(text, length);
        view->setTargetRange(range);
        events.typeText(window, typed);
        drain();
    }
    void expectWritten(const std::u16string& expected)
    {
        auto written = writtenBody();
        EXPECT_EQ(written, expected) << firstDifference(expected, written);
    }
};

TEST_F(VornickBlogPostViewBlockLayoutTests, TypingChangesOnlyTheParagraphTypedIn)
{
    for (auto [post, paragraphEnd] : std::initializer_list<std::pair<const char*, const char16_t*>> {
             { "recipe-notes.html", u"overnight in the fridge." },
             { "travel-article.html", u"the Viva Viagem card works too." },
             // In a column of a columns block.
             { "travel-article.html", u"Evening: the lift up to Almada for the view." },
             { "photo-essay.html", u"More soon." } }) {
        SCOPED_TRACE(toUTF8(paragraphEnd));
        openDataPost(post);
        typeAtEndOf(paragraphEnd, u"!");
        std::u16string end = paragraphEnd;
        expectWritten(replacedOnce(trimmed(storedBody), end + u"</p>", end + u"!</p>"));
        TearDown();
        SetUp();
    }
}

} // namespace brevanton

namespace brevanton {

TEST_F(VornickBlogPostViewBlockLayoutTests, AnInspectorChangeRewritesOnlyTheBlocksCommentAndClass)
{
    openDataPost("travel-article.html");
    inspect(elementWithText(u"p", u"The ferry runs"));
    auto control = module<VornickWordPressBlockTextAlignmentInspectorModule>()->alignmentSegmentedControl();
    for (long segment = 0; segment < control->segmentCount(); ++segment) {
        if (control->labelForSegment(segment) == u"Center")
            control->setSelectedSegment(segment);
    }
    ASSERT_TRUE(control->sendAction());
    endEvent();
    // The block was replaced whole: its new parts are laid out as the stored ones were.
    auto expected = replacedOnce(trimmed(storedBody), u"<!-- wp:paragraph -->\n<p>The ferry runs",
                                 u"<!-- wp:paragraph {\"align\":\"center\"} -->\n<p class=\"has-text-align-center\">The ferry runs");
    expectWritten(expected);
    // Undone, the post is its stored text again.
    undo().undo();
    drain();
    expectWritten(trimmed(storedBody));
}

TEST_F(VornickBlogPostViewBlockLayoutTests, ANewParagraphIsLaidOutAsTheBlockEditorWritesIt)
{
    openDataPost("travel-article.html");
    typeAtEndOf(u"the Viva Viagem card works too.", u"\rNext stop");
    std::u16string paragraph = u"the Viva Viagem card works too.</p>\n<!-- /wp:paragraph -->";
    expectWritten(replacedOnce(trimmed(storedBody), paragraph,
                               paragraph + u"\n\n<!-- wp:paragraph -->\n<p>Next stop</p>\n<!-- /wp:paragraph -->"));
}

// Whatever the formatting preferences, blocks are laid out as stored: no
// indentation, no blank lines around headings, comments where they were.
TEST_F(VornickBlogPostViewBlockLayoutTests, TheFormattingPreferencesLeaveTheBlockLayoutAlone)
{
    const std::u16string post
        = u"<!-- wp:heading -->\n<h2 class=\"wp-block-heading\">Steps</h2>\n<!-- /wp:heading -->\n\n"
          u"<!-- wp:list -->\n<ul class=\"wp-block-list\"><!-- wp:list-item -->\n<li>One</li>\n<!-- /wp:list-item -->\n\n"
          u"<!-- wp:list-item -->\n<li>Two</li>\n<!-- /wp:list-item --></ul>\n<!-- /wp:list -->\n\n\n"
          u"<!-- wp:group -->\n<div class=\"wp-block-group\"><!-- wp:paragraph -->\n  <p>Indented by hand.</p>\n<!-- /wp:paragraph --></div>\n"
          u"<!-- /wp:group -->\n<!-- wp:separator -->\n<hr class=\"wp-block-separator\"/>\n<!-- /wp:separator -->\n\n"
          u"<!-- wp:paragraph -->\n<p>Last words.</p>\n<!-- /wp:paragraph -->";
    // The user's defaults: indentation by tabs, comments and headings on lines of their own.
    writeTemplate("post-standard.html", twentyTwentyThreePostTemplate());
    storedBody = post;
    this->post = makePost(u"Layout", post);
    show(this->post);
    window = VornickWindow::create(Rect(0, 0, 1024, 768));
    window->contentView()->addSubview(view);
    window->makeKeyAndOrderFront();
    ASSERT_TRUE(window->makeFirstResponder(view->embeddedWebView()));
    typeAtEndOf(u"Two", u"!");
    typeAtEndOf(u"Last words.", u"!");
    auto expected = replacedOnce(replacedOnce(post, u"<li>Two</li>", u"<li>Two!</li>"), u"Last words.", u"Last words.!");
    // Only the empty element's slash follows the preferences.
    expectWritten(replacedOnce(expected, u"<hr class=\"wp-block-separator\"/>", u"<hr class=\"wp-block-separator\" />"));
}

} // namespace brevanton

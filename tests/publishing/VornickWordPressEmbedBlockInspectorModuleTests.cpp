// The embed block's module: a new URL replaces the block as one "Edit Embed
// URL" step that WordPress reads back with only that block's attributes
// changed; the oEmbed answer shows in the wrapper but is never written (the
// post keeps the URL there); failures show Try Again, which tries again;
// Return on an unchanged URL closes the popover.
#include "tests/publishing/BlockInspectorTestSupport.h"
#include "tests/views/HelpPagesOpened.h"

#include "dom/VornickElementExtensions.h"
#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/Sound.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"
#include "publishing/VornickWordPressEmbedBlockInspectorModule.h"

namespace brevanton {
namespace {

using Module = VornickWordPressEmbedBlockInspectorModule;

constexpr const char16_t* storedURL = u"https://www.youtube.com/watch?v=dQw4w9WgXcQ";
// Its query holds "--", "/", "&" and "%", which the comment JSON escapes as WordPress does.
constexpr const char16_t* newURL = u"https://www.youtube.com/watch?v=9bZkp7q19f0&list=a--b/c%C3%A9";

class VornickWordPressEmbedBlockInspectorModuleTests : public BlockInspectorTest {
protected:
    struct Request {
        URL url;
        uint64_t maxWidth;
        uint64_t maxHeight;
        std::function<void(std::optional<Dictionary>)> handler;
    };
    std::vector<Request> requests;

    void showEmbedPost()
    {
        showDataPost("travel-article.html");
        view->setOEmbedRequester([this](const URL& url, uint64_t width, uint64_t height, std::function<void(std::optional<Dictionary>)> handler) {
            requests.push_back({ url, width, height, std::move(handler) });
        });
        inspect(embedFigure());
        ASSERT_TRUE(embedModule());
    }
    // The post's one embed (its wrapper shows a stand-in, not the URL).
    std::shared_ptr<DOMElement> embedFigure() const
    {
        auto figures = pointElement(u"body")->getElementsByTagName(u"figure");
        for (unsigned index = 0; index < figures->length(); ++index) {
            if (vornick_hasClass(*figures->item(index), u"wp-block-embed"))
                return figures->item(index);
        }
        return nullptr;
    }
    std::shared_ptr<Module> embedModule() const { return module<Module>(); }
    void enter(const std::u16string& url)
    {
        embedModule()->urlTextField()->setStringValue(url);
        ASSERT_TRUE(embedModule()->urlTextField()->sendAction());
        endEvent();
    }
    void answer(std::optional<Dictionary> instructions)
    {
        ASSERT_FALSE(requests.empty());
        auto request = std::move(requests.back());
        requests.pop_back();
        request.handler(std::move(instructions));
        endEvent();
    }
    std::shared_ptr<DOMElement> wrapperOf(const std::shared_ptr<DOMElement>& figure) const
    {
        auto divs = figure->getElementsByTagName(u"div");
        for (unsigned index = 0; index < divs->length(); ++index) {
            if (vornick_hasClass(*divs->item(index), u"wp-block-embed__wrapper"))
                return divs->item(index);
        }
        return nullptr;
    }
    bool showsError() { return !embedModule()->tryAgainButton()->isHidden() && !embedModule()->errorTextField()->isHidden(); }
};

} // namespace

TEST_F(VornickWordPressEmbedBlockInspectorModuleTests, ANewURLIsOneStepAndThePostKeepsTheURLNotTheAnswer)
{
    showEmbedPost();
    auto stored = writtenBody();
    auto storedHTML = pointElement(u"body")->innerHTML();
    auto treeBefore = serverTree(stored);
    ASSERT_TRUE(treeBefore && treeBefore->isArray());
    EXPECT_EQ(embedModule()->urlTextField()->stringValue(), storedURL);
    EXPECT_FALSE(embedModule()->embedFailed());
    EXPECT_TRUE(embedModule()->tryAgainButton()->isHidden());
    EXPECT_TRUE(embedModule()->convertToLinkButton()->isHidden());
    auto steps = undo().undoPosition();

    // Embed without a change does nothing, and the popover stays.
    ASSERT_TRUE(embedModule()->embedButton()->performClick());
    endEvent();
    EXPECT_EQ(undo().undoPosition(), steps);
    EXPECT_TRUE(requests.empty());

    enter(newURL);
    EXPECT_NE(undo().undoPosition(), steps);
    steps = undo().undoPosition();
    EXPECT_EQ(undo().undoActionName(), Module::editEmbedURLActionName);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].url.absoluteString(), newURL);
    // The block's box bounds the answer; this one is wide enough to say so.
    EXPECT_GT(requests[0].maxWidth, 100u);
    auto figure = embedFigure();
    ASSERT_TRUE(figure);
    EXPECT_EQ(targetElement(), figure);

    // The answer shows without its script and is no edit.
    answer(Dictionary { { u"html", Value(u"<p class=\"shown\">Gangnam Style</p><script>alert(1)</script>") } });
    EXPECT_EQ(undo().undoPosition(), steps);
    auto wrapper = wrapperOf(figure);
    ASSERT_TRUE(wrapper);
    EXPECT_EQ(wrapper->textContent(), u"Gangnam Style");
    EXPECT_EQ(figure->getElementsByTagName(u"script")->length(), 0u);
    // A success closes the popover.
    EXPECT_FALSE(editor()->popover()->isShown());

    auto body = writtenBody();
    EXPECT_EQ(body.find(u"Gangnam"), std::u16string::npos);
    auto treeAfter = serverTree(body);
    ASSERT_TRUE(treeAfter && treeAfter->isArray());
    // Only the embed's attributes changed, to the new URL's.
    auto before = treeBefore->array();
    auto after = treeAfter->array();
    ASSERT_EQ(before.size(), after.size());
    for (size_t index = 0; index < before.size(); ++index) {
        auto& name = before[index].dictionary().at(u"name");
        EXPECT_EQ(name, after[index].dictionary().at(u"name"));
        if (name.stringValue() != u"core/embed") {
            EXPECT_EQ(before[index], after[index]);
            continue;
        }
        auto attributes = after[index].dictionary().at(u"attrs").dictionary();
        EXPECT_EQ(attributes.at(u"url"), Value(newURL));
        EXPECT_EQ(attributes.at(u"providerNameSlug"), Value(u"youtube"));
    }
    auto json = writtenCommentJSON(body, u"wp:embed ");
    EXPECT_EQ(testing::runWordPressOracleText("attributes", json).value_or(""), json);
    auto written = body.substr(body.find(u"<!-- wp:embed "));
    EXPECT_NE(written.find(u"<div class=\"wp-block-embed__wrapper\">\nhttps://www.youtube.com/watch?v=9bZkp7q19f0&amp;list=a--b/c%C3%A9\n</div>"),
              std::u16string::npos)
        << toUTF8(written);

    // Undo restores the post and reopens the editor on the old block; Redo repeats.
    undo().undo();
    endEvent();
    EXPECT_EQ(pointElement(u"body")->innerHTML(), storedHTML);
    EXPECT_EQ(serverTree(writtenBody()), treeBefore);
    EXPECT_TRUE(editor()->popover()->isShown());
    EXPECT_EQ(targetElement(), embedFigure());
    undo().redo();
    endEvent();
    EXPECT_EQ(writtenBody(), body);
}

TEST_F(VornickWordPressEmbedBlockInspectorModuleTests, FailuresShowTryAgainWhichTriesAgain)
{
    showEmbedPost();
    auto steps = undo().undoPosition();
    Sound::clearPlayedSounds();

    // An address no provider embeds: a beep, the error, no step.
    enter(u"https://unknown.example/page");
    EXPECT_TRUE(embedModule()->embedFailed());
    EXPECT_TRUE(showsError());
    EXPECT_EQ(Sound::playedSoundNames(), std::vector<std::u16string> { Sound::BeepName });
    EXPECT_EQ(undo().undoPosition(), steps);
    // The help line beside it opens the help's page on embeds.
    auto help = embedModule()->helpLinkTextField();
    ASSERT_FALSE(help->isHidden());
    {
        brevanton::testing::HelpPagesOpened opened;
        EventSynthesizer().click(editor()->popover()->window(), help->convertPointToView(Point { 4, 4 }, nullptr));
        EXPECT_EQ(opened.paths(), opened.onlyPageOf(u"embed-blocks"));
    }
    // Not an address at all: ignored.
    enter(u"not a url");
    EXPECT_EQ(undo().undoPosition(), steps);

    // The agent answers without HTML: the new block stays, the error shows beside it.
    enter(newURL);
    EXPECT_NE(undo().undoPosition(), steps);
    steps = undo().undoPosition();
    answer(std::nullopt);
    EXPECT_TRUE(embedModule()->embedFailed());
    EXPECT_TRUE(showsError());
    EXPECT_TRUE(editor()->popover()->isShown());
    EXPECT_EQ(targetElement(), embedFigure());
    EXPECT_EQ(undo().undoPosition(), steps);

    // Try Again with the same URL asks again.
    ASSERT_TRUE(embedModule()->tryAgainButton()->performClick());
    endEvent();
    EXPECT_NE(undo().undoPosition(), steps);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(embedModule()->embedFailed());
    answer(Dictionary { { u"type", Value(u"video") } });
    EXPECT_TRUE(showsError());

    // An answer arriving after its block was undone changes nothing.
    enter(storedURL);
    ASSERT_EQ(requests.size(), 1u);
    undo().undo();
    endEvent();
    EXPECT_FALSE(embedModule()->embedFailed());
    answer(std::nullopt);
    EXPECT_FALSE(embedModule()->embedFailed());
    EXPECT_FALSE(showsError());
}

TEST_F(VornickWordPressEmbedBlockInspectorModuleTests, ReturnOnTheUnchangedURLClosesThePopover)
{
    showEmbedPost();
    auto window = editor()->popover()->window();
    ASSERT_TRUE(window);
    auto field = embedModule()->urlTextField();
    ASSERT_TRUE(window->makeFirstResponder(field));
    auto steps = undo().undoPosition();
    EventSynthesizer events;
    events.pressKey(window, u'\r');
    endEvent();
    EXPECT_FALSE(editor()->popover()->isShown());
    EXPECT_EQ(undo().undoPosition(), steps);
    EXPECT_TRUE(requests.empty());
}

} // namespace brevanton

#include "EditingTestSupport.h"

#include "editing/VornickAttachmentPoint.h"
#include "dom/VornickElementExtensions.h"
#include "platform/dom/DOMNodeArena.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/UndoManager.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

// A post template: the fields' places carry the theme's classes.
constexpr const char* templatePage
    = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>T</title></head><body>"
      "<header><h1 class=site-title>Site</h1></header>"
      "<main><h2 class=\"entry-title wp-block-post-title\">Sample title</h2>"
      "<div class=\"wp-block-post-content\"><p>Sample body</p></div>"
      "<footer><span class=cats><a rel=\"category tag\">News</a>, <a rel=\"category tag\">Misc</a></span>"
      "<div class=tags><a rel=tag>one</a> <a rel=tag>two</a></div></footer></main></body></html>\n";

class InjectionRecorder : public EditingRecorder {
public:
    std::vector<VornickAttachmentPoint*> injected;
    std::vector<std::shared_ptr<VornickAttachmentPointLocator>> defaults;

    void vornickContentEditingViewDidChangeContent(VornickContentEditingView& changed, WebFrame* frame, VornickAttachmentPoint* point) override
    {
        EditingRecorder::vornickContentEditingViewDidChangeContent(changed, frame, point);
        injected.push_back(point);
    }
    std::optional<std::vector<std::shared_ptr<VornickAttachmentPointLocator>>>
    vornickContentEditingViewDefaultAttachmentPointLocatorsForIdentifier(VornickContentEditingView&, const std::u16string& identifier) override
    {
        std::vector<std::shared_ptr<VornickAttachmentPointLocator>> answer;
        for (const auto& locator : defaults) {
            if (locator->identifier() == identifier)
                answer.push_back(locator);
        }
        return answer;
    }
};

class AttachmentPointContent : public EditingViewTest {
protected:
    void SetUp() override
    {
        EditingViewTest::SetUp();
        view->setDelegate(&injections);
        for (auto [identifier, selector] : std::initializer_list<std::pair<const char16_t*, const char16_t*>> {
                 { u"title", u".wp-block-post-title" }, { u"title", u".entry-title" }, { u"body", u".wp-block-post-content" },
                 { u"tags", u".taxonomy-post_tag" }, { u"tags", u"[rel:{tag,!category}]" }, { u"categories", u"[rel:{tag,category}]" } })
            injections.defaults.push_back(std::make_shared<VornickAttachmentPointLocator>(identifier, selector));
        ASSERT_TRUE(writeFileAtomically(path("template.html"), templatePage));
        ASSERT_TRUE(createDirectory(path("blog")));
        ASSERT_TRUE(createDirectory(path("blog/posts")));
        load("template.html");
    }
    void TearDown() override
    {
        view->setDelegate(nullptr);
        EditingViewTest::TearDown();
    }
    URL folderURL(const std::string& name) const { return URL::fileURLWithPath(path(name), true); }
    std::shared_ptr<DOMElement> byClass(const std::u16string& name) const
    {
        return VornickAttachmentPointLocator(u"", u"." + name).locateElementInDocument(*document());
    }

    InjectionRecorder injections;
};

TEST_F(AttachmentPointContent, InjectionReplacesTheContentAsAnInjectionNotAnEdit)
{
    auto body = view->attachToPoint(u"body", VornickAttachmentType::SingleElement);
    ASSERT_TRUE(body);
    EXPECT_EQ(body->contentEditingView(), view);
    EXPECT_TRUE(body->allowsDrops());
    injections.injected.clear();

    ASSERT_TRUE(body->injectHTMLContentString(u"<p>First</p><p>Second <em>post</em></p>", std::nullopt));
    auto element = byClass(u"wp-block-post-content");
    EXPECT_EQ(toUTF8(element->innerHTML()), "<p>First</p><p>Second <em>post</em></p>");
    ASSERT_EQ(injections.injected.size(), 1u);
    EXPECT_EQ(injections.injected.front(), body.get());
    ASSERT_TRUE(view->undoManager());
    EXPECT_FALSE(view->undoManager()->canUndo());

    // Once the element is gone for good, nothing is injected.
    element->parentNode()->removeChild(element);
    EXPECT_FALSE(body->injectHTMLContentString(u"<p>lost</p>", std::nullopt));
    EXPECT_EQ(injections.injected.size(), 1u);
}

TEST_F(AttachmentPointContent, AStoredLocatorIsTheOnlyCandidateForItsPoint)
{
    // The defaults find the title by the first candidate that locates.
    auto title = view->attachToPoint(u"title", VornickAttachmentType::SingleElement);
    ASSERT_TRUE(title);
    EXPECT_EQ(title->locator()->selector(), u".wp-block-post-title");
    view->clearAttachmentPointsInWebFrame();
    EXPECT_FALSE(view->hasAttachmentPoints());

    // A stored set's locator never falls back to the defaults, even failing.
    view->setAttachmentPointLocatorSet(std::make_shared<VornickAttachmentPointLocatorSet>(
        std::map<std::u16string, std::shared_ptr<VornickAttachmentPointLocator>> {
            { u"title", std::make_shared<VornickAttachmentPointLocator>(u"title", u".no-such-class") } }));
    EXPECT_EQ(view->effectiveLocatorsForAttachmentPointIdentifier(u"title").size(), 1u);
    EXPECT_FALSE(view->attachToPoint(u"title", VornickAttachmentType::SingleElement));
    // Other identifiers still take the defaults.
    EXPECT_EQ(view->effectiveLocatorsForAttachmentPointIdentifier(u"tags").size(), 2u);
    EXPECT_TRUE(view->attachToPoint(u"body", VornickAttachmentType::SingleElement));
}

TEST_F(AttachmentPointContent, RunsAreMarkedOnTheirParentAndFoundAgain)
{
    auto tags = view->attachToPoint(u"tags", VornickAttachmentType::SiblingRun);
    ASSERT_TRUE(tags);
    EXPECT_EQ(tags->type(), VornickAttachmentType::SiblingRun);
    EXPECT_FALSE(tags->allowsDrops());
    EXPECT_EQ(tags->findElement(), byClass(u"tags"));
    auto run = tags->findRange();
    ASSERT_TRUE(run);
    EXPECT_EQ(toUTF8(run->toString()), "one two");

    auto categories = view->attachToPoint(u"categories", VornickAttachmentType::SiblingRun);
    ASSERT_TRUE(categories);
    EXPECT_EQ(toUTF8(categories->findRange()->toString()), "News, Misc");
    EXPECT_TRUE(vornick_hasClass(*byClass(u"cats"), categories->markClassName()));
    EXPECT_NE(categories->tag(), tags->tag());

    // Injected terms replace the whole holder's content.
    ASSERT_TRUE(categories->injectHTMLContentString(u"<a rel=\"category tag\" href=\"/c/x/\">X</a>", std::nullopt));
    EXPECT_EQ(toUTF8(categories->findRange()->toString()), "X");
    EXPECT_FALSE(VornickAttachmentPointLocator(u"x", u".x").locateSiblingRunInDocument(*document()));
    auto single = view->attachToPoint(u"body", VornickAttachmentType::SingleElement);
    ASSERT_TRUE(single);
    EXPECT_FALSE(single->findRange());

    auto text = toUTF8(tags->description());
    EXPECT_EQ(text.rfind("VornickAttachmentPoint(0x", 0), 0u) << text;
    EXPECT_NE(text.find(") locator=VornickAttachmentPointLocator("), std::string::npos) << text;
    EXPECT_NE(text.find("{tags,[rel:{tag,!category}]}"), std::string::npos) << text;
}

TEST_F(AttachmentPointContent, WithOnlyABaseEverySchemelessReferenceResolvesAgainstIt)
{
    auto body = view->attachToPoint(u"body", VornickAttachmentType::SingleElement);
    ASSERT_TRUE(body);
    ASSERT_TRUE(body->injectHTMLContentString(u"<p><img id=rel src=\"images/../pics/./a.png\"><img id=data src=\"data:image/png;base64,AA==\">"
                                              u"<a id=web href=\"https://example.com/x\">x</a><a id=empty href=\"\">e</a>"
                                              u"<a id=bad href=\"a b%zz\">b</a></p>",
                                              folderURL("blog/posts")));
    EXPECT_EQ(document()->getElementById(u"rel")->getAttribute(u"src"), folderURL("blog/posts").absoluteString() + u"pics/a.png");
    EXPECT_EQ(document()->getElementById(u"data")->getAttribute(u"src"), u"data:image/png;base64,AA==");
    EXPECT_EQ(document()->getElementById(u"web")->getAttribute(u"href"), u"https://example.com/x");
    EXPECT_EQ(document()->getElementById(u"empty")->getAttribute(u"href"), u"");
    EXPECT_EQ(document()->getElementById(u"bad")->getAttribute(u"href"), u"a b%zz");
}

TEST_F(AttachmentPointContent, ReferencesResolveAgainstThePostOnlyInsideTheBlogFolder)
{
    auto body = view->attachToPoint(u"body", VornickAttachmentType::SingleElement);
    ASSERT_TRUE(body);
    const std::u16string html = u"<p><img id=inside src=\"../media/a.png\"><img id=escaping src=\"../../elsewhere.png\">"
                                u"<a id=root href=\"/about/\">a</a><img id=network src=\"//cdn.example/x.png\">"
                                u"<a id=mail href=\"mailto:me@example.com\">m</a><a id=web href=\"http://other.example/p\">w</a></p>";
    auto post = URL::fileURLWithPath(path("blog/posts/hello.brevantonwordpresspost"), false);
    auto permalink = URL::create(std::string_view("https://blog.example/2024/05/hello/"));
    ASSERT_TRUE(permalink);
    auto attribute = [this](const char16_t* id) {
        auto element = document()->getElementById(id);
        return element->hasAttribute(u"src") ? element->getAttribute(u"src") : element->getAttribute(u"href");
    };

    ASSERT_TRUE(body->injectHTMLContentString(html, post, folderURL("blog"), permalink));
    EXPECT_EQ(attribute(u"inside"), folderURL("blog").absoluteString() + u"media/a.png");
    EXPECT_EQ(attribute(u"escaping"), u"https://blog.example/2024/elsewhere.png");
    EXPECT_EQ(attribute(u"root"), u"https://blog.example/about/");
    EXPECT_EQ(attribute(u"network"), u"https://cdn.example/x.png");
    EXPECT_EQ(attribute(u"mail"), u"mailto:me@example.com");
    EXPECT_EQ(attribute(u"web"), u"http://other.example/p");

    // Without a permalink or blog address what leaves the folder stays as written.
    ASSERT_TRUE(body->injectHTMLContentString(html, post, folderURL("blog"), std::nullopt));
    EXPECT_EQ(attribute(u"inside"), folderURL("blog").absoluteString() + u"media/a.png");
    EXPECT_EQ(attribute(u"escaping"), u"../../elsewhere.png");
    EXPECT_EQ(attribute(u"root"), u"/about/");
    EXPECT_EQ(attribute(u"network"), u"//cdn.example/x.png");

    // A folder whose name begins like the blog's is not inside it.
    ASSERT_TRUE(createDirectory(path("blog-other")));
    ASSERT_TRUE(body->injectHTMLContentString(u"<img id=sibling src=\"../../blog-other/x.png\">", post, folderURL("blog"), permalink));
    EXPECT_EQ(attribute(u"sibling"), u"https://blog.example/2024/blog-other/x.png");
    // Without a folder nothing resolves against the post file.
    ASSERT_TRUE(body->injectHTMLContentString(html, post, std::nullopt, permalink));
    EXPECT_EQ(attribute(u"inside"), u"https://blog.example/2024/05/media/a.png");
}

TEST_F(AttachmentPointContent, ExtractionWritesTheChildrenWithBlockCommentsAndRelativeFileReferences)
{
    auto body = view->attachToPoint(u"body", VornickAttachmentType::SingleElement);
    auto title = view->attachToPoint(u"title", VornickAttachmentType::SingleElement);
    ASSERT_TRUE(body && title);
    auto post = URL::fileURLWithPath(path("blog/posts/hello.brevantonwordpresspost"), false);
    ASSERT_TRUE(body->injectHTMLContentString(u"<!-- wp:paragraph -->\n<p>Hello <img src=\"../media/a.png\" alt=\"\"></p>\n<!-- /wp:paragraph -->\n"
                                              u"<!-- wp:image {\"id\":3} -->\n<figure class=\"wp-block-image\"><img src=\"https://blog.example/b.png\" "
                                              u"class=\"wp-image-3\"></figure>\n<!-- /wp:image -->",
                                              post, folderURL("blog"), std::nullopt));
    ASSERT_TRUE(title->injectHTMLContentString(u"A &amp; B", std::nullopt));

    auto extracted = body->extractCompactHTMLContentStringWithReferencesUnder(folderURL("blog"), post);
    ASSERT_TRUE(extracted);
    auto text = toUTF8(*extracted);
    EXPECT_NE(text.find("<!-- wp:paragraph -->"), std::string::npos) << text;
    EXPECT_NE(text.find("<!-- /wp:paragraph -->"), std::string::npos) << text;
    EXPECT_NE(text.find("<!-- wp:image {\"id\":3} -->"), std::string::npos) << text;
    EXPECT_NE(text.find("src=\"../media/a.png\""), std::string::npos) << text;
    EXPECT_NE(text.find("src=\"https://blog.example/b.png\""), std::string::npos) << text;
    EXPECT_EQ(text.find("file:"), std::string::npos) << text;
    EXPECT_EQ(text.find("brevanton-"), std::string::npos) << text;
    EXPECT_EQ(text.find("wp-block-post-content"), std::string::npos) << text;
    EXPECT_EQ(toUTF8(title->extractCompactHTMLContentStringWithReferencesUnder(folderURL("blog"), post).value_or(u"")).rfind("A &amp; B", 0), 0u);

    // Extracted and injected again, the content is the same.
    ASSERT_TRUE(body->injectHTMLContentString(*extracted, post, folderURL("blog"), std::nullopt));
    EXPECT_EQ(body->extractCompactHTMLContentStringWithReferencesUnder(folderURL("blog"), post), extracted);

    auto element = byClass(u"wp-block-post-content");
    element->parentNode()->removeChild(element);
    EXPECT_FALSE(body->extractCompactHTMLContentStringWithReferencesUnder(folderURL("blog"), post));
}

// A post's long body is made in node slabs as a page of its size is: they
// go back when the body is replaced, and a short field takes none.
TEST_F(AttachmentPointContent, ALongFieldsNodesGoWithTheFieldsNextContent)
{
    bool arenaEnabled = [] {
        DOMNodeArena arena;
        return DOMNodeArena::isOpen();
    }();
    if (!arenaEnabled)
        GTEST_SKIP() << "address-sanitizer builds make every node on its own";
    auto body = view->attachToPoint(u"body", VornickAttachmentType::SingleElement);
    ASSERT_TRUE(body);
    std::u16string html;
    for (int index = 0; index < 600; ++index)
        html += u"<!-- wp:paragraph -->\n<p>Paragraph " + toUTF16(std::to_string(index)) + u" with <em>some</em> words</p>\n<!-- /wp:paragraph -->\n";
    ASSERT_GE(html.size(), DOMNodeArena::slabSize / 2);
    size_t before = DOMNodeArena::liveSlabCountForTesting();

    ASSERT_TRUE(body->injectHTMLContentString(html, std::nullopt));
    EXPECT_GT(DOMNodeArena::liveSlabCountForTesting(), before);
    auto element = byClass(u"wp-block-post-content");
    EXPECT_EQ(element->innerHTML(), html);
    ASSERT_TRUE(body->injectHTMLContentString(u"<p>Short</p>", std::nullopt));
    EXPECT_EQ(element->innerHTML(), u"<p>Short</p>");
    EXPECT_EQ(DOMNodeArena::liveSlabCountForTesting(), before);

    // The page changes the body's nodes like any others; they go with it.
    ASSERT_TRUE(body->injectHTMLContentString(html, std::nullopt));
    auto second = element->first()->next()->next();
    ASSERT_TRUE(second && second->isElementNode());
    downcast<DOMElement>(*second).setAttribute(u"class", u"changed");
    element->removeChild(element->first());
    EXPECT_EQ(toUTF8(element->innerHTML()).rfind("\n<p class=\"changed\">Paragraph 0 with", 0), 0u);
    element.reset();
    second = nullptr;
    body.reset();
    load("template.html");
    EXPECT_EQ(DOMNodeArena::liveSlabCountForTesting(), before);
}

TEST_F(AttachmentPointContent, MissingArgumentsAreProgrammingErrors)
{
    auto locator = std::make_shared<VornickAttachmentPointLocator>(u"title", u".entry-title");
    auto element = byClass(u"entry-title");
    EXPECT_THROW(VornickAttachmentPoint::createWithSingleElement(nullptr, locator, view->mainFrame(), view.get()),
                 InternalInconsistencyException);
    EXPECT_THROW(VornickAttachmentPoint::createWithSingleElement(element, nullptr, view->mainFrame(), view.get()),
                 InternalInconsistencyException);
    EXPECT_THROW(VornickAttachmentPoint::createWithSingleElement(element, locator, nullptr, view.get()), InternalInconsistencyException);
    auto run = document()->createRange();
    run->selectNodeContents(element);
    EXPECT_THROW(VornickAttachmentPoint::createWithSiblingRun(*run, locator, nullptr, view.get()), InternalInconsistencyException);
    // Tags only increase.
    auto first = VornickAttachmentPoint::createWithSingleElement(element, locator, view->mainFrame(), view.get());
    auto second = VornickAttachmentPoint::createWithSiblingRun(*run, locator, view->mainFrame(), nullptr);
    ASSERT_TRUE(first && second);
    EXPECT_GT(second->tag(), first->tag());
    EXPECT_FALSE(second->contentEditingView());
}

} // namespace

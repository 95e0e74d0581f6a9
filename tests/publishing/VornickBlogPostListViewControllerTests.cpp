#include "publishing/VornickBlogPostListViewController.h"
#include "html/VornickHTMLStringTextExtractor.h"

#include "platform/dom/DOMCollections.h"
#include "platform/views/Menu.h"
#include "platform/views/TextField.h"
#include "publishing/VornickBlogPostListView.h"
#include "tests/publishing/PostViewTestSupport.h"
#include "tests/ui/WebListTestSupport.h"

namespace brevanton {
namespace {

class BlogPostListTest : public PostViewTest {
protected:
    void SetUp() override
    {
        PostViewTest::SetUp();
        RunLoop::main().useManualClock();
        now = RunLoop::main().now();
        window = Window::create(Rect(0, 0, 400, 300));
        list = VornickWebListViewController::create<VornickBlogPostListViewController>(Rect(0, 0, 400, 300));
        window->contentView()->addSubview(list->webView());
        list->setActionDelegate(&listDelegate);
        search = std::make_shared<TextField>(Rect(0, 0, 100, 20));
        list->setSearchField(search);
        arrayController = std::make_shared<TestListArrayController>();
        list->setArrayController(arrayController);
    }
    void TearDown() override
    {
        list->setActionDelegate(nullptr);
        list->webView()->removeFromSuperview();
        list.reset();
        window->close();
        window.reset();
        RunLoop::main().useRealClock();
        PostViewTest::TearDown();
    }
    std::shared_ptr<ManagedObject> status(const std::u16string& identifier)
    {
        return term(u"PostStatus", u"identifier", identifier, identifier);
    }
    std::shared_ptr<VornickWordPressBlogPost> published(const std::u16string& title, double firstAgo, double lastAgo)
    {
        auto post = makePost(title, u"<p>Body</p>");
        post->setObjectForKey(status(u"publish"), u"status");
        post->setValueForKey(Value(now.addingTimeInterval(-firstAgo)), u"dateFirstPublished");
        post->setValueForKey(Value(now.addingTimeInterval(-lastAgo)), u"dateLastPublished");
        return post;
    }
    std::u16string row(const std::shared_ptr<ManagedObject>& post) { return *list->contentStringForRepresentedObject(post); }
    void sortBy(const char16_t* key) { arrayController->sortDescriptor = VornickWebListSortDescriptor { key, false }; }
    void show(std::vector<std::shared_ptr<ManagedObject>> posts)
    {
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !list->webView()->isLoading(); }, 30));
        arrayController->setObjects(std::move(posts));
        for (int i = 0; i < 10 && RunLoop::main().runOnce(0); ++i) {
        }
    }
    std::shared_ptr<DOMElement> listElement() { return list->webView()->mainFrameDocument()->getElementById(u"list"); }

    Date now;
    std::shared_ptr<Window> window;
    std::shared_ptr<VornickBlogPostListViewController> list;
    std::shared_ptr<TextField> search;
    std::shared_ptr<TestListArrayController> arrayController;
    RecordingListDelegate listDelegate;
};

bool contains(const std::u16string& text, std::u16string_view part)
{
    return text.find(part) != std::u16string::npos;
}

TEST_F(BlogPostListTest, TheDateFollowsTheSortKeyWhenThePostHasThatDate)
{
    // Without a sort key: updated only when the last publication is more than a second after the first.
    EXPECT_TRUE(contains(row(published(u"A", 7200, 7199.5)), u"<span class='date'>Published 2 hours ago</span>"));
    EXPECT_TRUE(contains(row(published(u"B", 7200, 7198)), u"<span class='date'>Updated 1 hour ago</span>"));

    auto draft = makePost(u"Draft", u"<p>x</p>");
    draft->setObjectForKey(status(u"draft"), u"status");
    draft->setValueForKey(Value(now.addingTimeInterval(-120)), u"dateLastEditedLocally");
    sortBy(u"title");
    EXPECT_TRUE(contains(row(draft), u"Edited 2 minutes ago"));
    EXPECT_TRUE(contains(row(draft), u"<li class='post draft'>"));
    // A new draft was never published: sorted by publication it still reads its edit.
    sortBy(u"dateLastPublished");
    EXPECT_TRUE(contains(row(draft), u"Edited 2 minutes ago"));
    EXPECT_FALSE(contains(row(draft), u"?"));
    sortBy(u"dateLastEditedLocally");
    auto post = published(u"C", 86400 * 3, 86400 * 3);
    post->setValueForKey(Value(now.addingTimeInterval(-30)), u"dateLastEditedLocally");
    EXPECT_TRUE(contains(row(post), u"Edited just now"));
    sortBy(u"dateFirstPublished");
    EXPECT_TRUE(contains(row(post), u"Published 3 days ago"));
    EXPECT_TRUE(contains(row(post), u"<li class='post published'>"));

    // A scheduled post: ahead of now.
    auto scheduled = published(u"Soon", -86400 * 3, -86400 * 3);
    scheduled->setObjectForKey(status(u"future"), u"status");
    EXPECT_TRUE(contains(row(scheduled), u"Published in 3 days"));
    EXPECT_TRUE(contains(row(scheduled), u"<li class='post '>"));
}

// Seen 31 March 2100 at 23:00 UTC: the clock is set before the list and its
// refresh timer are made.
class BlogPostListAtMonthEndTest : public BlogPostListTest {
protected:
    void SetUp() override
    {
        RunLoop::main().useManualClock();
        RunLoop::main().advanceClock(4110217200.0 - RunLoop::main().now().timeIntervalSince1970());
        BlogPostListTest::SetUp();
    }
};

TEST_F(BlogPostListAtMonthEndTest, TheDateIsReckonedInTheSitesCalendar)
{
    // Published 1 March 02:00 UTC: still 28 February at a site five hours
    // behind, so a month ago there.
    double ago = now.timeIntervalSince1970() - 4107549600.0;
    auto post = published(u"Spring", ago, ago);
    struct Case {
        double offset;
        const char16_t* text;
    };
    for (const Case& test : { Case { 0.0, u"Published 30 days ago" }, Case { -5.0, u"Published last month" },
                              Case { 5.5, u"Published 30 days ago" } }) {
        blog->setValueForKey(Value(test.offset), u"wordPressTimeZone");
        EXPECT_TRUE(contains(row(post), u"<span class='date'>" + std::u16string(test.text) + u"</span>")) << toUTF8(row(post));
    }
}

TEST_F(BlogPostListTest, FlagsAndBadgesInTheirOrder)
{
    auto post = published(u"Flagged", 60, 60);
    post->setValueForKey(Value(true), u"inTrash");
    post->setValueForKey(Value(Data { 1, 2 }), u"pendingPostDescriptionData");
    std::u16string markup = row(post);
    EXPECT_TRUE(contains(markup, u"<li class='post published in-trash conflicts'>"));
    EXPECT_TRUE(contains(markup, u"<div class='in-trash-badge'></div><div class='conflicts-badge'>\n</div></li>"));
    post->setValueForKey(Value(true), u"publishAtNextSync");
    EXPECT_TRUE(contains(row(post), u"in-trash publish-at-next-sync conflicts'>"));
    EXPECT_TRUE(contains(row(post), u"<div class='conflicts-badge'>\n</div><div class='publish-at-next-sync-badge'>\n</div></li>"));

    auto page = makePost(u"Page", u"<p>x</p>", true);
    EXPECT_EQ(row(page).rfind(u"<li class='page ", 0), 0u);
    // No terms: no empty lists.
    EXPECT_FALSE(contains(row(page), u"<ul"));
}

TEST_F(BlogPostListTest, TermsAreSortedAndEscaped)
{
    auto post = published(u"Terms", 60, 60);
    post->addObjectForKey(term(u"BlogCategory", u"identifierUsedByBlogService", u"1", u"news"), u"categories");
    post->addObjectForKey(term(u"BlogCategory", u"identifierUsedByBlogService", u"2", u"Art & <b>Design</b>"), u"categories");
    post->addObjectForKey(term(u"BlogTag", u"identifierUsedByBlogService", u"3", u"</li><li>'x'"), u"tags");
    std::u16string markup = row(post);
    EXPECT_TRUE(contains(markup, u"<ul class='categories'><li>Art &amp; &lt;b&gt;Design&lt;/b&gt;</li>, <li>news</li></ul>"));
    EXPECT_TRUE(contains(markup, u"<ul class='tags'><li>&lt;/li&gt;&lt;li&gt;&#39;x&#39;</li></ul>"));
    EXPECT_EQ(VornickBlogPostListViewController::contentStringForSortedTags({}), u"");

    // Names as the site sends them, "&" escaped: shown once escaped, not twice.
    auto site = published(u"Site terms", 60, 60);
    site->addObjectForKey(term(u"BlogCategory", u"identifierUsedByBlogService", u"4", u"News"), u"categories");
    site->addObjectForKey(term(u"BlogCategory", u"identifierUsedByBlogService", u"5", u"Recipes &amp; Food"), u"categories");
    EXPECT_TRUE(contains(row(site), u"<ul class='categories'><li>News</li>, <li>Recipes &amp; Food</li></ul>")) << toUTF8(row(site));
}

TEST_F(BlogPostListTest, TermsSortIgnoringCaseAndKeepTiesInOrder)
{
    auto post = published(u"Ties", 60, 60);
    const char16_t* titles[] = { u"stra\u00DFe", u"b", u"News", u"\u00C9t\u00E9", u"news", u"a", u"STRASSE", u"NEWS", u"" };
    int identifier = 0;
    for (auto* title : titles)
        post->addObjectForKey(term(u"BlogCategory", u"identifierUsedByBlogService", std::u16string(1, u'a' + identifier++), title),
                              u"categories");
    EXPECT_TRUE(contains(row(post), u"<ul class='categories'><li></li>, <li>a</li>, <li>b</li>, <li>News</li>, <li>news</li>, <li>NEWS</li>, "
                                    u"<li>stra\u00DFe</li>, <li>STRASSE</li>, <li>\u00C9t\u00E9</li></ul>"));
    post->addObjectForKey(term(u"BlogTag", u"identifierUsedByBlogService", u"t", u"\"Q\" & 'A' > <B>"), u"tags");
    EXPECT_EQ(VornickBlogPostListViewController::contentStringForSortedTags(post->objectsForKey(u"tags")),
              u"<ul class='tags'><li>&quot;Q&quot; &amp; &#39;A&#39; &gt; &lt;B&gt;</li></ul>");

    // Many terms, given backwards, with a tie in each case.
    auto many = published(u"Many", 60, 60);
    std::u16string expected = u"<ul class='tags'>";
    for (int i = 19; i >= 0; --i) {
        std::u16string name = u"t" + std::u16string(1, u'a' + i);
        many->addObjectForKey(term(u"BlogTag", u"identifierUsedByBlogService", u"x" + name, name), u"tags");
        if (i == 7)
            many->addObjectForKey(term(u"BlogTag", u"identifierUsedByBlogService", u"y" + name, u"T" + name.substr(1)), u"tags");
    }
    for (int i = 0; i < 20; ++i) {
        expected += std::u16string(i ? u", " : u"") + u"<li>t" + std::u16string(1, u'a' + i) + u"</li>";
        if (i == 7)
            expected += u", <li>T" + std::u16string(1, u'a' + i) + u"</li>";
    }
    expected += u"</ul>";
    EXPECT_EQ(VornickBlogPostListViewController::contentStringForSortedTags(many->objectsForKey(u"tags")), expected);
}

TEST_F(BlogPostListTest, TitlesAreTextWithSearchMatchesMarked)
{
    using Controller = VornickBlogPostListViewController;
    EXPECT_EQ(Controller::markSearchString(u"cat", u"Cat and another cat"), u"<mark>Cat</mark> and another <mark>cat</mark>");
    EXPECT_EQ(Controller::markSearchString(u"", u"a < b"), u"a &lt; b");
    // Markup in a title is stripped and references decoded; marks never land inside either.
    EXPECT_EQ(Controller::markSearchString(u"amp", u"Fish &amp; Chips, <b>ample</b>"), u"Fish &amp; Chips, <mark>amp</mark>le");
    EXPECT_EQ(Controller::markSearchString(u"&", u"Fish &amp; Chips"), u"Fish <mark>&amp;</mark> Chips");
    EXPECT_EQ(Controller::markSearchString(u"li", u"a </li> split"), u"a  sp<mark>li</mark>t");
    EXPECT_EQ(Controller::markSearchString(u"é", u"Café CAFÉ"), u"Caf<mark>é</mark> CAF<mark>É</mark>");
    EXPECT_EQ(Controller::markSearchString(u"b", u"a \"b\" 'c'"), u"a &quot;<mark>b</mark>&quot; &#39;c&#39;");
    EXPECT_EQ(Controller::markSearchString(u"\u03C3", u"\u03A3\u03C2 \u00DF"), u"<mark>\u03A3</mark><mark>\u03C2</mark> \u00DF");
    // A bare "&" is text; one that may start a reference goes through the stripping.
    for (std::u16string_view title : { u"Fish & Chips", u"Fish &", u"& more", u"a &&& b", u"Fish &amp Chips", u"Fish &#38; Chips",
                                       u"Fish &AMP; Chips", u"x &\u00E9; y", u"&lt;li&gt; & <i>i</i>" })
        EXPECT_EQ(Controller::markSearchString(u"", title), Controller::escapedText(vornick_stringbyStrippingHTMLMarkup(title))) << toUTF8(title);

    search->setStringValue(u"word");
    auto post = published(u"A word, a Word", 60, 60);
    EXPECT_TRUE(contains(row(post), u"<h1>A <mark>word</mark>, a <mark>Word</mark></h1>"));
}

TEST_F(BlogPostListTest, HostileTitlesStayOneRowEach)
{
    std::u16string longTitle(10000, u'x');
    std::vector<std::u16string> titles = { u"</li><li>Fake row</li>", u"&lt;script&gt; &amp;&amp; &#x1F600;", longTitle,
                                           u"\u05E9\u05DC\u05D5\u05DD \u202Eevil", u"<ul id='list'><li>x", u"]]><!--", u"Plain" };
    std::vector<std::shared_ptr<ManagedObject>> posts;
    for (auto& title : titles)
        posts.push_back(published(title, 60, 60));
    search->setStringValue(u"li");
    show(posts);
    auto element = listElement();
    ASSERT_TRUE(element);
    ASSERT_EQ(element->childElementCount(), titles.size());
    EXPECT_EQ(list->webView()->mainFrameDocument()->getElementsByTagName(u"ul")->length(), 1u);
    auto item = element->firstElementChild();
    EXPECT_EQ(item->firstElementChild()->textContent(), u"Fake row");
    item = item->nextElementSibling();
    EXPECT_EQ(item->firstElementChild()->textContent(), u"<script> && \U0001F600");
    item = item->nextElementSibling();
    EXPECT_EQ(item->firstElementChild()->textContent(), longTitle);
    item = item->nextElementSibling();
    EXPECT_EQ(item->firstElementChild()->textContent(), u"\u05E9\u05DC\u05D5\u05DD \u202Eevil");

    // A click on a row selects its own post.
    list->webView()->layoutIfNeeded();
    auto last = list->listItemForRow(6);
    Rect box = list->webView()->boundingBox(*last);
    auto& documentView = list->webView()->mainFrame()->frameView()->documentView();
    Point point = documentView->convertPointToView(Point { box.midX(), box.midY() }, nullptr);
    EventSynthesizer events;
    events.send(events.mouseDown(window, point));
    events.send(events.mouseUp(window, point));
    EXPECT_EQ(list->selectedObjects(), std::vector<std::shared_ptr<ManagedObject>>({ posts[6] }));
}

TEST_F(BlogPostListTest, TheListRefreshesEveryMinuteAndHasItsMenu)
{
    EXPECT_EQ(list->autoRefreshInterval(), 60);
    auto post = published(u"Aging", 30, 30);
    show({ post });
    EXPECT_TRUE(contains(listElement()->textContent(), u"Published just now"));
    int refreshes = listDelegate.refreshes;
    RunLoop::main().advanceClock(60);
    for (int i = 0; i < 10 && RunLoop::main().runOnce(0); ++i) {
    }
    EXPECT_EQ(listDelegate.refreshes, refreshes + 1);
    EXPECT_TRUE(contains(listElement()->textContent(), u"Published 1 minute ago"));

    auto menu = list->menuForRepresentedObject(post);
    ASSERT_TRUE(menu);
    EXPECT_EQ(list->menuForRepresentedObject(post), menu) << "made once";
    EXPECT_TRUE(menu->itemWithTitle(u"Open"));
    EXPECT_TRUE(menu->itemWithTitle(u"Move to Trash"));
    EXPECT_FALSE(menu->itemWithTitle(u"Copy sourceContentString"));
}

// A document's target for the text size actions.
class TextSizeTarget : public Responder {
public:
    int larger { 0 };
    bool enabled { true };
    TextSizeTarget()
    {
        setActionHandler("makeTextLarger:", [this](ActionSender*) { ++larger; });
    }
    bool validateMenuItem(MenuItem&) override { return enabled; }
};

TEST_F(BlogPostListTest, TextSizeActionsGoToTheDocumentsTarget)
{
    auto view = std::dynamic_pointer_cast<VornickBlogPostListView>(list->webView());
    ASSERT_TRUE(view);
    auto item = MenuItem::create(u"Bigger", "makeTextLarger:");
    EXPECT_FALSE(view->validateMenuItem(*item)) << "no target";
    EXPECT_TRUE(view->performAction("makeTextLarger:", item.get()));
    auto target = std::make_shared<TextSizeTarget>();
    view->setTextMagnificationTargetProvider([target] { return target; });
    EXPECT_TRUE(view->validateMenuItem(*item));
    target->enabled = false;
    EXPECT_FALSE(view->validateMenuItem(*item));
    EXPECT_TRUE(view->performAction("makeTextLarger:", item.get()));
    EXPECT_EQ(target->larger, 1);
    EXPECT_EQ(view->textSizeMultiplier(), 1) << "the list's own text keeps its size";
}

} // namespace
} // namespace brevanton

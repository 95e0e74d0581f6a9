// The post in its template: attaching, injecting, writing back, Clear View,
// search marks and what the template may load.
#include "tests/publishing/PostViewTestSupport.h"

#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "publishing/VornickPostDateText.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/foundation/UserDefaults.h"

#include <unicode/ucal.h>
#include <unicode/uloc.h>

namespace brevanton {

namespace {

std::u16string textOf(const std::shared_ptr<DOMElement>& element)
{
    return element ? element->textContent() : u"(no element)";
}

class VornickBlogPostViewTests : public PostViewTest {
protected:
    void SetUp() override
    {
        PostViewTest::SetUp();
        writeTemplate("post-standard.html", twentyTwentyThreePostTemplate());
        UErrorCode status = U_ZERO_ERROR;
        uloc_setDefault("en_US", &status);
        ucal_setDefaultTimeZone(u"UTC", &status);
        UserDefaults::standard().removeObjectForKey(u"ClearViewOn");
    }

    // Types the text at the start of the element's first text, as one edit.
    void typeAtStartOf(const std::shared_ptr<DOMElement>& element, const std::u16string& text)
    {
        std::shared_ptr<DOMText> first;
        vornick_enumerateTextTreeWithOptions(element, 0, [&first](const std::shared_ptr<DOMText>& node, bool& stop) {
            first = node;
            stop = true;
        });
        ASSERT_TRUE(first);
        auto range = first->ownerDocument()->createRange();
        range->setStart(first, 0);
        range->setEnd(first, 0);
        ASSERT_TRUE(view->undoableReplaceRangeWithText(true, range, text, false));
    }
};

} // namespace

TEST_F(VornickBlogPostViewTests, EveryFieldOfAPostGoesToItsPlaceInTheTheme)
{
    auto post = makePost(u"Caf\u00e9 & Co", u"<p>First paragraph.</p>\n<p>Second <em>one</em>.</p>");
    post->setValueForKey(Value(Date(1700000000.0)), u"dateLastEditedLocally");
    post->setValueForKey(Value(u"https://site.example/hello/"), u"permalinkURLString");
    post->setObjectsForKey({ term(u"BlogTag", u"identifierUsedByBlogService", u"1", u"b"),
                             term(u"BlogTag", u"identifierUsedByBlogService", u"2", u"A"),
                             term(u"BlogTag", u"identifierUsedByBlogService", u"3", u"c"),
                             term(u"BlogTag", u"identifierUsedByBlogService", u"4", u"<b>x</b> & y") },
                           u"tags");
    post->setObjectsForKey({ term(u"BlogCategory", u"identifierUsedByBlogService", u"7", u"Travel") }, u"categories");
    show(post);

    EXPECT_FALSE(view->fellBackToStandardTemplate());
    for (auto identifier : { u"title", u"date", u"body", u"tags", u"categories", u"featuredImage" })
        EXPECT_TRUE(view->attachmentPointWithIdentifier(identifier)) << toUTF8(identifier);
    EXPECT_TRUE(view->identifiersOfFailedAttachmentPoints().empty());
    EXPECT_TRUE(delegate.failureReports.empty());
    EXPECT_FALSE(view->attachmentPointFailureBannerShown());

    EXPECT_EQ(textOf(pointElement(u"title")), u"Caf\u00e9 & Co");
    auto body = pointElement(u"body");
    ASSERT_TRUE(body);
    EXPECT_EQ(body->getElementsByTagName(u"p")->length(), 2u);
    EXPECT_NE(textOf(body).find(u"Second one."), std::u16string::npos);
    // The long date and time of the user's locale.
    auto date = textOf(pointElement(u"date"));
    EXPECT_NE(date.find(u"November 14, 2023"), std::u16string::npos) << toUTF8(date);
    EXPECT_NE(date.find(u"10:13:20"), std::u16string::npos) << toUTF8(date);

    // Tags sorted without regard to case, titles as text (never markup).
    auto document = view->mainFrameDocument();
    std::vector<std::u16string> tags;
    auto links = document->getElementsByTagName(u"a");
    for (unsigned index = 0; index < links->length(); ++index) {
        if (links->item(index)->getAttribute(u"rel") == u"tag")
            tags.push_back(links->item(index)->textContent());
    }
    EXPECT_EQ(tags, (std::vector<std::u16string> { u"<b>x</b> & y", u"A", u"b", u"c" }));
    EXPECT_EQ(document->getElementsByTagName(u"b")->length(), 0u);

    // The site's own chrome is gone; the page's base is the permalink.
    EXPECT_FALSE(document->getElementById(u"wpadminbar"));
    EXPECT_FALSE(document->getElementById(u"comments"));
    auto bases = document->head()->getElementsByTagName(u"base");
    ASSERT_EQ(bases->length(), 1u);
    EXPECT_EQ(bases->item(0)->getAttribute(u"href"), u"https://site.example/hello/index.html");

    // Loading is no edit.
    EXPECT_EQ(delegate.userEdits(), 0u);
    EXPECT_FALSE(view->isDocumentEdited());
}

TEST_F(VornickBlogPostViewTests, TheDateShowsInTheSitesTimeZoneWhenTheBlogKnowsIt)
{
    blog->setValueForKey(Value(5.5), u"wordPressTimeZone");
    auto post = makePost(u"Late", u"<p>Text.</p>");
    post->setValueForKey(Value(Date(1700000000.0)), u"dateLastEditedLocally");
    show(post);
    // 10:13:20 PM in UTC is the next day's 3:43:20 AM at the site.
    auto date = textOf(pointElement(u"date"));
    EXPECT_NE(date.find(u"November 15, 2023"), std::u16string::npos) << toUTF8(date);
    EXPECT_NE(date.find(u"3:43:20"), std::u16string::npos) << toUTF8(date);

    // An offset no zone has (a damaged blog file) is not the site's: the user's zone shows.
    for (double offset : { 1e300, -15.0 }) {
        blog->setValueForKey(Value(offset), u"wordPressTimeZone");
        EXPECT_EQ(VornickSiteUTCOffsetHours(blog.get()), std::nullopt) << offset;
    }
    blog->setValueForKey(Value(-14.0), u"wordPressTimeZone");
    EXPECT_EQ(VornickSiteUTCOffsetHours(blog.get()), -14.0);
}

TEST_F(VornickBlogPostViewTests, WritingBackStoresEditsAndOnlyEdits)
{
    auto post = makePost(u"Title", u"<p>Body text.</p>");
    show(post);

    // Nothing changed: nothing is marked, so a save writes nothing.
    ASSERT_TRUE(view->updatePostFromContent());
    EXPECT_FALSE(post->hasEditsNotYetSavedToSourceFile());
    EXPECT_EQ(post->sourceContentString(), u"<p>Body text.</p>");

    typeAtStartOf(pointElement(u"title"), u"New ");
    typeAtStartOf(pointElement(u"body"), u"Typed. ");
    ASSERT_TRUE(view->updatePostFromContent());
    EXPECT_TRUE(post->hasEditsNotYetSavedToSourceFile());
    EXPECT_EQ(post->title(), u"New Title");
    EXPECT_EQ(post->sourceContentString(), u"<p>Typed. Body text.</p>");
    EXPECT_EQ(post->sourceContentType(), u"html");
    // The page's marks never reach the post.
    EXPECT_EQ(post->sourceContentString().find(u"brevanton-attachment-point"), std::u16string::npos);
}

TEST_F(VornickBlogPostViewTests, ABodyStoredInAnotherFormThanTheWritersIsNoEditUntilTyped)
{
    // As a site stores it: blank lines between blocks, which the writer does not keep.
    std::u16string stored = u"<!-- wp:paragraph -->\n<p>One.</p>\n<!-- /wp:paragraph -->\n\n\n"
                            u"<!-- wp:paragraph -->\n<p>Two.</p>\n<!-- /wp:paragraph -->";
    auto post = makePost(u"Title", stored);
    show(post);
    ASSERT_TRUE(view->updatePostFromContent());
    EXPECT_FALSE(post->hasEditsNotYetSavedToSourceFile());
    EXPECT_EQ(post->sourceContentString(), stored);

    typeAtStartOf(pointElement(u"body"), u"Typed. ");
    ASSERT_TRUE(view->updatePostFromContent());
    EXPECT_TRUE(post->hasEditsNotYetSavedToSourceFile());
    EXPECT_NE(post->sourceContentString().find(u"Typed."), std::u16string::npos) << toUTF8(post->sourceContentString());

    // Undone after the write-back: the page is as injected again, and the post follows it.
    post->setHasEditsNotYetSavedToSourceFile(false);
    view->undoManager()->undo();
    ASSERT_TRUE(view->updatePostFromContent());
    EXPECT_TRUE(post->hasEditsNotYetSavedToSourceFile());
    EXPECT_EQ(post->sourceContentString().find(u"Typed."), std::u16string::npos);
}

TEST_F(VornickBlogPostViewTests, AnEditUndoneBeforeAnyWriteBackLeavesTheStoredTextExactly)
{
    // The page's form of what was injected is taken as the first edit
    // begins: typing and undoing it, in the title and in the body, writes
    // nothing, however the writer's form differs from the stored text.
    std::u16string stored = u"<!-- wp:paragraph -->\n<p>One.</p>\n<!-- /wp:paragraph -->\n\n\n"
                            u"<!-- wp:paragraph -->\n<p>Two.</p>\n<!-- /wp:paragraph -->";
    auto post = makePost(u"Title", stored);
    show(post);
    typeAtStartOf(pointElement(u"title"), u"New ");
    typeAtStartOf(pointElement(u"body"), u"Typed. ");
    view->undoManager()->undo();
    if (view->undoManager()->canUndo())
        view->undoManager()->undo();
    ASSERT_TRUE(view->updatePostFromContent());
    EXPECT_FALSE(post->hasEditsNotYetSavedToSourceFile());
    EXPECT_EQ(post->sourceContentString(), stored);
    EXPECT_EQ(post->title(), u"Title");

    // Redone, the edits go to the post; a load of another post starts over.
    view->undoManager()->redo();
    if (view->undoManager()->canRedo())
        view->undoManager()->redo();
    ASSERT_TRUE(view->updatePostFromContent());
    EXPECT_TRUE(post->hasEditsNotYetSavedToSourceFile());
    EXPECT_NE(post->sourceContentString().find(u"Typed."), std::u16string::npos);

    std::u16string otherStored = u"<p>Other.</p>\n\n\n<p>Post.</p>";
    auto other = makePost(u"Other", otherStored);
    show(other);
    ASSERT_TRUE(view->updatePostFromContent());
    EXPECT_FALSE(other->hasEditsNotYetSavedToSourceFile());
    EXPECT_EQ(other->sourceContentString(), otherStored);
}

TEST_F(VornickBlogPostViewTests, AChangeAnnouncedAsAnEditWithoutACommandIsWrittenBack)
{
    // An element editor sets attributes itself and then announces the change:
    // the page's injected form is no longer to be had, and the change is kept.
    auto post = makePost(u"Title", u"<p>Body text.</p>");
    show(post);
    auto paragraph = pointElement(u"body")->getElementsByTagName(u"p")->item(0);
    ASSERT_TRUE(paragraph);
    paragraph->setAttribute(u"class", u"has-note");
    view->postVornickContentEditingViewDidChangeContentInWebFrame(view->mainFrame(), nullptr);
    ASSERT_TRUE(view->updatePostFromContent());
    EXPECT_TRUE(post->hasEditsNotYetSavedToSourceFile());
    EXPECT_NE(post->sourceContentString().find(u"has-note"), std::u16string::npos) << toUTF8(post->sourceContentString());
}

TEST_F(VornickBlogPostViewTests, AMarkdownBodyIsNeitherInjectedNorWrittenBack)
{
    auto post = makePost(u"Notes", u"# Heading\n\nSome *Markdown*.");
    post->setSourceContentType(u"Markdown");
    show(post);

    EXPECT_FALSE(view->bodyInjected());
    auto body = view->attachmentPointWithIdentifier(u"body");
    ASSERT_TRUE(body);
    // The template's sample stays, and is not the user's to edit.
    EXPECT_TRUE(body->cloaked());
    EXPECT_NE(textOf(body->findElement()).find(u"Welcome to WordPress"), std::u16string::npos);

    typeAtStartOf(pointElement(u"title"), u"More ");
    ASSERT_TRUE(view->updatePostFromContent());
    EXPECT_EQ(post->title(), u"More Notes");
    EXPECT_EQ(post->sourceContentType(), u"Markdown");
    EXPECT_EQ(post->sourceContentString(), u"# Heading\n\nSome *Markdown*.");
}

TEST_F(VornickBlogPostViewTests, NothingIsWrittenIntoAPostThatIsNotTheOneShown)
{
    auto first = makePost(u"First", u"<p>First body.</p>");
    auto second = makePost(u"Second", u"<p>Second body.</p>");
    show(first);
    typeAtStartOf(pointElement(u"body"), u"Edited. ");

    // The next post is set; its template has not loaded yet.
    view->setPost(second);
    EXPECT_TRUE(view->postAttachmentPointsByIdentifier().empty());
    ASSERT_TRUE(view->updatePostFromContent());
    EXPECT_EQ(second->sourceContentString(), u"<p>Second body.</p>");
    EXPECT_FALSE(second->hasEditsNotYetSavedToSourceFile());
    EXPECT_EQ(first->sourceContentString(), u"<p>First body.</p>");
    settle(*view);
    EXPECT_EQ(textOf(pointElement(u"title")), u"Second");

    // A load that fails keeps the old page: it is written into nothing.
    view->beginLoadingPostTemplateFromURL(URL::fileURLWithPath(templatesPath() + "/missing.html", false));
    ASSERT_TRUE(view->updatePostFromContent());
    EXPECT_FALSE(second->hasEditsNotYetSavedToSourceFile());
    settle(*view);
}

TEST_F(VornickBlogPostViewTests, AReadOnlyViewMarksSearchMatchesAndNeverWritesBack)
{
    auto post = makePost(u"Cats and more cats", u"<p>A cat sat. CAT!</p>");
    view = makeView();
    view->setEditable(false);
    view->setSearchString(u"cat");
    show(post);

    auto marksIn = [](const std::shared_ptr<DOMElement>& element) { return element ? element->getElementsByTagName(u"mark")->length() : 0u; };
    EXPECT_EQ(marksIn(pointElement(u"body")), 2u);
    EXPECT_EQ(marksIn(pointElement(u"title")), 2u);
    EXPECT_EQ(textOf(pointElement(u"body")), u"A cat sat. CAT!");

    ASSERT_TRUE(view->updatePostFromContent());
    EXPECT_FALSE(post->hasEditsNotYetSavedToSourceFile());
    EXPECT_EQ(post->sourceContentString(), u"<p>A cat sat. CAT!</p>");

    // Only the fields asked for are marked.
    view->setFieldsToSearch(VornickBlogPostViewSearchTitle);
    view->reloadPost();
    settle(*view);
    EXPECT_EQ(marksIn(pointElement(u"body")), 0u);
    EXPECT_EQ(marksIn(pointElement(u"title")), 2u);
}

TEST_F(VornickBlogPostViewTests, AnEditableViewMarksNothing)
{
    view = makeView();
    view->setSearchString(u"body");
    show(makePost(u"Title", u"<p>The body.</p>"));
    EXPECT_EQ(pointElement(u"body")->getElementsByTagName(u"mark")->length(), 0u);
}

TEST_F(VornickBlogPostViewTests, AFailedTemplateFallsBackToClearViewForThisViewOnly)
{
    std::filesystem::remove(templatesPath() + "/post-standard.html");
    auto post = makePost(u"Title", u"<p>Body.</p>");
    show(post);

    EXPECT_TRUE(view->usingClearView());
    EXPECT_EQ(textOf(pointElement(u"title")), u"Title");
    EXPECT_TRUE(pointElement(u"body"));
    // The user's choice is untouched: the next view starts with themes.
    EXPECT_FALSE(UserDefaults::standard().boolForKey(u"ClearViewOn"));
    auto next = makeView();
    EXPECT_FALSE(next->usingClearView());

    // The user's own toggle is stored.
    view->setUsingClearView(false);
    EXPECT_FALSE(UserDefaults::standard().boolForKey(u"ClearViewOn"));
    settle(*view);
    view->setUsingClearView(true);
    EXPECT_TRUE(UserDefaults::standard().boolForKey(u"ClearViewOn"));
    settle(*view);
    UserDefaults::standard().removeObjectForKey(u"ClearViewOn");
}

TEST_F(VornickBlogPostViewTests, ClearViewWritesBackBeforeSwitching)
{
    auto post = makePost(u"Title", u"<p>Body.</p>");
    show(post);
    typeAtStartOf(pointElement(u"body"), u"Kept. ");
    view->setUsingClearView(true);
    EXPECT_EQ(post->sourceContentString(), u"<p>Kept. Body.</p>");
    settle(*view);
    EXPECT_TRUE(view->usingClearView());
    EXPECT_NE(textOf(pointElement(u"body")).find(u"Kept. Body."), std::u16string::npos);
    view->setUsingClearView(false);
    settle(*view);
    EXPECT_FALSE(view->usingClearView());
    UserDefaults::standard().removeObjectForKey(u"ClearViewOn");
}

TEST_F(VornickBlogPostViewTests, FailuresThatMatterAreReportedOnce)
{
    // A theme without tags or categories.
    auto page = twentyTwentyThreePostTemplate();
    for (auto marker : { std::string("taxonomy-post_tag"), std::string("taxonomy-category") }) {
        size_t at = page.find(marker);
        ASSERT_NE(at, std::string::npos);
        page.replace(at, marker.size(), "taxonomy-gone");
    }
    for (std::string rel : { "rel=\"tag\"" }) {
        for (size_t at = page.find(rel); at != std::string::npos; at = page.find(rel))
            page.replace(at, rel.size(), "rel=\"bookmark\"");
    }
    writeTemplate("post-standard.html", page);

    // Without tags, and only in Uncategorized: nothing to report.
    auto plain = makePost(u"Plain", u"<p>Body.</p>");
    plain->setObjectsForKey({ term(u"BlogCategory", u"identifierUsedByBlogService", u"1", u"UNCATEGORIZED") }, u"categories");
    show(plain);
    EXPECT_EQ(view->identifiersOfFailedAttachmentPoints(), (std::vector<std::u16string> { u"tags", u"categories" }));
    EXPECT_TRUE(view->identifiersOfUnAbsolvedFailedAttachmentPoints().empty());
    EXPECT_TRUE(delegate.failureReports.empty());
    EXPECT_FALSE(view->attachmentPointFailureBannerShown());

    // With a tag the failure matters.
    auto tagged = makePost(u"Tagged", u"<p>Body.</p>");
    tagged->setObjectsForKey({ term(u"BlogTag", u"identifierUsedByBlogService", u"5", u"t") }, u"tags");
    show(tagged);
    ASSERT_EQ(delegate.failureReports.size(), 1u);
    EXPECT_EQ(delegate.failureReports[0], (std::vector<std::u16string> { u"tags", u"categories" }));
    EXPECT_TRUE(view->attachmentPointFailureBannerShown());

    // The next post without failures that matter shows no banner.
    show(plain);
    EXPECT_FALSE(view->attachmentPointFailureBannerShown());
    EXPECT_EQ(delegate.failureReports.size(), 1u);
}

TEST_F(VornickBlogPostViewTests, PagesHaveNoDateTagsOrCategories)
{
    writeTemplate("page.html", "<!DOCTYPE html><html><head><title>p</title></head><body>"
                               "<h1 class=\"wp-block-post-title\">T</h1><div class=\"wp-block-post-content\"><p>x</p></div></body></html>");
    auto page = makePost(u"About", u"<p>About us.</p>", true);
    page->setValueForKey(Value(u"page"), u"type");
    page->setObjectsForKey({ term(u"BlogTag", u"identifierUsedByBlogService", u"5", u"t") }, u"tags");
    show(page);
    EXPECT_FALSE(view->fellBackToStandardTemplate());
    EXPECT_EQ(view->identifiersOfFailedAttachmentPoints(), (std::vector<std::u16string> { u"featuredImage" }));
    EXPECT_TRUE(view->identifiersOfUnAbsolvedFailedAttachmentPoints().empty());
    EXPECT_EQ(textOf(pointElement(u"body")), u"About us.");
}

TEST_F(VornickBlogPostViewTests, AStoredSelectorWinsOverTheDefaults)
{
    VornickAttachmentPointLocatorSet set({ { u"title", std::make_shared<VornickAttachmentPointLocator>(u"title", u".wp-block-site-title") } });
    // Made while the site had another theme: the user's choice for the blog still applies,
    // and a point it no longer finds is reported as failed, for the sheet to mend.
    set.setIdentifier(u"twentytwentyone");
    auto data = set.data();
    blog->setPostAttachmentPointData(Data(data.begin(), data.end()));
    show(makePost(u"Stored", u"<p>Body.</p>"));
    auto title = pointElement(u"title");
    ASSERT_TRUE(title);
    EXPECT_TRUE(vornick_hasClass(*title, u"wp-block-site-title"));
    EXPECT_EQ(textOf(title), u"Stored");
}

TEST_F(VornickBlogPostViewTests, TheTemplateLoadsOnlyWhatTheFilterAllows)
{
    auto page = twentyTwentyThreePostTemplate();
    std::string hostile = "<link rel=\"stylesheet\" href=\"https://elsewhere.example/x.css\">"
                          "<meta http-equiv=\"refresh\" content=\"0; url=https://elsewhere.example/\">";
    page.insert(page.find("</head>"), hostile);
    page.insert(page.find("</main>"), "<img src=\"/wp-includes/images/w-logo-blue.png\"><iframe src=\"https://frames.example/\"></iframe>");
    writeTemplate("post-standard.html", page);
    std::vector<std::u16string> asked;
    view = makeView();
    view->setResourceLoadFilter([&asked](const URLRequest& request) -> std::optional<URLRequest> {
        asked.push_back(request.url().absoluteString());
        if (request.url().absoluteString().find(u"post-standard.html") != std::u16string::npos)
            return request;
        return std::nullopt;
    });
    show(makePost(u"Title", u"<p>Body.</p>"));

    std::vector<std::u16string> refused;
    for (const auto& url : view->refusedResourceURLs())
        refused.push_back(url.absoluteString());
    EXPECT_NE(std::find(refused.begin(), refused.end(), u"https://elsewhere.example/x.css"), refused.end());
    EXPECT_NE(std::find(refused.begin(), refused.end(), u"https://frames.example/"), refused.end());
    bool rootRelativeRefused = std::any_of(refused.begin(), refused.end(),
                                           [](const auto& url) { return url.ends_with(u"/wp-includes/images/w-logo-blue.png"); });
    EXPECT_TRUE(rootRelativeRefused);
    // The refresh went nowhere: the page and its fields are still there.
    EXPECT_EQ(textOf(pointElement(u"title")), u"Title");
    ASSERT_TRUE(view->mainFrameURL());
    EXPECT_TRUE(view->mainFrameURL()->absoluteString().ends_with(u"post-standard.html"));
}

TEST_F(VornickBlogPostViewTests, ScriptsRunOnlyInWordPressPostViews)
{
    auto generic = VornickContentEditingView::create<VornickBlogPostView>(Rect(0, 0, 400, 300));
    EXPECT_FALSE(generic->isJavaScriptEnabled());
    EXPECT_TRUE(makeView()->isJavaScriptEnabled());
}

TEST_F(VornickBlogPostViewTests, WithoutAPostTheEmptyPageShows)
{
    view = makeView();
    view->reloadPost();
    settle(*view);
    ASSERT_TRUE(view->mainFrameURL());
    EXPECT_TRUE(view->mainFrameURL()->absoluteString().ends_with(u"EmptyPostView.html"));
    EXPECT_TRUE(view->postAttachmentPointsByIdentifier().empty());
}

} // namespace brevanton

#include "tests/wordpress/WordPressIntegratorTestSupport.h"

#include "blog/VornickBlogCategory.h"
#include "blog/VornickQueueStepSupport.h"
#include "blog/VornickUploadWordPressMediaItemsStep.h"
#include "toolkit/VornickObjectArchive.h"
#include "platform/foundation/NotificationCenter.h"
#include "wordpress/VornickGetWordPressPostTemplatesStep.h"
#include "wordpress/VornickWordPressRESTAgent.h"
#include "wordpress/VornickWordPressXMLRPCAgent.h"

namespace brevanton {
namespace {

using Names = std::vector<std::string>;

// --- Agent and steps

TEST_F(WordPressIntegratorTest, TheAccountsProtocolChoosesTheAgentAndNoWordPressAccountMeansNone)
{
    VornickWordPressIntegrator plain;
    EXPECT_FALSE(plain.agent()) << "no context, no account";

    Error error;
    auto realProject = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
        URL::fileURLWithPath(folder + "/real.brevantonwordpressproject", false), &error);
    ASSERT_TRUE(realProject) << error;
    auto& real = static_cast<VornickWordPressIntegrator&>(realProject->integrator());
    realProject->wordPressAccount()->setRootURLString(u"https://site.example/");
    realProject->wordPressAccount()->setUseXMLRPC(true);
    EXPECT_TRUE(std::dynamic_pointer_cast<VornickWordPressXMLRPCAgent>(real.agent()));
    EXPECT_EQ(real.agent()->delegate(), static_cast<VornickBlogServiceAgentDelegate*>(&real));
    real.setAgent(nullptr);
    realProject->wordPressAccount()->setUseXMLRPC(false);
    EXPECT_TRUE(std::dynamic_pointer_cast<VornickWordPressRESTAgent>(real.agent()));
    // The agent's WordPress answers reach the integrator.
    EXPECT_EQ(std::dynamic_pointer_cast<VornickWordPressAgent>(real.agent())->wordPressDelegate(),
              static_cast<VornickWordPressAgentDelegate*>(&real));
    real.setAgent(nullptr);
}

TEST_F(WordPressIntegratorTest, StepsOfEachSessionTypeRunInTheirOrder)
{
    Names everyday { "syncTags", "syncCategories", "getMediaItems", "syncPosts", "syncPages", "getResources", "uploadMediaItems" };
    EXPECT_EQ(stepNamesOfSessionOfType(VornickSyncSessionType::Manual), everyday);
    EXPECT_EQ(stepNamesOfSessionOfType(VornickSyncSessionType::Automatic), everyday);
    EXPECT_EQ(stepNamesOfSessionOfType(VornickSyncSessionType::ExhaustiveManual),
              (Names { "getBlogOptions", "getPostFormats", "getPostStatuses", "syncTags", "syncCategories", "getMediaItems", "syncPosts",
                       "syncPages", "getResources", "uploadMediaItems", "getTemplates" }));
    EXPECT_EQ(stepNamesOfSessionOfType(VornickSyncSessionType::TemplateDownload), (Names { "getTemplates" }));

    // As the XML-RPC agent wants it: no tags step; a REST agent: no options, formats or statuses.
    site.wantsTags = false;
    EXPECT_EQ(stepNamesOfSessionOfType(VornickSyncSessionType::Manual),
              (Names { "syncCategories", "getMediaItems", "syncPosts", "syncPages", "getResources", "uploadMediaItems" }));
    site.wantsTags = true;
    site.wantsBlogOptions = site.wantsPostFormats = site.wantsPostStatuses = false;
    EXPECT_EQ(stepNamesOfSessionOfType(VornickSyncSessionType::ExhaustiveManual),
              (Names { "syncTags", "syncCategories", "getMediaItems", "syncPosts", "syncPages", "getResources", "uploadMediaItems",
                       "getTemplates" }));
    auto session = integrator.createSyncSessionOfType(VornickSyncSessionType::ExhaustiveManual);
    integrator.setSyncSession(session);
    EXPECT_TRUE(std::dynamic_pointer_cast<VornickGetWordPressPostTemplatesStep>(stepOfSession(*session, u"getTemplates")));
    integrator.setSyncSession(nullptr);
}

TEST_F(WordPressIntegratorTest, AnUploadSessionSendsMediaBeforeThePosts)
{
    importBlog();
    auto session = integrator.createSyncSessionOfType(VornickSyncSessionType::UploadPostChanges);
    integrator.setSyncSession(session);
    auto blogStep = session->addStepForBlogWithDescription(site.blogDescription);
    ASSERT_TRUE(blogStep);
    blogStep->addStepWithName(u"uploadPosts", u"Upload Posts/Pages");
    auto media = integrator.addUploadMediaItemsStepToBlogSyncStep(*blogStep);
    ASSERT_EQ(blogStep->steps().size(), 2u);
    EXPECT_EQ(blogStep->steps()[0], media);
    EXPECT_EQ(blogStep->steps()[0]->name(), u"uploadMediaItems");
    EXPECT_EQ(blogStep->steps()[1]->name(), u"uploadPosts");
    // Asked again, the integrator finds the one it made.
    EXPECT_EQ(integrator.addUploadMediaItemsStepToBlogSyncStep(*blogStep), media);
    EXPECT_EQ(blogStep->steps().size(), 2u);
    integrator.setSyncSession(nullptr);
}

TEST_F(WordPressIntegratorTest, AnExhaustiveSessionAsksForEverythingInOrderAndCompletes)
{
    site.categories = { term(u"10", u"News") };
    site.tags = { term(u"5", u"cats") };
    site.formats = { { u"standard", Value(u"Standard") }, { u"aside", Value(u"Aside") } };
    site.statuses = { { u"publish", Value(u"Published") }, { u"draft", Value(u"Draft") } };
    site.options = { { u"default_comment_status", Value(Dictionary { { u"value", Value(u"Open") } }) },
                     { u"default_ping_status", Value(Dictionary { { u"value", Value(u"closed") } }) },
                     { u"template", Value(Dictionary { { u"value", Value(u"twentytwentythree") } }) },
                     { u"date_format", Value(Dictionary { { u"value", Value(u"F j, Y") } }) },
                     { u"time_zone", Value(Dictionary { { u"value", Value(u"-3.5") } }) } };
    auto session = runSession(VornickSyncSessionType::ExhaustiveManual);
    EXPECT_EQ(session->state(), VornickSyncStepState::Completed) << session->splat();
    EXPECT_EQ(site.requestSummary(), "blogs options formats statuses tags@0 categories@0 media@0 posts@0 pages@0");

    auto blog = this->blog();
    ASSERT_TRUE(blog);
    EXPECT_TRUE(blog->ManagedObject::valueForKey(u"allowComments").boolValue());
    EXPECT_FALSE(blog->ManagedObject::valueForKey(u"allowPings").boolValue());
    EXPECT_EQ(blog->ManagedObject::valueForKey(u"themeIdentifier").stringValue(), u"twentytwentythree");
    EXPECT_EQ(blog->ManagedObject::valueForKey(u"wordPressDateFormat").stringValue(), u"F j, Y");
    EXPECT_EQ(blog->ManagedObject::valueForKey(u"wordPressTimeZone").doubleValue(), -3.5) << "a half-hour offset is kept";
    EXPECT_EQ(blog->postFormatDescriptions().size(), 2u);
    EXPECT_EQ(blog->postStatusDescriptions().size(), 2u);
    EXPECT_TRUE(termTitled(u"categories", u"News"));
    EXPECT_TRUE(termTitled(u"tags", u"cats"));
    // The blog's file holds the options.
    auto archive = VornickObjectArchive::createWithContentsOfURL(*blog->sourceFileURL(), nullptr);
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->propertyList()[u"themeIdentifier"].stringValue(), u"twentytwentythree");
}

TEST_F(WordPressIntegratorTest, AStepWhoseRequestGetsNoAnswerFailsSayingSoAndAFailedRequestFailsItsStep)
{
    RunLoop::main().useManualClock();
    site.unanswered = { "categories" };
    auto session = integrator.createSyncSessionOfType(VornickSyncSessionType::Manual);
    integrator.setSyncSession(session);
    session->setState(VornickSyncStepState::Active);
    // The clock moves on only once the request is out.
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return site.requestSummary().find("categories") != std::string::npos; }, 30))
        << site.requestSummary();
    auto categories = stepOfSession(*session, u"syncCategories");
    ASSERT_TRUE(categories);
    EXPECT_EQ(categories->state(), VornickSyncStepState::Active);
    RunLoop::main().advanceClock(VornickQueueStepAnswerTimeout + 1);
    RunLoop::main().useRealClock();
    RunLoop::main().runFor(0.05);
    EXPECT_EQ(categories->state(), VornickSyncStepState::Failed);
    EXPECT_EQ(categories->statusMessage(), u"Failed: no answer from the server");
    EXPECT_NE(log->text().find(u"No answer from the server for \"Sync Categories\""), std::u16string::npos);
    EXPECT_TRUE(VornickSyncStepStateIsFinal(session->state()));

    site.unanswered.clear();
    site.failing = { "media" };
    session = runSession(VornickSyncSessionType::Manual);
    auto media = stepOfSession(*session, u"getMediaItems");
    EXPECT_EQ(media->state(), VornickSyncStepState::Failed);
    EXPECT_EQ(media->statusMessage(), u"Request failed");
    EXPECT_NE(log->text().find(u"Failed to get media item descriptions"), std::u16string::npos);
}

// --- Terms

TEST_F(WordPressIntegratorTest, CategoriesArePagedDeletedOnlyAfterTheLastPageAndStitchedOnce)
{
    importBlog();
    localTerm(u"BlogCategory", u"40", u"Gone");
    localTerm(u"BlogCategory", nullptr, u"Made here");
    auto renamed = localTerm(u"BlogCategory", u"20", u"Old title");
    // The child comes before its parent; one parent the site does not have.
    site.categories = { term(u"10", u"Child", u"30"), term(u"20", u"Renamed"), term(u"30", u"Parent"), term(u"50", u"Orphan", u"99") };
    site.pageSize = 2;
    bool checkedBetweenPages = false;
    site.beforeAnswer = [&](const std::string& request) {
        if (request != "categories@2")
            return;
        checkedBetweenPages = true;
        EXPECT_TRUE(termTitled(u"categories", u"Gone")) << "deleted before the last page";
        auto child = std::dynamic_pointer_cast<VornickBlogCategory>(termTitled(u"categories", u"Child"));
        ASSERT_TRUE(child);
        EXPECT_FALSE(child->parentCategory()) << "stitched before the last page";
    };
    auto session = runSession(VornickSyncSessionType::ExhaustiveManual);
    EXPECT_TRUE(checkedBetweenPages);
    EXPECT_NE(site.requestSummary().find("categories@0 categories@2 categories@4"), std::string::npos) << site.requestSummary();
    EXPECT_EQ(stepOfSession(*session, u"syncCategories")->state(), VornickSyncStepState::Completed);

    EXPECT_FALSE(termTitled(u"categories", u"Gone"));
    EXPECT_NE(log->text().find(u"Category \"Gone\" (40) was deleted on the server"), std::u16string::npos);
    EXPECT_TRUE(termTitled(u"categories", u"Made here")) << "a category never sent is not the server's to delete";
    EXPECT_EQ(renamed->valueForKey(u"title").stringValue(), u"Renamed");
    auto child = std::dynamic_pointer_cast<VornickBlogCategory>(termTitled(u"categories", u"Child"));
    ASSERT_TRUE(child && child->parentCategory());
    EXPECT_EQ(child->parentCategory()->title(), u"Parent");
    auto orphan = std::dynamic_pointer_cast<VornickBlogCategory>(termTitled(u"categories", u"Orphan"));
    ASSERT_TRUE(orphan);
    EXPECT_FALSE(orphan->parentCategory());
}

TEST_F(WordPressIntegratorTest, ATermListingThatRepeatsEndsAndDeletesNothing)
{
    importBlog();
    localTerm(u"BlogCategory", u"40", u"Gone");
    localTerm(u"BlogTag", u"41", u"gone");
    site.categories = { term(u"10", u"Child", u"30"), term(u"30", u"Parent"), term(u"50", u"More") };
    site.tags = { term(u"1", u"first"), term(u"2", u"second"), term(u"3", u"third") };
    site.ignoresOffsets = true;
    auto session = runSession(VornickSyncSessionType::ExhaustiveManual);
    EXPECT_NE(site.requestSummary().find("categories@0 categories@2 "), std::string::npos) << site.requestSummary();
    EXPECT_EQ(site.requestSummary().find("categories@4"), std::string::npos) << site.requestSummary();
    EXPECT_EQ(site.requestSummary().find("tags@4"), std::string::npos) << site.requestSummary();
    for (const char16_t* step : { u"syncCategories", u"syncTags" })
        EXPECT_EQ(stepOfSession(*session, step)->state(), VornickSyncStepState::Completed);
    EXPECT_TRUE(termTitled(u"categories", u"Gone")) << "a listing not known whole deletes nothing";
    EXPECT_TRUE(termTitled(u"tags", u"gone"));
    auto child = std::dynamic_pointer_cast<VornickBlogCategory>(termTitled(u"categories", u"Child"));
    ASSERT_TRUE(child && child->parentCategory()) << "parents are still set";
    for (const char16_t* line : { u"The listing of categories for \"Fake Site\" ends at offset 2: the server sent no category it had not sent already",
             u"The listing of tags for \"Fake Site\" ends at offset 2: the server sent no tag it had not sent already" }) {
        auto at = log->text().find(line);
        EXPECT_NE(at, std::u16string::npos) << toUTF8(line);
        EXPECT_EQ(at, log->text().rfind(line));
    }
}

TEST_F(WordPressIntegratorTest, AnEverydaySessionStitchesAfterTheLastPageAndDeletesNothing)
{
    importBlog();
    localTerm(u"BlogCategory", u"40", u"Gone");
    site.categories = { term(u"10", u"Child", u"30"), term(u"20", u"Other"), term(u"30", u"Parent") };
    runSession(VornickSyncSessionType::Manual);
    EXPECT_TRUE(termTitled(u"categories", u"Gone"));
    auto child = std::dynamic_pointer_cast<VornickBlogCategory>(termTitled(u"categories", u"Child"));
    ASSERT_TRUE(child && child->parentCategory());
    EXPECT_EQ(child->parentCategory()->title(), u"Parent");
}

TEST_F(WordPressIntegratorTest, ATagOfAnEarlierPageIsKeptAndOnlyTagsNoPageHeldAreDeleted)
{
    importBlog();
    localTerm(u"BlogTag", u"1", u"first");
    localTerm(u"BlogTag", u"9", u"dropped");
    site.tags = { term(u"1", u"first"), term(u"2", u"second"), term(u"3", u"third") };
    runSession(VornickSyncSessionType::ExhaustiveManual);
    EXPECT_NE(site.requestSummary().find("tags@0 tags@2"), std::string::npos) << site.requestSummary();
    EXPECT_TRUE(termTitled(u"tags", u"first"));
    EXPECT_TRUE(termTitled(u"tags", u"third"));
    EXPECT_FALSE(termTitled(u"tags", u"dropped"));
    EXPECT_EQ(integrator.allReceivedTagIdentifiers(), (std::set<std::u16string> { u"1", u"2", u"3" }));
}

// --- Posts

TEST_F(WordPressIntegratorTest, PostFilesAreNamedByPermalinkUniquelyAndPlainPermalinksDoNotCollide)
{
    EXPECT_EQ(VornickWordPressIntegrator::postFileStemForPermalink(u"https://site.example/2021/05/hello.html"), u"2021_05_hello");
    EXPECT_EQ(VornickWordPressIntegrator::postFileStemForPermalink(u"https://site.example/about/"), u"about");
    EXPECT_EQ(VornickWordPressIntegrator::postFileStemForPermalink(u"https://site.example/"), u"_landing_page");
    EXPECT_EQ(VornickWordPressIntegrator::postFileStemForPermalink(u"https://site.example/?p=12"), u"");
    EXPECT_EQ(VornickWordPressIntegrator::postFileStemForPermalink(u"file:///etc/passwd"), u"");

    importBlog();
    integrator.importPostOrPageDescriptions({ post(u"12", u"Twelve", u"https://site.example/?p=12"),
                                              post(u"13", u"Thirteen", u"https://site.example/?p=13"),
                                              post(u"14", u"Hello", u"https://site.example/2021/05/hello.html"),
                                              post(u"15", u"About", u"https://site.example/about/"),
                                              post(u"16", u"About again", u"https://site.example/about/"),
                                              post(u"17", u"Dots", u"https://site.example/../../x/") },
                                            site.blogDescription);
    std::set<std::u16string> names;
    for (auto& each : blog()->posts()) {
        names.insert(each->sourceFileName());
        EXPECT_EQ(each->sourceFileName().find(u'/'), std::u16string::npos);
        ASSERT_TRUE(each->sourceFileURL());
        EXPECT_TRUE(fileExists(*each->sourceFileURL()->fileSystemPath())) << toUTF8(each->sourceFileName());
    }
    EXPECT_EQ(names.size(), 6u);
    EXPECT_TRUE(names.contains(u"2021_05_hello.brevantonwordpresspost"));
    EXPECT_TRUE(names.contains(u"about.brevantonwordpresspost"));
    EXPECT_TRUE(names.contains(u"about 2.brevantonwordpresspost"));
    EXPECT_FALSE(names.contains(u"_landing_page.brevantonwordpresspost"));
}

TEST_F(WordPressIntegratorTest, APostTakesExactlyTheTermsItsDescriptionNames)
{
    importBlog();
    localTerm(u"BlogCategory", u"10", u"News");
    localTerm(u"BlogCategory", u"11", u"Other");
    Dictionary first = post(u"12", u"Twelve", u"https://site.example/twelve/");
    first[u"categoryIdentifiers"] = Value(Array { Value(u"10") });
    first[u"tags"] = Value(Array { Value(u"new tag") });
    first[u"format"] = Value(u"aside");
    integrator.importPostOrPageDescriptions({ first }, site.blogDescription);
    auto twelve = postTitled(u"Twelve");
    ASSERT_TRUE(twelve);
    EXPECT_EQ(twelve->arrayOfCategoryIdentifiers(), (std::vector<std::u16string> { u"10" }));
    ASSERT_EQ(twelve->objectsForKey(u"tags").size(), 1u);
    EXPECT_EQ(twelve->objectsForKey(u"tags")[0]->valueForKey(u"title").stringValue(), u"new tag");
    ASSERT_TRUE(twelve->objectForKey(u"format"));
    EXPECT_EQ(twelve->objectForKey(u"format")->valueForKey(u"identifier").stringValue(), u"aside");

    // A later description without categories leaves none.
    integrator.importPostDescription(post(u"12", u"Twelve", u"https://site.example/twelve/"), twelve, blog(), std::nullopt, false);
    EXPECT_TRUE(twelve->objectsForKey(u"categories").empty());
    EXPECT_TRUE(twelve->objectsForKey(u"tags").empty());
}

TEST_F(WordPressIntegratorTest, TheTemplatesProxyDraftIsNeverImported)
{
    site.posts = { post(u"12", u"Twelve", u"https://site.example/twelve/"),
                   post(u"13", VornickTemplateProxyDraftMarker, u"https://site.example/?p=13"),
                   post(u"14", u"Fourteen", u"https://site.example/fourteen/") };
    site.posts[1][u"status"] = Value(u"draft");
    auto session = runSession(VornickSyncSessionType::Manual);
    EXPECT_EQ(session->state(), VornickSyncStepState::Completed) << session->splat();
    EXPECT_TRUE(postTitled(u"Twelve"));
    EXPECT_TRUE(postTitled(u"Fourteen")) << "the page after the proxy draft is still read";
    EXPECT_FALSE(postTitled(VornickTemplateProxyDraftMarker));
    EXPECT_EQ(blog()->posts().size(), 2u);

    // Answers about it change no post and never reach the generic handling.
    integrator.blogServiceAgentSuccessfullyDeletedPostWithIdentifier(*integrator.agent(), u"13", Value(VornickTemplateProxyDraftMarker),
                                                                     site.blogDescription);
    EXPECT_EQ(blog()->posts().size(), 2u);
}

} // namespace
} // namespace brevanton

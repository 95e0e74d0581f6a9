#include "blog/VornickBlogServiceIntegrator.h"

#include "tests/blog/SyncEngineTestSupport.h"

#include "blog/VornickBlogServiceIntegratorDelegate.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickSyncStep.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickObjectArchive.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace brevanton {
namespace {

using Kind = FakeBlogServiceAgent::RequestKind;
using Behavior = FakeBlogServiceAgent::Behavior;
using Decision = VornickBlogServiceIntegrator::PostSyncDecision;

void setDate(VornickPublishedBlogPost& post, std::u16string_view key, Date date)
{
    post.ManagedObject::setValueForKey(Value(date), key);
}

void setFlag(VornickPublishedBlogPost& post, std::u16string_view key, bool flag)
{
    post.ManagedObject::setValueForKey(Value(flag), key);
}

std::string fileText(const URL& url)
{
    std::ifstream file(toUTF8(url.path()));
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class VornickBlogServiceIntegratorPostSyncTests : public SyncEngineTest {
protected:
    VornickBlogServiceIntegratorPostSyncTests() { site.addBlog(u"7", u"Seven"); }

    void addServerPosts(int count)
    {
        for (int index = 0; index < count; ++index)
            site.addPost(u"7", u"Post " + toUTF16(std::to_string(index)));
    }

    // Runs a whole session (its resources step, which this layer does not
    // run, stays Active).
    std::shared_ptr<VornickBlogServiceSyncSession> sync()
    {
        auto session = startSession();
        drain();
        return session;
    }

    std::shared_ptr<VornickPublishedBlog> blog() { return storedBlog(u"7"); }
    std::shared_ptr<VornickPublishedBlogPost> post(std::u16string identifier) { return storedPost(*blog(), std::move(identifier)); }
    Dictionary blogDescription() { return blog()->archivalRepresentation()->propertyList(); }

    static VornickSyncStep& step(VornickBlogServiceSyncSession& session, std::u16string_view name)
    {
        return dynamic_cast<VornickSyncStep&>(*session.stepWithName(u"syncBlog.7")->stepWithName(name));
    }

    size_t logCount(std::string_view line) const
    {
        std::string text = logText();
        size_t count = 0;
        for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
            ++count;
        return count;
    }

    size_t storedPostCount() { return blog() ? blog()->postsOnly().size() : 0; }

    // A change made here, a few seconds after the post was last in step.
    void editLocally(VornickPublishedBlogPost& post, std::u16string title)
    {
        post.setTitle(title);
        setDate(post, u"dateLastEditedLocally", post.dateLastSyncedLocally().value_or(Date::now()).addingTimeInterval(5));
    }
    void editOnServer(std::u16string_view identifier, std::u16string title)
    {
        site.advanceClock(60);
        site.editPost(identifier, std::move(title));
    }
    // A draft made here and saved, not yet on the server.
    void addLocalDraft(std::u16string title)
    {
        auto draft = std::dynamic_pointer_cast<VornickPublishedBlogPost>(context.insertNewObject(u"BlogPost"));
        draft->setBlog(blog());
        draft->setTitle(std::move(title));
        ASSERT_TRUE(integrator.commitAndSaveChangesInManagedObjectContext(context));
    }
    // The listing's last page of 50-post pages, its posts in the order given.
    void deliverLastPage(std::vector<Dictionary> lastPage, const Dictionary& description)
    {
        integrator.blogServiceAgentReceivedPostDescriptions(integrator.fakeAgent(), lastPage, description, 50, false);
        drain();
    }
    std::vector<Dictionary> lastPageOfListing()
    {
        bool couldBeMore = false;
        return site.listing(u"7", false, 50, couldBeMore);
    }
};

TEST_F(VornickBlogServiceIntegratorPostSyncTests, AListingIsPagedAndDeletionsAreCheckedOnceAfterTheLastPage)
{
    addServerPosts(120);
    auto first = sync();
    EXPECT_EQ(integrator.fakeAgent().requestSummary(), "blogs posts@0 posts@50 posts@100");
    EXPECT_EQ(storedPostCount(), 120u);
    EXPECT_EQ(step(*first, u"syncPosts").statusMessage(), u"Received 120 posts");
    EXPECT_EQ(logCount("Importing 50 remaining postDescriptions that aren't yet in our data model"), 2u);
    // Each page's line, with its own count.
    EXPECT_EQ(logCount("Syncing 50 post descriptions for \"Seven\"...\n"), 2u) << logText();
    EXPECT_EQ(logCount("Syncing 20 post descriptions for \"Seven\"...\n"), 1u) << logText();
    EXPECT_EQ(integrator.allReceivedPostIdentifiers().size(), 120u);

    site.deletePost(u"110");
    log->clear();
    int saves = 0;
    ObserverToken saved = NotificationCenter::defaultCenter().addObserver(ManagedObjectContextDidSaveNotification, nullptr, nullptr,
        [&](const Notification&) { ++saves; });
    auto second = sync();
    EXPECT_EQ(saves, 1) << "only the confirmed deletion is saved";
    EXPECT_EQ(integrator.fakeAgent().requestSummary(), "blogs posts@0 posts@50 posts@100 confirm:110");
    EXPECT_EQ(logCount("Confirming apparent post deletion with server..."), 1u) << logText();
    EXPECT_TRUE(logHas("No matching postDescription received from server for \"Post 10\" (id 110). Confirming"));
    EXPECT_EQ(logCount("Done syncing posts for \"Seven\""), 1u);
    EXPECT_EQ(logCount("Importing"), 0u) << "nothing new";
    EXPECT_EQ(step(*second, u"syncPosts").state(), VornickSyncStepState::Completed);
    EXPECT_NE(step(*second, u"getResources").state(), VornickSyncStepState::WaitingToStart) << "started after the last page";
    EXPECT_FALSE(post(u"110")) << "gone once the server confirmed it";
    EXPECT_TRUE(post(u"109"));
}

TEST_F(VornickBlogServiceIntegratorPostSyncTests, AnEmptyPageEndsTheListingEvenWhenItSaysMayFollow)
{
    addServerPosts(100);
    sync();
    EXPECT_EQ(integrator.fakeAgent().requestSummary(), "blogs posts@0 posts@50 posts@100") << "two full pages, then an empty one";
    auto gone = integrator.importPostDescription({ { u"identifierUsedByBlogService", Value(u"999") }, { u"title", Value(u"Gone") } },
        nullptr, blog(), std::nullopt, false);
    ASSERT_TRUE(integrator.commitAndSaveChangesInManagedObjectContext(context));

    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) {
        agent.script(Kind::Posts, Behavior::Answer);
        agent.script(Kind::Posts, Behavior::Answer);
        agent.script(Kind::Posts, Behavior::NoAnswer);
    };
    auto session = sync();
    ASSERT_EQ(integrator.fakeAgent().requestsOfKind(Kind::Posts).back().startOffset, 100);
    EXPECT_FALSE(logHas("Confirming apparent post deletion"));
    integrator.blogServiceAgentReceivedPostDescriptions(integrator.fakeAgent(), {}, blogDescription(), 100, true);
    drain();
    EXPECT_EQ(step(*session, u"syncPosts").state(), VornickSyncStepState::Completed);
    EXPECT_TRUE(logHas("No matching postDescription received from server for \"Gone\" (id 999)")) << logText();
    EXPECT_EQ(integrator.fakeAgent().requestsOfKind(Kind::Posts).size(), 3u) << "no page after the empty one";
}

TEST_F(VornickBlogServiceIntegratorPostSyncTests, ThePageIsComparedBeforeTheStepCompletes)
{
    addServerPosts(60);
    integrator.importBlogDescription(FakeBlogSite::descriptionOfBlog(*site.blog(u"7")), nullptr, std::nullopt);
    auto gone = integrator.importPostDescription({ { u"identifierUsedByBlogService", Value(u"999") }, { u"title", Value(u"Gone") } },
        nullptr, blog(), std::nullopt, false);
    ASSERT_TRUE(integrator.commitAndSaveChangesInManagedObjectContext(context));

    auto session = startSession();
    bool lastPageImported = false;
    bool deletionsChecked = false;
    step(*session, u"syncPosts").setEndBlock([&] {
        lastPageImported = post(u"159") != nullptr;
        deletionsChecked = logHas("No matching postDescription received from server for \"Gone\"");
    });
    drain();
    EXPECT_EQ(step(*session, u"syncPosts").state(), VornickSyncStepState::Completed);
    EXPECT_TRUE(lastPageImported) << "the steps after it start after the comparison";
    EXPECT_TRUE(deletionsChecked);
}

TEST_F(VornickBlogServiceIntegratorPostSyncTests, APageDecidesOnlyThePostsItHoldsAndTheRestOnceAfterTheLast)
{
    addServerPosts(60);
    sync();
    // Queued for upload here, edited on the server, listed on the second page.
    auto queued = post(u"155");
    setFlag(*queued, u"publishAtNextSync", true);
    editOnServer(u"155", u"Edited on the server");
    auto draft = std::dynamic_pointer_cast<VornickPublishedBlogPost>(context.insertNewObject(u"BlogPost"));
    draft->setBlog(blog());
    draft->setTitle(u"Draft");
    ASSERT_TRUE(integrator.commitAndSaveChangesInManagedObjectContext(context));
    log->clear();

    sync();
    EXPECT_TRUE(logHas("** CONFLICT(1): \"Post 55\" (155) edited both locally and on the server!")) << logText();
    EXPECT_FALSE(logHas("(155), already published, has publishAtNextSync set")) << "it would be sent over the server's edit";
    EXPECT_TRUE(queued->hasPendingPostDescription());
    EXPECT_EQ(queued->title(), u"Post 55");
    EXPECT_EQ(logCount(">> \"Draft\" is a draft not yet on the server. Uploading it."), 1u) << "decided once per listing";
}

// After the last page, its posts, the drafts and the posts no page listed are
// decided once each, in the store's order, and the deletions are confirmed
// after them.
TEST_F(VornickBlogServiceIntegratorPostSyncTests, TheLastPageDecidesItsPostsDraftsAndUnlistedPostsInTheStoresOrder)
{
    addServerPosts(60);
    sync();
    auto draft = [&](std::u16string title) {
        auto made = std::dynamic_pointer_cast<VornickPublishedBlogPost>(context.insertNewObject(u"BlogPost"));
        made->setBlog(blog());
        made->setTitle(std::move(title));
    };
    draft(u"Draft A");
    editOnServer(u"158", u"Edited 158");
    editOnServer(u"120", u"Edited 120");
    draft(u"Draft B");
    site.deletePost(u"105");
    ASSERT_TRUE(integrator.commitAndSaveChangesInManagedObjectContext(context));
    log->clear();

    sync();
    std::string text = logText();
    std::vector<std::string> lines { "<< \"Edited 120\" (120) edited on server", "<< \"Edited 158\" (158) edited on server",
        ">> \"Draft A\" is a draft not yet on the server", ">> \"Draft B\" is a draft not yet on the server",
        "No matching postDescription received from server for \"Post 5\" (id 105)" };
    size_t previous = 0;
    for (auto& line : lines) {
        EXPECT_EQ(logCount(line), 1u) << line << "\n" << text;
        size_t at = text.find(line);
        EXPECT_TRUE(at != std::string::npos && at >= previous) << line << " out of order:\n" << text;
        previous = at == std::string::npos ? previous : at;
    }
    EXPECT_EQ(post(u"158")->title(), u"Edited 158");
    EXPECT_FALSE(post(u"105")) << "gone once the server confirmed it";
}

// The listing's index of the local posts is kept from one sync to the next:
// posts given another identifier, removed or added since (even between its
// first page and its last) are matched as they are now.
TEST_F(VornickBlogServiceIntegratorPostSyncTests, PostsChangedSinceTheLastListingAreMatchedAsTheyAreNow)
{
    addServerPosts(60);
    sync();
    sync();
    auto renamed = post(u"130");
    renamed->ManagedObject::setValueForKey(Value(u"999"), u"identifierUsedByBlogService");
    context.deleteObject(post(u"140"));
    ASSERT_TRUE(integrator.commitAndSaveChangesInManagedObjectContext(context));
    log->clear();

    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) {
        agent.script(Kind::Posts, Behavior::Answer);
        agent.script(Kind::Posts, Behavior::NoAnswer);
    };
    auto session = sync();
    EXPECT_EQ(logCount("Importing 2 remaining postDescriptions"), 1u) << "130 and 140 again\n" << logText();
    EXPECT_NE(post(u"130"), renamed);
    EXPECT_TRUE(post(u"140"));
    addLocalDraft(u"Late draft");
    deliverLastPage(lastPageOfListing(), blogDescription());
    EXPECT_EQ(step(*session, u"syncPosts").state(), VornickSyncStepState::Completed);
    EXPECT_EQ(logCount(">> \"Late draft\" is a draft not yet on the server. Uploading it."), 1u) << logText();
    EXPECT_TRUE(logHas("No matching postDescription received from server for \"Post 30\" (id 999)")) << logText();
    EXPECT_EQ(logCount("No matching postDescription received"), 1u);
}

// The last page is matched with the posts it lists, in whatever order it
// lists them, also when the local posts changed since the first page.
TEST_F(VornickBlogServiceIntegratorPostSyncTests, TheLastPagesPostsAreMatchedWithTheirOwnDescriptionsInAnyOrder)
{
    addServerPosts(60);
    sync();
    for (bool postsChangedMeanwhile : { false, true }) {
        SCOPED_TRACE(postsChangedMeanwhile ? "posts changed meanwhile" : "posts unchanged");
        std::u16string suffix = postsChangedMeanwhile ? u" again" : u"";
        editOnServer(u"150", u"Edited 150" + suffix);
        editOnServer(u"159", u"Edited 159" + suffix);
        log->clear();
        integrator.prepareAgent = [](FakeBlogServiceAgent& agent) {
            agent.script(Kind::Posts, Behavior::Answer);
            agent.script(Kind::Posts, Behavior::NoAnswer);
        };
        auto session = sync();
        if (postsChangedMeanwhile)
            addLocalDraft(u"Late draft");
        auto lastPage = lastPageOfListing();
        ASSERT_EQ(lastPage.size(), 10u);
        std::reverse(lastPage.begin(), lastPage.end());
        deliverLastPage(std::move(lastPage), blogDescription());
        EXPECT_EQ(step(*session, u"syncPosts").state(), VornickSyncStepState::Completed);
        EXPECT_EQ(post(u"150")->title(), u"Edited 150" + suffix);
        EXPECT_EQ(post(u"159")->title(), u"Edited 159" + suffix);
        EXPECT_EQ(post(u"155")->title(), u"Post 55");
        EXPECT_EQ(logCount("edited on server but not locally"), 2u) << logText();
        EXPECT_EQ(logCount("No matching postDescription received"), 0u) << logText();
    }
}

TEST_F(VornickBlogServiceIntegratorPostSyncTests, APageAfterTheBlogWasReplacedIsComparedWithTheBlogThatHoldsTheIdentifierNow)
{
    addServerPosts(60);
    sync();
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) {
        agent.script(Kind::Posts, Behavior::Answer);
        agent.script(Kind::Posts, Behavior::NoAnswer);
    };
    auto session = sync();
    auto previous = blog();
    previous->ManagedObject::setValueForKey(Value(u"8"), u"identifierUsedByBlogService");
    auto replacement = std::dynamic_pointer_cast<VornickPublishedBlog>(context.insertNewObject(u"Blog"));
    ASSERT_TRUE(replacement);
    replacement->ManagedObject::setValueForKey(Value(u"7"), u"identifierUsedByBlogService");
    ASSERT_TRUE(integrator.commitAndSaveChangesInManagedObjectContext(context));
    log->clear();

    Dictionary description { { u"identifierUsedByBlogService", Value(u"7") }, { u"title", Value(u"Seven") } };
    deliverLastPage(lastPageOfListing(), description);
    EXPECT_EQ(step(*session, u"syncPosts").state(), VornickSyncStepState::Completed);
    EXPECT_EQ(logCount("Importing 10 remaining postDescriptions"), 1u) << "the new blog holds none of them\n" << logText();
    EXPECT_EQ(replacement->postsOnly().size(), 10u);
    EXPECT_EQ(previous->postsOnly().size(), 60u);
}

TEST_F(VornickBlogServiceIntegratorPostSyncTests, TheDecisionTable)
{
    auto newPost = [&](std::u16string identifier) {
        auto post = std::dynamic_pointer_cast<VornickPublishedBlogPost>(context.insertNewObject(u"BlogPost"));
        post->ManagedObject::setValueForKey(identifier.empty() ? Value() : Value(identifier), u"identifierUsedByBlogService");
        setDate(*post, u"dateFirstPublished", Date(1000));
        return post;
    };
    Dictionary published { { u"identifierUsedByBlogService", Value(u"5") }, { u"status", Value(u"publish") } };
    Dictionary trashed { { u"identifierUsedByBlogService", Value(u"5") }, { u"status", Value(u"TRASH") } };
    Dictionary noStatus { { u"identifierUsedByBlogService", Value(u"5") } };
    auto decide = [](auto& post, const Dictionary* match, bool local, bool server) {
        return VornickBlogServiceIntegrator::postSyncDecision(*post, match, local, server);
    };

    auto queued = newPost(u"5");
    setFlag(*queued, u"publishAtNextSync", true);
    EXPECT_EQ(decide(queued, &published, false, false), Decision::Upload);
    EXPECT_EQ(decide(queued, &published, false, true), Decision::HoldServerVersionAsConflict);
    setFlag(*queued, u"inTrash", true);
    EXPECT_EQ(decide(queued, &published, false, false), Decision::MoveToServerTrash);
    EXPECT_EQ(decide(queued, &published, true, true), Decision::Nothing);
    setFlag(*queued, u"inTrash", false);
    queued->ManagedObject::setValueForKey(Value(), u"dateFirstPublished");
    EXPECT_EQ(decide(queued, &published, false, true), Decision::Upload) << "never published: pushed whatever the server did";

    auto plain = newPost(u"5");
    EXPECT_EQ(decide(plain, &published, true, true), Decision::HoldServerVersionAsConflict);
    EXPECT_EQ(decide(plain, &published, true, false), Decision::Nothing) << "published edits wait for the user";
    EXPECT_EQ(decide(plain, &published, false, true), Decision::TakeServerVersion);
    EXPECT_EQ(decide(plain, &published, false, false), Decision::PatchMissingProperties);
    EXPECT_EQ(decide(plain, nullptr, false, false), Decision::PatchMissingProperties);
    plain->ManagedObject::setValueForKey(Value(), u"dateFirstPublished");
    EXPECT_EQ(decide(plain, &published, true, false), Decision::Upload);

    auto draft = newPost(u"");
    EXPECT_EQ(decide(draft, nullptr, false, false), Decision::Upload);
    setFlag(*draft, u"inTrash", true);
    EXPECT_EQ(decide(draft, nullptr, false, false), Decision::Nothing) << "a trashed draft is not sent";
    setFlag(*draft, u"publishAtNextSync", true);
    EXPECT_EQ(decide(draft, nullptr, true, false), Decision::Nothing) << "nor moved to a trash it never reached";

    auto inTrash = newPost(u"5");
    setFlag(*inTrash, u"inTrash", true);
    EXPECT_EQ(decide(inTrash, &published, false, false), Decision::RestoreFromLocalTrash);
    EXPECT_EQ(decide(inTrash, &trashed, false, false), Decision::Nothing) << "any letter case";
    EXPECT_EQ(decide(inTrash, &noStatus, false, false), Decision::Nothing);
    EXPECT_EQ(decide(inTrash, nullptr, false, false), Decision::Nothing);
}

TEST_F(VornickBlogServiceIntegratorPostSyncTests, LocalTimesAreComparedWithTheLocalMarkAndServerDatesWithServerDates)
{
    auto post = std::dynamic_pointer_cast<VornickPublishedBlogPost>(context.insertNewObject(u"BlogPost"));
    Date server(1780000000);
    Date local(1790000000);
    setDate(*post, u"dateLastPublished", server);
    post->setDateLastSyncedLocally(local);

    setDate(*post, u"dateLastEditedLocally", local.addingTimeInterval(1.0));
    EXPECT_FALSE(VornickBlogServiceIntegrator::postWasEditedLocally(*post)) << "a second is the clock's grace";
    setDate(*post, u"dateLastEditedLocally", local.addingTimeInterval(1.001));
    EXPECT_TRUE(VornickBlogServiceIntegrator::postWasEditedLocally(*post));
    setDate(*post, u"dateLastEditedLocally", server.addingTimeInterval(3600));
    EXPECT_FALSE(VornickBlogServiceIntegrator::postWasEditedLocally(*post)) << "the server's clock says nothing of local edits";
    post->setDateLastSyncedLocally(std::nullopt);
    EXPECT_TRUE(VornickBlogServiceIntegrator::postWasEditedLocally(*post)) << "a post never marked compares with its publication";

    Dictionary description { { u"identifierUsedByBlogService", Value(u"5") }, { u"dateLastPublished", Value(server.addingTimeInterval(1.0)) } };
    EXPECT_FALSE(integrator.postWasEditedOnServer(*post, &description));
    description[u"dateLastPublished"] = Value(server.addingTimeInterval(1.001));
    EXPECT_TRUE(integrator.postWasEditedOnServer(*post, &description));
    description[u"dateLastPublished"] = Value(u"2099-01-01T00:00:00Z");
    EXPECT_FALSE(integrator.postWasEditedOnServer(*post, &description)) << "a date that is not a date never counts";
    EXPECT_FALSE(integrator.postWasEditedOnServer(*post, nullptr));
    // A later date under another key of the same length is not the server's date.
    Dictionary otherKeys { { u"identifierUsedByBlogService", Value(u"5") }, { u"dateLastPublishee", Value(server.addingTimeInterval(60)) },
                           { u"sourceContentType", Value(server.addingTimeInterval(60)) } };
    EXPECT_FALSE(integrator.postWasEditedOnServer(*post, &otherKeys));
    otherKeys[u"dateLastPublished"] = Value(server.addingTimeInterval(60));
    EXPECT_TRUE(integrator.postWasEditedOnServer(*post, &otherKeys));

    // The mark goes to the post's file and comes back from it.
    post->setDateLastSyncedLocally(local);
    Dictionary archive = post->archivalRepresentation()->propertyList();
    ASSERT_TRUE(archive.contains(std::u16string_view(u"dateLastSyncedLocally")));
    auto blog = integrator.importBlogDescription(FakeBlogSite::descriptionOfBlog(*site.blog(u"7")), nullptr, std::nullopt);
    auto reread = integrator.importPostDescription(archive, nullptr, blog, URL::fileURLWithPath(folder + "/x.brevantonblogpost", false), true);
    EXPECT_EQ(reread->dateLastSyncedLocally(), std::optional(local));
}

TEST_F(VornickBlogServiceIntegratorPostSyncTests, ALocalEditIsNotLostToAServerClockAheadOfOurs)
{
    site.setNow(Date::now().addingTimeInterval(86400));
    addServerPosts(1);
    sync();
    auto mine = post(u"100");
    editLocally(*mine, u"Mine");
    editOnServer(u"100", u"Theirs");
    sync();
    EXPECT_EQ(mine->title(), u"Mine");
    EXPECT_TRUE(mine->hasPendingPostDescription());
    EXPECT_TRUE(logHas("** CONFLICT(2): \"Mine\" (100) edited both locally and on the server!")) << logText();
}

TEST_F(VornickBlogServiceIntegratorPostSyncTests, ConflictsHoldTheServerVersionUntilResolved)
{
    addServerPosts(2);
    sync();
    auto edited = post(u"100");
    editLocally(*edited, u"Edited here");
    editOnServer(u"100", u"Edited there");
    // Open in an editor with unsaved edits, but not edited since it was synced.
    auto open = post(u"101");
    auto editor = std::make_shared<FakePostEditor>(open, true);
    VornickProjectComponentEditor::registerEditor(editor);
    editOnServer(u"101", u"Also edited there");
    sync();
    VornickProjectComponentEditor::unregisterEditor(*editor);

    EXPECT_EQ(edited->title(), u"Edited here");
    ASSERT_TRUE(edited->hasPendingPostDescription());
    auto pending = readPropertyList(edited->ManagedObject::valueForKey(u"pendingPostDescriptionData").data(), nullptr);
    ASSERT_TRUE(pending);
    EXPECT_EQ((*pending)[u"title"].string(), u"Edited there");
    EXPECT_EQ(open->title(), u"Post 1") << "an editor with unsaved edits keeps them";
    EXPECT_TRUE(open->hasPendingPostDescription());
    EXPECT_EQ(editor->calls, (std::vector<std::string> { "willPend", "didPend" }));

    // Resolved against this server version, the conflict does not come back.
    edited->discardPendingPostDescriptionDataAndMarkConflictResolved();
    log->clear();
    sync();
    EXPECT_TRUE(logHas("Conflict for \"Edited there\" already resolved. Nothing to do.")) << logText();
    EXPECT_FALSE(edited->hasPendingPostDescription());
    EXPECT_EQ(edited->title(), u"Edited here");

    // A server version that cannot be kept leaves the post as it is.
    Dictionary unstorable = FakeBlogSite::descriptionOfPost(*site.post(u"100"));
    unstorable[u"tags"] = Value();
    unstorable[u"dateLastPublished"] = Value(site.now().addingTimeInterval(600));
    integrator.processPostDescriptionFromHostingService(&unstorable, edited, blog(), true);
    EXPECT_FALSE(edited->hasPendingPostDescription());
    EXPECT_EQ(edited->title(), u"Edited here");
    EXPECT_TRUE(logHas("Failed to keep the server's version of \"Edited here\""));
}

TEST_F(VornickBlogServiceIntegratorPostSyncTests, AServerEditReplacesThePostAndItsFileUnlessAnEditorHoldsIt)
{
    addServerPosts(2);
    sync();
    auto closed = post(u"100");
    closed->setSourceFileName(u"closed.brevantonblogpost");
    auto open = post(u"101");
    open->setSourceFileName(u"open.brevantonblogpost");
    ASSERT_TRUE(integrator.commitAndSaveChangesInManagedObjectContext(context));
    auto postEditor = std::make_shared<FakePostEditor>(open);
    auto blogEditor = std::make_shared<FakeBlogWindowEditor>(blog());
    VornickProjectComponentEditor::registerEditor(postEditor);
    VornickProjectComponentEditor::registerEditor(blogEditor);
    editOnServer(u"100", u"New title");
    editOnServer(u"101", u"Another title");
    Date before = Date::now();
    sync();
    VornickProjectComponentEditor::unregisterEditor(*postEditor);
    VornickProjectComponentEditor::unregisterEditor(*blogEditor);

    EXPECT_TRUE(logHas("<< \"New title\" (100) edited on server but not locally."));
    EXPECT_EQ(closed->title(), u"New title");
    EXPECT_FALSE(closed->hasPendingPostDescription());
    ASSERT_TRUE(closed->dateLastSyncedLocally());
    EXPECT_GE(*closed->dateLastSyncedLocally(), before);
    std::string file = fileText(*closed->sourceFileURL());
    EXPECT_NE(file.find("New title"), std::string::npos);
    EXPECT_NE(file.find("dateLastSyncedLocally"), std::string::npos);
    EXPECT_FALSE(closed->hasEditsNotYetSavedToSourceFile());

    EXPECT_EQ(open->title(), u"Another title");
    EXPECT_EQ(postEditor->calls, (std::vector<std::string> { "willReplace", "didReplace" }));
    EXPECT_EQ(fileText(*open->sourceFileURL()), "") << "the open editor writes its own file";
    EXPECT_EQ(blogEditor->updatedPosts, (std::vector<std::shared_ptr<VornickPublishedBlogPost>> { closed, open }));
}

TEST_F(VornickBlogServiceIntegratorPostSyncTests, APostInTheLocalTrashIsRestoredOnlyWhenTheServerListsItOutsideItsTrash)
{
    addServerPosts(2);
    sync();
    setFlag(*post(u"100"), u"inTrash", true);
    setFlag(*post(u"101"), u"inTrash", true);
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) {
        agent.scriptMangling(Kind::Posts, [](std::vector<Dictionary>& page) { page[1].erase(u"status"); });
    };
    sync();
    EXPECT_FALSE(post(u"100")->inTrash());
    EXPECT_FALSE(post(u"100")->hasEditsNotYetSavedToSourceFile()) << "its file says so too";
    EXPECT_FALSE(context.hasChanges());
    Error error;
    auto file = VornickObjectArchive::createWithContentsOfURL(*post(u"100")->sourceFileURL(), &error);
    ASSERT_TRUE(file) << error;
    EXPECT_FALSE(file->propertyList()[u"inTrash"].boolValue(true));
    EXPECT_TRUE(logHas("<< Restoring \"Post 0\" from our local Trash, since it isn't in the Trash on the server."));
    EXPECT_TRUE(post(u"101")->inTrash()) << "without a status nothing says it left the trash";
}

TEST_F(VornickBlogServiceIntegratorPostSyncTests, MalformedListingsNeitherDuplicateNorOverwritePosts)
{
    addServerPosts(3);
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) { agent.scriptMangling(Kind::Posts, FakeBlogServiceAgent::numericIdentifiers()); };
    sync();
    EXPECT_EQ(storedPostCount(), 0u) << "a number is no identifier";
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) { agent.scriptMangling(Kind::Posts, FakeBlogServiceAgent::missingIdentifiers()); };
    sync();
    sync();
    EXPECT_EQ(storedPostCount(), 0u) << "posts without identifiers would come again at every sync";
    EXPECT_TRUE(logHas("Skipping a post description without identifierUsedByBlogService: \"Post 0\""));

    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) { agent.scriptMangling(Kind::Posts, FakeBlogServiceAgent::firstIdentifierTwice()); };
    sync();
    EXPECT_EQ(storedPostCount(), 2u);
    EXPECT_EQ(post(u"100")->title(), u"Post 0") << "the second description of 100 does not overwrite the first";
    EXPECT_TRUE(logHas("Skipping 1 post description with ids the listing already gave (the first: 100)"));

    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) { agent.scriptMangling(Kind::Posts, FakeBlogServiceAgent::datesThatAreNotDates()); };
    site.advanceClock(60);
    site.editPost(u"102", u"Edited, badly dated");
    sync();
    EXPECT_EQ(storedPostCount(), 3u) << "101, new to us, is imported";
    EXPECT_EQ(post(u"102")->title(), u"Post 2") << "a modified date that is not a date is no edit";
}

TEST_F(VornickBlogServiceIntegratorPostSyncTests, RepeatedLateAndThreadedPagesAreTakenOnceOnTheMainThread)
{
    addServerPosts(60);
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) { agent.script(Kind::Posts, Behavior::AnswerTwice); };
    sync();
    EXPECT_EQ(integrator.fakeAgent().requestSummary(), "blogs posts@0 posts@50") << "the repeated page is dropped";
    EXPECT_EQ(storedPostCount(), 60u);

    site.addPost(u"7", u"Late");
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) { agent.script(Kind::Posts, Behavior::Hold); };
    auto cancelled = sync();
    cancelled->cancelUnfinishedStepsRecursively();
    drain();
    integrator.fakeAgent().releaseHeldAnswers();
    drain();
    EXPECT_EQ(storedPostCount(), 60u) << "a page after the user cancelled changes nothing";
    EXPECT_EQ(integrator.fakeAgent().requestSummary(), "blogs posts@0");

    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) { agent.setDefaultBehavior(Kind::Posts, Behavior::OffMainThread); };
    auto threaded = startSession();
    for (int turn = 0; turn < 10; ++turn) {
        drain();
        integrator.fakeAgent().joinBackgroundAnswers();
    }
    drain();
    EXPECT_EQ(storedPostCount(), 61u);
    EXPECT_EQ(step(*threaded, u"syncPosts").state(), VornickSyncStepState::Completed);
}

TEST_F(VornickBlogServiceIntegratorPostSyncTests, AFailedListingFailsPostsButPagesTheUserMayNotReadComplete)
{
    addServerPosts(1);
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) {
        agent.script(Kind::Posts, Behavior::FailWithHTTP500);
        agent.setPagesSupported(true);
        agent.setDefaultBehavior(Kind::Pages, Behavior::NoAnswer);
    };
    auto failed = sync();
    EXPECT_EQ(step(*failed, u"syncPosts").state(), VornickSyncStepState::Failed);
    EXPECT_EQ(step(*failed, u"syncPosts").statusMessage(), FakeBlogServiceAgent::http500Error().localizedDescription());
    EXPECT_EQ(failed->state(), VornickSyncStepState::Failed);
    EXPECT_EQ(integrator.fakeAgent().requestSummary(), "blogs posts@0 pages@0");

    // A blog step with a pages listing, as a service's integrator adds it.
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) { agent.setDefaultBehavior(Kind::Pages, Behavior::NoAnswer); };
    auto withPages = [&] {
        auto session = integrator.createSyncSessionOfType(VornickSyncSessionType::Manual);
        auto blogStep = session->stepWithName(u"syncBlog.7");
        auto pages = std::make_shared<VornickSyncStep>(u"syncPages", u"Sync Pages");
        std::weak_ptr<VornickSyncStep> weakPages = pages;
        pages->setStartBlock([this, weakPages] {
            integrator.agent()->requestPagesForBlogWithDescription(weakPages.lock()->blogStep()->blogDescription(), 0);
        });
        blogStep->insertStep(pages, 1);
        integrator.setSyncSession(session);
        session->setState(VornickSyncStepState::Active);
        drain();
        return session;
    };
    auto forbidden = withPages();
    ASSERT_EQ(step(*forbidden, u"syncPages").state(), VornickSyncStepState::Active);
    integrator.blogServiceAgentFailedToGetPageDescriptionsWithError(integrator.fakeAgent(), Error(VornickHTTPErrorDomain, 403, u"Forbidden"),
        blogDescription());
    drain();
    EXPECT_EQ(step(*forbidden, u"syncPages").state(), VornickSyncStepState::Completed);
    EXPECT_EQ(step(*forbidden, u"syncPages").statusMessage(), u"Forbidden");
    auto broken = withPages();
    integrator.blogServiceAgentFailedToGetPageDescriptionsWithError(integrator.fakeAgent(), FakeBlogServiceAgent::http500Error(),
        blogDescription());
    drain();
    EXPECT_EQ(broken->state(), VornickSyncStepState::Failed);
}

TEST_F(VornickBlogServiceIntegratorPostSyncTests, APostFromTheServerThatNoServiceNamedIsWrittenToAFileNamedAfterItsTitle)
{
    integrator.namesImportedPosts = false;
    std::u16string slashed = site.addPost(u"7", u"Hello/World");
    std::u16string same1 = site.addPost(u"7", u"Same");
    std::u16string same2 = site.addPost(u"7", u"Same");
    std::u16string untitled = site.addPost(u"7", u"");
    sync();
    std::u16string extension = u"." + post(slashed)->standardFilenameExtension().value_or(u"");
    EXPECT_EQ(post(slashed)->sourceFileName(), u"Hello-World-" + slashed + extension);
    EXPECT_EQ(post(same1)->sourceFileName(), u"Same-" + same1 + extension);
    EXPECT_EQ(post(same2)->sourceFileName(), u"Same-" + same2 + extension);
    EXPECT_EQ(post(untitled)->sourceFileName(), u"Untitled-" + untitled + extension);
    for (auto& identifier : { slashed, same1, same2, untitled }) {
        auto url = post(identifier)->sourceFileURL();
        ASSERT_TRUE(url);
        EXPECT_NE(fileText(*url), "") << "written to its file";
        EXPECT_FALSE(post(identifier)->hasEditsNotYetSavedToSourceFile());
    }

    // A name another post of the blog holds is not taken twice.
    std::u16string later = site.addPost(u"7", u"Later");
    auto local = std::dynamic_pointer_cast<VornickPublishedBlogPost>(context.insertNewObject(u"BlogPost"));
    ASSERT_TRUE(local->prepareNewPostAndAssociateWithBlog(blog()));
    local->setSourceFileName(u"Later-" + later + extension);
    local->ManagedObject::setValueForKey(Value(true), u"inTrash");
    ASSERT_TRUE(integrator.commitAndSaveChangesInManagedObjectContext(context));
    sync();
    EXPECT_EQ(post(later)->sourceFileName(), u"Later-" + later + u" 2" + extension);
    EXPECT_EQ(local->sourceFileName(), u"Later-" + later + extension);

    // A name the service's integrator gives is kept.
    integrator.namesImportedPosts = true;
    std::u16string named = site.addPost(u"7", u"Named");
    sync();
    EXPECT_EQ(post(named)->sourceFileName(), u"post-" + named + extension);
}

} // namespace
} // namespace brevanton

// The sync engine with each WordPress agent against the real site: the
// import, a second sync that only lists, a local edit uploaded, another
// client's edit taken, both at once held as a conflict, and a post deleted
// on the site removed here.
#include "blog/VornickPublishedBlog.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "blog/VornickSyncStepState.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "tests/wordpress/site/SyncSiteTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace brevanton::testing {
namespace {

size_t occurrences(const std::u16string& text, std::u16string_view part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::u16string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

std::string describe(const std::map<std::u16string, int>& counts)
{
    std::string text;
    for (const auto& [path, count] : counts)
        text += toUTF8(path) + " " + std::to_string(count) + "\n";
    return text;
}

std::u16string trimmed(std::u16string_view text)
{
    size_t begin = text.find_first_not_of(u" \t\r\n");
    size_t end = text.find_last_not_of(u" \t\r\n");
    return begin == std::u16string_view::npos ? std::u16string() : std::u16string(text.substr(begin, end - begin + 1));
}

using SyncSite = SyncSiteTest;

TEST_P(SyncSite, ImportsThenOnlyListsThenTakesChangesOfBothSides)
{
    // The import: every post and page, each written to its file, none taken for a local edit.
    auto first = syncToTheEnd();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->state(), VornickSyncStepState::Completed) << toUTF8(m_log->text());
    auto blog = this->blog();
    ASSERT_TRUE(blog) << toUTF8(m_log->text());
    EXPECT_EQ(blog->postsOnly().size(), 137u);
    size_t withoutFile = 0;
    size_t queued = 0;
    for (auto& post : blog->posts()) {
        auto published = std::dynamic_pointer_cast<VornickPublishedBlogPost>(post);
        ASSERT_TRUE(published);
        auto url = published->sourceFileURL();
        if (!url || !fileExists(*url->fileSystemPath()))
            ++withoutFile;
        if (published->publishAtNextSync() || published->hasPendingPostDescription())
            ++queued;
    }
    EXPECT_EQ(withoutFile, 0u);
    EXPECT_EQ(queued, 0u);

    // A second sync makes only the site list, one listing per 50 posts and
    // pages, the terms (121 categories: two pages over REST, and a last,
    // empty one over XML-RPC) and the first page of the media library.
    URLSession::resetRequestCountsForTesting();
    auto second = syncToTheEnd();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->state(), VornickSyncStepState::Completed) << toUTF8(lastSessionLog());
    std::map<std::u16string, int> expected;
    if (xmlrpc())
        expected = { { u"/xmlrpc.php", 1 + 3 + 2 + 1 + 1 } };
    else
        expected = { { u"/wp-json/wp/v2/settings", 1 }, { u"/wp-json/wp/v2/posts", 3 }, { u"/wp-json/wp/v2/pages", 1 },
                     { u"/wp-json/wp/v2/categories", 2 }, { u"/wp-json/wp/v2/tags", 1 }, { u"/wp-json/wp/v2/media", 1 } };
    EXPECT_EQ(requestCounts(), expected) << describe(requestCounts()) << toUTF8(lastSessionLog());
    EXPECT_EQ(occurrences(lastSessionLog(), u"-> Sending"), 0u);

    // A local edit is uploaded, content byte for byte.
    auto mine = postTitled(u"Post 7");
    ASSERT_TRUE(mine);
    const std::u16string myContent = u"  <!-- wp:paragraph -->\n<p>Edited here: caf\u00e9 &amp; \u201cquotes\u201d\t<em>x</em></p>\n<!-- /wp:paragraph -->\n\n";
    editLocally(*mine, myContent);
    uploadToTheEnd(*mine);
    EXPECT_FALSE(mine->publishAtNextSync()) << toUTF8(m_log->text());
    // WordPress's XML-RPC server trims every string it is sent.
    EXPECT_EQ(siteContent(mine->identifierUsedByBlogService()), xmlrpc() ? trimmed(myContent) : myContent);

    // Another client's edit is taken here.
    auto theirs = postTitled(u"Post 5");
    ASSERT_TRUE(theirs);
    const std::u16string theirContent = u"<!-- wp:paragraph -->\n<p>Edited by another client</p>\n<!-- /wp:paragraph -->";
    RunLoop::main().runFor(1.1); // WordPress dates count whole seconds.
    editOnSite(theirs->identifierUsedByBlogService(), theirContent);
    auto third = syncToTheEnd();
    ASSERT_TRUE(third);
    EXPECT_EQ(third->state(), VornickSyncStepState::Completed) << toUTF8(lastSessionLog());
    EXPECT_EQ(theirs->sourceContentString(), theirContent) << toUTF8(lastSessionLog());
    EXPECT_FALSE(theirs->publishAtNextSync());
    EXPECT_FALSE(theirs->hasPendingPostDescription());
    EXPECT_EQ(occurrences(lastSessionLog(), u"-> Sending"), 0u) << toUTF8(lastSessionLog());

    // Both sides edit one post: the send is held back as a conflict, and
    // neither side's content is overwritten.
    auto both = postTitled(u"Post 8");
    ASSERT_TRUE(both);
    const std::u16string hereContent = u"<!-- wp:paragraph -->\n<p>Here</p>\n<!-- /wp:paragraph -->";
    const std::u16string thereContent = u"<!-- wp:paragraph -->\n<p>There</p>\n<!-- /wp:paragraph -->";
    RunLoop::main().runFor(1.1);
    editLocally(*both, hereContent);
    editOnSite(both->identifierUsedByBlogService(), thereContent);
    uploadToTheEnd(*both);
    EXPECT_TRUE(both->hasPendingPostDescription()) << toUTF8(lastSessionLog());
    EXPECT_TRUE(both->publishAtNextSync());
    EXPECT_EQ(both->sourceContentString(), hereContent);
    EXPECT_EQ(siteContent(both->identifierUsedByBlogService()), thereContent);
    EXPECT_NE(lastSessionLog().find(u"CONFLICT"), std::u16string::npos) << toUTF8(lastSessionLog());
    // The next two-way sync holds it as well.
    syncToTheEnd();
    EXPECT_TRUE(both->hasPendingPostDescription());
    EXPECT_EQ(both->sourceContentString(), hereContent);
    EXPECT_EQ(siteContent(both->identifierUsedByBlogService()), thereContent);
    EXPECT_EQ(occurrences(lastSessionLog(), u"-> Sending"), 0u) << toUTF8(lastSessionLog());

    // A post deleted on the site for good is confirmed gone and removed here, its file in the Trash.
    auto gone = postTitled(u"Post 6");
    ASSERT_TRUE(gone);
    std::u16string goneIdentifier = gone->identifierUsedByBlogService();
    ASSERT_TRUE(gone->sourceFileURL());
    std::string gonePath = *gone->sourceFileURL()->fileSystemPath();
    std::string goneName = std::filesystem::path(gonePath).filename().string();
    gone.reset();
    SiteReply deleted = siteRESTRequest(m_site, m_site.administrator, u"DELETE", u"/wp/v2/posts/" + goneIdentifier + u"?force=true");
    ASSERT_EQ(deleted.status, 200);
    auto fourth = syncToTheEnd();
    ASSERT_TRUE(fourth);
    EXPECT_EQ(fourth->state(), VornickSyncStepState::Completed) << toUTF8(lastSessionLog());
    std::u16string fourthLog = lastSessionLog();
    EXPECT_NE(fourthLog.find(u"Server confirms post " + goneIdentifier + u" doesn't exist"), std::u16string::npos) << toUTF8(fourthLog);
    EXPECT_EQ(fourthLog.find(u"because it has edits the server never had"), std::u16string::npos) << toUTF8(fourthLog);
    EXPECT_FALSE(postTitled(u"Post 6"));
    EXPECT_EQ(blog->postsOnly().size(), 136u);
    EXPECT_FALSE(fileExists(gonePath));
    EXPECT_TRUE(fileExists(m_folder + "/data/Trash/files/" + goneName)) << goneName;

    // The files hold what the index holds: the index the program rebuilds from them is the same.
    Error error;
    ASSERT_TRUE(m_project->save(&error)) << error;
    m_project->siteIntegrator().setSyncSession(nullptr);
    m_project->siteIntegrator().setAgent(nullptr);
    blog.reset();
    mine.reset();
    theirs.reset();
    both.reset();
    m_account.reset();
    ProcessLaunch launch;
    launch.executable = BREVANTON_EXECUTABLE;
    launch.arguments = { "--reindex", *m_project->projectFileURL().fileSystemPath() };
    launch.environment["DISPLAY"] = std::nullopt;
    launch.timeout = std::chrono::minutes(2);
    m_project.reset();
    auto reindexed = Process::run(launch);
    ASSERT_TRUE(reindexed);
    EXPECT_TRUE(reindexed->succeeded()) << reindexed->standardOutput << reindexed->standardError;
    EXPECT_NE(reindexed->standardOutput.find(" 0 differences"), std::string::npos) << reindexed->standardOutput;
}

INSTANTIATE_TEST_SUITE_P(Protocols, SyncSite, ::testing::Values(SiteProtocol::REST, SiteProtocol::XMLRPC), siteProtocolName);

} // namespace
} // namespace brevanton::testing

#include "blog/VornickBlogServiceIntegrator.h"

#include "tests/blog/BlogModelTestSupport.h"

#include "blog/VornickBlogHostingAccount.h"
#include "blog/VornickFileSafeNames.h"
#include "blog/VornickPublishedBlog.h"
#include "blog/VornickPublishedBlogPost.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

class VornickBlogServiceIntegratorTests : public ::testing::Test {
protected:
    std::string folder;
    std::shared_ptr<TestBlogProject> project = makeTestBlogProject(&folder);
    ManagedObjectContext& context = *project->index()->managedObjectContext();
    VornickBlogServiceIntegrator& integrator = project->integrator();

    std::shared_ptr<VornickPublishedBlog> importServerBlog(std::u16string title, std::u16string identifier = u"7")
    {
        return integrator.importBlogDescription(
            Dictionary { { u"identifierUsedByBlogService", Value(identifier) }, { u"title", Value(title) },
                         { u"browseURLString", Value(u"https://site.example/blog") } },
            nullptr, std::nullopt);
    }
};

TEST_F(VornickBlogServiceIntegratorTests, ServerBlogsAreFoundAgainAndGetSafeFolderNames)
{
    auto blog = importServerBlog(u"<b>My</b> Blog");
    ASSERT_TRUE(blog);
    EXPECT_EQ(blog->blogFolderName(), u"My Blog (site.example)");
    EXPECT_EQ(blog->sourceFileName(), u"My Blog (site.example).brevantonwordpressblog");
    EXPECT_EQ(blog->hostingAccount(), project->rootComponent());
    EXPECT_TRUE(blog->hasEditsNotYetSavedToSourceFile());
    EXPECT_EQ(importServerBlog(u"Renamed"), blog) << "the same blog, found by its identifier";
    EXPECT_EQ(blog->title(), u"Renamed");
    EXPECT_EQ(blog->blogFolderName(), u"My Blog (site.example)") << "a blog keeps its folder";
    EXPECT_EQ(vornick_allEntitiesOfKind(context, u"Blog")->size(), 1u);

    // Markup is stripped before the name is made safe: "&#47;" never becomes a folder separator.
    auto sneaky = importServerBlog(u"..&#47;..&#47;x", u"8");
    EXPECT_EQ(sneaky->blogFolderName().find(u'/'), std::u16string::npos) << toUTF8(sneaky->blogFolderName());
    auto dots = integrator.importBlogDescription(Dictionary { { u"identifierUsedByBlogService", Value(u"9") }, { u"title", Value(u"&#46;&#46;") } },
                                                 nullptr, std::nullopt);
    EXPECT_NE(dots->blogFolderName(), u"..");
    EXPECT_NE(dots->blogFolderName(), u".");
    // Two blogs of one name and host get folders of their own.
    auto twin = importServerBlog(u"<b>My</b> Blog", u"10");
    EXPECT_EQ(twin->blogFolderName(), u"My Blog (site.example) 2");
    auto url = twin->sourceFileURL();
    ASSERT_TRUE(url);
    EXPECT_EQ(url->URLByDeletingLastPathComponent().URLByDeletingLastPathComponent().absoluteString(),
              project->blogsFolderURL().absoluteString());
}

TEST(VornickFileSafeNameTests, ControlsSeparatorsDotsAndLength)
{
    EXPECT_EQ(vornick_fileSafeName(u"a/b\tc\u0085d", u"x"), u"a-bcd");
    EXPECT_EQ(vornick_fileSafeName(u"..", u"x"), u"x");
    EXPECT_EQ(vornick_fileSafeName(u".", u"x"), u"x");
    EXPECT_EQ(vornick_fileSafeName(u"\n", u"x"), u"x");
    EXPECT_EQ(vornick_fileSafeName(u"...", u"x"), u"...");
    std::u16string longName(300, u'\u00e9');
    std::u16string cut = vornick_fileSafeName(longName, u"x");
    EXPECT_EQ(toUTF8(cut).size(), 254u) << "two bytes a letter, never half of one";
    EXPECT_EQ(toUTF8(vornick_fileSafeName(u"ab\U0001F600", u"x", 5)), "ab") << "a pair is kept whole or dropped";
}

TEST_F(VornickBlogServiceIntegratorTests, PostDescriptionsMatchDatesTagsAndFiles)
{
    auto blog = importServerBlog(u"Blog");
    auto existingTag = context.insertNewObject(u"BlogTag");
    existingTag->setValueForKey(Value(u"Known"), u"title");
    existingTag->setObjectForKey(blog, u"blog");

    Dictionary description { { u"identifierUsedByBlogService", Value(u"31") }, { u"title", Value(u"From the server") },
                             { u"dateLastPublished", Value(u"2026-03-01T10:20:30Z") },
                             { u"tags", Value(Array { Value(u"Known"), Value(u"New"), Value(u"New") }) },
                             { u"inTrash", Value(u"1") } };
    auto post = integrator.importPostDescription(description, nullptr, blog, std::nullopt, false);
    ASSERT_TRUE(post);
    Value published = post->ManagedObject::valueForKey(u"dateLastPublished");
    ASSERT_TRUE(published.isDate());
    EXPECT_EQ(post->ManagedObject::valueForKey(u"dateLastEditedLocally"), published);
    EXPECT_TRUE(post->inTrash());
    auto tags = post->objectsForKey(u"tags");
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_EQ(tags[0], existingTag);
    EXPECT_EQ(blog->objectsForKey(u"tags").size(), 2u) << "the new tag belongs to the blog";

    EXPECT_EQ(integrator.importPostDescription(description, nullptr, blog, std::nullopt, false), post) << "found by identifier";
    EXPECT_NE(integrator.importPostDescription(description, nullptr, blog, std::nullopt, true), post)
        << "a new, empty store looks nothing up";

    // A post scheduled for next month was not edited here: its local edit
    // date is no later than its import, so the next sync sends nothing back.
    Date imported = Date::now();
    Dictionary scheduled { { u"identifierUsedByBlogService", Value(u"32") }, { u"title", Value(u"Later") },
                           { u"dateLastPublished", Value(imported.addingTimeInterval(30 * 86400.0)) } };
    auto later = integrator.importPostDescription(scheduled, nullptr, blog, std::nullopt, false);
    ASSERT_TRUE(later);
    later->setDateLastSyncedLocally(Date::now());
    Value edited = later->ManagedObject::valueForKey(u"dateLastEditedLocally");
    ASSERT_TRUE(edited.isDate());
    EXPECT_LE(edited.date().timeIntervalSince(Date::now()), 0);
    EXPECT_FALSE(VornickBlogServiceIntegrator::postWasEditedLocally(*later));

    URL file = URL::fileURLWithPath(folder + "/2026_01_01_00_00_00.brevantonwordpresspost", false);
    post->setSourceFileName(file.lastPathComponent());
    EXPECT_EQ(integrator.existingPostForDescription({}, file, *blog), post) << "a file without identifier is matched by name";
}

TEST_F(VornickBlogServiceIntegratorTests, EveryKeyAPostImportReadsIsFoundAmongItsNeighbours)
{
    auto blog = importServerBlog(u"Blog");
    // Each key the import reads, with keys that sort right before and after
    // it or differ only in case or length: none may stand in for another.
    Dictionary description;
    auto add = [&](std::u16string key, Value value) { description.emplace(std::move(key), std::move(value)); };
    for (const char16_t* decoy : { u"", u"Title", u"dateLastPublishe", u"dateLastPublishedX", u"tag", u"tagsX", u"inTras", u"inTrashed",
                                   u"sourceContent", u"sourceContentStrings", u"title ", u"titl", u"zzz", u"identifierUsedByBlogServiceX",
                                   u"permalinkURLStrin", u"publishAtNextSyncs" })
        add(decoy, Value(u"decoy"));
    add(u"identifierUsedByBlogService", Value(u"41"));
    add(u"title", Value(u"Walk"));
    add(u"sourceContentString", Value(u"<p>Body</p>"));
    add(u"sourceContentType", Value(u"markdown"));
    add(u"dateLastEditedLocally", Value(Date(1780000300.0)));
    add(u"dateLastSyncedLocally", Value(Date(1780000200.0)));
    add(u"tags", Value(Array { Value(u"River") }));
    add(u"permalinkURLString", Value(u"https://site.example/walk"));
    add(u"dateFirstPublished", Value(Date(1780000000.0)));
    add(u"dateLastPublished", Value(Date(1780000100.0)));
    add(u"inTrash", Value(true));
    add(u"publishAtNextSync", Value(true));

    URL file = URL::fileURLWithPath(folder + "/walk.brevantonwordpresspost", false);
    auto post = integrator.importPostDescription(description, nullptr, blog, file, false);
    ASSERT_TRUE(post);
    EXPECT_EQ(post->identifierUsedByBlogService(), u"41");
    EXPECT_EQ(post->title(), u"Walk");
    EXPECT_EQ(post->sourceContentString(), u"<p>Body</p>");
    EXPECT_EQ(post->sourceContentType(), u"markdown");
    EXPECT_EQ(post->ManagedObject::valueForKey(u"dateLastEditedLocally"), Value(Date(1780000300.0)));
    EXPECT_EQ(post->dateLastSyncedLocally(), Date(1780000200.0));
    ASSERT_EQ(post->objectsForKey(u"tags").size(), 1u);
    EXPECT_EQ(post->objectsForKey(u"tags")[0]->valueForKey(u"title"), Value(u"River"));
    EXPECT_EQ(post->permalinkURLString(), u"https://site.example/walk");
    EXPECT_EQ(post->ManagedObject::valueForKey(u"dateFirstPublished"), Value(Date(1780000000.0)));
    EXPECT_EQ(post->ManagedObject::valueForKey(u"dateLastPublished"), Value(Date(1780000100.0)));
    EXPECT_TRUE(post->inTrash());
    EXPECT_TRUE(post->publishAtNextSync());
    EXPECT_EQ(post->sourceFileName(), u"walk.brevantonwordpresspost");

    // Only the decoys: nothing is taken from them.
    Dictionary decoys;
    for (auto& [key, value] : description) {
        if (value == Value(u"decoy"))
            decoys.emplace(key, value);
    }
    auto empty = integrator.importPostDescription(decoys, nullptr, blog, std::nullopt, true);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->identifierUsedByBlogService(), u"");
    EXPECT_EQ(empty->title(), u"");
    EXPECT_TRUE(empty->objectsForKey(u"tags").empty());
    EXPECT_FALSE(empty->inTrash());
    EXPECT_TRUE(empty->ManagedObject::valueForKey(u"dateLastPublished").isNull());
}

TEST_F(VornickBlogServiceIntegratorTests, TheFirstOfSeveralAccountsIsUsed)
{
    auto first = integrator.findHostingAccount();
    ASSERT_TRUE(first);
    context.insertNewObject(u"BlogHostingAccount");
    EXPECT_EQ(integrator.findHostingAccount(), first);
    VornickBlogServiceIntegrator orphan;
    EXPECT_EQ(orphan.findHostingAccount(), nullptr);
    EXPECT_EQ(orphan.existingBlogForDescription({ { u"identifierUsedByBlogService", Value(u"7") } }), nullptr);
}

TEST_F(VornickBlogServiceIntegratorTests, TheBlogFileCarriesTheStoredLocatorSet)
{
    auto blog = importServerBlog(u"Themed");
    Dictionary stored { { u"themeIdentifier", Value(u"twentytwentythree") },
                        { u"attachmentPoints", Value(Dictionary { { u"title", Value(u"[itemprop:{headline}]") }, { u"odd", Value(7) } }) } };
    ASSERT_TRUE(blog->setPostAttachmentPointSetPropertyList(Value(stored)));
    Dictionary expected { { u"themeIdentifier", Value(u"twentytwentythree") },
                          { u"attachmentPoints", Value(Dictionary { { u"title", Value(u"[itemprop:{headline}]") } }) } };
    EXPECT_EQ(blog->postAttachmentPointSetPropertyList(), std::optional(Value(expected))) << "entries that are no selector are left out";
    Dictionary description = blog->archivalRepresentation()->propertyList();
    ASSERT_TRUE(description.count(u"postAttachmentPointSet"));
    EXPECT_EQ(description[u"postAttachmentPointSet"], Value(expected));

    // Read back from the file's description into another blog.
    description[u"identifierUsedByBlogService"] = Value(u"8");
    auto reread = integrator.importBlogDescription(description, nullptr, std::nullopt);
    ASSERT_NE(reread, blog);
    EXPECT_EQ(reread->postAttachmentPointSetPropertyList(), std::optional(Value(expected)));

    // Values of another form change nothing; data that is not JSON is not carried.
    for (Value odd : { Value(u"x"), Value(Dictionary { { u"themeIdentifier", Value(3) } }),
                       Value(Dictionary { { u"attachmentPoints", Value(Array {}) } }) }) {
        EXPECT_FALSE(reread->setPostAttachmentPointSetPropertyList(odd));
        EXPECT_EQ(reread->postAttachmentPointSetPropertyList(), std::optional(Value(expected)));
    }
    reread->setPostAttachmentPointData(Data { 'n', 'o' });
    EXPECT_FALSE(reread->postAttachmentPointSetPropertyList());
    EXPECT_FALSE(reread->archivalRepresentation()->propertyList().count(u"postAttachmentPointSet"));
}

} // namespace
} // namespace brevanton

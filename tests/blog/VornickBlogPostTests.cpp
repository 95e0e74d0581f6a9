#include "blog/VornickBlogPost.h"

#include "tests/blog/BlogModelTestSupport.h"

#include "blog/VornickComponentFileNames.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"

#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace brevanton {
namespace {

class VornickBlogPostTests : public ::testing::Test {
protected:
    std::string folder;
    std::shared_ptr<TestBlogProject> project = makeTestBlogProject(&folder);
    ManagedObjectContext& context = *project->index()->managedObjectContext();
    std::shared_ptr<VornickWordPressBlog> blog = makeBlog();

    std::shared_ptr<VornickWordPressBlog> makeBlog()
    {
        auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context.insertNewObject(u"Blog"));
        blog->setBlogFolderName(u"Blog");
        blog->setSourceFileName(u"blog.brevantonwordpressblog");
        return blog;
    }

    std::shared_ptr<VornickWordPressBlogPost> makePost()
    {
        auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(context.insertNewObject(u"BlogPost"));
        EXPECT_TRUE(post->prepareNewPostAndAssociateWithBlog(blog));
        return post;
    }

    std::shared_ptr<ManagedObject> makeTerm(const char16_t* entity, const char16_t* identifier, const char16_t* title)
    {
        auto term = context.insertNewObject(entity);
        if (identifier)
            term->setValueForKey(Value(identifier), u"identifierUsedByBlogService");
        term->setValueForKey(Value(title), u"title");
        return term;
    }
};

Array strings(std::initializer_list<const char16_t*> values)
{
    Array array;
    for (auto value : values)
        array.emplace_back(value);
    return array;
}

TEST_F(VornickBlogPostTests, ArchiveOrdersIdentifiersByValueAndTitlesIgnoringCase)
{
    auto post = makePost();
    for (auto [identifier, title] : { std::pair { u"10", u"beta" }, { u"9", u"Alpha" }, { u"100", u"gamma" } })
        post->addObjectForKey(makeTerm(u"BlogTag", identifier, title), u"tags");
    post->addObjectForKey(makeTerm(u"BlogTag", nullptr, u"Delta"), u"tags");
    post->addObjectForKey(makeTerm(u"BlogCategory", u"3", u"Zeta"), u"categories");
    auto archive = post->archivalRepresentation();
    EXPECT_EQ(*archive->objectForKey(u"tagIdentifiers"), Value(strings({ u"9", u"10", u"100" })));
    EXPECT_EQ(*archive->objectForKey(u"tags"), Value(strings({ u"Alpha", u"beta", u"Delta", u"gamma" })));
    EXPECT_EQ(*archive->objectForKey(u"categoryIdentifiers"), Value(strings({ u"3" })));
    EXPECT_EQ(archive->objectForKey(u"type")->stringValue(), u"post");
    EXPECT_FALSE(archive->objectForKey(u"format")) << "the blog has no standard format";

    post->setObjectsForKey({}, u"tags");
    post->setObjectsForKey({}, u"categories");
    archive = post->archivalRepresentation();
    for (const char16_t* key : { u"tagIdentifiers", u"tags", u"categoryIdentifiers", u"categories" })
        EXPECT_FALSE(archive->objectForKey(key)) << toUTF8(key);
}

TEST_F(VornickBlogPostTests, NewPostTakesTheBlogsDefaultsAndBlockModePlaceholder)
{
    auto standard = context.insertNewObject(u"PostFormat");
    standard->setValueForKey(Value(u"standard"), u"identifier");
    blog->addObjectForKey(standard, u"postFormats");
    auto draft = context.insertNewObject(u"PostStatus");
    draft->setValueForKey(Value(u"draft"), u"identifier");
    blog->addObjectForKey(draft, u"postStatuses");
    auto uncategorized = makeTerm(u"BlogCategory", u"1", u"Uncategorized");
    blog->addObjectForKey(uncategorized, u"categories");
    blog->setValueForKey(Value(true), u"useWordPressBlockMode");

    auto post = makePost();
    EXPECT_EQ(post->objectForKey(u"format"), standard);
    EXPECT_EQ(post->objectForKey(u"status"), draft);
    EXPECT_EQ(post->objectsForKey(u"categories"), std::vector<std::shared_ptr<ManagedObject>> { uncategorized });
    EXPECT_EQ(post->sourceContentString(),
              u"<!-- wp:paragraph -->\n<p>Write your post content here.</p>\n<!-- /wp:paragraph -->");
    EXPECT_TRUE(post->hasEditsNotYetSavedToSourceFile());
    EXPECT_FALSE(post->currentlyPublished());
    post->setValueForKey(Value(u"12"), u"identifierUsedByBlogService");
    EXPECT_FALSE(post->currentlyPublished()) << "a draft";
}

TEST_F(VornickBlogPostTests, PostsMadeInOneSecondGetFilesOfTheirOwn)
{
    std::set<std::u16string> names;
    std::vector<std::shared_ptr<VornickWordPressBlogPost>> posts;
    for (int i = 0; i < 5; ++i) {
        posts.push_back(makePost());
        names.insert(posts.back()->sourceFileName());
    }
    EXPECT_EQ(names.size(), 5u);
    for (auto& post : posts) {
        Error error;
        ASSERT_TRUE(post->writeArchivalRepresentationToURL(*post->sourceFileURL(), VornickObjectArchiveFormat::JSON, &error)) << error;
        EXPECT_FALSE(post->hasEditsNotYetSavedToSourceFile());
    }
    for (auto& post : posts) {
        Error error;
        auto archive = VornickObjectArchive::createWithContentsOfURL(*post->sourceFileURL(), &error);
        ASSERT_TRUE(archive) << error;
        EXPECT_EQ(archive->objectForKey(u"title")->stringValue(), u"Untitled Post");
    }
}

TEST_F(VornickBlogPostTests, DerivedNamesSkipWhatIsTakenOnDiskEvenUnreadable)
{
    std::string postsFolder = folder + "/posts";
    ASSERT_TRUE(createDirectory(postsFolder));
    ASSERT_TRUE(writeFileAtomically(postsFolder + "/name.post", "old"));
    ASSERT_EQ(chmod((postsFolder + "/name.post").c_str(), 0), 0);
    ASSERT_EQ(symlink("missing-target", (postsFolder + "/name 2.post").c_str()), 0);
    auto url = URL::fileURLWithPath(postsFolder, true);
    auto takenInStore = [](const std::u16string& name) { return name == u"name 3.post"; };
    EXPECT_EQ(vornick_uniqueComponentFileName(u"name", u"post", url, takenInStore), u"name 4.post");
    EXPECT_EQ(vornick_uniqueComponentFileName(u"other", u"post", url, takenInStore), u"other.post");
    EXPECT_EQ(vornick_uniqueComponentFileName(u"name", u"post", std::nullopt, takenInStore), u"name.post");
    // A file where the folder should be answers every name as taken: the
    // search still ends, with a name the store does not hold.
    auto notAFolder = URL::fileURLWithPath(postsFolder + "/name.post", true);
    EXPECT_EQ(vornick_uniqueComponentFileName(u"x", u"post", notAFolder, takenInStore), u"x 1001.post");
    chmod((postsFolder + "/name.post").c_str(), 0600);
    EXPECT_EQ(readFile(postsFolder + "/name.post"), "old");
}

TEST_F(VornickBlogPostTests, ContentTypesAndTrashAreKeptAcrossReopening)
{
    auto post = makePost();
    post->setSourceContentType(u"markdown");
    EXPECT_EQ(post->htmlContentString(), std::nullopt) << "the type comparison is exact";
    post->setSourceContentType(u"html");
    EXPECT_EQ(post->htmlContentString(), post->sourceContentString());
    post->setValueForKey(Value(true), u"inTrash");
    Error error;
    ASSERT_TRUE(context.save(&error)) << error;
    ASSERT_TRUE(project->save(&error)) << error;
    URL projectFile = project->projectFileURL();
    project.reset();

    auto reopened = VornickProject::createWithContentsOfProjectFileURL<TestBlogProject>(projectFile, &error);
    ASSERT_TRUE(reopened) << error;
    auto posts = vornick_allEntitiesOfKind(*reopened->index()->managedObjectContext(), u"BlogPost");
    ASSERT_TRUE(posts && posts->size() == 1);
    auto stored = std::dynamic_pointer_cast<VornickWordPressBlogPost>(posts->front());
    EXPECT_TRUE(stored->hasEditsNotYetSavedToSourceFile()) << "edits not yet in the file are remembered";
    EXPECT_TRUE(stored->inTrash());
    EXPECT_EQ(stored->wordPressBlog()->postsInTrash().size(), 1u);
}

} // namespace
} // namespace brevanton

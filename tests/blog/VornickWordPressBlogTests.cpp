#include "blog/VornickWordPressBlog.h"

#include "tests/blog/BlogModelTestSupport.h"

#include "blog/VornickWordPressBlogPost.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

class VornickWordPressBlogTests : public ::testing::Test {
protected:
    std::shared_ptr<TestBlogProject> project = makeTestBlogProject();
    ManagedObjectContext& context = *project->index()->managedObjectContext();

    std::shared_ptr<VornickWordPressBlog> makeBlog(const std::u16string& folderName)
    {
        auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context.insertNewObject(u"Blog"));
        blog->setBlogFolderName(folderName);
        blog->setSourceFileName(folderName + u".brevantonwordpressblog");
        blog->setObjectForKey(project->rootComponent(), u"hostingAccount");
        return blog;
    }

    std::shared_ptr<ManagedObject> makeTerm(const std::shared_ptr<VornickWordPressBlog>& blog, const char16_t* entity,
                                            const char16_t* relationship, Value identifier, Value title)
    {
        auto term = context.insertNewObject(entity);
        term->setValueForKey(identifier, entity == std::u16string(u"PostFormat") || entity == std::u16string(u"PostStatus")
                                             ? u"identifier"
                                             : u"identifierUsedByBlogService");
        term->setValueForKey(title, u"title");
        blog->addObjectForKey(term, relationship);
        return term;
    }

    std::shared_ptr<ManagedObject> makeMediaItem(const std::shared_ptr<VornickWordPressBlog>& blog, const char16_t* identifier,
                                                 const char16_t* remoteURL)
    {
        auto item = context.insertNewObject(u"MediaItem");
        item->setValueForKey(Value(identifier), u"identifierUsedByBlogService");
        item->setValueForKey(Value(remoteURL), u"remoteURLString");
        blog->addObjectForKey(item, u"mediaItems");
        return item;
    }

    // The blog's file as JSON, written and read back.
    Value writtenFile(const std::shared_ptr<VornickProjectComponent>& component)
    {
        auto url = component->sourceFileURL();
        EXPECT_TRUE(url);
        Error error;
        EXPECT_TRUE(component->writeArchivalRepresentationToURL(*url, VornickObjectArchiveFormat::JSON, &error)) << error;
        auto text = readFile(*url->fileSystemPath());
        auto json = text ? readJSON(*text, &error) : std::nullopt;
        EXPECT_TRUE(json) << error;
        return json.value_or(Value());
    }
};

// A visit meets what postsOnly() and pagesOnly() answer, in their order; a
// post of no type is neither.
TEST_F(VornickWordPressBlogTests, VisitingPostsOrPagesMeetsWhatTheListsAnswer)
{
    auto blog = makeBlog(u"Visits");
    for (auto type : { u"page", u"post", u"", u"post", u"page" }) {
        auto post = context.insertNewObject(u"BlogPost");
        if (*type)
            post->setValueForKey(Value(type), u"type");
        post->setObjectForKey(blog, u"blog");
    }
    for (bool pages : { false, true }) {
        std::vector<std::shared_ptr<VornickBlogPost>> visited;
        blog->forEachPostOrPage(pages, [&](VornickBlogPost& post) {
            visited.push_back(std::static_pointer_cast<VornickBlogPost>(post.shared_from_this()));
        });
        EXPECT_EQ(visited, pages ? blog->pagesOnly() : blog->postsOnly());
        EXPECT_EQ(visited.size(), 2u);
    }
}

TEST_F(VornickWordPressBlogTests, BlogFileAlwaysHoldsTheTermListsAndBlockModeEvenWhenEmpty)
{
    auto blog = makeBlog(u"Empty");
    blog->setTitle(u"<b>Caf\u00e9</b> &amp; more");
    Value file = writtenFile(blog);
    ASSERT_TRUE(file.isDictionary()) << file;
    for (const char16_t* key : { u"postFormats", u"postStatuses" }) {
        ASSERT_TRUE(file.find(key)) << toUTF8(key);
        EXPECT_TRUE(file[key].isDictionary() && file[key].count() == 0) << file[key];
    }
    for (const char16_t* key : { u"categories", u"tags" }) {
        ASSERT_TRUE(file.find(key)) << toUTF8(key);
        EXPECT_TRUE(file[key].isArray() && file[key].count() == 0) << file[key];
    }
    ASSERT_TRUE(file.find(u"useWordPressBlockMode"));
    EXPECT_FALSE(file[u"useWordPressBlockMode"].boolValue(true));
    EXPECT_EQ(file[u"title"].stringValue(), u"<b>Caf\u00e9</b> &amp; more");
    EXPECT_EQ(file[u"loginID"], Value()) << "an account without a login writes none";
    for (const char16_t* key : { u"htmlFormattingPreferences", u"snippetSet", u"singlePostEditingTemplate", u"postAttachmentPointSet" })
        EXPECT_FALSE(file.find(key)) << toUTF8(key);
}

TEST_F(VornickWordPressBlogTests, TermDescriptionsAreSortedAndKeepOnlyWhatIsSet)
{
    auto blog = makeBlog(u"Terms");
    makeTerm(blog, u"PostFormat", u"postFormats", Value(u"standard"), Value(u"Standard"));
    makeTerm(blog, u"PostFormat", u"postFormats", Value(u"aside"), Value());
    auto parent = makeTerm(blog, u"BlogCategory", u"categories", Value(u"7"), Value(u"Travel"));
    auto child = makeTerm(blog, u"BlogCategory", u"categories", Value(u"12"), Value(u"Alps"));
    child->setObjectForKey(parent, u"parentCategory");
    child->setValueForKey(Value(u"Mountains"), u"explanation");
    makeTerm(blog, u"BlogCategory", u"categories", Value(), Value());

    EXPECT_EQ(Value(blog->postFormatDescriptions()), Value(Dictionary { { u"standard", Value(u"Standard") } }));
    Array categories = blog->categoryDescriptions();
    ASSERT_EQ(categories.size(), 2u) << "a category with nothing set is left out";
    EXPECT_EQ(categories[0], Value(Dictionary { { u"identifierUsedByBlogService", Value(u"12") }, { u"title", Value(u"Alps") },
                                                { u"description", Value(u"Mountains") },
                                                { u"parentCategoryIdentifier", Value(u"7") } }));
    EXPECT_EQ(categories[1][u"title"].stringValue(), u"Travel");
    EXPECT_FALSE(categories[1].find(u"parentCategoryIdentifier"));
}

TEST_F(VornickWordPressBlogTests, TrashAndMediaLookupsStayWithinTheBlog)
{
    auto first = makeBlog(u"First");
    auto second = makeBlog(u"Second");
    for (auto& blog : { first, second }) {
        auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(context.insertNewObject(u"BlogPost"));
        ASSERT_TRUE(post->prepareNewPostAndAssociateWithBlog(blog));
        post->setValueForKey(Value(true), u"inTrash");
        auto kept = context.insertNewObject(u"BlogPost");
        kept->setObjectForKey(blog, u"blog");
    }
    ASSERT_EQ(first->postsInTrash().size(), 1u);
    EXPECT_EQ(first->postsInTrash()[0]->blog(), first);

    makeMediaItem(second, u"42", u"https://second.example/uploads/a.jpg");
    auto own = makeMediaItem(first, u"43", u"https://first.example/uploads/a.jpg");
    EXPECT_EQ(first->mediaItemForIdentifier(Value(42)), nullptr);
    EXPECT_EQ(first->mediaItemForIdentifier(Value(43)), own);
    EXPECT_EQ(first->mediaItemForIdentifier(Value()), nullptr);
    EXPECT_EQ(first->mediaItemForSourceURL(*URL::create(u"https://second.example/uploads/a.jpg")), nullptr);
    EXPECT_EQ(first->mediaItemForSourceURL(*URL::create(u"https://first.example/uploads/a.jpg")), own);

    std::u16string classes = u"alignleft wp-image-43 size-full";
    EXPECT_EQ(first->mediaItemOrVariantForSourceURL(*URL::create(u"https://elsewhere.example/b.jpg"), &classes), own);
    for (std::u16string other : { u"alignleft wp-image-43x", u"wp-image-", u"wp-image-42" })
        EXPECT_EQ(first->mediaItemOrVariantForSourceURL(*URL::create(u"https://elsewhere.example/b.jpg"), &other), nullptr)
            << toUTF8(other);
}

TEST_F(VornickWordPressBlogTests, LocalMediaFilesAndVariantsAreFoundByTheirPlace)
{
    auto blog = makeBlog(u"Media");
    auto item = makeMediaItem(blog, u"5", u"https://site.example/uploads/2026/photo.jpg");
    item->setValueForKey(Value(u"photo.jpg"), u"localURLString");
    auto variant = context.insertNewObject(u"MediaItemVariant");
    variant->setValueForKey(Value(u"photo-150x150.jpg"), u"filename");
    variant->setObjectForKey(item, u"mediaItem");

    EXPECT_EQ(blog->mediaItemForSourceURL(blog->mediaFolderURL()->URLByAppendingPathComponent(u"photo.jpg", false)), item);
    EXPECT_EQ(blog->mediaItemForSourceURL(URL::fileURLWithPath(std::string_view("/elsewhere/photo.jpg"), false)), nullptr);
    EXPECT_EQ(blog->mediaItemOrVariantForSourceURL(*URL::create(u"https://site.example/uploads/2026/photo-150x150.jpg"), nullptr),
              variant);
    EXPECT_EQ(blog->mediaItemOrVariantForSourceURL(*URL::create(u"https://site.example/other/photo-150x150.jpg"), nullptr), nullptr);
    EXPECT_EQ(blog->mediaLibraryURL(), u"/wp-admin/upload.php") << "no browse address yet";
}

TEST_F(VornickWordPressBlogTests, PostsAndPagesAnswerInIdOrderAndPagesLiveInTheirFolder)
{
    auto blog = makeBlog(u"Pages");
    auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(context.insertNewObject(u"BlogPost"));
    auto page = std::dynamic_pointer_cast<VornickWordPressBlogPost>(context.insertNewObject(u"BlogPost"));
    auto second = std::dynamic_pointer_cast<VornickWordPressBlogPost>(context.insertNewObject(u"BlogPost"));
    ASSERT_TRUE(post->prepareNewPostAndAssociateWithBlog(blog));
    ASSERT_TRUE(page->prepareNewPageAndAssociateWithBlog(blog));
    ASSERT_TRUE(second->prepareNewPostAndAssociateWithBlog(blog));
    EXPECT_EQ(blog->postsOnly(), (std::vector<std::shared_ptr<VornickBlogPost>> { post, second }));
    EXPECT_EQ(blog->pagesOnly(), (std::vector<std::shared_ptr<VornickBlogPost>> { page }));

    page->setValueForKey(Value(u"Page"), u"type");
    EXPECT_EQ(page->sourceFileURL()->URLByDeletingLastPathComponent().lastPathComponent(), u"pages");
    EXPECT_EQ(post->sourceFileURL()->URLByDeletingLastPathComponent().lastPathComponent(), u"posts");
    EXPECT_EQ(post->title(), u"Untitled Post");
    EXPECT_EQ(page->title(), u"Untitled Page");
}

TEST_F(VornickWordPressBlogTests, PostFindsTheMediaItemsOfItsBlogThatItsSourceShows)
{
    auto blog = makeBlog(u"Photos");
    auto other = makeBlog(u"Other");
    auto first = makeMediaItem(blog, u"1", u"https://photos.example/1.jpg");
    first->setValueForKey(Value(u"sea.jpg"), u"localURLString");
    auto nested = makeMediaItem(blog, u"2", u"https://photos.example/2.png");
    nested->setValueForKey(Value(u"2026/caf\u00e9 noir.png"), u"localURLString");
    auto unused = makeMediaItem(blog, u"3", u"https://photos.example/3.png");
    unused->setValueForKey(Value(u"unused.png"), u"localURLString");
    // Another blog's item with the same local name is never answered.
    auto foreign = makeMediaItem(other, u"4", u"https://other.example/4.jpg");
    foreign->setValueForKey(Value(u"sea.jpg"), u"localURLString");

    auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(context.insertNewObject(u"BlogPost"));
    ASSERT_TRUE(post->prepareNewPostAndAssociateWithBlog(blog));
    std::u16string absolute = blog->mediaFolderURL()->URLByAppendingPathComponent(u"sea.jpg", false).absoluteString();
    // Relative to the posts folder, percent-encoded, twice, absolute, remote,
    // and outside the media folder; the later-made item is referenced first.
    post->setValueForKey(Value(u"<p><img src=\"../media/2026/caf%C3%A9%20noir.png\"><img src=\"../media/sea.jpg\">"
                               u"<img src=\"" + absolute + u"\"><img src=\"https://photos.example/3.png\">"
                               u"<img src=\"../sea.jpg\"><a href=\"../media/unused.png\">link</a></p>"),
                         u"sourceContentString");
    EXPECT_EQ(post->mediaItemsReferencedBySourceContentString(), (std::vector<std::shared_ptr<ManagedObject>> { first, nested }));

    // The content type is compared exactly.
    for (const char16_t* type : { u"Markdown", u"HTML", u"" }) {
        post->setValueForKey(Value(type), u"sourceContentType");
        EXPECT_TRUE(post->mediaItemsReferencedBySourceContentString().empty()) << toUTF8(type);
    }
}

} // namespace
} // namespace brevanton

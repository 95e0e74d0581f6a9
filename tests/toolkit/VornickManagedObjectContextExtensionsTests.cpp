#include "toolkit/VornickManagedObjectContextExtensions.h"

#include "tests/platform/store/StoreTestSupport.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickObjectArchive.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

class VornickManagedObjectContextExtensions : public ::testing::Test {
protected:
    std::string folder = makeStoreFolder();
    NotificationCenter center;
    std::shared_ptr<PersistentStore> store;
    std::shared_ptr<ManagedObjectContext> context;

    void SetUp() override
    {
        Error error;
        store = PersistentStore::open(folder + "/index.brevantonindex", makeTestModel(), &error);
        ASSERT_TRUE(store) << error;
        context = ManagedObjectContext::create(store, &center);
    }

    std::shared_ptr<ManagedObject> variant(const std::shared_ptr<ManagedObject>& item, std::u16string name, std::u16string file)
    {
        auto object = vornick_createNewEntityOfKind(*context, u"MediaItemVariant");
        object->setValueForKey(Value(std::move(name)), u"variantName");
        object->setValueForKey(Value(std::move(file)), u"filename");
        object->setObjectForKey(item, u"mediaItem");
        return object;
    }
};

TEST_F(VornickManagedObjectContextExtensions, FetchesByKindKeyValueAndPredicate)
{
    auto item = vornick_createNewEntityOfKind(*context, u"MediaItem");
    auto otherItem = vornick_createNewEntityOfKind(*context, u"MediaItem");
    EXPECT_TRUE(item->isInserted());
    auto thumbnail = variant(item, u"thumbnail", u"a-150.jpg");
    auto large = variant(item, u"large", u"a-1024.jpg");
    auto otherThumbnail = variant(otherItem, u"thumbnail", u"b-150.jpg");

    EXPECT_EQ(vornick_allEntitiesOfKind(*context, u"MediaItemVariant")->size(), 3u);
    EXPECT_EQ(*vornick_entitiesOfKind(*context, u"MediaItemVariant", Value(u"thumbnail"), u"variantName"),
              (ManagedObjects { thumbnail, otherThumbnail }));
    // A media item's variant by name: a value pair with an object.
    EXPECT_EQ(vornick_entityOfKind(*context, u"MediaItemVariant", Value(u"thumbnail"), u"variantName", item, u"mediaItem"), thumbnail);
    EXPECT_EQ(vornick_entityOfKind(*context, u"MediaItemVariant", Value(u"thumbnail"), u"variantName", otherItem, u"mediaItem"),
              otherThumbnail);
    EXPECT_EQ(*vornick_entitiesOfKind(*context, u"MediaItemVariant", Value(u"large"), u"variantName", item, u"mediaItem"),
              ManagedObjects { large });
    EXPECT_EQ(vornick_entityOfKind(*context, u"MediaItemVariant", Value(u"medium"), u"variantName"), nullptr);
    Error error;
    auto predicate = Predicate::predicateWithFormat(u"filename BEGINSWITH 'a-'", &error);
    ASSERT_TRUE(predicate) << error;
    EXPECT_EQ(vornick_entitiesOfKind(*context, u"MediaItemVariant", *predicate)->size(), 2u);

    // Several where one is expected: the first, with a warning.
    EXPECT_EQ(vornick_entityOfKind(*context, u"MediaItemVariant", Value(u"thumbnail"), u"variantName"), thumbnail);
    EXPECT_NE(VornickLog::generalLog().text().find(
                  u"Warning: `MediaItemVariant` entity that should be a singleton is not unique! Arbitrarily returning the first such entity found."),
              std::u16string::npos);

    // A failed fetch answers nothing rather than everything.
    EXPECT_FALSE(vornick_entitiesOfKind(*context, u"MediaItemVariant", Value(u"x"), u"noSuchKey"));
    EXPECT_EQ(vornick_entityOfKind(*context, u"MediaItemVariant", Value(u"x"), u"noSuchKey"), nullptr);
    EXPECT_FALSE(vornick_allEntitiesOfKind(*context, u"NoSuchEntity"));
}

TEST_F(VornickManagedObjectContextExtensions, EntitiesByURI)
{
    auto blog = vornick_createNewEntityOfKind(*context, u"Blog");
    auto gone = vornick_createNewEntityOfKind(*context, u"Blog");
    Error error;
    ASSERT_TRUE(context->save(&error)) << error;
    EXPECT_EQ(vornick_entityWithURIRepresentation(*context, blog->objectID().URIRepresentation()), blog);
    // As a class: the object when it is of the class's entity.
    EXPECT_EQ(vornick_entityWithURIRepresentation<TestBlog>(*context, blog->objectID().URIRepresentation()), blog);
    auto tag = vornick_createNewEntityOfKind(*context, u"BlogTag");
    EXPECT_EQ(vornick_entityWithURIRepresentation<TestBlog>(*context, tag->objectID().URIRepresentation()), nullptr);
    URL goneURI = gone->objectID().URIRepresentation();
    context->deleteObject(gone);
    ASSERT_TRUE(context->save(&error)) << error;
    EXPECT_EQ(vornick_entityWithURIRepresentation(*context, goneURI), nullptr);

    auto otherStore = PersistentStore::open(folder + "/other.brevantonindex", makeTestModel(), &error);
    ASSERT_TRUE(otherStore) << error;
    auto otherContext = ManagedObjectContext::create(otherStore, &center);
    auto stranger = vornick_createNewEntityOfKind(*otherContext, u"Blog");
    ASSERT_TRUE(otherContext->save(&error)) << error;
    EXPECT_EQ(vornick_entityWithURIRepresentation(*context, stranger->objectID().URIRepresentation()), nullptr);
    EXPECT_EQ(vornick_entityWithURIRepresentation(*context, *URL::create(std::string_view("https://example.com/"))), nullptr);
}

TEST_F(VornickManagedObjectContextExtensions, ArchivesPullIntoTheContext)
{
    const std::vector<std::u16string> names { u"title", u"inTrash", u"wordCount", u"dateLastEditedLocally", u"sourceContentString" };
    // Archives hold numbers and Booleans as strings, dates as ISO 8601 text.
    VornickObjectArchive archive(Dictionary { { u"identifierUsedByBlogService", Value(u"42") },
                                              { u"title", Value(u"First") },
                                              { u"inTrash", Value(u"1") },
                                              { u"wordCount", Value(u"250") },
                                              { u"dateLastEditedLocally", Value(u"2024-03-01T10:00:00Z") } });
    auto post = archive.pullIntoManagedObjectContext(*context, u"BlogPost", u"identifierUsedByBlogService", names);
    ASSERT_TRUE(post);
    EXPECT_EQ(post->valueForKey(u"identifierUsedByBlogService"), Value(u"42"));
    EXPECT_EQ(post->valueForKey(u"inTrash"), Value(true));
    EXPECT_EQ(post->valueForKey(u"wordCount"), Value(250));
    EXPECT_EQ(post->valueForKey(u"dateLastEditedLocally").date().timeIntervalSince1970(), 1709287200.0);

    // The same key finds the same object; values also come as numbers and
    // Booleans; what cannot be read as the attribute's type is logged and left.
    VornickObjectArchive again(Dictionary { { u"bloggerUniqueIdentifier", Value(u"42") },
                                            { u"title", Value(u"Renamed") },
                                            { u"inTrash", Value(false) },
                                            { u"wordCount", Value(7) },
                                            { u"dateLastEditedLocally", Value(u"yesterday") },
                                            { u"sourceContentString", Value(u"<p>x</p>") } });
    EXPECT_EQ(again.pullIntoManagedObjectContext(*context, u"BlogPost", u"identifierUsedByBlogService", names), post);
    EXPECT_EQ(post->valueForKey(u"title"), Value(u"Renamed"));
    EXPECT_EQ(post->valueForKey(u"inTrash"), Value(false));
    EXPECT_EQ(post->valueForKey(u"wordCount"), Value(7));
    EXPECT_EQ(post->valueForKey(u"dateLastEditedLocally").date().timeIntervalSince1970(), 1709287200.0);
    EXPECT_NE(VornickLog::generalLog().text().find(u"cannot be stored as BlogPost.dateLastEditedLocally"), std::u16string::npos);
    EXPECT_EQ(vornick_allEntitiesOfKind(*context, u"BlogPost")->size(), 1u);

    // Another key makes another object; an archive without one always does.
    VornickObjectArchive other(Dictionary { { u"identifierUsedByBlogService", Value(u"43") } });
    EXPECT_NE(other.pullIntoManagedObjectContext(*context, u"BlogPost", u"identifierUsedByBlogService", names), post);
    VornickObjectArchive keyless(Dictionary { { u"title", Value(u"Keyless") } });
    auto first = keyless.pullIntoManagedObjectContext(*context, u"BlogPost", u"identifierUsedByBlogService", names);
    auto second = keyless.pullIntoManagedObjectContext(*context, u"BlogPost", u"identifierUsedByBlogService", names);
    EXPECT_NE(first, second);
    EXPECT_EQ(vornick_allEntitiesOfKind(*context, u"BlogPost")->size(), 4u);
}

} // namespace
} // namespace brevanton

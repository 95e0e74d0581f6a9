#include "platform/store/ManagedObjectContext.h"

#include "tests/platform/store/StoreTestSupport.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace brevanton {
namespace {

class ManagedObjectContextTests : public ::testing::Test {
protected:
    std::string folder = makeStoreFolder();
    std::string path = folder + "/index.brevantonindex";
    std::shared_ptr<ManagedObjectModel> model = makeTestModel();
    NotificationCenter center;
    std::shared_ptr<PersistentStore> store;
    std::shared_ptr<ManagedObjectContext> context;

    void SetUp() override { open(); }

    void open()
    {
        Error error;
        store = PersistentStore::open(path, model, &error);
        ASSERT_TRUE(store) << error;
        context = ManagedObjectContext::create(store, &center);
    }

    void reopen()
    {
        context.reset();
        store.reset();
        open();
    }

    std::shared_ptr<ManagedObject> insert(std::u16string_view entity, std::u16string title)
    {
        auto object = context->insertNewObject(entity);
        object->setValueForKey(Value(std::move(title)), u"title");
        return object;
    }

    void save()
    {
        Error error;
        ASSERT_TRUE(context->save(&error)) << error;
    }

    ManagedObjects fetch(std::u16string entity, std::vector<SortDescriptor> sorts = {}, size_t limit = 0)
    {
        FetchRequest request(std::move(entity));
        request.setSortDescriptors(std::move(sorts));
        request.setFetchLimit(limit);
        Error error;
        auto objects = context->executeFetchRequest(request, &error);
        EXPECT_TRUE(objects) << error;
        return objects ? *objects : ManagedObjects();
    }

    static std::vector<std::u16string> titles(const ManagedObjects& objects)
    {
        std::vector<std::u16string> result;
        for (auto& object : objects)
            result.push_back(object->valueForKey(u"title").stringValue(u"<nil>"));
        return result;
    }

    std::shared_ptr<ManagedObject> reloaded(const std::shared_ptr<ManagedObject>& object)
    {
        return context->existingObjectWithID(object->objectID());
    }
};

TEST_F(ManagedObjectContextTests, AttributesOfEveryTypeSurviveTheFile)
{
    auto blog = insert(u"Blog", u"Caf\u00e9 <b>\u65e5\u672c</b> \U0001F600");
    blog->setValueForKey(Value(true), u"allowComments");
    blog->setValueForKey(Value(-5.5), u"wordPressTimeZone");
    blog->setValueForKey(Value(Data { 0, 1, 2, 255 }), u"postAttachmentPointData");
    Dictionary preferences { { u"indent", Value(2) }, { u"quotes", Value(true) }, { u"name", Value(u"x") } };
    blog->setValueForKey(Value(preferences), u"htmlFormattingPreferences");
    auto post = insert(u"BlogPost", u"");
    post->setValueForKey(Value(Date(1700000000.25)), u"dateLastEditedLocally");
    // Numbers are converted to the attribute's type.
    post->setValueForKey(Value(12.9), u"wordCount");
    post->setValueForKey(Value(1), u"inTrash");
    auto blogID = blog->objectID();
    auto postID = post->objectID();
    save();
    reopen();

    auto blogAgain = context->existingObjectWithID(blogID);
    auto postAgain = context->existingObjectWithID(postID);
    ASSERT_TRUE(blogAgain && postAgain);
    EXPECT_EQ(blogAgain->valueForKey(u"title"), Value(u"Caf\u00e9 <b>\u65e5\u672c</b> \U0001F600"));
    EXPECT_EQ(blogAgain->valueForKey(u"allowComments"), Value(true));
    EXPECT_EQ(blogAgain->valueForKey(u"wordPressTimeZone"), Value(-5.5));
    EXPECT_EQ(blogAgain->valueForKey(u"postAttachmentPointData"), Value(Data { 0, 1, 2, 255 }));
    EXPECT_EQ(blogAgain->valueForKey(u"htmlFormattingPreferences"), Value(preferences));
    EXPECT_TRUE(blogAgain->valueForKey(u"identifierUsedByBlogService").isNull());
    EXPECT_EQ(postAgain->valueForKey(u"title"), Value(u"")); // empty is not nil
    EXPECT_EQ(postAgain->valueForKey(u"dateLastEditedLocally").date().timeIntervalSince1970(), 1700000000.25);
    EXPECT_EQ(postAgain->valueForKey(u"wordCount"), Value(12));
    EXPECT_EQ(postAgain->valueForKey(u"inTrash"), Value(true));

    // Values of another kind, and unknown keys, are programming errors.
    EXPECT_THROW(postAgain->setValueForKey(Value(3), u"title"), InternalInconsistencyException);
    // A transformable value the file cannot hold is refused rather than lost at the save.
    EXPECT_THROW(blogAgain->setValueForKey(Value(Array { Value(1), Value() }), u"htmlFormattingPreferences"),
                 InternalInconsistencyException);
    EXPECT_EQ(blogAgain->valueForKey(u"htmlFormattingPreferences"), Value(preferences));
    EXPECT_THROW(postAgain->setValueForKey(Value(u"x"), u"noSuchKey"), InternalInconsistencyException);
    EXPECT_THROW(postAgain->objectForKey(u"tags"), InternalInconsistencyException);
    EXPECT_THROW(context->insertNewObject(u"NoSuchEntity"), InternalInconsistencyException);
}

TEST_F(ManagedObjectContextTests, RelationshipsKeepTheirInverses)
{
    auto blogA = insert(u"Blog", u"A");
    auto blogB = insert(u"Blog", u"B");
    auto post = insert(u"BlogPost", u"P");
    auto tag1 = insert(u"BlogTag", u"t1");
    auto tag2 = insert(u"BlogTag", u"t2");

    // To-one sets the to-many side, and moving it takes it out of the old one.
    post->setObjectForKey(blogA, u"blog");
    EXPECT_EQ(blogA->objectsForKey(u"posts"), ManagedObjects { post });
    post->setObjectForKey(blogB, u"blog");
    EXPECT_TRUE(blogA->objectsForKey(u"posts").empty());
    EXPECT_EQ(blogB->objectsForKey(u"posts"), ManagedObjects { post });
    // To-many sets the to-one side.
    blogA->addObjectForKey(post, u"posts");
    EXPECT_EQ(post->objectForKey(u"blog"), blogA);
    EXPECT_TRUE(blogB->objectsForKey(u"posts").empty());
    blogA->removeObjectForKey(post, u"posts");
    EXPECT_EQ(post->objectForKey(u"blog"), nullptr);
    post->setObjectForKey(blogA, u"blog");

    // Many-to-many: both sides, in id order.
    post->addObjectForKey(tag2, u"tags");
    post->addObjectForKey(tag1, u"tags");
    post->addObjectForKey(tag1, u"tags");
    EXPECT_EQ(post->objectsForKey(u"tags"), (ManagedObjects { tag1, tag2 }));
    EXPECT_EQ(tag1->objectsForKey(u"posts"), ManagedObjects { post });
    tag2->removeObjectForKey(post, u"posts");
    EXPECT_EQ(post->objectsForKey(u"tags"), ManagedObjects { tag1 });

    // One-to-one: a new partner takes the destination from the old one.
    auto settings = context->insertNewObject(u"BlogSettings");
    blogA->setObjectForKey(settings, u"settings");
    EXPECT_EQ(settings->objectForKey(u"blog"), blogA);
    blogB->setObjectForKey(settings, u"settings");
    EXPECT_EQ(blogA->objectForKey(u"settings"), nullptr);
    EXPECT_EQ(settings->objectForKey(u"blog"), blogB);

    // setObjectsForKey replaces the set.
    post->setObjectsForKey({ tag2 }, u"tags");
    EXPECT_EQ(post->objectsForKey(u"tags"), ManagedObjects { tag2 });
    EXPECT_TRUE(tag1->objectsForKey(u"posts").empty());

    auto postID = post->objectID();
    auto blogAID = blogA->objectID();
    auto blogBID = blogB->objectID();
    auto tag2ID = tag2->objectID();
    save();
    reopen();
    auto postAgain = context->existingObjectWithID(postID);
    ASSERT_TRUE(postAgain);
    EXPECT_EQ(postAgain->objectForKey(u"blog"), context->existingObjectWithID(blogAID));
    EXPECT_EQ(postAgain->objectsForKey(u"tags"), ManagedObjects { context->existingObjectWithID(tag2ID) });
    EXPECT_EQ(context->existingObjectWithID(tag2ID)->objectsForKey(u"posts"), ManagedObjects { postAgain });
    EXPECT_EQ(context->existingObjectWithID(blogAID)->countForKey(u"posts"), 1u);
    EXPECT_EQ(context->existingObjectWithID(blogBID)->objectForKey(u"settings")->objectForKey(u"blog"),
              context->existingObjectWithID(blogBID));

    // Changing a stored relationship loads the other side before changing it.
    auto blogBAgain = context->existingObjectWithID(blogBID);
    postAgain->setObjectForKey(blogBAgain, u"blog");
    EXPECT_EQ(blogBAgain->objectsForKey(u"posts"), ManagedObjects { postAgain });
    EXPECT_TRUE(context->existingObjectWithID(blogAID)->objectsForKey(u"posts").empty());
}

// Visiting a relationship loads the rows no object stands for yet, and
// meets what objectsForKey answers, in the same order.
TEST_F(ManagedObjectContextTests, VisitingARelationshipMeetsItsObjectsInIdOrder)
{
    auto blog = insert(u"Blog", u"Mine");
    for (auto title : { u"c", u"a", u"b" })
        insert(u"BlogPost", title)->setObjectForKey(blog, u"blog");
    insert(u"BlogPost", u"elsewhere");
    auto blogID = blog->objectID();
    save();
    blog.reset();
    reopen();

    auto blogAgain = context->existingObjectWithID(blogID);
    ASSERT_TRUE(blogAgain);
    ManagedObjects visited;
    blogAgain->forEachObjectForKey(u"posts", [&](ManagedObject& post) { visited.push_back(post.shared_from_this()); });
    EXPECT_EQ(titles(visited), (std::vector<std::u16string> { u"c", u"a", u"b" }));
    EXPECT_EQ(visited, blogAgain->objectsForKey(u"posts"));
}

TEST_F(ManagedObjectContextTests, DeleteRulesCascadeAndNullify)
{
    auto blog = insert(u"Blog", u"B");
    auto post = insert(u"BlogPost", u"P");
    auto tag = insert(u"BlogTag", u"T");
    auto status = insert(u"PostStatus", u"draft");
    auto media = insert(u"MediaItem", u"M");
    auto variant = context->insertNewObject(u"MediaItemVariant");
    post->setObjectForKey(blog, u"blog");
    post->addObjectForKey(tag, u"tags");
    post->setObjectForKey(status, u"status");
    post->setObjectForKey(media, u"featuredImageMediaItem");
    tag->setObjectForKey(blog, u"blog");
    media->setObjectForKey(blog, u"blog");
    variant->setObjectForKey(media, u"mediaItem");
    save();

    // Nullify: the post leaves its tag, status and media item.
    context->deleteObject(post);
    EXPECT_TRUE(post->isDeleted());
    EXPECT_TRUE(tag->objectsForKey(u"posts").empty());
    EXPECT_TRUE(status->objectsForKey(u"posts").empty());
    EXPECT_TRUE(media->objectsForKey(u"postsThatUseThisAsFeaturedImage").empty());
    EXPECT_TRUE(blog->objectsForKey(u"posts").empty());
    EXPECT_FALSE(blog->isDeleted());
    save();
    EXPECT_EQ(post->managedObjectContext(), nullptr);
    EXPECT_TRUE(fetch(u"BlogPost").empty());

    // Cascade: the blog takes its tags and media items, and those their variants.
    context->deleteObject(blog);
    EXPECT_TRUE(tag->isDeleted());
    EXPECT_TRUE(media->isDeleted());
    EXPECT_TRUE(variant->isDeleted());
    EXPECT_FALSE(status->isDeleted()); // not linked to the blog
    EXPECT_TRUE(fetch(u"MediaItemVariant").empty());
    save();
    reopen();
    EXPECT_TRUE(fetch(u"Blog").empty());
    EXPECT_TRUE(fetch(u"BlogTag").empty());
    EXPECT_TRUE(fetch(u"MediaItem").empty());
    EXPECT_TRUE(fetch(u"MediaItemVariant").empty());
    EXPECT_EQ(fetch(u"PostStatus").size(), 1u);

    // An object inserted and deleted before a save never reaches the file.
    auto transient = insert(u"BlogTag", u"gone");
    context->deleteObject(transient);
    EXPECT_FALSE(context->hasChanges());
    EXPECT_TRUE(fetch(u"BlogTag").empty());
}

TEST_F(ManagedObjectContextTests, RollbackRestoresTheLastSavedState)
{
    auto blog = insert(u"Blog", u"Saved");
    auto post = insert(u"BlogPost", u"Post");
    post->setObjectForKey(blog, u"blog");
    save();
    EXPECT_FALSE(context->hasChanges());

    blog->setValueForKey(Value(u"Changed"), u"title");
    auto newPost = insert(u"BlogPost", u"New");
    newPost->setObjectForKey(blog, u"blog");
    post->setObjectForKey(nullptr, u"blog");
    auto other = insert(u"BlogTag", u"T");
    EXPECT_TRUE(context->hasChanges());
    EXPECT_EQ(context->insertedObjects(), (ManagedObjects { newPost, other }));
    EXPECT_EQ(context->updatedObjects(), (ManagedObjects { blog, post }));
    context->deleteObject(post);
    EXPECT_EQ(context->deletedObjects(), ManagedObjects { post });
    EXPECT_EQ(context->updatedObjects(), ManagedObjects { blog });

    context->rollback();
    EXPECT_FALSE(context->hasChanges());
    EXPECT_EQ(blog->valueForKey(u"title"), Value(u"Saved"));
    EXPECT_FALSE(post->isDeleted());
    EXPECT_EQ(post->objectForKey(u"blog"), blog);
    EXPECT_EQ(blog->objectsForKey(u"posts"), ManagedObjects { post });
    EXPECT_EQ(newPost->managedObjectContext(), nullptr);
    EXPECT_EQ(titles(fetch(u"BlogPost")), std::vector<std::u16string> { u"Post" });
    EXPECT_TRUE(fetch(u"BlogTag").empty());

    // Setting a value to what it is changes nothing.
    blog->setValueForKey(Value(u"Saved"), u"title");
    EXPECT_FALSE(context->hasChanges());
}

TEST_F(ManagedObjectContextTests, RollbackRestoresEachChangedAttributeAsLastSaved)
{
    std::u16string body(200000, u'x');
    auto post = insert(u"BlogPost", u"Post");
    post->setValueForKey(Value(body), u"sourceContentString");
    post->setValueForKey(Value(7), u"wordCount");
    save();
    body[100000] = u'y';
    post->setValueForKey(Value(body), u"sourceContentString");
    post->setValueForKey(Value(u"Second"), u"title");
    save();

    // Changed once, twice, and back to the saved value; one left alone.
    post->setValueForKey(Value(u"<p>Edited</p>"), u"sourceContentString");
    post->setValueForKey(Value(u"Third"), u"title");
    post->setValueForKey(Value(u"Fourth"), u"title");
    post->setValueForKey(Value(8), u"wordCount");
    post->setValueForKey(Value(7), u"wordCount");
    post->setValueForKey(Value(2.0), u"wordCount");
    EXPECT_EQ(post->valueForKey(u"wordCount"), Value(2)) << "a value taken over is still converted to the attribute's type";
    context->rollback();
    EXPECT_EQ(post->valueReferenceForKey(u"sourceContentString"), Value(body));
    EXPECT_EQ(post->valueForKey(u"title"), Value(u"Second"));
    EXPECT_EQ(post->valueForKey(u"wordCount"), Value(7));
    EXPECT_TRUE(post->valueForKey(u"identifierUsedByBlogService").isNull());

    // A second round of changes after the rollback rolls back alike, and a
    // text taken over reaches the file whole.
    post->setValueForKey(Value(u"Fifth"), u"title");
    context->rollback();
    EXPECT_EQ(post->valueForKey(u"title"), Value(u"Second"));
    body[0] = u'z';
    post->setValueForKey(Value(std::u16string(body)), u"sourceContentString");
    save();
    reopen();
    auto stored = fetch(u"BlogPost");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0]->valueReferenceForKey(u"sourceContentString"), Value(body));
    EXPECT_EQ(stored[0]->valueForKey(u"title"), Value(u"Second"));
}

TEST_F(ManagedObjectContextTests, ChangeStampsFollowEveryChange)
{
    auto blog = insert(u"Blog", u"Blog");
    auto post = insert(u"BlogPost", u"Post");
    auto tag = insert(u"BlogTag", u"Tag");
    EXPECT_NE(post->changeStamp(), blog->changeStamp()) << "no two objects share a stamp";
    save();
    std::set<uint64_t> seen;
    // Takes the object's stamp, which must differ from every one seen before.
    auto expectNewStamp = [&](const std::shared_ptr<ManagedObject>& object, const char* change) {
        EXPECT_TRUE(seen.insert(object->changeStamp()).second) << change;
    };
    for (auto& object : { blog, post, tag })
        expectNewStamp(object, "fresh objects");

    uint64_t stamp = post->changeStamp();
    post->setValueForKey(Value(u"Post"), u"title");
    EXPECT_EQ(post->changeStamp(), stamp) << "setting an equal value is no change";
    save();
    EXPECT_EQ(post->changeStamp(), stamp) << "a save changes nothing";

    post->setValueForKey(Value(u"Edited"), u"title");
    expectNewStamp(post, "attribute");
    post->setValueForKey(Value(u"Post"), u"title");
    expectNewStamp(post, "an edit undone by setting the earlier value");
    post->setObjectForKey(blog, u"blog");
    expectNewStamp(post, "to-one relationship");
    expectNewStamp(blog, "the inverse to-many");
    post->addObjectForKey(tag, u"tags");
    expectNewStamp(post, "to-many relationship");
    expectNewStamp(tag, "its inverse");
    save();
    post->removeObjectForKey(tag, u"tags");
    expectNewStamp(post, "removal from a to-many");

    context->rollback();
    EXPECT_EQ(post->objectsForKey(u"tags"), ManagedObjects { tag });
    expectNewStamp(post, "rollback");
    stamp = blog->changeStamp();
    context->rollback();
    EXPECT_EQ(blog->changeStamp(), stamp) << "rolling back nothing changes nothing";

    context->deleteObject(post);
    expectNewStamp(post, "deletion");
    expectNewStamp(blog, "a deletion nullifying the relationship");
    context->rollback();
    expectNewStamp(post, "the deletion rolled back");

    // A save of another context is read back into this one's objects.
    auto other = ManagedObjectContext::create(store, &center);
    other->existingObjectWithID(tag->objectID())->setValueForKey(Value(u"Renamed"), u"title");
    Error error;
    ASSERT_TRUE(other->save(&error)) << error;
    EXPECT_EQ(titles(fetch(u"BlogTag")), std::vector<std::u16string> { u"Renamed" });
    expectNewStamp(tag, "a refresh from the store");

    // The next stamp of any object moves when an object leaves its context,
    // here an unchanged one whose row another context deleted, found gone by
    // a fetch after this context had taken in that save: whoever keeps the
    // addresses of objects while it stays the same keeps none that went.
    auto lone = insert(u"BlogTag", u"Lone");
    save();
    other->deleteObject(other->existingObjectWithID(lone->objectID()));
    ASSERT_TRUE(other->save(&error)) << error;
    insert(u"BlogTag", u"Taking in the other's save");
    save();
    uint64_t next = ManagedObject::nextChangeStamp();
    std::weak_ptr<ManagedObject> gone = lone;
    lone.reset();
    EXPECT_EQ(fetch(u"BlogTag").size(), 2u);
    EXPECT_TRUE(gone.expired());
    EXPECT_NE(ManagedObject::nextChangeStamp(), next) << "an object gone from the context";
}

TEST_F(ManagedObjectContextTests, IdsAreNeverGivenAgain)
{
    auto first = insert(u"BlogTag", u"a");
    int64_t firstNumber = first->objectID().number();
    context->rollback();
    auto second = insert(u"BlogTag", u"b");
    EXPECT_GT(second->objectID().number(), firstNumber);
    save();
    int64_t highest = second->objectID().number();

    // Unsaved inserts lost with the process (the store closed without a save).
    for (int i = 0; i < 3; ++i)
        highest = std::max(highest, insert(u"BlogTag", u"unsaved")->objectID().number());
    reopen();
    auto afterReopen = insert(u"BlogTag", u"c");
    EXPECT_GT(afterReopen->objectID().number(), highest);

    // Deleted and saved: its number is not given again.
    auto tag = context->existingObjectWithID(second->objectID());
    context->deleteObject(tag);
    save();
    reopen();
    for (int i = 0; i < 100; ++i)
        EXPECT_GT(insert(u"BlogTag", u"d")->objectID().number(), highest);
}

TEST_F(ManagedObjectContextTests, OneObjectPerRow)
{
    auto blog = insert(u"Blog", u"B");
    auto post = insert(u"BlogPost", u"P");
    post->setObjectForKey(blog, u"blog");
    save();
    reopen();
    auto posts = fetch(u"BlogPost");
    ASSERT_EQ(posts.size(), 1u);
    auto blogs = fetch(u"Blog");
    ASSERT_EQ(blogs.size(), 1u);
    EXPECT_EQ(posts[0]->objectForKey(u"blog"), blogs[0]);
    EXPECT_EQ(fetch(u"BlogPost")[0], posts[0]);
    EXPECT_EQ(context->existingObjectWithID(posts[0]->objectID()), posts[0]);
    EXPECT_EQ(blogs[0]->objectsForKey(u"posts")[0], posts[0]);
    // A second context has objects of its own.
    auto second = ManagedObjectContext::create(store, &center);
    auto elsewhere = second->existingObjectWithID(posts[0]->objectID());
    ASSERT_TRUE(elsewhere);
    EXPECT_NE(elsewhere, posts[0]);
    EXPECT_EQ(elsewhere->valueForKey(u"title"), Value(u"P"));
}

TEST_F(ManagedObjectContextTests, URIsNameTheStoreAndResolveOnlyThere)
{
    auto blog = insert(u"Blog", u"B");
    auto gone = insert(u"Blog", u"Gone");
    save();
    URL uri = blog->objectID().URIRepresentation();
    EXPECT_EQ(uri.scheme(), u"x-brevanton-store");
    auto parsed = store->managedObjectIDForURIRepresentation(*URL::create(uri.absoluteString()));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, blog->objectID());
    EXPECT_EQ(context->existingObjectWithID(*parsed), blog);

    URL goneURI = gone->objectID().URIRepresentation();
    context->deleteObject(gone);
    EXPECT_EQ(context->existingObjectWithID(*store->managedObjectIDForURIRepresentation(goneURI)), nullptr);
    save();
    reopen();
    EXPECT_EQ(context->existingObjectWithID(*store->managedObjectIDForURIRepresentation(goneURI)), nullptr);
    EXPECT_TRUE(context->existingObjectWithID(*store->managedObjectIDForURIRepresentation(uri)));

    // Another store with the same model does not know the URI.
    Error error;
    auto otherStore = PersistentStore::open(folder + "/other.brevantonindex", model, &error);
    ASSERT_TRUE(otherStore) << error;
    EXPECT_NE(otherStore->identifier(), store->identifier());
    EXPECT_FALSE(otherStore->managedObjectIDForURIRepresentation(uri));

    for (const char* text : { "x-brevanton-store://abc/Blog/p1", "http://example.com/Blog/p1", "x-brevanton-store:///Blog/p1" })
        EXPECT_FALSE(store->managedObjectIDForURIRepresentation(*URL::create(std::string_view(text)))) << text;
    std::u16string base = u"x-brevanton-store://" + store->identifier();
    for (std::u16string suffix : { u"/NoSuchEntity/p1", u"/Blog/1", u"/Blog/p", u"/Blog/p-3", u"/Blog/p1x", u"/Blog" })
        EXPECT_FALSE(store->managedObjectIDForURIRepresentation(*URL::create(base + suffix)));
    // The right store and entity with a number never given resolves to nothing.
    EXPECT_EQ(context->existingObjectWithID(*store->managedObjectIDForURIRepresentation(*URL::create(base + u"/Blog/p999999"))), nullptr);
    // A number of another entity's object is not an object of this one.
    auto wrongEntity = store->managedObjectIDForURIRepresentation(*URL::create(base + u"/BlogTag/p" + toUTF16(std::to_string(blog->objectID().number()))));
    ASSERT_TRUE(wrongEntity);
    EXPECT_EQ(context->existingObjectWithID(*wrongEntity), nullptr);
}

TEST_F(ManagedObjectContextTests, ChangesAreAnnouncedOncePerTurnAndOnSave)
{
    NotificationRecorder changes(center, ManagedObjectContextObjectsDidChangeNotification, context.get());
    NotificationRecorder saves(center, ManagedObjectContextDidSaveNotification, context.get());
    auto blog = insert(u"Blog", u"B");
    auto post = insert(u"BlogPost", u"P");
    post->setObjectForKey(blog, u"blog");
    auto transient = insert(u"BlogTag", u"T");
    context->deleteObject(transient);
    EXPECT_TRUE(changes.records.empty());
    RunLoop::main().runOnce();
    ASSERT_EQ(changes.records.size(), 1u);
    EXPECT_EQ(changes.records[0].inserted, (std::vector<int64_t> { blog->objectID().number(), post->objectID().number() }));
    EXPECT_TRUE(changes.records[0].updated.empty());
    EXPECT_TRUE(changes.records[0].deleted.empty());
    RunLoop::main().runOnce();
    EXPECT_EQ(changes.records.size(), 1u);

    save();
    ASSERT_EQ(saves.records.size(), 1u);
    EXPECT_EQ(saves.records[0].inserted.size(), 2u);

    blog->setValueForKey(Value(u"B2"), u"title");
    blog->setValueForKey(Value(u"B3"), u"title");
    context->deleteObject(post);
    RunLoop::main().runOnce();
    ASSERT_EQ(changes.records.size(), 2u);
    EXPECT_EQ(changes.records[1].updated, std::vector<int64_t> { blog->objectID().number() });
    EXPECT_EQ(changes.records[1].deleted, std::vector<int64_t> { post->objectID().number() });
    save();
    ASSERT_EQ(saves.records.size(), 2u);
    EXPECT_EQ(saves.records[1].updated, std::vector<int64_t> { blog->objectID().number() });
    EXPECT_EQ(saves.records[1].deleted, std::vector<int64_t> { post->objectID().number() });
    EXPECT_TRUE(saves.records[1].inserted.empty());
    // Nothing to save posts nothing.
    save();
    EXPECT_EQ(saves.records.size(), 2u);
}

TEST_F(ManagedObjectContextTests, UseOnAnotherThreadIsAProgrammingError)
{
    auto blog = insert(u"Blog", u"B");
    int thrown = 0;
    std::thread([&] {
        auto attempt = [&](auto&& operation) {
            try {
                operation();
            } catch (const InternalInconsistencyException&) {
                ++thrown;
            }
        };
        attempt([&] { context->insertNewObject(u"Blog"); });
        attempt([&] { (void)context->save(nullptr); });
        attempt([&] { (void)context->executeFetchRequest(FetchRequest(u"Blog"), nullptr); });
        attempt([&] { blog->valueForKey(u"title"); });
        attempt([&] { blog->setValueForKey(Value(u"x"), u"title"); });
        attempt([&] { blog->objectsForKey(u"posts"); });
    }).join();
    EXPECT_EQ(thrown, 6);
    EXPECT_EQ(blog->valueForKey(u"title"), Value(u"B"));

    // A context made on another thread is that thread's.
    std::shared_ptr<ManagedObjectContext> workerContext;
    std::thread([&] {
        workerContext = ManagedObjectContext::create(store, &center);
        workerContext->insertNewObject(u"BlogTag");
        Error error;
        EXPECT_TRUE(workerContext->save(&error)) << error;
    }).join();
    EXPECT_THROW(workerContext->hasChanges(), InternalInconsistencyException);
    EXPECT_EQ(fetch(u"BlogTag").size(), 1u);
}

TEST_F(ManagedObjectContextTests, EntitiesAreMadeAsTheirClassesWithHooks)
{
    auto blog = context->insertNewObject<TestBlog>();
    EXPECT_EQ(blog->valueForKey(u"title"), Value(u"Untitled Blog"));
    EXPECT_FALSE(blog->fetched);
    auto untouched = context->insertNewObject<TestBlog>();
    save();
    EXPECT_EQ(blog->willSaveCount, 1);
    blog->setValueForKey(Value(u"Named"), u"title");
    save();
    EXPECT_EQ(blog->willSaveCount, 2);
    EXPECT_EQ(untouched->willSaveCount, 1);
    auto blogID = blog->objectID();
    reopen();
    auto fetched = entityCast<TestBlog>(context->existingObjectWithID(blogID));
    ASSERT_TRUE(fetched);
    EXPECT_TRUE(fetched->fetched);
    EXPECT_EQ(fetched->valueForKey(u"title"), Value(u"Named"));

    // A hook that fetches while its rows are being read sees all of them.
    context->insertNewObject(u"Blog");
    save();
    reopen();
    TestBlog::fetchesWhenAwoken = true;
    auto blogs = context->executeFetchRequest<TestBlog>(FetchRequest(u"Blog"), nullptr);
    TestBlog::fetchesWhenAwoken = false;
    ASSERT_TRUE(blogs);
    ASSERT_EQ(blogs->size(), 3u);
    for (auto& blog : *blogs)
        EXPECT_EQ(blog->blogsSeenWhenAwoken, 3u);
}

TEST_F(ManagedObjectContextTests, TypedAccessorsAnswerTheEntitysClassOrAssert)
{
    auto blog = context->insertNewObject<TestBlog>();
    auto post = insert(u"BlogPost", u"Hello");
    post->setObjectForKey(blog, u"blog");
    EXPECT_EQ(post->objectForKey<TestBlog>(u"blog"), blog);
    EXPECT_EQ(insert(u"BlogPost", u"Alone")->objectForKey<TestBlog>(u"blog"), nullptr);

    // Another entity's objects, or a class registered for another entity,
    // are programming errors.
    EXPECT_THROW((void)entityCast<TestBlog>(post), InternalInconsistencyException);
    EXPECT_THROW((void)context->executeFetchRequest<TestBlog>(FetchRequest(u"BlogPost"), nullptr), InternalInconsistencyException);
    EXPECT_THROW(model->entityNamed(u"BlogTag")->setInstanceClass<TestBlog>(), InternalInconsistencyException);

    // A model that makes the entity as another class.
    auto plain = makeTestModel();
    plain->entityNamed(u"Blog")->setInstanceFactory([] { return std::make_shared<ManagedObject>(); });
    Error error;
    auto plainStore = PersistentStore::open(folder + "/plain.brevantonindex", plain, &error);
    ASSERT_TRUE(plainStore) << error;
    auto plainContext = ManagedObjectContext::create(plainStore, &center);
    EXPECT_THROW((void)plainContext->insertNewObject<TestBlog>(), InternalInconsistencyException);
}

TEST_F(ManagedObjectContextTests, FetchesSortLimitAndSeeUnsavedChanges)
{
    for (auto title : { u"beta", u"Alpha", u"alpha", u"Gamma" })
        insert(u"BlogTag", title);
    context->insertNewObject(u"BlogTag"); // no title
    save();
    auto tied = insert(u"BlogTag", u"beta");

    EXPECT_EQ(titles(fetch(u"BlogTag", { { u"title" } })),
              (std::vector<std::u16string> { u"<nil>", u"Alpha", u"Gamma", u"alpha", u"beta", u"beta" }));
    EXPECT_EQ(titles(fetch(u"BlogTag", { { u"title", false } })),
              (std::vector<std::u16string> { u"beta", u"beta", u"alpha", u"Gamma", u"Alpha", u"<nil>" }));
    auto insensitive = fetch(u"BlogTag", { { u"title", true, true } });
    EXPECT_EQ(titles(insensitive), (std::vector<std::u16string> { u"<nil>", u"Alpha", u"alpha", u"beta", u"beta", u"Gamma" }));
    // Ties stay in id order: the saved "beta" before the new one.
    EXPECT_EQ(insensitive[4], tied);
    EXPECT_EQ(titles(fetch(u"BlogTag", { { u"title" } }, 2)), (std::vector<std::u16string> { u"<nil>", u"Alpha" }));

    auto all = fetch(u"BlogTag", { { u"title" } });
    context->deleteObject(all[1]);
    all[2]->setValueForKey(Value(u"zeta"), u"title");
    EXPECT_EQ(titles(fetch(u"BlogTag", { { u"title" } })),
              (std::vector<std::u16string> { u"<nil>", u"alpha", u"beta", u"beta", u"zeta" }));

    // Sorting through a to-one key path.
    auto blogZ = insert(u"Blog", u"Z");
    auto blogA = insert(u"Blog", u"A");
    auto first = insert(u"BlogPost", u"first");
    auto second = insert(u"BlogPost", u"second");
    first->setObjectForKey(blogZ, u"blog");
    second->setObjectForKey(blogA, u"blog");
    EXPECT_EQ(titles(fetch(u"BlogPost", { { u"blog.title" } })), (std::vector<std::u16string> { u"second", u"first" }));

    Error error;
    FetchRequest unknown(u"BlogPost");
    unknown.setSortDescriptors({ { u"noSuchKey" } });
    EXPECT_FALSE(context->executeFetchRequest(unknown, &error));
    EXPECT_TRUE(error.is(PersistentStoreErrorDomain, PersistentStoreFetchError));
    EXPECT_FALSE(context->executeFetchRequest(FetchRequest(u"NoSuchEntity"), &error));
    EXPECT_TRUE(error.is(PersistentStoreErrorDomain, PersistentStoreFetchError));
}

TEST_F(ManagedObjectContextTests, SortsInTheUsersCollationFollowEveryChangeOfTheStrings)
{
    // Keys made for one sort are used again by the next; each kind of change must show.
    SortDescriptor byTitle { u"title", true, false, SortComparison::LocalizedCaseInsensitive };
    auto b = insert(u"BlogTag", u"b");
    auto c = insert(u"BlogTag", u"C");
    auto a = insert(u"BlogTag", u"a");
    save();
    EXPECT_EQ(titles(fetch(u"BlogTag", { byTitle })), (std::vector<std::u16string> { u"a", u"b", u"C" }));

    // Edited here, unsaved.
    a->setValueForKey(Value(u"D"), u"title");
    EXPECT_EQ(titles(fetch(u"BlogTag", { byTitle })), (std::vector<std::u16string> { u"b", u"C", u"D" }));
    // Untitled; then titled again as it was first.
    a->setValueForKey(Value(), u"title");
    EXPECT_EQ(titles(fetch(u"BlogTag", { byTitle })), (std::vector<std::u16string> { u"<nil>", u"b", u"C" }));
    a->setValueForKey(Value(u"a"), u"title");
    save();
    EXPECT_EQ(titles(fetch(u"BlogTag", { byTitle })), (std::vector<std::u16string> { u"a", u"b", u"C" }));

    // Saved by another context and read again here.
    auto other = ManagedObjectContext::create(store, &center);
    other->existingObjectWithID(c->objectID())->setValueForKey(Value(u"\u00c0"), u"title");
    Error error;
    ASSERT_TRUE(other->save(&error)) << error;
    EXPECT_EQ(titles(fetch(u"BlogTag", { byTitle })), (std::vector<std::u16string> { u"a", u"\u00c0", u"b" }));

    // Deleted, and another object with the same title.
    context->deleteObject(b);
    save();
    auto again = insert(u"BlogTag", u"0");
    EXPECT_EQ(titles(fetch(u"BlogTag", { byTitle })), (std::vector<std::u16string> { u"0", u"a", u"\u00c0" }));

    // Through a key path: the blogs' titles sort the posts.
    auto blogA = insert(u"Blog", u"a");
    auto blogB = insert(u"Blog", u"B");
    auto first = insert(u"BlogPost", u"first");
    auto second = insert(u"BlogPost", u"second");
    first->setObjectForKey(blogB, u"blog");
    second->setObjectForKey(blogA, u"blog");
    SortDescriptor byBlogTitle { u"blog.title", true, false, SortComparison::LocalizedCaseInsensitive };
    EXPECT_EQ(titles(fetch(u"BlogPost", { byBlogTitle })), (std::vector<std::u16string> { u"second", u"first" }));
    blogA->setValueForKey(Value(u"c"), u"title");
    EXPECT_EQ(titles(fetch(u"BlogPost", { byBlogTitle })), (std::vector<std::u16string> { u"first", u"second" }));
}

TEST_F(ManagedObjectContextTests, AContextSeesWhatAnotherSaved)
{
    auto tag = insert(u"BlogTag", u"one");
    save();
    EXPECT_EQ(fetch(u"BlogTag").size(), 1u);

    auto other = ManagedObjectContext::create(store, &center);
    auto otherTag = other->existingObjectWithID(tag->objectID());
    otherTag->setValueForKey(Value(u"renamed"), u"title");
    other->insertNewObject(u"BlogTag")->setValueForKey(Value(u"two"), u"title");
    Error error;
    ASSERT_TRUE(other->save(&error)) << error;

    EXPECT_EQ(titles(fetch(u"BlogTag", { { u"title" } })), (std::vector<std::u16string> { u"renamed", u"two" }));
    other->deleteObject(otherTag);
    ASSERT_TRUE(other->save(&error)) << error;
    EXPECT_EQ(titles(fetch(u"BlogTag")), std::vector<std::u16string> { u"two" });
}

// Properties are found by their whole name: names of one length that differ
// in a single code unit, and names that begin another, each find their own.
TEST(EntityDescriptionTests, APropertyIsFoundByItsWholeName)
{
    EntityDescription entity(u"Post");
    entity.addAttribute(u"dateLastEditedLocally", AttributeType::Date);
    entity.addAttribute(u"dateLastSyncedLocally", AttributeType::Date);
    entity.addAttribute(u"date", AttributeType::Date);
    entity.addAttribute(u"dat\u00e9", AttributeType::String);
    entity.addRelationship({ u"tags", u"Tag", u"posts", true });
    entity.addRelationship({ u"tag", u"Tag", u"post", false });
    EXPECT_EQ(entity.attributeIndex(u"dateLastSyncedLocally"), 1);
    EXPECT_EQ(entity.attributeIndex(u"dateLastEditedLocally"), 0);
    EXPECT_EQ(entity.attributeIndex(u"date"), 2);
    EXPECT_EQ(entity.attributeIndex(u"dat\u00e9"), 3);
    EXPECT_EQ(entity.attributeIndex(u"dat"), -1);
    EXPECT_EQ(entity.attributeIndex(u"dateLastSyncedLocallY"), -1);
    EXPECT_EQ(entity.attributeIndex(u"tags"), -1) << "a relationship is no attribute";
    EXPECT_EQ(entity.relationshipIndex(u"tag"), 1);
    EXPECT_EQ(entity.relationshipIndex(u"tags"), 0);
    EXPECT_EQ(entity.relationshipIndex(u""), -1);
}

} // namespace
} // namespace brevanton

#include "platform/store/ArrayController.h"

#include "tests/platform/store/StoreTestSupport.h"

#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

class ArrayControllerTests : public ::testing::Test {
protected:
    std::string folder = makeStoreFolder();
    std::shared_ptr<ManagedObjectModel> model = makeTestModel();
    NotificationCenter center;
    std::shared_ptr<PersistentStore> store;
    std::shared_ptr<ManagedObjectContext> context;
    std::shared_ptr<ManagedObject> blog;

    void SetUp() override
    {
        Error error;
        store = PersistentStore::open(folder + "/index.brevantonindex", model, &error);
        ASSERT_TRUE(store) << error;
        context = ManagedObjectContext::create(store, &center);
        blog = context->insertNewObject(u"Blog");
    }

    std::shared_ptr<ManagedObject> post(std::u16string title, double date = 0, std::shared_ptr<ManagedObject> owner = nullptr)
    {
        auto object = context->insertNewObject(u"BlogPost");
        object->setValueForKey(Value(std::move(title)), u"title");
        object->setValueForKey(Value(Date(date)), u"dateLastEditedLocally");
        object->setObjectForKey(owner ? owner : blog, u"blog");
        return object;
    }

    std::shared_ptr<ArrayController> postsOfBlog()
    {
        auto controller = ArrayController::create(u"BlogPost", &center);
        controller->setManagedObjectContext(context);
        controller->setFetchPredicate(Predicate::predicateWithFormat(u"blog == %@", { blog }, nullptr));
        return controller;
    }

    static std::vector<std::u16string> titles(const ManagedObjects& objects)
    {
        std::vector<std::u16string> result;
        for (auto& object : objects)
            result.push_back(object->valueForKey(u"title").stringValue());
        return result;
    }

    void endTurn() { RunLoop::main().runOnce(); }
};

TEST_F(ArrayControllerTests, TitlesSortByTheUsersCollationIgnoringCaseWithTiesByDate)
{
    post(u"Zebra");
    post(u"\u00e9clair");
    post(u"Eclipse");
    post(u"apple", 20);
    post(u"Apple", 10);
    post(u"banana");
    post(u"APPLE", 10)->setValueForKey(Value(), u"title");
    auto controller = postsOfBlog();
    controller->setSortDescriptors({ { u"title", true, false, SortComparison::LocalizedCaseInsensitive },
                                     { u"dateLastEditedLocally", true } });
    ASSERT_TRUE(controller->fetch(nullptr));
    // An untitled post first, as unset values come.
    std::vector<std::u16string> expected { u"", u"Apple", u"apple", u"banana", u"\u00e9clair", u"Eclipse", u"Zebra" };
    EXPECT_EQ(titles(controller->arrangedObjects()), expected);

    // Descending titles keep the date order of ties as the second sort says.
    controller->setSortDescriptors({ { u"title", false, false, SortComparison::LocalizedCaseInsensitive },
                                     { u"dateLastEditedLocally", false } });
    endTurn();
    expected = { u"Zebra", u"Eclipse", u"\u00e9clair", u"banana", u"apple", u"Apple", u"" };
    EXPECT_EQ(titles(controller->arrangedObjects()), expected);

    // A plain sort compares code units: capitals and accents stand apart.
    controller->setSortDescriptors({ { u"title", true } });
    endTurn();
    expected = { u"", u"Apple", u"Eclipse", u"Zebra", u"apple", u"banana", u"\u00e9clair" };
    EXPECT_EQ(titles(controller->arrangedObjects()), expected);
}

TEST_F(ArrayControllerTests, ChangesInOneTurnRearrangeOnceAtItsEnd)
{
    post(u"one", 1);
    auto other = context->insertNewObject(u"Blog");
    post(u"elsewhere", 2, other);
    auto controller = postsOfBlog();
    int calls = 0;
    auto observation = controller->addArrangedObjectsObserver([&](ArrayController&) { ++calls; });
    endTurn();
    EXPECT_EQ(titles(controller->arrangedObjects()), std::vector<std::u16string> { u"one" }) << "only the blog's posts";
    EXPECT_EQ(calls, 1);

    uint64_t before = controller->arrangementCountForTesting();
    post(u"two", 2);
    post(u"three", 3);
    controller->setFilterPredicate(Predicate::predicateWithFormat(u"title != 'three'", nullptr));
    controller->setSortDescriptors({ { u"dateLastEditedLocally", false } });
    EXPECT_TRUE(controller->needsRearrangement());
    EXPECT_EQ(titles(controller->arrangedObjects()), std::vector<std::u16string> { u"one" }) << "nothing redone before the turn ends";
    endTurn();
    EXPECT_EQ(controller->arrangementCountForTesting(), before + 1);
    EXPECT_EQ(titles(controller->arrangedObjects()), (std::vector<std::u16string> { u"two", u"one" }));
    EXPECT_EQ(calls, 2);

    // A change that leaves the arrangement as it was tells no observer.
    controller->setFilterPredicate(Predicate::predicateWithFormat(u"title != 'four'", nullptr));
    endTurn();
    EXPECT_EQ(titles(controller->arrangedObjects()), (std::vector<std::u16string> { u"three", u"two", u"one" }));
    EXPECT_EQ(calls, 3);
    controller->rearrangeObjects();
    EXPECT_EQ(calls, 3);

    // Deleting and saving reach the list through the context's notifications.
    context->deleteObject(controller->arrangedObjects()[1]);
    ASSERT_TRUE(context->save(nullptr));
    endTurn();
    EXPECT_EQ(titles(controller->arrangedObjects()), (std::vector<std::u16string> { u"three", u"one" }));

    observation.reset();
    post(u"five", 5);
    endTurn();
    EXPECT_EQ(controller->arrangedObjects().size(), 3u);
    EXPECT_EQ(calls, 4) << "no call after the observation ended";
}

TEST_F(ArrayControllerTests, WithoutContextOrWithABadPredicateTheListIsEmpty)
{
    post(u"one");
    auto controller = postsOfBlog();
    ASSERT_TRUE(controller->fetch(nullptr));
    EXPECT_EQ(controller->arrangedObjects().size(), 1u);
    EXPECT_EQ(controller->content().size(), 1u);

    controller->setManagedObjectContext(nullptr);
    controller->prepareContent();
    endTurn();
    EXPECT_TRUE(controller->arrangedObjects().empty());
    EXPECT_TRUE(controller->content().empty());
    EXPECT_FALSE(controller->lastFetchError());

    controller->setManagedObjectContext(context);
    controller->setFilterPredicate(Predicate::predicateWithFormat(u"noSuchKey == 1", nullptr));
    Error error;
    EXPECT_FALSE(controller->fetch(&error));
    EXPECT_TRUE(controller->arrangedObjects().empty());
    EXPECT_TRUE(controller->lastFetchError());
    EXPECT_FALSE(controller->needsRearrangement()) << "fetch drops the pending redo";
}

TEST_F(ArrayControllerTests, AControllerGoneBeforeTheTurnEndsLeavesNothingBehind)
{
    post(u"one");
    bool called = false;
    {
        auto controller = postsOfBlog();
        auto observation = controller->addArrangedObjectsObserver([&](ArrayController&) { called = true; });
        EXPECT_TRUE(controller->needsRearrangement());
    }
    post(u"two");
    endTurn();
    endTurn();
    EXPECT_FALSE(called);
}

} // namespace
} // namespace brevanton

#include "ui/VornickStoreWebListArrayController.h"

#include "tests/platform/store/StoreTestSupport.h"

#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

class StoreWebListArrayController : public ::testing::Test {
protected:
    std::string folder = makeStoreFolder();
    std::shared_ptr<ManagedObjectModel> model = makeTestModel();
    NotificationCenter center;
    std::shared_ptr<PersistentStore> store;
    std::shared_ptr<ManagedObjectContext> context;
    std::shared_ptr<ArrayController> posts;

    void SetUp() override
    {
        Error error;
        store = PersistentStore::open(folder + "/index.brevantonindex", model, &error);
        ASSERT_TRUE(store) << error;
        context = ManagedObjectContext::create(store, &center);
        posts = ArrayController::create(u"BlogPost", &center);
        posts->setManagedObjectContext(context);
    }

    std::shared_ptr<ManagedObject> post(std::u16string title, double date)
    {
        auto object = context->insertNewObject(u"BlogPost");
        object->setValueForKey(Value(std::move(title)), u"title");
        object->setValueForKey(Value(Date(date)), u"dateLastEditedLocally");
        return object;
    }

    static std::vector<std::u16string> titles(const std::vector<std::shared_ptr<ManagedObject>>& objects)
    {
        std::vector<std::u16string> result;
        for (auto& object : objects)
            result.push_back(object->valueForKey(u"title").stringValue());
        return result;
    }
};

TEST_F(StoreWebListArrayController, TheListHearsOfEachArrangementThatChangedAndSortsThroughTheMapping)
{
    VornickStoreWebListArrayController adapter(posts);
    int heard = 0;
    auto token = adapter.observeArrangedObjects([&] { ++heard; });
    post(u"beta", 2);
    post(u"Alpha", 1);
    post(u"alpha", 3);
    RunLoop::main().runOnce();
    EXPECT_EQ(heard, 1);
    EXPECT_EQ(adapter.arrangedObjects().size(), 3u);
    EXPECT_FALSE(adapter.firstSortDescriptor());

    // Titles in the user's collation ignoring case, ties newest first.
    adapter.setSortDescriptorMapping([](const std::vector<VornickWebListSortDescriptor>& list) {
        std::vector<SortDescriptor> store;
        for (auto& descriptor : list) {
            SortDescriptor mapped { descriptor.key, descriptor.ascending };
            mapped.comparison = SortComparison::LocalizedCaseInsensitive;
            store.push_back(mapped);
        }
        store.push_back(SortDescriptor { u"dateLastEditedLocally", false });
        return store;
    });
    adapter.setSortDescriptors({ { u"title", true } });
    adapter.rearrangeObjects();
    EXPECT_EQ(titles(adapter.arrangedObjects()), (std::vector<std::u16string> { u"alpha", u"Alpha", u"beta" }));
    ASSERT_TRUE(adapter.firstSortDescriptor());
    EXPECT_EQ(adapter.firstSortDescriptor()->key, u"title");
    EXPECT_TRUE(adapter.firstSortDescriptor()->ascending);
    EXPECT_EQ(heard, 2);

    // An arrangement that changes nothing is not told; a gone token hears nothing.
    adapter.rearrangeObjects();
    EXPECT_EQ(heard, 2);
    token.reset();
    post(u"gamma", 4);
    RunLoop::main().runOnce();
    EXPECT_EQ(adapter.arrangedObjects().size(), 4u);
    EXPECT_EQ(heard, 2);
}

TEST_F(StoreWebListArrayController, WithoutAMappingEachKeySortsAsItIs)
{
    VornickStoreWebListArrayController adapter(posts);
    post(u"b", 1);
    post(u"a", 2);
    adapter.setSortDescriptors({ { u"dateLastEditedLocally", false } });
    adapter.rearrangeObjects();
    EXPECT_EQ(titles(adapter.arrangedObjects()), (std::vector<std::u16string> { u"a", u"b" }));
    ASSERT_EQ(posts->sortDescriptors().size(), 1u);
    EXPECT_EQ(posts->sortDescriptors()[0].keyPath, u"dateLastEditedLocally");
    EXPECT_FALSE(posts->sortDescriptors()[0].ascending);
}

} // namespace
} // namespace brevanton

#include "blog/VornickListingIdentifierIndex.h"

#include "blog/VornickPublishedBlogPost.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace brevanton {
namespace {

using Post = std::shared_ptr<VornickPublishedBlogPost>;

std::u16string identifier(int number)
{
    return toUTF16(std::to_string(number));
}

std::vector<std::pair<size_t, VornickPublishedBlogPost*>> itemsOf(const VornickListingIdentifierIndex& index, std::u16string_view identifier)
{
    std::vector<std::pair<size_t, VornickPublishedBlogPost*>> items;
    index.forEachLocalItem(identifier, [&](size_t order, size_t item) {
        if (auto post = index.localPost(item))
            items.emplace_back(order, post.get());
    });
    return items;
}

TEST(VornickListingIdentifierIndexTests, ItemsAndReceivedIdentifiersAreFoundAcrossGrowthAndReuse)
{
    VornickListingIdentifierIndex index;
    // Two listings, the second smaller and with other identifiers: nothing
    // of the first may show through the storage the second reuses.
    for (int listing = 0; listing < 2; ++listing) {
        index.reset();
        const int count = listing == 0 ? 3000 : 700;
        const int offset = listing * 100000;
        std::vector<Post> posts;
        for (int number = 0; number < count; ++number) {
            posts.push_back(std::make_shared<VornickPublishedBlogPost>());
            index.addLocalItem(identifier(offset + number), static_cast<size_t>(number), posts.back());
        }
        // One identifier held by two local posts: both, in the order added.
        auto twin = std::make_shared<VornickPublishedBlogPost>();
        index.addLocalItem(identifier(offset + 5), static_cast<size_t>(count), twin);
        EXPECT_TRUE(index.hasLocalItems());

        for (int number = 0; number < count; ++number) {
            auto items = itemsOf(index, identifier(offset + number));
            ASSERT_GE(items.size(), 1u) << number;
            EXPECT_EQ(items[0], std::make_pair(static_cast<size_t>(number), posts[number].get())) << number;
        }
        EXPECT_EQ(itemsOf(index, identifier(offset + 5)).size(), 2u);
        EXPECT_EQ(itemsOf(index, identifier(offset + 5))[1].second, twin.get());
        EXPECT_TRUE(itemsOf(index, identifier(offset + count)).empty());
        EXPECT_TRUE(itemsOf(index, identifier(1)).empty() || listing == 0) << "the first listing's items are gone";
        EXPECT_TRUE(itemsOf(index, u"").empty());

        // Identifiers given by the listing: local ones and new ones, each once.
        EXPECT_FALSE(index.wasReceived(identifier(offset + 1)));
        EXPECT_TRUE(index.noteReceived(identifier(offset + 1)));
        EXPECT_FALSE(index.noteReceived(identifier(offset + 1))) << "given twice";
        EXPECT_TRUE(index.noteReceived(u"new"));
        EXPECT_FALSE(index.noteReceived(u"new"));
        EXPECT_TRUE(index.wasReceived(u"new"));
        EXPECT_TRUE(itemsOf(index, u"new").empty()) << "a received identifier is no local item";
        EXPECT_FALSE(index.wasReceived(identifier(offset + 2)));
        EXPECT_EQ(index.receivedCount(), 2u);
        EXPECT_EQ(index.receivedIdentifiers(), (std::unordered_set<std::u16string> { identifier(offset + 1), u"new" }));
    }
}

TEST(VornickListingIdentifierIndexTests, TheItemsKeepNoPostAndOutliveWhatAListingGave)
{
    VornickListingIdentifierIndex index;
    auto post = std::make_shared<VornickPublishedBlogPost>();
    auto draft = std::make_shared<VornickPublishedBlogPost>();
    std::weak_ptr<VornickPublishedBlogPost> weak = post;
    index.addLocalItem(u"7", 0, post);
    index.addLocalItem(u"", 1, draft);
    EXPECT_TRUE(index.noteReceived(u"7"));
    EXPECT_TRUE(itemsOf(index, u"").empty()) << "a post without an identifier is found by none";

    // A new listing: the items stay, nothing is received yet.
    index.forgetReceived();
    EXPECT_FALSE(index.wasReceived(u"7"));
    EXPECT_EQ(index.receivedCount(), 0u);
    EXPECT_TRUE(index.noteReceived(u"7"));
    EXPECT_EQ(itemsOf(index, u"7"), (std::vector<std::pair<size_t, VornickPublishedBlogPost*>> { { 0, post.get() } }));
    std::vector<std::tuple<size_t, bool, size_t, VornickPublishedBlogPost*>> inOrder;
    index.forEachLocalItemInOrder([&](size_t item, bool hasIdentifier, size_t receivedAs) {
        inOrder.emplace_back(item, hasIdentifier, receivedAs, index.localPost(item).get());
    });
    EXPECT_EQ(inOrder, (std::vector<std::tuple<size_t, bool, size_t, VornickPublishedBlogPost*>> {
                           { 0, true, 0, post.get() }, { 1, false, VornickListingIdentifierIndex::NotReceived, draft.get() } }));

    // A post gone is no longer found; the index held it weakly.
    post.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(itemsOf(index, u"7").empty());
    EXPECT_FALSE(index.localPost(0));
    EXPECT_EQ(index.localPost(1), draft);
    index.reset();
    EXPECT_FALSE(index.hasLocalItems());
    EXPECT_FALSE(index.wasReceived(u"7"));
}

} // namespace
} // namespace brevanton

#include "platform/web/WebBackForwardList.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

std::shared_ptr<WebHistoryItem> item(const char16_t* url)
{
    return std::make_shared<WebHistoryItem>(url, u"Title", Date(100));
}

TEST(WebBackForwardListTest, GoingBackAndForwardAndAddingDropsWhatWasAhead)
{
    WebBackForwardList list;
    EXPECT_FALSE(list.canGoBack());
    EXPECT_FALSE(list.goBack());
    EXPECT_FALSE(list.currentItem());
    list.addItem(item(u"a"));
    list.addItem(item(u"b"));
    list.addItem(item(u"c"));
    EXPECT_EQ(list.currentItem()->URLString(), u"c");
    EXPECT_EQ(list.backItem()->URLString(), u"b");
    EXPECT_FALSE(list.canGoForward());
    EXPECT_TRUE(list.goBack());
    EXPECT_TRUE(list.goBack());
    EXPECT_FALSE(list.goBack());
    EXPECT_EQ(list.currentItem()->URLString(), u"a");
    EXPECT_EQ(list.forwardItem()->URLString(), u"b");
    EXPECT_EQ(list.forwardListCount(), 2u);
    EXPECT_TRUE(list.goForward());
    // A new visit drops "c", which was ahead.
    list.addItem(item(u"d"));
    EXPECT_EQ(list.currentItem()->URLString(), u"d");
    EXPECT_FALSE(list.canGoForward());
    EXPECT_EQ(list.backListCount(), 2u);
    EXPECT_EQ(list.itemAtIndex(-2)->URLString(), u"a");
    EXPECT_FALSE(list.itemAtIndex(-3));
    list.removeAllItems();
    EXPECT_FALSE(list.canGoBack());
    EXPECT_FALSE(list.canGoForward());
    EXPECT_FALSE(list.currentItem());
}

TEST(WebBackForwardListTest, CapacityDropsTheOldest)
{
    WebBackForwardList list;
    list.setCapacity(2);
    list.addItem(item(u"a"));
    list.addItem(item(u"b"));
    list.addItem(item(u"c"));
    EXPECT_EQ(list.backListCount(), 1u);
    EXPECT_EQ(list.backItem()->URLString(), u"b");
    list.setCapacity(0);
    list.addItem(item(u"d"));
    EXPECT_FALSE(list.currentItem());
}

} // namespace
} // namespace brevanton

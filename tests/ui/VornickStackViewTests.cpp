#include "ui/VornickStackView.h"

#include "platform/foundation/Assertions.h"
#include "platform/views/Button.h"
#include "platform/views/GraphicsContext.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

struct RecordingDelegate : VornickStackViewDelegate {
    std::vector<Size> wantedSizes;
    std::vector<VornickStackItem*> deleteRequests;
    bool removeOnRequest { false };
    void userRequestedDeleteOfItem(VornickStackView& stack, VornickStackItem& item) override
    {
        deleteRequests.push_back(&item);
        if (removeOnRequest)
            stack.removeItem(item.shared_from_this());
    }
    void wantsToResizeToFitContents(VornickStackView&, Size size) override { wantedSizes.push_back(size); }
};

std::shared_ptr<VornickStackItem> itemOfHeight(double height)
{
    auto item = std::make_shared<VornickStackItem>();
    item->setView(std::make_shared<View>(Rect(0, 0, 50, height)));
    return item;
}

struct Stack {
    std::shared_ptr<VornickStackView> view = std::make_shared<VornickStackView>(Rect(0, 0, 300, 100));
    RecordingDelegate delegate;
    Stack() { view->setDelegate(&delegate); }
};

} // namespace

TEST(VornickStackViewTests, LayoutStacksItemsFullWidthAndAsksForTheNeededHeight)
{
    Stack stack;
    stack.view->performStackLayout();
    ASSERT_EQ(stack.delegate.wantedSizes.size(), 1u);
    EXPECT_EQ(stack.delegate.wantedSizes[0], (Size { 300, 20 })) << "an empty stack needs twice the padding";

    auto first = itemOfHeight(30);
    auto second = itemOfHeight(40);
    stack.view->addItem(first);
    stack.view->addItem(second);
    EXPECT_TRUE(stack.view->needsStackLayout());
    stack.view->performStackLayout();
    EXPECT_EQ(first->view()->frame(), Rect(10, 10, 280, 30));
    EXPECT_EQ(second->view()->frame(), Rect(10, 46, 280, 40));
    EXPECT_EQ(stack.delegate.wantedSizes.back(), (Size { 300, 96 }));
    EXPECT_FALSE(stack.view->needsStackLayout());

    // The delegate applies the size: the new layout needs no further request.
    size_t requests = stack.delegate.wantedSizes.size();
    stack.view->setFrameSize(Size { 300, 96 });
    EXPECT_EQ(stack.delegate.wantedSizes.size(), requests);
    // A wider stack lays out again at once, keeping the heights.
    stack.view->setFrameSize(Size { 400, 96 });
    EXPECT_EQ(second->view()->frame(), Rect(10, 46, 380, 40));
    EXPECT_EQ(stack.delegate.wantedSizes.size(), requests);
}

TEST(VornickStackViewTests, InsertingKeepsSubviewsInItemOrder)
{
    Stack stack;
    auto a = itemOfHeight(10);
    auto b = itemOfHeight(20);
    auto c = itemOfHeight(30);
    auto d = itemOfHeight(5);
    stack.view->addItem(a);
    stack.view->addItem(b);
    stack.view->insertItem(c, 0);
    stack.view->insertItem(d, 2);
    std::vector<std::shared_ptr<VornickStackItem>> expected { c, a, d, b };
    EXPECT_EQ(stack.view->items(), expected);
    ASSERT_EQ(stack.view->subviews().size(), 4u);
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(stack.view->subviews()[i], expected[i]->view()) << i;
    stack.view->performStackLayout();
    EXPECT_EQ(c->view()->frame().minY(), 10) << "the item inserted at index 0 goes to the top";
    EXPECT_EQ(a->view()->frame().minY(), 46);

    EXPECT_THROW(stack.view->addItem(a), InternalInconsistencyException);
    EXPECT_THROW(stack.view->insertItem(itemOfHeight(1), 9), InternalInconsistencyException);
    EXPECT_EQ(stack.view->numberOfItems(), 4u);
}

TEST(VornickStackViewTests, RemovingAndStaleness)
{
    Stack stack;
    auto a = itemOfHeight(10);
    auto b = itemOfHeight(20);
    stack.view->addItem(a);
    stack.view->addItem(b);
    stack.view->performStackLayout();

    stack.view->removeItem(itemOfHeight(3));
    EXPECT_FALSE(stack.view->needsStackLayout()) << "an item not in the stack is ignored";
    stack.view->setPadding(10);
    stack.view->setSpacing(6);
    EXPECT_FALSE(stack.view->needsStackLayout()) << "the same padding and spacing change nothing";

    stack.view->removeItem(a);
    EXPECT_TRUE(stack.view->needsStackLayout());
    EXPECT_EQ(a->view()->superview(), nullptr);
    EXPECT_EQ(stack.view->items(), std::vector { b });
    stack.view->setSpacing(2);
    stack.view->removeAllItems();
    EXPECT_EQ(stack.view->numberOfItems(), 0u);
    EXPECT_TRUE(stack.view->subviews().empty());
}

TEST(VornickStackViewTests, OnlyDeletableItemsAskTheDelegate)
{
    Stack stack;
    stack.delegate.removeOnRequest = true;
    auto item = itemOfHeight(10);
    auto button = std::make_shared<Button>(Rect(0, 0, 20, 20), u"x");
    item->setDeleteItemButton(button);
    item->view()->addSubview(button);
    stack.view->addItem(item);

    button->performClick();
    EXPECT_TRUE(stack.delegate.deleteRequests.empty()) << "a non-deletable item's button does nothing";
    EXPECT_EQ(stack.view->numberOfItems(), 1u);

    item->setDeletable(true);
    VornickStackItem* raw = item.get();
    std::weak_ptr<VornickStackItem> weak = item;
    item.reset();
    button->performClick();
    ASSERT_EQ(stack.delegate.deleteRequests.size(), 1u);
    EXPECT_EQ(stack.delegate.deleteRequests[0], raw);
    EXPECT_EQ(stack.view->numberOfItems(), 0u) << "the delegate decides and removes";
    EXPECT_TRUE(weak.expired());
}

TEST(VornickStackViewTests, DrawingLaysOutAStaleStackFirst)
{
    Stack stack;
    auto item = itemOfHeight(30);
    stack.view->addItem(item);
    stack.view->setBackgroundColor(Color::clear());
    EXPECT_FALSE(stack.view->isOpaque());
    GraphicsContext context;
    stack.view->display(context);
    EXPECT_FALSE(stack.view->needsStackLayout());
    EXPECT_EQ(item->view()->frame(), Rect(10, 10, 280, 30));
    EXPECT_EQ(stack.delegate.wantedSizes.back(), (Size { 300, 50 }));
    auto fills = context.commandsOfView(stack.view.get());
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills.front().kind, DrawCommand::Kind::FillRect);
    EXPECT_EQ(fills.front().color, Color::clear());
}

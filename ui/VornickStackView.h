// VornickStackView: the views of stack items one under another, full width,
// with padding around them and a fixed spacing between them. The stack never
// resizes itself: after a layout it tells its delegate the size it needs, and
// the delegate resizes it (or the sheet or popover around it). Its subviews
// are exactly its items' views, in item order.
//
// VornickStackItem: the controller of one view in a stack. A deletable item's
// delete button asks the stack's delegate to delete it; the delegate decides
// and calls removeItem.
#pragma once

#include "platform/views/Geometry.h"
#include "platform/foundation/Color.h"
#include "platform/views/View.h"

#include <memory>
#include <optional>
#include <vector>

namespace brevanton {

class Button;
class VornickStackItem;
class VornickStackView;

// Both operations are optional.
class VornickStackViewDelegate {
public:
    virtual ~VornickStackViewDelegate() = default;
    virtual void userRequestedDeleteOfItem(VornickStackView&, VornickStackItem&) {}
    // The size the stack needs to show all its items (its own width).
    virtual void wantsToResizeToFitContents(VornickStackView&, Size) {}
};

class VornickStackItem : public std::enable_shared_from_this<VornickStackItem> {
public:
    static constexpr const char* DeleteItemAction = "deleteItem:";

    virtual ~VornickStackItem() = default;

    // The item's view, made by loadView on first request.
    const std::shared_ptr<View>& view();
    bool isViewLoaded() const { return m_view != nullptr; }
    void setView(std::shared_ptr<View> view) { m_view = std::move(view); }

    bool isDeletable() const { return m_deletable; }
    void setDeletable(bool deletable) { m_deletable = deletable; }
    // Its action, deleteItem:, is aimed at the item when set.
    const std::shared_ptr<Button>& deleteItemButton() const { return m_deleteItemButton; }
    void setDeleteItemButton(std::shared_ptr<Button>);

    // The item view's superview when that is a stack view.
    std::shared_ptr<VornickStackView> stackView() const;
    // A deletable item asks its stack view's delegate to delete it; a
    // non-deletable one does nothing.
    void deleteItem();

protected:
    // Makes the view; the base makes an empty one.
    virtual void loadView();

private:
    std::shared_ptr<View> m_view;
    std::shared_ptr<Button> m_deleteItemButton;
    bool m_deletable { false };
};

class VornickStackView : public View {
public:
    explicit VornickStackView(Rect frame = {});

    bool isFlipped() const override { return true; }

    size_t numberOfItems() const { return m_items.size(); }
    std::vector<std::shared_ptr<VornickStackItem>> items() const { return m_items; }
    // The item's view becomes a subview at the matching place; the index is
    // at most numberOfItems, and the item is not in the stack yet.
    void insertItem(const std::shared_ptr<VornickStackItem>&, size_t index);
    void addItem(const std::shared_ptr<VornickStackItem>& item) { insertItem(item, numberOfItems()); }
    // An item not in the stack is ignored.
    void removeItem(const std::shared_ptr<VornickStackItem>&);
    void removeAllItems();

    double padding() const { return m_padding; }
    void setPadding(double);
    double spacing() const { return m_spacing; }
    void setSpacing(double);
    const Color& backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(Color);
    bool isOpaque() const override { return m_backgroundColor.alphaComponent() >= 1.0; }

    bool needsStackLayout() const { return m_needsStackLayout; }
    // Marks the layout stale and requests a redraw (once).
    void setNeedsStackLayout();
    // Places the item views under each other at their heights, then tells
    // the delegate the size needed when it differs from the frame's.
    void performStackLayout();
    // The bounds inset by the padding on every side.
    Rect layoutRect() const;

    // Called by items.
    void userRequestedDeletionOfItem(VornickStackItem&);

    // Not owned.
    VornickStackViewDelegate* delegate() const { return m_delegate; }
    void setDelegate(VornickStackViewDelegate* delegate) { m_delegate = delegate; }

    void resizeSubviewsWithOldSize(Size oldSize) override;
    void draw(const Rect& dirtyRect, GraphicsContext&) override;

private:
    std::vector<std::shared_ptr<VornickStackItem>> m_items;
    double m_padding { 10.0 };
    double m_spacing { 6.0 };
    Color m_backgroundColor;
    bool m_needsStackLayout { true };
    VornickStackViewDelegate* m_delegate { nullptr };
};

} // namespace brevanton

// Toolbar and ToolbarItem: the row of items at the top of a document window.
// An item has an identifier, a label shown under it, a palette label, and
// shows either a view (a control, which handles its own clicks) or an image
// (the item sends its action when clicked). A toolbar asks its delegate for
// its default items when it is given to a window, lays them out in order in
// its view (each view item between its minimum and maximum size; what does
// not fit is not visible), and validates its visible items after each event
// the window is sent: an item that sends an action, its own or its
// control's, is enabled exactly when a responder takes the action
// (Application::targetForAction, as for menu items) and answers
// validateToolbarItem with true. Items without an action are left as they are.
#pragma once

#include "platform/views/Control.h"
#include "platform/views/Image.h"
#include "platform/views/Responder.h"

#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class Toolbar;
class ToolbarView;
class Window;

class ToolbarItem : public ActionSender, public std::enable_shared_from_this<ToolbarItem> {
public:
    explicit ToolbarItem(std::u16string itemIdentifier);
    ~ToolbarItem() override = default;

    const std::u16string& itemIdentifier() const { return m_identifier; }
    const std::u16string& label() const { return m_label; }
    void setLabel(std::u16string label) { m_label = std::move(label); }
    const std::u16string& paletteLabel() const { return m_paletteLabel; }
    void setPaletteLabel(std::u16string label) { m_paletteLabel = std::move(label); }
    const std::u16string& toolTip() const { return m_toolTip; }
    void setToolTip(std::u16string toolTip) { m_toolTip = std::move(toolTip); }
    long tag() const override { return m_tag; }
    void setTag(long tag) { m_tag = tag; }

    // The control or other view the item shows; its frame size is the
    // item's size until limits are set.
    const std::shared_ptr<View>& view() const { return m_view; }
    void setView(std::shared_ptr<View>);
    // The picture of an item without a view.
    const std::shared_ptr<Image>& image() const { return m_image; }
    void setImage(std::shared_ptr<Image> image) { m_image = std::move(image); }

    // The item's action; on a view item whose view is a control, setting it
    // also sets the control's. An item without one of its own sends its
    // control's.
    Action action() const;
    void setAction(Action);
    std::shared_ptr<Responder> target() const;
    void setTarget(const std::shared_ptr<Responder>&);

    Size minSize() const;
    void setMinSize(Size size) { m_minSize = size; }
    Size maxSize() const;
    void setMaxSize(Size size) { m_maxSize = size; }

    bool isEnabled() const { return m_enabled; }
    // Also enables or disables the item's control.
    void setEnabled(bool);

    // Sets the enabled state from the responder taking the action (above).
    virtual void validate();
    // Sends the action as a click on the item would, when it is enabled;
    // false when nobody took it.
    bool sendAction();

    std::shared_ptr<Toolbar> toolbar() const { return m_toolbar.lock(); }

    // Where the item shows, for what emerges from it (a popover, a menu):
    // its own view and that view's bounds, or, for an image item, the
    // toolbar's view and the item's rectangle in it. No view when the item
    // is not shown.
    struct Placement {
        std::shared_ptr<View> view;
        Rect rect;
    };
    Placement placement() const;

private:
    friend class Toolbar;
    Control* control() const;

    std::u16string m_identifier;
    std::u16string m_label;
    std::u16string m_paletteLabel;
    std::u16string m_toolTip;
    long m_tag { 0 };
    std::shared_ptr<View> m_view;
    std::shared_ptr<Image> m_image;
    Action m_action;
    std::weak_ptr<Responder> m_target;
    Size m_minSize;
    Size m_maxSize;
    bool m_enabled { true };
    std::weak_ptr<Toolbar> m_toolbar;
};

// Optional operations have defaults.
class ToolbarDelegate {
public:
    virtual ~ToolbarDelegate() = default;
    // A new item for the identifier, or null for one the delegate does not make.
    virtual std::shared_ptr<ToolbarItem> itemForItemIdentifier(Toolbar&, const std::u16string& identifier,
                                                               bool willBeInsertedIntoToolbar) = 0;
    // The items the toolbar shows when it is first given to a window, in order.
    virtual std::vector<std::u16string> defaultItemIdentifiers(Toolbar&) = 0;
};

class Toolbar : public std::enable_shared_from_this<Toolbar> {
public:
    // The height of the toolbar's view: the item views (at most 32 points
    // high) with their labels under them.
    static constexpr double height = 56;

    static std::shared_ptr<Toolbar> create(std::u16string identifier);
    explicit Toolbar(std::u16string identifier);

    const std::u16string& identifier() const { return m_identifier; }
    std::shared_ptr<ToolbarDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::weak_ptr<ToolbarDelegate>& delegate) { m_delegate = delegate; }

    // The items, in order.
    const std::vector<std::shared_ptr<ToolbarItem>>& items() const { return m_items; }
    // The items shown in the view, in order (those that fit its width).
    std::vector<std::shared_ptr<ToolbarItem>> visibleItems() const;
    // Asks the delegate for the item and inserts it at the index (clamped);
    // nothing when the delegate makes none.
    void insertItemWithItemIdentifier(const std::u16string& identifier, long index);
    void removeItemAtIndex(long index);
    // The item with the identifier, or null.
    std::shared_ptr<ToolbarItem> itemWithIdentifier(std::u16string_view identifier) const;

    bool isVisible() const { return m_visible; }
    void setVisible(bool);

    // The item shown as chosen (a preferences window's pane), drawn on a
    // highlight; empty for none.
    const std::u16string& selectedItemIdentifier() const { return m_selectedItemIdentifier; }
    void setSelectedItemIdentifier(std::u16string);

    // The view that shows the items, Toolbar::height high, made with the toolbar.
    const std::shared_ptr<ToolbarView>& view() const { return m_view; }
    // Places the items in the view again (after a change of items or width).
    void layout();

    void validateVisibleItems();

    // The window the toolbar belongs to (Window::setToolbar); it loads the
    // default items the first time it has one.
    Window* window() const { return m_window; }
    void setWindow(Window*);

private:
    friend class ToolbarView;

    std::u16string m_identifier;
    std::weak_ptr<ToolbarDelegate> m_delegate;
    std::vector<std::shared_ptr<ToolbarItem>> m_items;
    std::shared_ptr<ToolbarView> m_view;
    Window* m_window { nullptr };
    bool m_visible { true };
    bool m_loadedDefaultItems { false };
    std::u16string m_selectedItemIdentifier;
};

// The toolbar's view: the item views side by side from the left, each over
// its label; an image item's picture in its place. A click on an image item
// sends its action.
class ToolbarView : public View {
public:
    explicit ToolbarView(Toolbar&);

    // Where the item is, with its label, in the view; empty when not visible.
    Rect rectOfItem(const ToolbarItem&) const;
    // The visible item at a point of the view, or null.
    std::shared_ptr<ToolbarItem> itemAtPoint(Point) const;

    bool isFlipped() const override { return true; }
    void draw(const Rect& dirtyRect, GraphicsContext&) override;
    void mouseDown(const Event&) override;
    void resizeSubviewsWithOldSize(Size oldSize) override;

private:
    friend class Toolbar;
    struct Slot {
        std::weak_ptr<ToolbarItem> item;
        Rect rect;
    };

    Toolbar& m_toolbar;
    std::vector<Slot> m_slots;
};

} // namespace brevanton

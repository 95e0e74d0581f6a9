// VornickBlogWindowController: the window of a blog editor, built in code
// under the editor's nib name. A toolbar on top; under it a split view with
// the post list on the left (the search field over it, with the filters and
// sorting buttons beside the field) and the read-only preview on the right.
//
// It is the window's delegate and the end of its responder chain: the
// editor's actions arrive here and go to the editor, which also validates
// their menu and toolbar items. "Find…" (a text finder action with tag 1)
// focuses the search field. Closing the window closes the editor.
#pragma once

#include "platform/views/Geometry.h"
#include "platform/views/Responder.h"
#include "platform/views/Window.h"

#include <memory>
#include <string>

namespace brevanton {

class Button;
class SearchField;
class SplitView;
class Toolbar;
class View;
class VornickBlogEditor;
class VornickProjectOrComponentWindow;

class VornickBlogWindowController final : public Responder, public WindowDelegate {
public:
    static constexpr double searchBarHeight = 30;

    // Not held: the editor owns the controller.
    VornickBlogWindowController(VornickBlogEditor&, std::u16string windowNibName);
    ~VornickBlogWindowController() override;

    const std::u16string& windowNibName() const { return m_windowNibName; }
    VornickBlogEditor* document() const { return m_editor; }
    // Builds the window on first request.
    const std::shared_ptr<VornickProjectOrComponentWindow>& window();
    bool isWindowLoaded() const { return m_window != nullptr; }
    // The window is closing (or closed): it is not to be closed again.
    bool isClosingWindow() const { return m_closing; }

    const std::shared_ptr<SplitView>& splitView() const { return m_splitView; }
    // The split view's left pane: the search bar over the list.
    const std::shared_ptr<View>& listPane() const { return m_listPane; }
    const std::shared_ptr<SearchField>& searchField() const { return m_searchField; }
    const std::shared_ptr<Button>& postListFiltersButton() const { return m_filtersButton; }
    const std::shared_ptr<Button>& postListSortingButton() const { return m_sortingButton; }
    const std::shared_ptr<Toolbar>& toolbar() const { return m_toolbar; }

    // The blog's display name, else the document's ("Untitled Blog").
    void synchronizeWindowTitleWithDocumentName();
    // The editor went away: nothing more reaches it.
    void detachDocument();

    // --- Responder and window delegate
    bool respondsToAction(const Action&) const override;
    bool performAction(const Action&, ActionSender*) override;
    bool validateMenuItem(MenuItem&) override;
    bool validateToolbarItem(ToolbarItem&) override;
    bool windowShouldClose(Window&) override { return true; }
    void windowWillClose(Window&) override;

private:
    void loadWindow();
    void installSearchFieldTabHook();

    VornickBlogEditor* m_editor { nullptr };
    std::u16string m_windowNibName;
    std::shared_ptr<VornickProjectOrComponentWindow> m_window;
    std::shared_ptr<SplitView> m_splitView;
    std::shared_ptr<View> m_listPane;
    std::shared_ptr<SearchField> m_searchField;
    std::shared_ptr<Button> m_filtersButton;
    std::shared_ptr<Button> m_sortingButton;
    std::shared_ptr<Toolbar> m_toolbar;
    Window::SendEventHookHandle m_tabHook;
    bool m_closing { false };
};

} // namespace brevanton

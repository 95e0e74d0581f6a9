// VornickWordPressMediaLibraryBrowser: the window of a WordPress blog's media
// library: a grid of the blog's media items (an ImageBrowserView) newest
// first, with commands to open an item's local copy, its remote copy or its
// page in the site's administration, to copy remote URLs, and a picking mode
// in which an inspector asks the user to choose one item.
//
// Items are sorted by creation date (newest first, undated last), then
// title, then unique identifier, so a reload never reshuffles them. Only
// the user's choice answers a pick: a selection of exactly one item, or a
// click on the item already selected alone; selecting in code (showMediaItem)
// never does. Addresses are opened only when they are "http" or "https", a
// local copy only when it is a regular file inside the blog's folder;
// anything else is logged and answered with a beep. An item with neither a
// local file nor a cached copy shows a placeholder (nothing is fetched).
//
// Made with std::make_shared, then loadWindow(); main thread only.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/views/ImageBrowserView.h"
#include "platform/views/Responder.h"

#include <functional>
#include <memory>
#include <vector>

namespace brevanton {

class Menu;
class MenuItem;
class ScrollView;
class VornickWordPressBlog;
class VornickWordPressMediaItem;
class Window;

class VornickWordPressMediaLibraryBrowser : public Responder, public ImageBrowserDataSource, public ImageBrowserDelegate {
public:
    static constexpr const char16_t* WindowNibName = u"BrevantonWordPressMediaLibraryBrowser";
    static constexpr const char* OpenLocalCopyAction = "openLocalCopy:";
    static constexpr const char* OpenRemoteCopyAction = "openRemoteCopy:";
    static constexpr const char* CopyRemoteURLAction = "copyRemoteURL:";
    static constexpr const char* OpenInWordPressAction = "openInWordPress:";
    static constexpr const char* OpenMediaLibraryInWordPressAction = "openMediaLibraryInWordPress:";
    static constexpr const char* RefreshAction = "refresh:";
    // How far right of the inspector a picking window stands.
    static constexpr double PickingWindowGap = 20;

    using PickingCompletionHandler = std::function<void(const std::shared_ptr<VornickWordPressMediaItem>&)>;

    VornickWordPressMediaLibraryBrowser();
    ~VornickWordPressMediaLibraryBrowser() override;

    // Builds the window (the grid in a scroll view, the context menus) and runs windowDidLoad.
    const std::shared_ptr<Window>& loadWindow();
    const std::shared_ptr<Window>& window() const { return m_window; }
    // Takes the current theme's colours and title attributes, then reloads.
    void windowDidLoad();
    const std::shared_ptr<ImageBrowserView>& imageBrowser() const { return m_imageBrowser; }
    const std::shared_ptr<Menu>& itemContextMenu() const { return m_itemContextMenu; }
    const std::shared_ptr<Menu>& noItemContextMenu() const { return m_noItemContextMenu; }

    const std::shared_ptr<VornickWordPressBlog>& blog() const { return m_blog; }
    // A blog with a title names the window "Media Library: <title>"; reloads.
    void setBlog(std::shared_ptr<VornickWordPressBlog>);
    const std::vector<std::shared_ptr<VornickWordPressMediaItem>>& mediaItems() const { return m_mediaItems; }
    // Reads the blog's items again (the selection follows its items) and reloads the grid.
    void reloadMediaItems();
    std::vector<std::shared_ptr<VornickWordPressMediaItem>> selectedMediaItems() const;
    // Selects the item alone and scrolls to it; an unknown item is ignored.
    void showMediaItem(const std::shared_ptr<VornickWordPressMediaItem>&);

    // Places the window beside the inspector and waits for the user's
    // choice; the item given is not used (callers show the current choice
    // with showMediaItem). A pick pending is replaced, its handler dropped.
    void beginPickingMediaItem(const std::shared_ptr<VornickWordPressMediaItem>&, const Rect& inspectorFrame,
                               PickingCompletionHandler);
    // Drops the pending handler without calling it.
    void cancelPickingMediaItem() { m_pickingCompletionHandler = nullptr; }
    bool isPicking() const { return static_cast<bool>(m_pickingCompletionHandler); }

    // Each answers whether something was opened.
    bool openLocalCopyOfMediaItem(const std::shared_ptr<VornickWordPressMediaItem>&);
    bool openRemoteCopyOfMediaItem(const std::shared_ptr<VornickWordPressMediaItem>&);
    bool openMediaItemInWordPress(const std::shared_ptr<VornickWordPressMediaItem>&);

    // Actions (on the selected items).
    void openLocalCopy();
    void openRemoteCopy();
    void copyRemoteURL();
    void openInWordPress();
    void openMediaLibraryInWordPress();
    void refresh();
    bool canOpenLocalCopy() const;
    bool canOpenRemoteCopy() const;
    bool canCopyRemoteURL() const;
    bool canOpenInWordPress() const;
    bool validateMenuItem(MenuItem&) override;

    // The image browser's data source and delegate.
    long numberOfItemsInImageBrowser(ImageBrowserView&) override;
    std::shared_ptr<ImageBrowserItem> imageBrowserItemAtIndex(ImageBrowserView&, long index) override;
    // The item's local file when it is there, else its remote address.
    std::optional<PasteboardItem> imageBrowserPasteboardItemAtIndex(ImageBrowserView&, long index) override;
    void imageBrowserSelectionDidChange(ImageBrowserView&) override;
    void imageBrowserCellWasClickedAtIndex(ImageBrowserView&, long index) override;
    void imageBrowserCellWasDoubleClickedAtIndex(ImageBrowserView&, long index) override;
    void imageBrowserCellWasRightClickedAtIndex(ImageBrowserView&, long index, const Event&) override;
    void imageBrowserBackgroundWasRightClicked(ImageBrowserView&, const Event&) override;

private:
    class Item;

    std::shared_ptr<VornickWordPressMediaItem> itemAtIndex(long index) const;
    // Calls a pending handler when exactly one item is selected.
    void answerPickWithSelection();
    // Opens an "http" or "https" address; anything else is logged and beeped at.
    bool openWebAddress(const std::u16string& address, const char* what);
    void blogAddedMediaItems(const Notification&);

    std::shared_ptr<Window> m_window;
    std::shared_ptr<ScrollView> m_scrollView;
    std::shared_ptr<ImageBrowserView> m_imageBrowser;
    std::shared_ptr<Menu> m_itemContextMenu;
    std::shared_ptr<Menu> m_noItemContextMenu;
    std::shared_ptr<VornickWordPressBlog> m_blog;
    std::vector<std::shared_ptr<VornickWordPressMediaItem>> m_mediaItems;
    // The browser's items, made when first drawn, by the media item's index.
    mutable std::vector<std::shared_ptr<Item>> m_browserItems;
    PickingCompletionHandler m_pickingCompletionHandler;
    ObserverToken m_addedMediaItemsObserver;
};

} // namespace brevanton

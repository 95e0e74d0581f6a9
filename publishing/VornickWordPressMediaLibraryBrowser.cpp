#include "publishing/VornickWordPressMediaLibraryBrowser.h"

#include "blog/VornickWordPressBlog.h"
#include "platform/store/FetchRequest.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/views/CurrentEvent.h"
#include "platform/views/Event.h"
#include "platform/views/Menu.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/PropertyAnimator.h"
#include "platform/views/Screen.h"
#include "platform/views/ScrollView.h"
#include "platform/views/Sound.h"
#include "platform/views/Window.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickWorkspaceExtensions.h"
#include "ui/VornickUITheme.h"
#include "wordpress/VornickWordPressIntegrator.h"
#include "wordpress/VornickWordPressMediaItem.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace brevanton {

namespace {

constexpr double WindowWidth = 640;
constexpr double WindowHeight = 480;

std::u16string stringOf(const VornickWordPressMediaItem& item, const char16_t* key)
{
    return item.ManagedObject::valueForKey(key).stringValue();
}

// The item's string (empty when it has none), valid while the item is unchanged.
std::u16string_view stringIn(const VornickWordPressMediaItem& item, const char16_t* key)
{
    const Value& value = item.valueReferenceForKey(key);
    return value.isString() ? std::u16string_view(value.string()) : std::u16string_view();
}

// What items are sorted by: newest first (undated last), then title, then
// unique identifier. The strings are the item's own, read in place.
struct SortKey {
    std::optional<Date> created;
    std::u16string_view title;
    std::u16string_view identifier;
    std::shared_ptr<VornickWordPressMediaItem> item;

    bool operator<(const SortKey& other) const
    {
        if (created.has_value() != other.created.has_value())
            return created.has_value();
        if (created && *created != *other.created)
            return *created > *other.created;
        if (title != other.title)
            return title < other.title;
        return identifier < other.identifier;
    }
};

std::optional<std::string> canonicalPath(const std::string& path)
{
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return std::nullopt;
    std::string result(resolved);
    std::free(resolved);
    return result;
}

// Whether the file is a regular file whose real place lies inside the folder.
bool isRegularFileInsideFolder(const std::string& file, const std::string& folder)
{
    auto realFile = canonicalPath(file);
    auto realFolder = canonicalPath(folder);
    struct ::stat status;
    if (!realFile || !realFolder || ::stat(realFile->c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    std::string prefix = *realFolder == "/" ? *realFolder : *realFolder + "/";
    return realFile->size() > prefix.size() && realFile->compare(0, prefix.size(), prefix) == 0;
}

bool isWebAddress(const URL& url)
{
    return (url.scheme() == u"http" || url.scheme() == u"https") && url.host() && !url.host()->empty();
}

} // namespace

// A media item as the grid shows it; its picture is looked up once.
class VornickWordPressMediaLibraryBrowser::Item final : public ImageBrowserItem {
public:
    explicit Item(std::shared_ptr<VornickWordPressMediaItem> item) : m_item(std::move(item)) { }

    std::u16string imageUID() const override { return m_item->imageUID(); }
    std::optional<URL> imageRepresentation() const override
    {
        if (!m_representationRead) {
            m_representation = m_item->imageRepresentation();
            m_representationRead = true;
        }
        return m_representation;
    }
    std::u16string imageTitle() const override { return m_item->imageTitle(); }
    std::u16string imageSubtitle() const override { return m_item->imageSubtitle(); }

private:
    std::shared_ptr<VornickWordPressMediaItem> m_item;
    mutable std::optional<URL> m_representation;
    mutable bool m_representationRead { false };
};

VornickWordPressMediaLibraryBrowser::VornickWordPressMediaLibraryBrowser() = default;

VornickWordPressMediaLibraryBrowser::~VornickWordPressMediaLibraryBrowser()
{
    if (m_imageBrowser) {
        m_imageBrowser->setDataSource(nullptr);
        m_imageBrowser->setDelegate(nullptr);
    }
}

const std::shared_ptr<Window>& VornickWordPressMediaLibraryBrowser::loadWindow()
{
    if (m_window)
        return m_window;
    m_window = Window::create(Rect(0, 0, WindowWidth, WindowHeight));
    // In the middle of the screen, until a pick puts it beside its inspector.
    m_window->center();
    m_window->setTitle(u"Media Library");
    auto content = m_window->contentView();
    m_scrollView = std::make_shared<ScrollView>(content->bounds());
    m_scrollView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    m_scrollView->setHasVerticalScroller(true);
    m_imageBrowser = std::make_shared<ImageBrowserView>(m_scrollView->bounds());
    m_imageBrowser->setDataSource(this);
    m_imageBrowser->setDelegate(this);
    m_scrollView->setDocumentView(m_imageBrowser);
    content->addSubview(m_scrollView);

    auto self = std::static_pointer_cast<Responder>(shared_from_this());
    auto item = [&](const char16_t* title, const char* action) {
        auto menuItem = MenuItem::create(title, action);
        menuItem->setTarget(self);
        return menuItem;
    };
    m_itemContextMenu = Menu::create();
    m_itemContextMenu->addItem(item(u"Open Local Copy", OpenLocalCopyAction));
    m_itemContextMenu->addItem(item(u"Open Remote Copy", OpenRemoteCopyAction));
    m_itemContextMenu->addItem(item(u"Copy Remote URL", CopyRemoteURLAction));
    m_itemContextMenu->addItem(MenuItem::separatorItem());
    m_itemContextMenu->addItem(item(u"Open in WordPress", OpenInWordPressAction));
    m_noItemContextMenu = Menu::create();
    m_noItemContextMenu->addItem(item(u"Open Media Library in WordPress", OpenMediaLibraryInWordPressAction));
    m_noItemContextMenu->addItem(item(u"Refresh", RefreshAction));

    setActionHandler(OpenLocalCopyAction, [this](ActionSender*) { openLocalCopy(); });
    setActionHandler(OpenRemoteCopyAction, [this](ActionSender*) { openRemoteCopy(); });
    setActionHandler(CopyRemoteURLAction, [this](ActionSender*) { copyRemoteURL(); });
    setActionHandler(OpenInWordPressAction, [this](ActionSender*) { openInWordPress(); });
    setActionHandler(OpenMediaLibraryInWordPressAction, [this](ActionSender*) { openMediaLibraryInWordPress(); });
    setActionHandler(RefreshAction, [this](ActionSender*) { refresh(); });
    m_window->setNextResponder(self);
    windowDidLoad();
    return m_window;
}

void VornickWordPressMediaLibraryBrowser::windowDidLoad()
{
    auto& theme = VornickUITheme::currentTheme();
    if (auto color = theme.mediaBrowserBackgroundColor())
        m_imageBrowser->setBackgroundColor(*color);
    if (auto color = theme.mediaBrowserSelectionColor())
        m_imageBrowser->setSelectionColor(*color);
    m_imageBrowser->setCellsTitleAttributes(theme.mediaBrowserCellsTitleAttributesKey());
    m_imageBrowser->setCellsHighlightedTitleAttributes(theme.mediaBrowserCellsHighlightedTitleAttributesKey());
    m_imageBrowser->setCellsSubtitleAttributes(theme.mediaBrowserCellsSubtitleAttributesKey());
    reloadMediaItems();
}

void VornickWordPressMediaLibraryBrowser::setBlog(std::shared_ptr<VornickWordPressBlog> blog)
{
    m_blog = std::move(blog);
    m_addedMediaItemsObserver.reset();
    if (m_blog) {
        if (m_window && !m_blog->title().empty())
            m_window->setTitle(u"Media Library: " + m_blog->title());
        std::weak_ptr<VornickWordPressMediaLibraryBrowser> weakSelf
            = std::static_pointer_cast<VornickWordPressMediaLibraryBrowser>(shared_from_this());
        m_addedMediaItemsObserver = NotificationCenter::defaultCenter().addObserver(
            VornickWordPressIntegrator::AddedMediaItemsNotification, static_cast<const void*>(m_blog.get()), nullptr,
            [weakSelf](const Notification& notification) {
                if (auto self = weakSelf.lock())
                    self->blogAddedMediaItems(notification);
            });
    }
    reloadMediaItems();
}

void VornickWordPressMediaLibraryBrowser::blogAddedMediaItems(const Notification&)
{
    reloadMediaItems();
}

void VornickWordPressMediaLibraryBrowser::reloadMediaItems()
{
    auto selected = selectedMediaItems();
    m_mediaItems.clear();
    std::vector<SortKey> keys;
    if (m_blog) {
        // One fetch reads the items' rows together (the relationship would read them one by one).
        std::vector<std::shared_ptr<VornickWordPressMediaItem>> items;
        if (auto* context = m_blog->managedObjectContext()) {
            FetchRequest request { std::u16string(VornickWordPressMediaItem::entityName) };
            request.setPredicate(Predicate::comparison(u"blog", PredicateOperator::EqualTo, std::static_pointer_cast<ManagedObject>(m_blog)));
            Error error;
            if (auto fetched = context->executeFetchRequest<VornickWordPressMediaItem>(request, &error))
                items = std::move(*fetched);
            else
                VornickGeneralLog("Failed to read the media items of the blog: {}", error.localizedDescription());
        }
        for (auto& item : items) {
            const Value& created = item->valueReferenceForKey(u"dateCreated");
            keys.push_back({ created.isDate() ? std::optional(created.date()) : std::nullopt, stringIn(*item, u"title"),
                             stringIn(*item, u"uniqueIdentifier"), std::move(item) });
        }
    }
    std::sort(keys.begin(), keys.end());
    m_mediaItems.reserve(keys.size());
    for (auto& key : keys)
        m_mediaItems.push_back(std::move(key.item));
    m_browserItems.assign(m_mediaItems.size(), nullptr);
    if (!m_imageBrowser)
        return;
    m_imageBrowser->reloadData();
    IndexSet selection;
    for (auto& item : selected) {
        auto found = std::find(m_mediaItems.begin(), m_mediaItems.end(), item);
        if (found != m_mediaItems.end())
            selection.insert(found - m_mediaItems.begin());
    }
    m_imageBrowser->setSelectionIndexes(selection, false);
}

std::shared_ptr<VornickWordPressMediaItem> VornickWordPressMediaLibraryBrowser::itemAtIndex(long index) const
{
    if (index < 0 || index >= static_cast<long>(m_mediaItems.size()))
        return nullptr;
    return m_mediaItems[static_cast<size_t>(index)];
}

std::vector<std::shared_ptr<VornickWordPressMediaItem>> VornickWordPressMediaLibraryBrowser::selectedMediaItems() const
{
    std::vector<std::shared_ptr<VornickWordPressMediaItem>> items;
    if (!m_imageBrowser)
        return items;
    for (long index : m_imageBrowser->selectionIndexes()) {
        if (auto item = itemAtIndex(index))
            items.push_back(std::move(item));
    }
    return items;
}

void VornickWordPressMediaLibraryBrowser::showMediaItem(const std::shared_ptr<VornickWordPressMediaItem>& item)
{
    auto found = std::find(m_mediaItems.begin(), m_mediaItems.end(), item);
    if (!item || found == m_mediaItems.end() || !m_imageBrowser)
        return;
    long index = found - m_mediaItems.begin();
    m_imageBrowser->setSelectionIndexes({ index }, false);
    m_imageBrowser->scrollIndexToVisible(index);
}

void VornickWordPressMediaLibraryBrowser::beginPickingMediaItem(const std::shared_ptr<VornickWordPressMediaItem>&,
                                                                const Rect& inspectorFrame, PickingCompletionHandler handler)
{
    m_pickingCompletionHandler = std::move(handler);
    loadWindow();
    const Screen& screen = Screen::mainScreen();
    if (screen.frame().intersects(inspectorFrame)) {
        Rect from = m_window->frame();
        Rect to(inspectorFrame.maxX() + PickingWindowGap,
                std::floor(inspectorFrame.minY() + inspectorFrame.height() / 2 - from.height() / 2), from.width(), from.height());
        if (m_window->isVisible() && from != to) {
            std::weak_ptr<Window> weakWindow = m_window;
            PropertyAnimator::animate(m_window, "pickingFrame", 0, 1, PropertyAnimator::DefaultDuration, [weakWindow, from, to](double t) {
                if (auto window = weakWindow.lock())
                    window->setFrameOrigin({ from.minX() + (to.minX() - from.minX()) * t, from.minY() + (to.minY() - from.minY()) * t });
            });
        } else
            m_window->setFrame(to);
    }
    m_window->makeKeyAndOrderFront();
}

void VornickWordPressMediaLibraryBrowser::answerPickWithSelection()
{
    if (!m_pickingCompletionHandler || !m_imageBrowser || m_imageBrowser->selectionIndexes().size() != 1)
        return;
    auto item = itemAtIndex(*m_imageBrowser->selectionIndexes().begin());
    if (!item)
        return;
    auto handler = std::move(m_pickingCompletionHandler);
    m_pickingCompletionHandler = nullptr;
    handler(item);
}

bool VornickWordPressMediaLibraryBrowser::openWebAddress(const std::u16string& address, const char* what)
{
    auto url = URL::create(address);
    if (url && isWebAddress(*url) && vornick_openURLInWebBrowser(*url))
        return true;
    VornickGeneralLog("Not opening the {} \"{}\": only http and https addresses are opened", what, address);
    Sound::beep();
    return false;
}

bool VornickWordPressMediaLibraryBrowser::openLocalCopyOfMediaItem(const std::shared_ptr<VornickWordPressMediaItem>& item)
{
    std::u16string local = item ? stringOf(*item, u"localURLString") : std::u16string();
    if (local.empty())
        return false;
    auto url = URL::create(local);
    if (url && url->scheme().empty()) {
        auto folder = m_blog ? m_blog->mediaFolderURL() : std::nullopt;
        if (folder) {
            URL anyMediaFile = folder->URLByAppendingPathComponent(u"anyMediaFile.brevantonwordpressmediaitem", false);
            url = URL::create(local, &anyMediaFile);
        }
    }
    if (url && isWebAddress(*url))
        return vornick_openURLInWebBrowser(*url);
    auto blogFolder = m_blog ? m_blog->blogFolderURL() : std::nullopt;
    auto path = url ? url->absoluteURL().standardized().fileSystemPath() : std::nullopt;
    auto folderPath = blogFolder ? blogFolder->fileSystemPath() : std::nullopt;
    if (path && folderPath && isRegularFileInsideFolder(*path, *folderPath) && vornick_openFileWithDesktop(URL::fileURLWithPath(*path, false)))
        return true;
    VornickGeneralLog("Not opening the local copy \"{}\": only files inside the blog's folder are opened", local);
    Sound::beep();
    return false;
}

bool VornickWordPressMediaLibraryBrowser::openRemoteCopyOfMediaItem(const std::shared_ptr<VornickWordPressMediaItem>& item)
{
    std::u16string remote = item ? stringOf(*item, u"remoteURLString") : std::u16string();
    return !remote.empty() && openWebAddress(remote, "remote copy");
}

bool VornickWordPressMediaLibraryBrowser::openMediaItemInWordPress(const std::shared_ptr<VornickWordPressMediaItem>& item)
{
    auto editURL = item ? item->editURL() : std::nullopt;
    return editURL && openWebAddress(*editURL, "edit page");
}

void VornickWordPressMediaLibraryBrowser::openLocalCopy()
{
    for (auto& item : selectedMediaItems())
        (void)openLocalCopyOfMediaItem(item);
}

void VornickWordPressMediaLibraryBrowser::openRemoteCopy()
{
    for (auto& item : selectedMediaItems())
        (void)openRemoteCopyOfMediaItem(item);
}

void VornickWordPressMediaLibraryBrowser::openInWordPress()
{
    for (auto& item : selectedMediaItems())
        (void)openMediaItemInWordPress(item);
}

void VornickWordPressMediaLibraryBrowser::openMediaLibraryInWordPress()
{
    if (m_blog)
        (void)openWebAddress(m_blog->mediaLibraryURL(), "media library");
}

void VornickWordPressMediaLibraryBrowser::copyRemoteURL()
{
    std::vector<PasteboardItem> items;
    for (auto& item : selectedMediaItems()) {
        auto url = URL::create(stringOf(*item, u"remoteURLString"));
        if (url && !url->scheme().empty())
            items.push_back(PasteboardItem::itemWithURL(*url));
    }
    if (items.empty())
        return;
    auto pasteboard = Pasteboard::generalPasteboard();
    pasteboard->clearContents();
    if (!pasteboard->writeObjects(items))
        VornickGeneralLog("Failed to copy the remote URLs of the selected media items");
}

void VornickWordPressMediaLibraryBrowser::refresh()
{
    if (!m_window)
        return;
    Rect frame = m_window->frame();
    m_window->setFrame(Rect(frame.minX(), frame.minY(), frame.width(), frame.height() + 1));
    m_window->setFrame(frame);
}

bool VornickWordPressMediaLibraryBrowser::canOpenLocalCopy() const
{
    auto items = selectedMediaItems();
    return std::any_of(items.begin(), items.end(), [](auto& item) { return !stringOf(*item, u"localURLString").empty(); });
}

bool VornickWordPressMediaLibraryBrowser::canOpenRemoteCopy() const
{
    auto items = selectedMediaItems();
    return std::any_of(items.begin(), items.end(), [](auto& item) { return !stringOf(*item, u"remoteURLString").empty(); });
}

bool VornickWordPressMediaLibraryBrowser::canCopyRemoteURL() const
{
    return canOpenRemoteCopy();
}

bool VornickWordPressMediaLibraryBrowser::canOpenInWordPress() const
{
    auto items = selectedMediaItems();
    return std::any_of(items.begin(), items.end(), [](auto& item) { return item->editURL().has_value(); });
}

bool VornickWordPressMediaLibraryBrowser::validateMenuItem(MenuItem& item)
{
    const Action& action = item.action();
    if (action == OpenLocalCopyAction)
        return canOpenLocalCopy();
    if (action == OpenRemoteCopyAction)
        return canOpenRemoteCopy();
    if (action == CopyRemoteURLAction)
        return canCopyRemoteURL();
    if (action == OpenInWordPressAction)
        return canOpenInWordPress();
    return true;
}

long VornickWordPressMediaLibraryBrowser::numberOfItemsInImageBrowser(ImageBrowserView&)
{
    return static_cast<long>(m_mediaItems.size());
}

std::shared_ptr<ImageBrowserItem> VornickWordPressMediaLibraryBrowser::imageBrowserItemAtIndex(ImageBrowserView&, long index)
{
    auto item = itemAtIndex(index);
    if (!item)
        return nullptr;
    auto& browserItem = m_browserItems[static_cast<size_t>(index)];
    if (!browserItem)
        browserItem = std::make_shared<Item>(item);
    return browserItem;
}

std::optional<PasteboardItem> VornickWordPressMediaLibraryBrowser::imageBrowserPasteboardItemAtIndex(ImageBrowserView&, long index)
{
    auto item = itemAtIndex(index);
    if (!item)
        return std::nullopt;
    if (auto local = item->resolvedLocalURL()) {
        struct ::stat status;
        auto path = local->fileSystemPath();
        if (path && ::stat(path->c_str(), &status) == 0 && S_ISREG(status.st_mode))
            return PasteboardItem::itemWithURL(URL::fileURLWithPath(*path, false), item->imageTitle());
    }
    auto remote = URL::create(stringOf(*item, u"remoteURLString"));
    if (remote && isWebAddress(*remote))
        return PasteboardItem::itemWithURL(*remote, item->imageTitle());
    return std::nullopt;
}

void VornickWordPressMediaLibraryBrowser::imageBrowserSelectionDidChange(ImageBrowserView&)
{
    answerPickWithSelection();
}

void VornickWordPressMediaLibraryBrowser::imageBrowserCellWasClickedAtIndex(ImageBrowserView&, long)
{
    // The item already selected alone answers a pick too.
    answerPickWithSelection();
}

void VornickWordPressMediaLibraryBrowser::imageBrowserCellWasDoubleClickedAtIndex(ImageBrowserView&, long index)
{
    auto item = itemAtIndex(index);
    if (!item)
        return;
    const Event* event = currentApplicationEvent();
    if (event && event->hasModifier(ModifierFlag::Option) && openMediaItemInWordPress(item))
        return;
    (void)openLocalCopyOfMediaItem(item);
}

void VornickWordPressMediaLibraryBrowser::imageBrowserCellWasRightClickedAtIndex(ImageBrowserView& browser, long, const Event& event)
{
    Menu::popUpContextMenu(m_itemContextMenu, event, browser);
}

void VornickWordPressMediaLibraryBrowser::imageBrowserBackgroundWasRightClicked(ImageBrowserView& browser, const Event& event)
{
    Menu::popUpContextMenu(m_noItemContextMenu, event, browser);
}

} // namespace brevanton

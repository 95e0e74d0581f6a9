#include "app/VornickPasteboardMonitor.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Text.h"
#include "platform/views/Pasteboard.h"
#include "platform/web/WebView.h"
#include "toolkit/VornickFileManager.h"
#include "toolkit/VornickURLExtensions.h"

#include <algorithm>

namespace brevanton {

namespace {

constexpr const char16_t* cacheFileName = u"recentPasteboardURLs.plist";

std::u16string trimmedOfWhitespaceAndNewlines(std::u16string_view text)
{
    const auto& set = CharacterSet::whitespaceAndNewlines();
    size_t start = 0;
    size_t end = text.size();
    while (start < end && set.contains(text[start]))
        ++start;
    while (end > start && set.contains(text[end - 1]))
        --end;
    return std::u16string(text.substr(start, end - start));
}

// Keeps the last occurrence of each URL (a duplicate without a title takes
// the title of the one it replaces) and the newest `maximum` entries.
void removeDuplicatesAndCap(std::vector<VornickTitledURL>& list, size_t maximum)
{
    std::vector<VornickTitledURL> kept;
    kept.reserve(list.size());
    for (auto& entry : list) {
        auto earlier = std::find_if(kept.begin(), kept.end(), [&](const VornickTitledURL& other) { return other.url == entry.url; });
        if (earlier != kept.end()) {
            if (!entry.title || entry.title->empty())
                entry.title = earlier->title;
            kept.erase(earlier);
        }
        kept.push_back(std::move(entry));
    }
    if (kept.size() > maximum)
        kept.erase(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(kept.size() - maximum));
    list = std::move(kept);
}

} // namespace

std::shared_ptr<VornickPasteboardMonitor> VornickPasteboardMonitor::create(std::optional<URL> cacheFileURL)
{
    std::shared_ptr<VornickPasteboardMonitor> monitor(new VornickPasteboardMonitor(std::move(cacheFileURL)));
    std::weak_ptr<VornickPasteboardMonitor> weakMonitor = monitor;
    monitor->m_timer = Timer::scheduledTimer(pollInterval, true, Timer::weakBlock<VornickPasteboardMonitor>(weakMonitor, [](VornickPasteboardMonitor& self, Timer&) {
        self.checkPasteboard();
    }));
    RunLoop::main().performAfterDelay(monitor.get(), 0, [weakMonitor] {
        if (auto self = weakMonitor.lock())
            self->readPersistentState();
    });
    return monitor;
}

VornickPasteboardMonitor::VornickPasteboardMonitor(std::optional<URL> cacheFileURL)
    : m_cacheFileURL(std::move(cacheFileURL))
    , m_lastChangeCount(Pasteboard::generalPasteboard()->changeCount())
{
    m_recentTitledPasteboardURLs.reserve(maximumNumberOfURLs);
}

VornickPasteboardMonitor::~VornickPasteboardMonitor()
{
    m_timer.invalidate();
    RunLoop::main().cancelPerforms(this);
}

std::optional<URL> VornickPasteboardMonitor::recentURLsCacheFileURL() const
{
    if (m_cacheFileURL)
        return m_cacheFileURL;
    auto caches = VornickFileManager::defaultManager().URLForDirectory(VornickSearchPathDirectory::CachesDirectory,
                                                                        VornickUserDomainMask, nullptr, true);
    if (!caches)
        return std::nullopt;
    std::string folder = toUTF8(caches->path()) + "/" + toUTF8(Bundle::main().bundleIdentifier());
    if (!isDirectory(folder) && !createDirectory(folder))
        return std::nullopt;
    return URL::fileURLWithPath(folder + "/" + toUTF8(cacheFileName), false);
}

void VornickPasteboardMonitor::readPersistentState()
{
    auto fileURL = recentURLsCacheFileURL();
    if (!fileURL)
        return;
    auto bytes = readFile(toUTF8(fileURL->path()));
    if (!bytes)
        return;
    auto propertyList = readPropertyList(*bytes, nullptr);
    if (!propertyList || !propertyList->isArray())
        return;
    std::vector<VornickTitledURL> list;
    for (const Value& entry : propertyList->array()) {
        if (auto titledURL = VornickTitledURL::createWithPropertyList(entry))
            list.push_back(std::move(*titledURL));
    }
    // What was gathered before the file was read is newer than anything in it.
    for (auto& entry : m_recentTitledPasteboardURLs)
        list.push_back(std::move(entry));
    removeDuplicatesAndCap(list, maximumNumberOfURLs);
    m_recentTitledPasteboardURLs = std::move(list);
}

void VornickPasteboardMonitor::writePersistentState()
{
    auto fileURL = recentURLsCacheFileURL();
    if (!fileURL)
        return;
    Array entries;
    entries.reserve(m_recentTitledPasteboardURLs.size());
    for (const auto& entry : m_recentTitledPasteboardURLs)
        entries.push_back(entry.propertyList());
    auto data = writePropertyList(Value(std::move(entries)), PropertyListFormat::XML, nullptr);
    if (!data)
        return;
    std::string_view bytes(reinterpret_cast<const char*>(data->data()), data->size());
    (void)writeFileAtomically(toUTF8(fileURL->path()), bytes);
}

const VornickTitledURL* VornickPasteboardMonitor::titledURLForURL(const URL& url, size_t* outIndex) const
{
    for (size_t index = m_recentTitledPasteboardURLs.size(); index-- > 0;) {
        if (m_recentTitledPasteboardURLs[index].url == url) {
            if (outIndex)
                *outIndex = index;
            return &m_recentTitledPasteboardURLs[index];
        }
    }
    return nullptr;
}

void VornickPasteboardMonitor::checkPasteboard()
{
    auto pasteboard = Pasteboard::generalPasteboard();
    int64_t changeCount = pasteboard->changeCount();
    if (changeCount == m_lastChangeCount)
        return;
    if (auto url = WebView::URLFromPasteboard(*pasteboard); url && vornick_schemeIsKnownCommonScheme(*url)) {
        std::optional<std::u16string> title;
        if (auto pasteboardTitle = WebView::URLTitleFromPasteboard(*pasteboard))
            title = trimmedOfWhitespaceAndNewlines(*pasteboardTitle);
        gatherURL(*url, std::move(title));
    }
    NotificationCenter::defaultCenter().post(VornickPasteboardContentsDidChangeNotification, pasteboard.get());
    m_lastChangeCount = changeCount;
    std::weak_ptr<VornickPasteboardMonitor> weakThis = weak_from_this();
    RunLoop::main().cancelPerforms(this);
    RunLoop::main().performAfterDelay(this, saveDelay, [weakThis] {
        if (auto self = weakThis.lock())
            self->writePersistentState();
    });
}

void VornickPasteboardMonitor::gatherURL(const URL& url, std::optional<std::u16string> title)
{
    size_t index = 0;
    if (titledURLForURL(url, &index)) {
        VornickTitledURL entry = std::move(m_recentTitledPasteboardURLs[index]);
        if (title && !title->empty())
            entry.title = std::move(title);
        entry.dateGathered = RunLoop::main().now();
        m_recentTitledPasteboardURLs.erase(m_recentTitledPasteboardURLs.begin() + static_cast<std::ptrdiff_t>(index));
        m_recentTitledPasteboardURLs.push_back(std::move(entry));
        return;
    }
    if (m_recentTitledPasteboardURLs.size() >= maximumNumberOfURLs)
        m_recentTitledPasteboardURLs.erase(m_recentTitledPasteboardURLs.begin());
    m_recentTitledPasteboardURLs.emplace_back(url, std::move(title));
}

} // namespace brevanton

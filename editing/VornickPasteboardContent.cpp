#include "editing/VornickPasteboardContent.h"

#include "platform/views/Pasteboard.h"
#include "platform/web/WebArchive.h"
#include "platform/web/WebView.h"
#include "toolkit/VornickURLExtensions.h"

#include <map>
#include <variant>

namespace brevanton {

namespace {

struct OwnCopy {
    int64_t changeCount { 0 };
    std::pair<std::u16string, std::u16string> context;
};

// By pasteboard name.
std::map<std::u16string, OwnCopy>& ownCopies()
{
    static std::map<std::u16string, OwnCopy> copies;
    return copies;
}

} // namespace

void VornickNoteOwnWebArchiveCopy(const Pasteboard& pasteboard, std::u16string contextNamespaceURI, std::u16string contextLocalName)
{
    ownCopies()[pasteboard.name()] = { pasteboard.changeCount(), { std::move(contextNamespaceURI), std::move(contextLocalName) } };
}

VornickPasteboardContent VornickReadPasteboardContent(const Pasteboard& pasteboard)
{
    VornickPasteboardContent content;

    // 1. Two or more URLs.
    std::vector<URL> urls;
    for (const auto& object : pasteboard.readObjectsForClasses({ PasteboardReadingClass::URL })) {
        if (const auto* url = std::get_if<URL>(&object))
            urls.push_back(*url);
    }
    if (urls.size() >= 2) {
        content.kind = VornickPasteboardContentKind::URLs;
        content.urls = std::move(urls);
        return content;
    }

    // 2. A web archive.
    if (auto data = pasteboard.dataForType(WebArchivePboardType)) {
        content.kind = VornickPasteboardContentKind::WebArchive;
        content.webArchiveData = std::move(*data);
        auto own = ownCopies().find(pasteboard.name());
        if (own != ownCopies().end() && own->second.changeCount == pasteboard.changeCount())
            content.ownCopyContext = own->second.context;
        return content;
    }

    // 3. One URL, as the web view reads it, with its title.
    if (auto url = WebView::URLFromPasteboard(pasteboard); url && vornick_schemeIsKnownCommonScheme(*url)) {
        content.kind = VornickPasteboardContentKind::URL;
        content.urls = { *url };
        content.urlTitle = WebView::URLTitleFromPasteboard(pasteboard);
        return content;
    }

    // 4. Plain text.
    if (auto string = pasteboard.stringForType(PasteboardTypeString)) {
        content.kind = VornickPasteboardContentKind::String;
        content.string = std::move(*string);
    }
    return content;
}

} // namespace brevanton

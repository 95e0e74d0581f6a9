// Resource file watching and reload: every local file the web view loads is
// watched; when one changes, the style sheets that use it (linked, imported
// or as a background image) and the images that show it are loaded again,
// and images that take their size from the file get the new width and height.
#include "editing/VornickContentEditingView.h"

#include "app/VornickResourceLoadAttempt.h"
#include "app/VornickWebResourceFileWatcher.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickFreezeDriedDOMRange.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickStyleQueries.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/net/WebResource.h"
#include "platform/views/ImagePixelSize.h"
#include "platform/web/WebDataSource.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebStyleSheets.h"
#include "toolkit/VornickURLExtensions.h"
#include "views/VornickImageExtensions.h"

#include <set>

namespace brevanton {

namespace {

bool pointsToChangedFile(const std::optional<URL>& url, const URL& changed)
{
    return url && url->isFileURL() && vornick_pointsToSameFileAsURL(*url, changed);
}

// The same question for many URLs against one changed file, whose identity
// on disk is found once.
class ChangedFile {
public:
    explicit ChangedFile(const URL& url)
        : m_url(url)
    {
        if (auto path = url.fileSystemPath())
            m_identity = fileIdentity(*path);
    }
    bool isPointedToBy(const std::optional<URL>& url) const
    {
        if (!url || !url->isFileURL())
            return false;
        if (url->absoluteString() == m_url.absoluteString())
            return true;
        auto path = url->fileSystemPath();
        if (!m_identity || !path)
            return false;
        auto identity = fileIdentity(*path);
        return identity && *identity == *m_identity;
    }

private:
    URL m_url;
    std::optional<FileIdentity> m_identity;
};

std::shared_ptr<WebFrame> frameOfElement(const std::shared_ptr<WebFrame>& mainFrame, const DOMElement& element)
{
    DOMDocument* document = element.document();
    return mainFrame && document ? mainFrame->frameForDocument(*document) : nullptr;
}

// A reference resolved the way the page's loads resolve it: against the
// frame's base (a repaired copy's base element points at the original).
std::optional<URL> resolvedReference(const std::optional<URL>& base, const std::u16string& value)
{
    auto url = URL::create(value, base ? &*base : nullptr);
    if (!url)
        return std::nullopt;
    return url->absoluteURL();
}

std::optional<URL> resolvedReference(const WebFrame& frame, const std::u16string& value)
{
    return resolvedReference(frame.baseURL(), value);
}

// Whether any style sheet text of the frame (loaded sheets, STYLE elements)
// names the file at all; only then are its sheets parsed and examined.
bool styleSheetTextMayNameFile(const WebFrame& frame, DOMDocument& document, const URL& file)
{
    std::u16string name = asciiLowercase(file.lastPathComponent());
    if (name.empty())
        return true;
    std::u16string encoded = asciiLowercase(file.absoluteURL().absoluteString());
    encoded = encoded.substr(encoded.rfind(u'/') + 1);
    auto names = [&](std::u16string_view text) {
        std::u16string lower = asciiLowercase(text);
        return lower.find(name) != std::u16string::npos || lower.find(encoded) != std::u16string::npos;
    };
    if (auto& dataSource = frame.dataSource()) {
        for (const auto& resource : dataSource->subresources()) {
            if (!equalsIgnoringASCIICase(resource->MIMEType(), u"text/css"))
                continue;
            const Data& data = resource->data();
            if (names(toUTF16(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()))))
                return true;
        }
    }
    for (DOMNode* node = document.first(); node; node = node->traverseNext()) {
        auto* element = dynamicDowncast<DOMElement>(node);
        if (element && equalsIgnoringASCIICase(element->tagName(), u"style") && names(element->textContent()))
            return true;
    }
    return false;
}

std::u16string_view trimmedHTMLWhitespace(std::u16string_view text);

// The background image a style rule's declarations name, resolved against
// the sheet that holds the rule.
std::optional<URL> backgroundImageURLOfRule(const DOMCSSRule& rule, const std::optional<std::u16string>& sheetHref)
{
    std::u16string_view text = rule.cssText();
    size_t open = text.find(u'{');
    if (open == std::u16string_view::npos)
        return std::nullopt;
    std::u16string_view declarations = text.substr(open + 1);
    std::optional<URL> base = sheetHref ? URL::create(*sheetHref) : std::nullopt;
    size_t start = 0;
    while (start < declarations.size()) {
        size_t end = declarations.find(u';', start);
        if (end == std::u16string_view::npos)
            end = declarations.size();
        std::u16string_view declaration = declarations.substr(start, end - start);
        start = end + 1;
        size_t colon = declaration.find(u':');
        if (colon == std::u16string_view::npos)
            continue;
        std::u16string name = asciiLowercase(trimmedHTMLWhitespace(declaration.substr(0, colon)));
        if (name != u"background-image" && name != u"background")
            continue;
        std::u16string_view value = declaration.substr(colon + 1);
        size_t url = asciiLowercase(value).find(u"url(");
        if (url == std::u16string::npos)
            continue;
        size_t close = value.find(u')', url + 4);
        if (close == std::u16string_view::npos)
            continue;
        std::u16string_view reference = trimmedHTMLWhitespace(value.substr(url + 4, close - url - 4));
        if (reference.size() >= 2 && (reference.front() == u'"' || reference.front() == u'\'') && reference.back() == reference.front())
            reference = reference.substr(1, reference.size() - 2);
        if (auto resolved = URL::create(reference, base ? &*base : nullptr))
            return resolved->absoluteURL();
    }
    return std::nullopt;
}

std::u16string_view trimmedHTMLWhitespace(std::u16string_view text)
{
    auto space = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

// --- Watchers

void VornickContentEditingView::Internals::addWatcherForResourceFile(VornickContentEditingView& view,
                                                                     const std::shared_ptr<VornickResourceLoadAttempt>& attempt,
                                                                     const URL& url)
{
    if (!attempt || !url.isFileURL())
        return;
    auto key = vornick_normalizedUniqueKeyString(url);
    if (view.m_internals->resourceFileWatchers.count(key))
        return;
    std::weak_ptr<VornickContentEditingView> weak = view.weakSelf();
    auto watcher = VornickWebResourceFileWatcher::create(
        attempt,
        [weak](VornickFileWatcher& changed) {
            URL fileURL = changed.fileURL();
            // The watcher reports a file written in chunks once, when it is whole.
            RunLoop::main().perform([weak, fileURL] {
                auto self = weak.lock();
                if (self && Internals::refreshesForResourceFileChangeAtURL(*self, fileURL))
                    Internals::refreshForResourceFileChangeAtURL(*self, fileURL);
            });
        },
        &OperationQueue::main());
    if (watcher)
        view.m_internals->resourceFileWatchers.emplace(std::move(key), std::move(watcher));
}

std::shared_ptr<VornickWebResourceFileWatcher> VornickContentEditingView::Internals::watcherForResourceLoadAttempt(const VornickContentEditingView& view, const VornickResourceLoadAttempt& attempt)
{
    auto found = view.m_internals->resourceFileWatchers.find(vornick_normalizedUniqueKeyString(attempt.url()));
    return found == view.m_internals->resourceFileWatchers.end() ? nullptr : found->second;
}

void VornickContentEditingView::dumpResourceFileWatchers(ActionSender*)
{
    std::u16string text = u"resourceFileWatchers={\n";
    for (const auto& [key, watcher] : m_internals->resourceFileWatchers)
        text += u"    \"" + key + u"\" = " + watcher->description() + u";\n";
    text += u"}";
    consoleLog(text);
}

// --- Refresh

void VornickContentEditingView::Internals::noteWrittenDocumentFile(VornickContentEditingView& view, const std::string& path)
{
    auto& written = view.m_internals->writtenDocumentFiles;
    std::erase_if(written, [&](const auto& file) { return file.first == path; });
    written.emplace_back(path, fileIdentity(path));
}

bool VornickContentEditingView::Internals::refreshesForResourceFileChangeAtURL(const VornickContentEditingView& view, const URL& changedURL)
{
    const auto& internals = *view.m_internals;
    auto path = changedURL.fileSystemPath();
    if (internals.windowIsClosing || !path)
        return false;
    // The view's own save (of the page or of one of its frames) is no
    // change of a file the page uses.
    if (!internals.writtenDocumentFiles.empty()) {
        auto identity = fileIdentity(*path);
        for (const auto& [writtenPath, writtenIdentity] : internals.writtenDocumentFiles) {
            if (writtenPath == *path || (identity && writtenIdentity && *identity == *writtenIdentity))
                return false;
        }
    }
    // Only the files the page loads as resources (style sheets, imported
    // sheets, images) are refreshed; a frame's own document is none of them.
    ChangedFile changed(changedURL);
    for (const auto& attempts : { &internals.resourcesBeingLoaded, &internals.failedResourceLoadAttempts }) {
        for (const auto& attempt : *attempts) {
            if (changed.isPointedToBy(attempt->url()))
                return true;
        }
    }
    bool referenced = false;
    vornick_enumerateWebFrameTreeWithOptions(view.mainFrame(), 0, [&](const std::shared_ptr<WebFrame>& frame, bool& stop) {
        const auto& dataSource = frame->dataSource();
        if (!dataSource)
            return;
        for (const auto& resource : dataSource->subresources()) {
            if (changed.isPointedToBy(resource->url())) {
                referenced = true;
                stop = true;
                return;
            }
        }
    });
    return referenced;
}

void VornickContentEditingView::Internals::refreshForResourceFileChangeAtURL(VornickContentEditingView& view, const URL& changedURL)
{
    auto mainFrame = (&view)->mainFrame();
    if (!mainFrame)
        return;
    // Taking an image out of the tree and putting it back must not lose the
    // selection on it (or around it).
    std::optional<VornickFreezeDriedDOMRange> selection;
    std::shared_ptr<DOMDocument> selectionDocument;
    if (auto range = view.effectiveOperationRange()) {
        selectionDocument = vornick_ownerDocument(*range);
        if (selectionDocument)
            selection = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*range, selectionDocument, false);
    }

    // What to load again, each once, after every frame was looked at.
    std::vector<SubresourceReload> reloads;
    view.m_internals->collectedSubresourceReloads = &reloads;
    std::vector<std::pair<std::shared_ptr<DOMElement>, URL>> sizedImages;
    bool jiggled = false;
    vornick_enumerateWebFrameTreeWithOptions(mainFrame, 0, [&](const std::shared_ptr<WebFrame>& frame, bool&) {
        auto document = frame->domDocument();
        if (!document)
            return;
        if (styleSheetTextMayNameFile(*frame, *document, changedURL)) {
            for (const auto& sheet : webStyleSheets(*frame))
                Internals::tickleReloadOfStyleSheet(view, sheet, changedURL);
        }
        auto base = frame->baseURL();
        ChangedFile changed(changedURL);
        for (const auto& occurrence : vornick_URLAttributesForTree(document)) {
            if (occurrence.attributeName.empty() || !occurrence.element || occurrence.element->tagName().empty())
                continue;
            auto resolved = resolvedReference(base, occurrence.value);
            if (!changed.isPointedToBy(resolved))
                continue;
            const auto& element = occurrence.element;
            if (equalsIgnoringASCIICase(element->tagName(), u"link")) {
                Internals::tickleReloadOfStyleSheetReferencedByLinkElement(view, element);
            } else if (equalsIgnoringASCIICase(element->tagName(), u"img")) {
                // Out of the tree and back with its value restored in the
                // same turn: nothing (a save, a regeneration) ever sees it
                // without its source.
                view.setAttribute(occurrence.attributeName, u"", element, true);
                view.setAttribute(occurrence.attributeName, occurrence.value, element, true);
                jiggled = true;
                reloads.push_back({ frame, *resolved });
                if (vornick_imgOrVideoElementWantsToInheritWidthAndHeightWhenKnown(*element))
                    sizedImages.emplace_back(element, *resolved);
            }
        }
        // A sheet loaded again finds the files it imports already loaded:
        // the changed file itself is loaded again too.
        if (frame->dataSource() && frame->dataSource()->subresourceForURL(changedURL))
            reloads.push_back({ frame, changedURL.absoluteURL() });
    });
    view.m_internals->collectedSubresourceReloads = nullptr;

    std::set<std::pair<const WebFrame*, std::u16string>> done;
    for (const auto& reload : reloads) {
        if (done.insert({ reload.frame.get(), reload.url.absoluteString() }).second)
            reload.frame->reloadSubresource(reload.url);
    }
    for (const auto& [element, resolvedURL] : sizedImages)
        Internals::updateImgElementWidthAndHeightWhenLoaded(view, element, resolvedURL);

    if (jiggled && selection && selectionDocument) {
        if (auto restored = selection->thawRangeRelativeToNewAncestor(selectionDocument))
            view.setTargetRange(restored);
    }
}

void VornickContentEditingView::Internals::updateImgElementWidthAndHeightWhenLoaded(VornickContentEditingView& view,
                                                                                    const std::shared_ptr<DOMElement>& element,
                                                                                    const URL& resolvedURL)
{
    std::shared_ptr<VornickResourceLoadAttempt> attempt;
    for (auto it = view.m_internals->resourcesBeingLoaded.rbegin(); it != view.m_internals->resourcesBeingLoaded.rend(); ++it) {
        if ((*it)->url().absoluteString() == resolvedURL.absoluteString()) {
            attempt = *it;
            break;
        }
    }
    std::weak_ptr<VornickContentEditingView> weak = view.weakSelf();
    std::weak_ptr<DOMElement> weakElement = element;
    auto update = [weak, weakElement, resolvedURL] {
        auto self = weak.lock();
        auto element = weakElement.lock();
        if (self && element && element->isConnected())
            Internals::updateImgElementWidthAndHeight(*self, element, resolvedURL);
    };
    if (attempt)
        Internals::whenResourceFileLoadSucceedsOrFails(view, attempt, update);
    else
        update();
}

void VornickContentEditingView::Internals::reloadSubresourceOfFrame(VornickContentEditingView& view,
                                                                    const std::shared_ptr<WebFrame>& frame, const URL& url)
{
    if (view.m_internals->collectedSubresourceReloads)
        view.m_internals->collectedSubresourceReloads->push_back({ frame, url });
    else
        frame->reloadSubresource(url);
}

void VornickContentEditingView::Internals::whenResourceFileLoadSucceedsOrFails(VornickContentEditingView& view,
                                                                               const std::shared_ptr<VornickResourceLoadAttempt>& attempt,
                                                                    std::function<void()> block)
{
    if (!attempt || !block)
        return;
    if (attempt->state() != VornickResourceLoadState::NotAttemptedYet) {
        block();
        return;
    }
    auto entry = std::make_shared<ResourceLoadEndWaiter>();
    entry->block = std::move(block);
    std::weak_ptr<VornickContentEditingView> weak = view.weakSelf();
    std::weak_ptr<ResourceLoadEndWaiter> weakEntry = entry;
    auto ended = [weak, weakEntry](const Notification&) {
        auto self = weak.lock();
        auto entry = weakEntry.lock();
        if (!self || !entry)
            return;
        auto block = std::move(entry->block);
        std::erase(self->m_internals->resourceLoadEndWaiters, entry);
        if (block)
            block();
    };
    auto& center = NotificationCenter::defaultCenter();
    entry->succeeded = center.addObserver(VornickResourceLoadAttemptSucceededNotification, attempt.get(), nullptr, ended);
    entry->failed = center.addObserver(VornickResourceLoadAttemptFailedNotification, attempt.get(), nullptr, ended);
    view.m_internals->resourceLoadEndWaiters.push_back(std::move(entry));
}

// --- Style sheets

void VornickContentEditingView::Internals::tickleReloadOfStyleSheetReferencedByLinkElement(VornickContentEditingView& view,
                                                                                           const std::shared_ptr<DOMElement>& link)
{
    if (!link)
        return;
    std::u16string href = link->getAttribute(u"href");
    if (href.empty())
        return;
    link->setAttribute(u"href", u"");
    link->setAttribute(u"href", href);
    if (auto frame = frameOfElement(view.mainFrame(), *link)) {
        if (auto url = resolvedReference(*frame, href))
            Internals::reloadSubresourceOfFrame(view, frame, *url);
    }
}

void VornickContentEditingView::Internals::tickleReloadOfStyleSheet(VornickContentEditingView& view,
                                                                    const std::shared_ptr<DOMCSSStyleSheet>& sheet)
{
    std::shared_ptr<DOMElement> owner;
    for (auto current = sheet; current && !owner; current = current->parentStyleSheet())
        owner = current->ownerNode();
    if (owner && equalsIgnoringASCIICase(owner->tagName(), u"link"))
        Internals::tickleReloadOfStyleSheetReferencedByLinkElement(view, owner);
}

void VornickContentEditingView::Internals::tickleReloadOfStyleSheet(VornickContentEditingView& view,
                                                                    const std::shared_ptr<DOMCSSStyleSheet>& sheet, const URL& changedURL)
{
    if (!sheet)
        return;
    vornick_enumerateRulesUsingBlock(sheet->cssRules(), [&](const std::shared_ptr<DOMCSSRule>& rule, bool& stop) {
        if (rule->type() == DOMCSSRule::IMPORT_RULE && rule->styleSheet()) {
            const auto& imported = rule->styleSheet();
            std::optional<URL> url;
            if (imported->href())
                url = URL::create(*imported->href());
            if (pointsToChangedFile(url, changedURL)) {
                Internals::tickleReloadOfStyleSheet(view, sheet);
                stop = true;
                return;
            }
            Internals::tickleReloadOfStyleSheet(view, imported, changedURL);
        } else if (rule->type() == DOMCSSRule::STYLE_RULE) {
            auto image = backgroundImageURLOfRule(*rule, sheet->href());
            if (pointsToChangedFile(image, changedURL))
                Internals::tickleReloadOfStyleSheet(view, sheet);
        }
    });
}

// --- Elements

void VornickContentEditingView::setAttribute(const std::u16string& name, const std::u16string& value,
                                             const std::shared_ptr<DOMElement>& element, bool jiggleOutOfTree)
{
    if (!element)
        return;
    element->setAttribute(name, value);
    if (!jiggleOutOfTree)
        return;
    auto parent = element->parentNode();
    if (!parent || !parent->isElementNode())
        return;
    // Kept alive by `element` while it is out of the tree.
    auto next = element->nextSibling();
    parent->removeChild(element);
    if (next && next->parentNode() == parent)
        parent->insertBefore(element, next);
    else
        parent->appendChild(element);
}

void VornickContentEditingView::Internals::updateImgElementWidthAndHeight(VornickContentEditingView& view,
                                                                          const std::shared_ptr<DOMElement>& element,
                                                                          const URL& resolvedURL)
{
    if (!element || !resolvedURL.isFileURL())
        return;
    std::optional<std::pair<long, long>> size;
    auto frame = frameOfElement(view.mainFrame(), *element);
    if (frame && frame->dataSource()) {
        if (auto resource = frame->dataSource()->subresourceForURL(resolvedURL); resource && !resource->data().empty()) {
            if (auto pixels = imagePixelSizeOfData(resource->data()))
                size = std::make_pair(pixels->pixelsWide, pixels->pixelsHigh);
        }
    }
    if (!size) {
        auto properties = vornick_propertiesOfImageWithFileURL(resolvedURL);
        if (!properties)
            return;
        auto wide = properties->find(u"pixelsWide");
        auto high = properties->find(u"pixelsHigh");
        if (wide == properties->end() || high == properties->end())
            return;
        size = std::make_pair(static_cast<long>(wide->second.integerValue()), static_cast<long>(high->second.integerValue()));
    }
    // A "@2x" or "@3x" file holds that many pixels per point.
    std::u16string stem = asciiLowercase(resolvedURL.URLByDeletingPathExtension().absoluteString());
    long divisor = stem.ends_with(u"@2x") ? 2 : stem.ends_with(u"@3x") ? 3 : 1;
    auto decimal = [](long value) { return toUTF16(std::to_string(value)); };
    element->setAttribute(u"width", decimal(size->first / divisor));
    element->setAttribute(u"height", decimal(size->second / divisor));
    vornick_setImgOrVideoElementWantsToInheritWidthAndHeightWhenKnown(*element, false);
    // The size is part of the document now: its source and observers follow.
    view.postVornickContentEditingViewDidChangeContentInWebFrame(frame ? frame : view.m_internals->focusedWebFrame, nullptr);
}

} // namespace brevanton

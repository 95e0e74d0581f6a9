// Putting a post's field into its attachment point and taking it out again.
//
// Injection replaces the element's whole content with parsed HTML whose
// scheme-less references have been made absolute, and tells the editing view
// that the change is an injection, not a user edit. Extraction writes the
// element's children with the frame's writer: the main frame's formatting,
// block comments in their block form and the blocks' own layout, file
// references under the root folder relative to the document.
#include "editing/VornickAttachmentPoint.h"

#include "editing/VornickContentEditingView.h"
#include "html/VornickHTMLWriter.h"
#include "html/VornickWebFrameEditingState.h"
#include "dom/VornickElementExtensions.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMNodeArena.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrame.h"

#include <algorithm>
#include <functional>

namespace brevanton {

namespace {

// Answers the absolute form of a scheme-less reference, or none to keep it.
using ReferenceResolver = std::function<std::optional<URL>(std::u16string_view reference)>;

std::optional<URL> resolveReference(std::u16string_view reference, const URL& base)
{
    auto resolved = URL::create(reference, &base);
    if (!resolved)
        return std::nullopt;
    return base.isFileURL() ? resolved->standardized() : resolved->absoluteURL();
}

std::u16string normalizedHost(const URL& url)
{
    auto host = url.host().value_or(u"");
    return url.isFileURL() && equalsIgnoringASCIICase(host, u"localhost") ? std::u16string() : host;
}

// Whether the URL names something strictly inside the folder.
bool liesInsideFolder(const URL& url, const URL& folder)
{
    URL standardFolder = folder.standardized();
    if (url.scheme() != standardFolder.scheme() || normalizedHost(url) != normalizedHost(standardFolder)
        || url.port() != standardFolder.port())
        return false;
    auto folderComponents = standardFolder.pathComponents();
    auto components = url.pathComponents();
    if (components.size() <= folderComponents.size())
        return false;
    return std::equal(folderComponents.begin(), folderComponents.end(), components.begin());
}

// Whether the reference opens with a scheme ("https:", "mailto:"): such a
// reference is never resolved, and a long post holds thousands of them.
bool startsWithScheme(std::u16string_view reference)
{
    auto isLetter = [](char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
    if (reference.empty() || !isLetter(reference[0]))
        return false;
    for (size_t i = 1; i < reference.size(); ++i) {
        char16_t c = reference[i];
        if (c == u':')
            return true;
        if (!isLetter(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'-' && c != u'.')
            return false;
    }
    return false;
}

void resolveReferencesInFragment(DOMNode& fragment, const ReferenceResolver& resolve)
{
    for (DOMNode* node = fragment.first(); node; node = node->traverseNext(&fragment)) {
        if (!node->isElementNode())
            continue;
        auto& element = downcast<DOMElement>(*node);
        if (!element.hasAttributes())
            continue;
        for (const auto& name : vornick_attributeNamesOfURLAttributes(element)) {
            const std::u16string* value = element.attributeValue(name);
            if (!value || value->empty() || startsWithScheme(*value))
                continue;
            auto reference = URL::create(*value);
            if (!reference || !reference->scheme().empty())
                continue;
            if (auto resolved = resolve(*value))
                element.setAttribute(name, resolved->absoluteString());
        }
    }
}

} // namespace

bool VornickAttachmentPoint::injectHTMLContentString(const std::u16string& html, const std::optional<URL>& baseURL)
{
    ReferenceResolver resolve;
    if (baseURL)
        resolve = [&baseURL](std::u16string_view reference) { return resolveReference(reference, *baseURL); };
    return injectResolvingReferences(html, resolve);
}

bool VornickAttachmentPoint::injectHTMLContentString(const std::u16string& html, const std::optional<URL>& baseURL,
                                                     const std::optional<URL>& enclosingFolderURL,
                                                     const std::optional<URL>& fallbackBaseURL)
{
    ReferenceResolver resolve = [&](std::u16string_view reference) -> std::optional<URL> {
        if (baseURL && enclosingFolderURL) {
            auto resolved = resolveReference(reference, *baseURL);
            if (resolved && liesInsideFolder(*resolved, *enclosingFolderURL))
                return resolved;
        }
        if (fallbackBaseURL)
            return resolveReference(reference, *fallbackBaseURL);
        return std::nullopt;
    };
    return injectResolvingReferences(html, resolve);
}

bool VornickAttachmentPoint::injectResolvingReferences(const std::u16string& html, const std::function<std::optional<URL>(std::u16string_view)>& resolve)
{
    auto element = findElement();
    auto frame = m_webFrame.lock();
    auto document = element ? element->document() : nullptr;
    if (!element || !frame || !document)
        return false;
    std::shared_ptr<DOMDocumentFragment> fragment;
    {
        // A long field (a post's body) has its nodes made in slabs, as a
        // parsed page of its size has: they live and die with the page.
        std::optional<DOMNodeArena> arena;
        if (html.size() >= DOMNodeArena::slabSize / 2)
            arena.emplace();
        fragment = document->createDocumentFragmentWithMarkupString(html, {}, element.get());
    }
    if (!fragment)
        return false;
    if (resolve)
        resolveReferencesInFragment(*fragment, resolve);
    // The content is built while the element is out of the page: the page
    // records one removal and one insertion, not one change per node of a
    // long post's body.
    auto parent = element->parentNode();
    auto next = element->nextSibling();
    if (parent)
        parent->removeChild(element);
    while (auto child = element->firstChild())
        element->removeChild(child);
    element->appendChild(fragment);
    if (parent)
        parent->insertBefore(element, next);
    if (auto view = m_contentEditingView.lock())
        view->postVornickContentEditingViewDidChangeContentInWebFrame(frame, shared_from_this());
    return true;
}

std::optional<std::u16string> VornickAttachmentPoint::extractCompactHTMLContentStringWithReferencesUnder(
    const std::optional<URL>& rootFolderURL, const std::optional<URL>& documentURL) const
{
    auto element = findElement();
    auto frame = m_webFrame.lock();
    if (!element || !frame)
        return std::nullopt;
    auto view = m_contentEditingView.lock();
    std::shared_ptr<VornickHTMLWriter> writer;
    if (view)
        writer = view->htmlWriterForWebFrame(*frame);
    else
        writer = vornick_HTMLWriter(*frame);
    if (!writer)
        return std::nullopt;
    auto mainFrame = view ? view->mainFrame() : nullptr;
    if (auto preferences = mainFrame ? vornick_effectiveHTMLFormattingPreferences(*mainFrame) : nullptr)
        writer->setFormattingPreferences(*preferences);
    writer->setDocumentURLForAbsoluteURLResolution(documentURL);
    writer->setRootFileURLWithinWhichReferencesShouldBeRelative(rootFolderURL);
    // A block post keeps its stored layout where it was not edited.
    writer->setKeepsWordPressBlockLayout(true);
    return writer->htmlStringFromChildrenOfNode(*element);
}

} // namespace brevanton

#include "dom/VornickDocumentExtensions.h"

#include "dom/VornickNodeExtensions.h"
#include "dom/VornickWebFrameAssociatedValues.h"
#include "dom/VornickWebFrameExtensions.h"
#include "toolkit/VornickURLExtensions.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/web/WebDataSource.h"

namespace brevanton {

#define VORNICK_DOCUMENT_ASSERT(condition, text) \
    BREVANTON_ASSERT(condition, "Invalid parameter not satisfying: " text " (DOMDocument+VornickExtensions)")

std::optional<URL> vornick_URL(const DOMDocument& document)
{
    auto frame = VornickWebFrameWithAssociatedValuesForDocument(document);
    if (auto saved = frame ? vornick_URLWhereSaved(*frame) : std::nullopt)
        return saved;
    if (document.URL().empty())
        return std::nullopt;
    return URL::create(document.URL());
}

std::optional<URL> vornick_enclosingFolderURL(const DOMDocument& document)
{
    auto url = vornick_URL(document);
    return url ? std::optional(url->URLByDeletingLastPathComponent()) : std::nullopt;
}

std::shared_ptr<DOMElement> vornick_htmlElement(const DOMDocument& document)
{
    auto root = document.documentElement();
    return root && equalsIgnoringASCIICase(root->tagName(), u"html") ? root : nullptr;
}

std::shared_ptr<DOMElement> vornick_headElement(const DOMDocument& document)
{
    auto html = vornick_htmlElement(document);
    return html ? vornick_firstChildElementWithTag(*html, u"head") : nullptr;
}

std::shared_ptr<DOMElement> vornick_firstBaseElementInHead(const DOMDocument& document)
{
    auto head = vornick_headElement(document);
    return head ? vornick_firstChildElementWithTag(*head, u"base") : nullptr;
}

std::shared_ptr<DOMElement> vornick_insertBaseElementInHeadWithURL(DOMDocument& document, const URL& url,
                                                                   bool replaceExisting)
{
    if (replaceExisting) {
        if (auto base = vornick_firstBaseElementInHead(document)) {
            base->setAttribute(u"href", url.absoluteString());
            return base;
        }
    }
    auto head = vornick_headElement(document);
    if (!head)
        return nullptr;
    auto base = document.createElement(u"base");
    head->insertBefore(base, head->firstChild());
    base->setAttribute(u"href", url.absoluteString());
    return base;
}

std::optional<URL> vornick_baseDirectoryURLForResourceFileResolution(const DOMDocument& document)
{
    if (auto base = vornick_firstBaseElementInHead(document); base && base->hasAttribute(u"href")) {
        auto documentURL = vornick_URL(document);
        if (auto url = URL::create(base->getAttribute(u"href"), documentURL ? &*documentURL : nullptr))
            return url->absoluteURL().URLByDeletingLastPathComponent();
    }
    return vornick_enclosingFolderURL(document);
}

bool vornick_isSavedInPermanentLocation(const DOMDocument& document)
{
    auto base = vornick_baseDirectoryURLForResourceFileResolution(document);
    if (!base)
        return false;
    if (base->isFileURL()) {
        auto frame = VornickWebFrameWithAssociatedValuesForDocument(document);
        auto autosaved = frame ? vornick_autosavedInformationFolderURL(*frame) : std::nullopt;
        return !(autosaved && vornick_pointsToSameFileAsURL(*base, *autosaved));
    }
    // Documents loaded from a string have no saved location.
    return !equalsIgnoringASCIICase(base->scheme(), WebStringDocumentScheme);
}

std::optional<std::u16string> vornick_relativeURLStringForReferencingTargetURL(const DOMDocument& document,
                                                                               const URL* target)
{
    if (!target)
        return std::nullopt;
    auto base = vornick_baseDirectoryURLForResourceFileResolution(document);
    if (base && vornick_isSavedInPermanentLocation(document) && base->scheme() == u"file") {
        if (target->isFileURL())
            return vornick_URLStringRelativeToBaseURL(*target, *base);
        return vornick_absoluteStringWithoutAppleSecurityScopeQuery(*target);
    }
    return vornick_absoluteStringWithoutAppleSecurityScopeQueryOrLocalhost(*target);
}

std::shared_ptr<DOMDocumentFragment> vornick_createDocumentFragmentWithText(DOMDocument& document,
                                                                           const std::u16string& text)
{
    auto fragment = document.createDocumentFragment();
    fragment->appendChild(document.createTextNode(text));
    return fragment;
}

std::shared_ptr<DOMDocumentFragment> vornick_createDocumentFragmentWithCommentText(DOMDocument& document,
                                                                                  const std::u16string& text)
{
    auto fragment = document.createDocumentFragment();
    fragment->appendChild(document.createComment(text));
    return fragment;
}

std::shared_ptr<DOMDocumentFragment> vornick_createDocumentFragmentWithEmptyElement(DOMDocument& document,
                                                                                   std::u16string_view tagName,
                                                                                   std::shared_ptr<DOMElement>* element)
{
    VORNICK_DOCUMENT_ASSERT(!tagName.empty(), "[tagName length] > 0");
    auto made = document.createElement(tagName);
    if (!made)
        return nullptr;
    auto fragment = document.createDocumentFragment();
    fragment->appendChild(made);
    if (element)
        *element = made;
    return fragment;
}

std::shared_ptr<DOMDocumentFragment> vornick_createDocumentFragmentWithElement(DOMDocument& document,
                                                                              std::u16string_view tagName,
                                                                              const std::u16string& text,
                                                                              std::shared_ptr<DOMElement>* element,
                                                                              std::shared_ptr<DOMText>* textNode)
{
    VORNICK_DOCUMENT_ASSERT(!tagName.empty(), "[tagName length] > 0");
    auto made = document.createElement(tagName);
    if (!made)
        return nullptr;
    auto madeText = document.createTextNode(text);
    made->appendChild(madeText);
    auto fragment = document.createDocumentFragment();
    fragment->appendChild(made);
    if (element)
        *element = made;
    if (textNode)
        *textNode = madeText;
    return fragment;
}

std::shared_ptr<DOMDocumentFragment> vornick_createDocumentFragmentWithElementWrappedAroundElement(
    DOMDocument& document, std::u16string_view outerTagName, std::u16string_view innerTagName, const std::u16string& text,
    std::shared_ptr<DOMElement>* outerElement, std::shared_ptr<DOMElement>* innerElement,
    std::shared_ptr<DOMText>* textNode)
{
    VORNICK_DOCUMENT_ASSERT(!outerTagName.empty(), "[outerElementTagName length] > 0");
    VORNICK_DOCUMENT_ASSERT(!innerTagName.empty(), "[innerElementTagName length] > 0");
    auto outer = document.createElement(outerTagName);
    auto inner = document.createElement(innerTagName);
    if (!outer || !inner)
        return nullptr;
    auto madeText = document.createTextNode(text);
    inner->appendChild(madeText);
    outer->appendChild(inner);
    auto fragment = document.createDocumentFragment();
    fragment->appendChild(outer);
    if (outerElement)
        *outerElement = outer;
    if (innerElement)
        *innerElement = inner;
    if (textNode)
        *textNode = madeText;
    return fragment;
}

std::shared_ptr<DOMDocumentFragment> vornick_createDocumentFragmentWithALinkToURLString(
    DOMDocument& document, const std::u16string& urlString, const std::u16string& text,
    std::shared_ptr<DOMElement>* element, std::shared_ptr<DOMText>* textNode)
{
    std::shared_ptr<DOMElement> link;
    auto fragment = vornick_createDocumentFragmentWithElement(document, u"a", text, &link, textNode);
    if (!fragment)
        return nullptr;
    link->setAttribute(u"href", urlString);
    if (element)
        *element = link;
    return fragment;
}

std::shared_ptr<DOMDocumentFragment> vornick_createDocumentFragmentWithTableRowOfCells(DOMDocument& document,
                                                                                      size_t count,
                                                                                      std::u16string_view kind)
{
    if (!equalsIgnoringASCIICase(kind, u"td") && !equalsIgnoringASCIICase(kind, u"th"))
        return nullptr;
    auto row = document.createElement(u"tr");
    for (size_t i = 0; i < count; ++i) {
        auto cell = document.createElement(asciiLowercase(kind));
        cell->appendChild(document.createTextNode(u"-"));
        row->appendChild(cell);
    }
    auto fragment = document.createDocumentFragment();
    fragment->appendChild(row);
    return fragment;
}

std::shared_ptr<DOMDocumentFragment> vornick_createCleanedUpDocumentFragmentWithHTMLString(DOMDocument& document,
                                                                                          std::u16string_view html,
                                                                                          const URL* baseURL)
{
    auto fragment = document.createDocumentFragmentWithMarkupString(
        html, baseURL ? baseURL->absoluteString() : std::u16string(), document.body().get());
    if (fragment)
        vornick_cleanUpFragment(fragment);
    return fragment;
}

std::shared_ptr<DOMElement> vornick_createTableWithRows(DOMDocument& document, size_t rows, size_t columns, bool header,
                                                       bool caption)
{
    auto table = document.createElement(u"table");
    if (!table || !table->isHTMLElement())
        return nullptr;
    auto addRow = [&](DOMElement& section, std::u16string_view cellTag) {
        auto row = document.createElement(u"tr");
        for (size_t column = 0; column < columns; ++column) {
            auto cell = document.createElement(cellTag);
            cell->appendChild(document.createTextNode(u"-"));
            row->appendChild(cell);
        }
        section.appendChild(row);
    };
    if (rows && columns) {
        auto body = document.createElement(u"tbody");
        for (size_t row = 0; row < rows; ++row)
            addRow(*body, u"td");
        table->appendChild(body);
    }
    if (header)
        addRow(*table->createTHead(), u"th");
    if (caption)
        table->createCaption()->appendChild(document.createTextNode(u"Table Caption"));
    return table;
}

} // namespace brevanton

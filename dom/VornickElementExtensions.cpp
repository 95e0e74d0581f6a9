#include "dom/VornickElementExtensions.h"

#include "dom/VornickComputedStyle.h"
#include "dom/VornickDOMServices.h"
#include "toolkit/VornickLog.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickNodeListExtensions.h"
#include "toolkit/VornickStringExtensions.h"
#include "toolkit/VornickURLExtensions.h"
#include "toolkit/VornickWhitespaceSets.h"
#include "platform/dom/DOMCSSStyleDeclaration.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"

#include <algorithm>
#include <set>

namespace brevanton {

#define VORNICK_ELEMENT_ASSERT(condition, text) \
    BREVANTON_ASSERT(condition, "Invalid parameter not satisfying: " text " (DOMElement+VornickExtensions)")

namespace {

// Class and id lists split at the HTML standard's five space characters
// (a U+00A0 belongs to a class name, as it does for CSS selectors).
std::vector<std::u16string> htmlSpaceSeparatedTokens(std::u16string_view value)
{
    std::vector<std::u16string> tokens;
    size_t start = 0;
    for (size_t i = 0; i <= value.size(); ++i) {
        if (i == value.size() || vornick_isInWhitespaceSet(value[i], VornickHTMLSpace)) {
            if (i > start)
                tokens.emplace_back(value.substr(start, i - start));
            start = i + 1;
        }
    }
    return tokens;
}

std::vector<std::u16string> tokensOfAttribute(const DOMElement& element, std::u16string_view name)
{
    const std::u16string* value = element.attributeValue(name);
    return value ? htmlSpaceSeparatedTokens(*value) : std::vector<std::u16string>();
}

std::u16string joined(const std::vector<std::u16string>& tokens, std::u16string_view separator)
{
    std::u16string text;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (i)
            text += separator;
        text += tokens[i];
    }
    return text;
}

bool hasTagNameIgnoringCase(const DOMNode* node, std::u16string_view tag)
{
    auto* element = toElement(node);
    return element && equalsIgnoringASCIICase(element->tagName(), tag);
}

std::u16string escapedAttributeValue(std::u16string_view value, char16_t quote)
{
    std::u16string escaped;
    escaped.reserve(value.size());
    for (char16_t c : value) {
        if (c == u'&')
            escaped += u"&amp;";
        else if (c == quote)
            escaped += quote == u'"' ? u"&quot;" : u"&#39;";
        else
            escaped += c;
    }
    return escaped;
}

} // namespace

std::vector<std::u16string> vornick_classNamesArray(const DOMElement& element)
{
    return tokensOfAttribute(element, u"class");
}

std::vector<std::u16string> vornick_idNamesArray(const DOMElement& element)
{
    return tokensOfAttribute(element, u"id");
}

bool vornick_hasClass(const DOMElement& element, std::u16string_view className)
{
    const std::u16string* value = element.attributeValue(u"class");
    if (!value || value->find(className) == std::u16string::npos)
        return false;
    for (const auto& token : htmlSpaceSeparatedTokens(*value)) {
        if (token == className)
            return true;
    }
    return false;
}

void vornick_addClass(DOMElement& element, std::u16string_view className)
{
    VORNICK_ELEMENT_ASSERT(!className.empty(), "[className length] > 0");
    if (vornick_hasClass(element, className))
        return;
    const std::u16string* value = element.attributeValue(u"class");
    if (!value || htmlSpaceSeparatedTokens(*value).empty()) {
        element.setAttribute(u"class", className);
        return;
    }
    element.setAttribute(u"class", *value + u" " + std::u16string(className));
}

void vornick_removeClass(DOMElement& element, std::u16string_view className)
{
    VORNICK_ELEMENT_ASSERT(!className.empty(), "[className length] > 0");
    if (!vornick_hasClass(element, className))
        return;
    std::vector<std::u16string> remaining;
    for (auto& token : vornick_classNamesArray(element)) {
        if (token != className)
            remaining.push_back(std::move(token));
    }
    if (remaining.empty())
        element.removeAttribute(u"class");
    else
        element.setAttribute(u"class", joined(remaining, u" "));
}

std::vector<std::u16string> vornick_classNamesArrayOmittingClassesWithPrefix(const DOMElement& element,
                                                                             std::u16string_view prefix)
{
    auto names = vornick_classNamesArray(element);
    std::erase_if(names, [&](const std::u16string& name) { return name.starts_with(prefix); });
    return names;
}

std::vector<std::u16string> vornick_classNamesArrayOmittingVornickClasses(const DOMElement& element)
{
    return vornick_classNamesArrayOmittingClassesWithPrefix(element, VornickClassPrefix);
}

std::vector<std::u16string> vornick_vornickClassNamesArray(const DOMElement& element)
{
    auto names = vornick_classNamesArray(element);
    std::erase_if(names, [](const std::u16string& name) { return !name.starts_with(VornickClassPrefix); });
    return names;
}

bool vornick_isAttachmentPoint(const DOMElement& element)
{
    for (const auto& name : vornick_classNamesArray(element)) {
        if (name.starts_with(VornickAttachmentPointClassPrefix))
            return true;
    }
    return false;
}

namespace {

void setClass(DOMElement& element, std::u16string_view name, bool on)
{
    if (on)
        vornick_addClass(element, name);
    else
        vornick_removeClass(element, name);
}

} // namespace

void vornick_setImgOrVideoElementWidthAndHeightMatchReferencedMedia(DOMElement& element, bool on)
{
    setClass(element, VornickWidthAndHeightMatchMediaClass, on);
}

bool vornick_imgOrVideoElementWidthAndHeightMatchReferencedMedia(const DOMElement& element)
{
    return vornick_hasClass(element, VornickWidthAndHeightMatchMediaClass);
}

void vornick_setImgOrVideoElementWantsToInheritWidthAndHeightWhenKnown(DOMElement& element, bool on)
{
    setClass(element, VornickSetWidthAndHeightWhenKnownClass, on);
}

bool vornick_imgOrVideoElementWantsToInheritWidthAndHeightWhenKnown(const DOMElement& element)
{
    return vornick_hasClass(element, VornickSetWidthAndHeightWhenKnownClass);
}

bool VornickHTMLClassOrIdListsAreEquivalent(std::u16string_view listA, std::u16string_view listB)
{
    auto a = htmlSpaceSeparatedTokens(listA);
    auto b = htmlSpaceSeparatedTokens(listB);
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (compareIgnoringCase(a[i], b[i]) != 0)
            return false;
    }
    return true;
}

std::optional<std::u16string> vornick_BCP47Language(const DOMElement& element)
{
    if (const std::u16string* value = element.attributeValue(u"xml:lang"))
        return *value;
    if (const std::u16string* value = element.attributeValue(u"lang"))
        return *value;
    return std::nullopt;
}

std::optional<std::u16string> vornick_effectiveBCP47Language(const DOMElement& element)
{
    for (const DOMElement* current = &element; current; current = toElement(current->parent())) {
        if (auto language = vornick_BCP47Language(*current))
            return language;
    }
    return std::nullopt;
}

bool vornick_enumerateAttributeNamesAndValuesForMutation(DOMElement& element, bool forMutation,
                                                         const VornickAttributeEnumerationBlock& block)
{
    bool stop = false;
    if (forMutation) {
        std::vector<std::pair<std::u16string, std::u16string>> snapshot;
        for (const auto& attribute : element.attributeList())
            snapshot.emplace_back(attribute.name, attribute.value);
        for (uint32_t i = 0; i < snapshot.size(); ++i) {
            block(snapshot[i].first, snapshot[i].second, i, stop);
            if (stop)
                return false;
        }
        return true;
    }
    for (uint32_t i = 0; i < element.attributeCount(); ++i) {
        const auto& attribute = element.attributeList()[i];
        block(attribute.name, attribute.value, i, stop);
        if (stop)
            return false;
    }
    return true;
}

bool vornick_hasSameTagNameAndAttributesAs(const DOMElement& element, const DOMElement* other)
{
    if (!other || !equalsIgnoringASCIICase(element.tagName(), other->tagName())
        || element.attributeCount() != other->attributeCount())
        return false;
    for (const auto& attribute : element.attributeList()) {
        const std::u16string* value = other->attributeValue(attribute.name);
        if (!value || *value != attribute.value)
            return false;
    }
    return true;
}

void vornick_copyAttributesFromElement(DOMElement& element, const DOMElement& other)
{
    std::vector<std::pair<std::u16string, std::u16string>> attributes;
    for (const auto& attribute : other.attributeList())
        attributes.emplace_back(attribute.name, attribute.value);
    for (const auto& [name, value] : attributes)
        element.setAttribute(name, value);
}

void vornick_setBooleanAttribute(DOMElement& element, std::u16string_view name, bool value)
{
    if (value)
        element.setAttribute(name, name);
    else
        element.removeAttribute(name);
}

void vornick_insertAttribute(DOMElement& element, std::u16string_view name, std::u16string_view value, size_t index)
{
    VORNICK_ELEMENT_ASSERT(!name.empty(), "[attributeName length] > 0");
    VORNICK_ELEMENT_ASSERT(!element.hasAttribute(name), "![self hasAttribute:attributeName]");
    size_t count = element.attributeCount();
    VORNICK_ELEMENT_ASSERT(index <= count, "insertionIndex <= attributesCount");
    std::vector<std::pair<std::u16string, std::u16string>> moved;
    for (size_t i = index; i < count; ++i) {
        const auto& attribute = element.attributeList()[index];
        moved.emplace_back(attribute.name, attribute.value);
        element.removeAttribute(moved.back().first);
    }
    element.setAttribute(name, value);
    for (const auto& [movedName, movedValue] : moved)
        element.setAttribute(movedName, movedValue);
}

void vornick_setInnerText(DOMElement& element, const std::u16string& text)
{
    while (DOMNode* child = element.last())
        element.removeChild(child);
    if (DOMDocument* document = element.document())
        element.appendChild(document->createTextNode(text));
}

std::vector<std::u16string> vornick_addMissingRequiredAttributesForHTMLSpec(DOMElement& element,
                                                                          const VornickHTMLSpec* spec)
{
    VORNICK_ELEMENT_ASSERT(spec, "spec");
    std::vector<std::u16string> added;
    auto* provider = VornickCurrentHTMLElementSpecProvider();
    // SVG and MathML elements have requirements of their own.
    if (!provider || (!element.isHTMLElement() && !element.namespaceURI().empty()))
        return added;
    for (auto& name : provider->requiredAttributeNames(*spec, element.localName())) {
        if (element.hasAttribute(name))
            continue;
        // An empty default namespace declaration would take the element and
        // everything in it out of its namespace when the document is read
        // back.
        element.setAttribute(name, name == u"xmlns" ? element.namespaceURI() : std::u16string());
        added.push_back(name);
    }
    return added;
}

bool vornick_isBrickElement(const DOMElement& element)
{
    if (element.hasTagName(u"div") && vornick_hasClass(element, u"wp-block-embed__wrapper"))
        return false;
    // Table parts are decided by their tag whatever their display.
    constexpr std::u16string_view brickTags[] = { u"table", u"tr" };
    constexpr std::u16string_view nonBrickTags[] = { u"caption", u"thead", u"tbody", u"tfoot",
                                                     u"th",      u"td",    u"colgroup", u"col" };
    const std::u16string& name = element.localName();
    if (name.size() <= 8) {
        for (auto tag : brickTags) {
            if (equalsIgnoringASCIICase(name, tag))
                return true;
        }
        for (auto tag : nonBrickTags) {
            if (equalsIgnoringASCIICase(name, tag))
                return false;
        }
    }
    constexpr std::u16string_view brickDisplays[] = { u"block",     u"inline-block",       u"list-item",
                                                      u"table",     u"inline-table",       u"table-row",
                                                      u"table-column-group", u"table-column", u"table-caption" };
    std::u16string display = vornick_computedDisplay(element);
    for (auto brickDisplay : brickDisplays) {
        if (display == brickDisplay)
            return true;
    }
    return false;
}

bool vornick_brickElementCanBeCollapsed(const DOMElement& element)
{
    auto first = element.firstElementChild();
    if (!first)
        return false;
    const auto& tag = first->tagName();
    return tag.size() == 2 && (tag[0] == u'H' || tag[0] == u'h') && tag[1] >= u'1' && tag[1] <= u'6';
}

std::shared_ptr<DOMElement> vornick_firstDescendantBrickElement(const DOMNode& node)
{
    for (DOMNode* child = node.first(); child; child = child->next()) {
        auto* element = toElement(child);
        if (!element)
            continue;
        if (auto brick = vornick_firstDescendantBrickElement(*element))
            return brick;
        if (vornick_isBrickElement(*element))
            return downcast<DOMElement>(element->shared_from_this());
    }
    return nullptr;
}

std::shared_ptr<DOMElement> vornick_lastDescendantBrickElement(const DOMNode& node)
{
    for (DOMNode* child = node.last(); child; child = child->previous()) {
        auto* element = toElement(child);
        if (!element)
            continue;
        if (auto brick = vornick_lastDescendantBrickElement(*element))
            return brick;
        if (vornick_isBrickElement(*element))
            return downcast<DOMElement>(element->shared_from_this());
    }
    return nullptr;
}

std::vector<std::vector<std::shared_ptr<DOMElement>>> VornickGroupElementsIntoSiblingRuns(
    const std::vector<std::shared_ptr<DOMElement>>& elements)
{
    std::vector<std::vector<std::shared_ptr<DOMElement>>> runs;
    for (size_t i = 0; i < elements.size(); ++i) {
        if (i == 0 || elements[i - 1]->nextElementSibling() != elements[i])
            runs.emplace_back();
        runs.back().push_back(elements[i]);
    }
    return runs;
}

std::shared_ptr<DOMElement> vornick_transformIntoElementOfKind(const std::shared_ptr<DOMElement>& element,
                                                               std::u16string_view tagName)
{
    auto parent = element->parentNode();
    if (!parent)
        return nullptr;
    auto replacement = element->document()->createElement(tagName);
    if (!replacement)
        return nullptr;
    replacement->appendChild(vornick_innerRange(element)->extractContents());
    parent->replaceChild(replacement, element.get());
    return replacement;
}

std::u16string vornick_tagLabelForPathSegment(const DOMElement& element)
{
    return asciiLowercase(element.tagName());
}

std::u16string vornick_attributesLabelForPathSegment(const DOMElement& element)
{
    auto ids = vornick_idNamesArray(element);
    auto classes = vornick_classNamesArrayOmittingVornickClasses(element);
    std::u16string label;
    if (!ids.empty())
        label += u"#" + joined(ids, u"#");
    if (!classes.empty())
        label += u"." + joined(classes, u".");
    return label;
}

std::u16string vornick_labelForPathControl(const DOMElement& element)
{
    std::u16string label = asciiLowercase(element.tagName());
    if (element.isHTMLElement()) {
        std::u16string identifier = element.id();
        if (!identifier.empty())
            label += u"#" + identifier;
        std::u16string classes = element.className();
        if (!classes.empty())
            label += u"." + classes;
    }
    return label;
}

namespace {

// The inline style with the changes applied: order and priorities kept, new properties last.
std::u16string styleWithChanges(const DOMElement& element, const VornickStyleAttributeChanges& changes)
{
    auto declarations = DOMCSSStyleDeclaration::parseDeclarations(element.getAttribute(u"style"));
    auto parsedValue = [](const std::u16string& value) {
        DOMCSSStyleDeclaration::Declaration declaration;
        auto parsed = DOMCSSStyleDeclaration::parseDeclarations(u"x: " + value);
        if (!parsed.empty()) {
            declaration.value = parsed.front().value;
            declaration.important = parsed.front().important;
        } else {
            declaration.value = value;
        }
        return declaration;
    };
    for (const auto& change : changes.additionsAndChanges) {
        const auto& name = change.first;
        auto parsed = parsedValue(change.second);
        auto found = std::find_if(declarations.begin(), declarations.end(),
                                  [&](const auto& declaration) { return equalsIgnoringASCIICase(declaration.name, name); });
        if (found != declarations.end()) {
            found->value = parsed.value;
            found->important = parsed.important;
        } else {
            declarations.push_back({ name, parsed.value, parsed.important });
        }
    }
    for (const auto& name : changes.deletions) {
        std::erase_if(declarations,
                      [&](const auto& declaration) { return equalsIgnoringASCIICase(declaration.name, name); });
    }
    std::u16string text;
    for (const auto& declaration : declarations) {
        if (declaration.value.empty())
            continue;
        text += declaration.name + u": " + declaration.value + (declaration.important ? u" !important" : u"") + u"; ";
    }
    return text;
}

} // namespace

std::u16string vornick_attributesHTML(const DOMElement& element, unsigned options,
                                      const VornickStyleAttributeChanges* styleChanges, const URL* documentURL)
{
    std::vector<std::u16string> urlAttributeNames;
    if (documentURL)
        urlAttributeNames = vornick_attributeNamesOfURLAttributes(element);
    char16_t quote = (options & VornickTagHTMLDoubleQuotes) ? u'"' : u'\'';
    std::u16string text;
    for (const auto& attribute : element.attributeList()) {
        std::u16string lowerName = asciiLowercase(attribute.name);
        if ((options & VornickTagHTMLOnlyClassAndId) && lowerName != u"class" && lowerName != u"id")
            continue;
        std::u16string value = attribute.value;
        if (styleChanges && lowerName == u"style") {
            value = styleWithChanges(element, *styleChanges);
            if (value.empty())
                continue;
        } else if ((options & VornickTagHTMLOmitVornickClasses) && lowerName == u"class") {
            auto classes = vornick_classNamesArrayOmittingVornickClasses(element);
            if (classes.empty())
                continue;
            value = joined(classes, u" ");
        } else if (documentURL
                   && std::find(urlAttributeNames.begin(), urlAttributeNames.end(), lowerName)
                       != urlAttributeNames.end()) {
            if (auto url = URL::create(value, documentURL))
                value = url->absoluteURL().standardized().absoluteString();
        }
        if (!text.empty())
            text += u' ';
        text += (options & VornickTagHTMLLowercase) ? lowerName : asciiUppercase(attribute.name);
        text += u'=';
        text += quote;
        text += escapedAttributeValue(value, quote);
        text += quote;
    }
    return text;
}

std::u16string vornick_openTagHTML(const DOMElement& element, unsigned options,
                                   const VornickStyleAttributeChanges* styleChanges, const URL* documentURL)
{
    std::u16string tag = (options & VornickTagHTMLLowercase) ? asciiLowercase(element.tagName())
                                                             : asciiUppercase(element.tagName());
    std::u16string slash;
    if (options & VornickTagHTMLSelfClosing)
        slash = (options & VornickTagHTMLSpaceBeforeSlash) ? u" /" : u"/";
    if (!element.hasAttributes())
        return u"<" + tag + slash + u">";
    std::u16string attributes = vornick_attributesHTML(element, options, styleChanges, documentURL);
    std::u16string text = u"<" + tag;
    if (!attributes.empty())
        text += u" " + attributes;
    return text + slash + u">";
}

std::u16string vornick_closeTagHTML(const DOMElement& element, unsigned options)
{
    std::u16string tag = (options & VornickTagHTMLLowercase) ? asciiLowercase(element.tagName())
                                                             : asciiUppercase(element.tagName());
    return u"</" + tag + u">";
}

bool vornick_isURLAttributeOnElementKind(std::u16string_view attributeName, std::u16string_view tagName)
{
    std::u16string tag = asciiUppercase(tagName);
    std::u16string name = asciiUppercase(attributeName);
    if (tag == u"A" || tag == u"LINK")
        return name == u"HREF";
    if (tag == u"IMG" || tag == u"IFRAME" || tag == u"FRAME" || tag == u"AUDIO" || tag == u"TRACK")
        return name == u"SRC";
    if (tag == u"VIDEO")
        return name == u"SRC" || name == u"POSTER";
    if (tag == u"MENUITEM")
        return name == u"ICON";
    return false;
}

std::vector<std::u16string> vornick_attributeNamesOfURLAttributes(const DOMElement& element)
{
    std::u16string tag = asciiUppercase(element.tagName());
    if (tag == u"A")
        return { u"href" };
    if (tag == u"IMG" || tag == u"IFRAME" || tag == u"FRAME" || tag == u"AUDIO" || tag == u"TRACK")
        return { u"src" };
    if (tag == u"VIDEO")
        return { u"src", u"poster" };
    if (tag == u"LINK") {
        std::u16string rel = element.getAttribute(u"rel");
        if (equalsIgnoringASCIICase(rel, u"stylesheet") || equalsIgnoringASCIICase(rel, u"brevanton-snippet-set"))
            return { u"href" };
        return {};
    }
    if (tag == u"MENUITEM")
        return { u"icon" };
    return {};
}

bool vornick_rewireReferencesRelativeToNewDocumentURL(DOMElement& element, const URL* newDocumentURL,
                                                      const URL* oldDocumentURL)
{
    std::optional<URL> newBase = newDocumentURL ? std::optional(newDocumentURL->URLByDeletingLastPathComponent())
                                                : std::nullopt;
    std::optional<URL> oldBase = oldDocumentURL ? std::optional(oldDocumentURL->URLByDeletingLastPathComponent())
                                                : std::nullopt;
    return vornick_rewireReferencesRelativeToNewDocumentBaseURL(element, newBase ? &*newBase : nullptr,
                                                                oldBase ? &*oldBase : nullptr);
}

bool vornick_rewireReferencesRelativeToNewDocumentBaseURL(DOMElement& element, const URL* newBaseURL,
                                                          const URL* oldBaseURL)
{
    bool changed = false;
    for (const auto& name : vornick_attributeNamesOfURLAttributes(element)) {
        std::u16string value = element.getAttribute(name);
        if (value.empty())
            continue;
        auto url = URL::create(value);
        if (!url)
            continue;
        if (url->isFileURL()) {
            if (url->absoluteString().find(u"/Contents/Resources/BundledStyleSheets/") != std::u16string::npos
                || !newBaseURL)
                continue;
            if (auto relative = vornick_URLStringRelativeToBaseURL(*url, *newBaseURL); relative && *relative != value) {
                element.setAttribute(name, *relative);
                changed = true;
            }
            continue;
        }
        if (!newBaseURL && oldBaseURL && url->scheme().empty()) {
            if (auto resolved = URL::create(value, oldBaseURL)) {
                std::u16string absolute = resolved->absoluteURL().standardized().absoluteString();
                if (absolute != value) {
                    element.setAttribute(name, absolute);
                    changed = true;
                }
            }
        }
    }
    return changed;
}

bool vornick_hoistListOutOfListItem(DOMElement& listItem)
{
    auto parent = listItem.parentNode();
    if (!parent)
        return false;
    DOMNode* list = nullptr;
    for (DOMNode* child = listItem.last(); child && !list; child = child->previous()) {
        if (hasTagNameIgnoringCase(child, u"ul") || hasTagNameIgnoringCase(child, u"ol"))
            list = child;
    }
    if (!list)
        return false;
    std::vector<std::shared_ptr<DOMNode>> moved;
    for (DOMNode* node = list; node; node = node->next())
        moved.push_back(node->shared_from_this());
    DOMNode* before = listItem.next();
    for (const auto& node : moved)
        parent->insertBefore(node, before);
    return true;
}

// --- Text nodes

bool vornick_recursiveEnumerateContainedTextNodesInRange(DOMNode& node, VornickRange childNodesRange, unsigned options,
                                                         const VornickTextNodeBlock& block)
{
    auto children = node.childNodes();
    BREVANTON_ASSERT(childNodesRange.end() <= children->length(),
                     "Invalid parameter not satisfying: NSMaxRange(childNodesRange) <= [[self childNodes] length] "
                     "(DOMElement+VornickExtensions)");
    BREVANTON_ASSERT(block != nullptr, "Invalid parameter not satisfying: block (DOMElement+VornickExtensions)");
    return vornick_enumerateNodesInRange(*children, childNodesRange, options,
                                         [&](const std::shared_ptr<DOMNode>& child, size_t index, bool& stop) {
                                             if (child->nodeType() == DOMNode::TEXT_NODE) {
                                                 block(downcast<DOMText>(child), index, stop);
                                             } else if (child->isElementNode()) {
                                                 auto length = child->childNodes()->length();
                                                 if (!vornick_recursiveEnumerateContainedTextNodesInRange(
                                                         *child, VornickMakeRange(0, length), options, block))
                                                     stop = true;
                                             }
                                         });
}

} // namespace brevanton

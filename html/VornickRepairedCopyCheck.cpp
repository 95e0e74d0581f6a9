#include "html/VornickRepairedCopyCheck.h"

#include "platform/dom/DOMAttributeList.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileReading.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <fmt/format.h>
#include <vector>

namespace brevanton {

namespace {

bool isHTMLWhitespace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

bool isNamed(const DOMElement& element, std::initializer_list<const char16_t*> names)
{
    const auto& name = element.localName();
    for (const char16_t* candidate : names) {
        if (equalsIgnoringASCIICase(name, candidate))
            return true;
    }
    return false;
}

// Text kept as written: preformatted and raw text.
bool keepsWhitespace(const DOMElement& element)
{
    return isNamed(element, { u"pre", u"textarea", u"listing", u"xmp", u"plaintext", u"style", u"script" });
}

// Elements that do not flow with the text around them: white space beside
// them, or at their start and end, is the layout's, not the text's. Any other
// element (the phrasing elements, and those the page makes up) is inline:
// white space at its edges is text.
bool isBlockBoundary(const DOMElement& element)
{
    return isNamed(element, { u"address", u"area", u"article", u"aside", u"base", u"blockquote", u"body", u"br", u"caption",
                              u"center", u"col", u"colgroup", u"dd", u"details", u"dialog", u"dir", u"div", u"dl", u"dt",
                              u"fieldset", u"figcaption", u"figure", u"footer", u"form", u"frame", u"frameset", u"h1", u"h2",
                              u"h3", u"h4", u"h5", u"h6", u"head", u"header", u"hgroup", u"hr", u"html", u"legend", u"li",
                              u"link", u"listing", u"main", u"menu", u"meta", u"nav", u"noframes", u"noscript", u"ol",
                              u"optgroup", u"option", u"p", u"param", u"plaintext", u"pre", u"script", u"search", u"section",
                              u"source", u"style", u"summary", u"table", u"tbody", u"td", u"template", u"tfoot", u"th",
                              u"thead", u"title", u"tr", u"track", u"ul", u"xmp" });
}

// Whether white space at this edge of a text node is the layout's: the
// sibling beside it (comments aside) is a block, or there is none and its
// parent is one.
bool edgeMeetsBlock(const DOMNode& text, bool before)
{
    const DOMNode* sibling = before ? text.previous() : text.next();
    while (sibling && sibling->nodeType() == DOMNode::COMMENT_NODE)
        sibling = before ? sibling->previous() : sibling->next();
    if (sibling)
        return sibling->nodeType() == DOMNode::ELEMENT_NODE && isBlockBoundary(downcast<DOMElement>(*sibling));
    auto* parent = text.parent();
    return !parent || parent->nodeType() != DOMNode::ELEMENT_NODE || isBlockBoundary(downcast<DOMElement>(*parent));
}

// Flowing text as it renders: each run of white space one space, none at an
// edge that meets a block.
void appendFlowingText(std::u16string& text, const DOMNode& node, std::u16string_view data)
{
    size_t start = text.size();
    bool pendingSpace = false;
    for (char16_t c : data) {
        if (isHTMLWhitespace(c)) {
            pendingSpace = true;
            continue;
        }
        if (pendingSpace && (text.size() > start || !edgeMeetsBlock(node, true)))
            text += u' ';
        pendingSpace = false;
        text += c;
    }
    if (pendingSpace && (text.size() > start ? !edgeMeetsBlock(node, false) : !edgeMeetsBlock(node, true) && !edgeMeetsBlock(node, false)))
        text += u' ';
}

// Marks, in the compared text, where an element starts or ends and where a
// comment stands: text that moves across one is a change. The parser never
// puts U+0000 into a document's text.
constexpr char16_t boundaryMark = 0;
constexpr char16_t commentMark = 1;

struct ElementRecord {
    std::u16string name;
    std::vector<std::pair<std::u16string, std::u16string>> attributes;
    // The number of the element's parent element in document order, from 1;
    // 0 for none.
    size_t parent { 0 };

    bool sameNameAndAttributes(const ElementRecord& other) const { return name == other.name && attributes == other.attributes; }
};

struct DocumentTypeRecord {
    std::u16string name;
    std::u16string publicId;
    std::u16string systemId;

    bool operator==(const DocumentTypeRecord&) const = default;
};

} // namespace

struct VornickComparedContent {
    std::optional<DocumentTypeRecord> doctype;
    std::vector<ElementRecord> elements;
    // The text in document order, flowing text as it renders, with a mark
    // at every element's start and end and around every comment.
    std::u16string text;
};

namespace {

VornickComparedContent contentOf(const DOMDocument& document, char16_t nonBreakingSpaceStandIn = 0)
{
    constexpr char16_t noBreakSpace = 0xA0;
    VornickComparedContent content;
    if (auto doctype = document.doctype())
        content.doctype = DocumentTypeRecord { doctype->name(), doctype->publicId(), doctype->systemId() };
    // An explicit walk: a page may nest deeper than the stack allows
    // recursion. Each level: whether its text is kept as written, and the
    // number of its element (0 for the document).
    struct Level {
        bool keepsWhitespace;
        size_t element;
    };
    std::vector<Level> levels { { false, 0 } };
    const DOMNode* node = document.first();
    while (node) {
        Level level = levels.back();
        if (auto* element = dynamicDowncast<DOMElement>(node)) {
            ElementRecord record { element->nodeName(), {}, level.element };
            for (const auto& attribute : element->attributeList())
                record.attributes.emplace_back(attribute.name, attribute.value);
            std::sort(record.attributes.begin(), record.attributes.end());
            content.elements.push_back(std::move(record));
            content.text += boundaryMark;
            level = { level.keepsWhitespace || keepsWhitespace(*element), content.elements.size() };
        } else if (node->isTextNode() || node->nodeType() == DOMNode::COMMENT_NODE) {
            bool comment = node->nodeType() == DOMNode::COMMENT_NODE;
            const auto& data = downcast<DOMCharacterData>(*node).data();
            size_t start = content.text.size();
            if (comment)
                content.text += commentMark;
            if (level.keepsWhitespace || comment)
                content.text += data;
            else
                appendFlowingText(content.text, *node, data);
            if (comment)
                content.text += commentMark;
            if (nonBreakingSpaceStandIn && !comment)
                std::replace(content.text.begin() + static_cast<ptrdiff_t>(start), content.text.end(), nonBreakingSpaceStandIn, noBreakSpace);
        }
        if (auto* child = node->first()) {
            levels.push_back(level);
            node = child;
            continue;
        }
        if (node->nodeType() == DOMNode::ELEMENT_NODE)
            content.text += boundaryMark;
        while (node && !node->next()) {
            node = node->parent();
            if (node && node != &document) {
                levels.pop_back();
                content.text += boundaryMark;
            } else {
                node = nullptr;
            }
        }
        if (node)
            node = node->next();
    }
    return content;
}

std::string describeDoctype(const std::optional<DocumentTypeRecord>& doctype)
{
    if (!doctype)
        return "none";
    std::string description = "<!DOCTYPE " + toUTF8(doctype->name);
    if (!doctype->publicId.empty())
        description += " PUBLIC \"" + toUTF8(doctype->publicId) + "\"";
    if (!doctype->systemId.empty())
        description += " \"" + toUTF8(doctype->systemId) + "\"";
    return description + ">";
}

std::string describeElement(const ElementRecord& element)
{
    std::string description = "<" + toUTF8(element.name);
    for (const auto& [name, value] : element.attributes)
        description += " " + toUTF8(name) + "=\"" + toUTF8(value) + "\"";
    return description + ">";
}

// The text around an offset, an element's start or end shown as "|".
std::string textAround(const std::u16string& text, size_t offset)
{
    size_t start = offset > 20 ? offset - 20 : 0;
    std::u16string excerpt(std::u16string_view(text).substr(start, 40));
    std::replace(excerpt.begin(), excerpt.end(), boundaryMark, u'|');
    std::erase(excerpt, commentMark);
    return toUTF8(excerpt);
}

std::string describeParent(const std::vector<ElementRecord>& elements, size_t parent)
{
    if (!parent)
        return "the document";
    return fmt::format("element {} ({})", parent, describeElement(elements[parent - 1]));
}

} // namespace

std::shared_ptr<const VornickComparedContent> VornickComparedContentOf(const DOMDocument& document, char16_t nonBreakingSpaceStandIn)
{
    return std::make_shared<const VornickComparedContent>(contentOf(document, nonBreakingSpaceStandIn));
}

std::shared_ptr<const VornickComparedContent> VornickComparedContentOfText(const DecodedDocumentText& text, DocumentTextSyntax syntax)
{
    Error error;
    auto document = DOMDocument::parseDecoded(text, syntax, {}, &error);
    if (!document)
        return nullptr;
    return VornickComparedContentOf(*document);
}

std::optional<std::string> VornickRepairedCopyLoss(const VornickComparedContent& before, const VornickComparedContent& after)
{
    if (before.doctype != after.doctype)
        return fmt::format("the document type {} becomes {}", describeDoctype(before.doctype), describeDoctype(after.doctype));

    auto [originalElement, repairedElement] = std::mismatch(before.elements.begin(), before.elements.end(),
                                                            after.elements.begin(), after.elements.end(),
                                                            [](const auto& a, const auto& b) { return a.sameNameAndAttributes(b); });
    if (originalElement != before.elements.end() || repairedElement != after.elements.end()) {
        size_t index = static_cast<size_t>(originalElement - before.elements.begin());
        if (originalElement == before.elements.end())
            return fmt::format("{} is inserted after the last element", describeElement(*repairedElement));
        if (repairedElement == after.elements.end())
            return fmt::format("element {} ({}) is lost", index + 1, describeElement(*originalElement));
        return fmt::format("element {} ({}) becomes {}", index + 1, describeElement(*originalElement),
                           describeElement(*repairedElement));
    }
    // The same elements in the same order: each keeps its parent, or the
    // repair moved it.
    for (size_t index = 0; index < before.elements.size(); ++index) {
        size_t parent = before.elements[index].parent;
        size_t repairedParent = after.elements[index].parent;
        if (parent != repairedParent)
            return fmt::format("element {} ({}) moves from {} into {}", index + 1, describeElement(before.elements[index]),
                               describeParent(before.elements, parent), describeParent(after.elements, repairedParent));
    }
    if (before.text != after.text) {
        auto [originalText, repairedText] = std::mismatch(before.text.begin(), before.text.end(), after.text.begin(), after.text.end());
        size_t offset = static_cast<size_t>(originalText - before.text.begin());
        return fmt::format("the text \"{}\" becomes \"{}\"", textAround(before.text, offset), textAround(after.text, offset));
    }
    return std::nullopt;
}

std::optional<std::string> VornickRepairedCopyLoss(const DOMDocument& original, const DOMDocument& repaired)
{
    return VornickRepairedCopyLoss(contentOf(original), contentOf(repaired));
}

std::optional<std::string> VornickRepairedCopyLoss(const VornickComparedContent* original, DocumentTextSyntax syntax,
                                                   const std::string& repairedCopyPath)
{
    // XML that is not well-formed has no tree of its own to lose: its
    // repaired copy is the only page there is.
    if (!original)
        return std::nullopt;
    auto bytes = readFile(repairedCopyPath, nullptr, FileReadKind::Document);
    if (!bytes)
        return "the repaired copy cannot be read";
    Error error;
    auto repaired = DOMDocument::parseDecoded(decodeDocumentText(*bytes, syntax), syntax, {}, &error);
    if (!repaired)
        return "the repaired copy cannot be parsed: " + toUTF8(error.localizedDescription());
    return VornickRepairedCopyLoss(*original, contentOf(*repaired));
}

std::optional<std::string> VornickRepairedCopyLoss(const DecodedDocumentText& original, DocumentTextSyntax syntax,
                                                   const std::string& repairedCopyPath)
{
    auto content = VornickComparedContentOfText(original, syntax);
    return VornickRepairedCopyLoss(content.get(), syntax, repairedCopyPath);
}

} // namespace brevanton

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

bool isPreformatted(const DOMElement& element)
{
    const auto& name = element.localName();
    for (const char16_t* preformatted : { u"pre", u"textarea", u"listing", u"xmp", u"plaintext" }) {
        if (equalsIgnoringASCIICase(name, preformatted))
            return true;
    }
    return false;
}

struct ElementRecord {
    std::u16string name;
    std::vector<std::pair<std::u16string, std::u16string>> attributes;

    bool operator==(const ElementRecord&) const = default;
};

// The elements and the text of a document, in document order.
struct Content {
    std::vector<ElementRecord> elements;
    std::u16string text;
};

Content contentOf(const DOMDocument& document)
{
    Content content;
    // An explicit walk: a page may nest deeper than the stack allows recursion.
    std::vector<bool> preformattedAbove { false };
    const DOMNode* node = document.first();
    while (node) {
        bool preformatted = preformattedAbove.back();
        if (auto* element = dynamicDowncast<DOMElement>(node)) {
            ElementRecord record { element->nodeName(), {} };
            for (const auto& attribute : element->attributeList())
                record.attributes.emplace_back(attribute.name, attribute.value);
            std::sort(record.attributes.begin(), record.attributes.end());
            content.elements.push_back(std::move(record));
            preformatted = preformatted || isPreformatted(*element);
        } else if (node->isTextNode() || node->nodeType() == DOMNode::COMMENT_NODE) {
            const auto& data = downcast<DOMCharacterData>(*node).data();
            if (preformatted) {
                content.text += data;
            } else {
                for (char16_t c : data) {
                    if (!isHTMLWhitespace(c))
                        content.text += c;
                }
            }
        }
        if (auto* child = node->first()) {
            preformattedAbove.push_back(preformatted);
            node = child;
            continue;
        }
        while (node && !node->next()) {
            node = node->parent();
            if (node && node != &document)
                preformattedAbove.pop_back();
            else
                node = nullptr;
        }
        if (node)
            node = node->next();
    }
    return content;
}

std::string describeDoctype(const DOMDocumentType* doctype)
{
    if (!doctype)
        return "none";
    std::string description = "<!DOCTYPE " + toUTF8(doctype->name());
    if (!doctype->publicId().empty())
        description += " PUBLIC \"" + toUTF8(doctype->publicId()) + "\"";
    if (!doctype->systemId().empty())
        description += " \"" + toUTF8(doctype->systemId()) + "\"";
    return description + ">";
}

std::string describeElement(const ElementRecord& element)
{
    std::string description = "<" + toUTF8(element.name);
    for (const auto& [name, value] : element.attributes)
        description += " " + toUTF8(name) + "=\"" + toUTF8(value) + "\"";
    return description + ">";
}

std::string textAround(const std::u16string& text, size_t offset)
{
    size_t start = offset > 20 ? offset - 20 : 0;
    return toUTF8(std::u16string_view(text).substr(start, 40));
}

} // namespace

std::optional<std::string> VornickRepairedCopyLoss(const DOMDocument& original, const DOMDocument& repaired)
{
    auto originalDoctype = original.doctype();
    auto repairedDoctype = repaired.doctype();
    auto same = [](const DOMDocumentType* a, const DOMDocumentType* b) {
        return (!a && !b) || (a && b && a->name() == b->name() && a->publicId() == b->publicId() && a->systemId() == b->systemId());
    };
    if (!same(originalDoctype.get(), repairedDoctype.get()))
        return fmt::format("the document type {} becomes {}", describeDoctype(originalDoctype.get()),
                           describeDoctype(repairedDoctype.get()));

    auto before = contentOf(original);
    auto after = contentOf(repaired);
    auto [originalElement, repairedElement] = std::mismatch(before.elements.begin(), before.elements.end(),
                                                            after.elements.begin(), after.elements.end());
    if (originalElement != before.elements.end() || repairedElement != after.elements.end()) {
        size_t index = static_cast<size_t>(originalElement - before.elements.begin());
        if (originalElement == before.elements.end())
            return fmt::format("{} is inserted after the last element", describeElement(*repairedElement));
        if (repairedElement == after.elements.end())
            return fmt::format("element {} ({}) is lost", index + 1, describeElement(*originalElement));
        return fmt::format("element {} ({}) becomes {}", index + 1, describeElement(*originalElement),
                           describeElement(*repairedElement));
    }
    if (before.text != after.text) {
        auto [originalText, repairedText] = std::mismatch(before.text.begin(), before.text.end(), after.text.begin(), after.text.end());
        size_t offset = static_cast<size_t>(originalText - before.text.begin());
        return fmt::format("the text \"{}\" becomes \"{}\"", textAround(before.text, offset), textAround(after.text, offset));
    }
    return std::nullopt;
}

std::optional<std::string> VornickRepairedCopyLoss(const DecodedDocumentText& original, DocumentTextSyntax syntax,
                                                   const std::string& repairedCopyPath)
{
    // XML that is not well-formed has no tree of its own to lose: its
    // repaired copy is the only page there is.
    Error error;
    auto originalDocument = DOMDocument::parseDecoded(original, syntax, {}, &error);
    if (!originalDocument)
        return std::nullopt;
    auto bytes = readFile(repairedCopyPath, nullptr, FileReadKind::Document);
    if (!bytes)
        return "the repaired copy cannot be read";
    auto repaired = DOMDocument::parseDecoded(decodeDocumentText(*bytes, syntax), syntax, {}, &error);
    if (!repaired)
        return "the repaired copy cannot be parsed: " + toUTF8(error.localizedDescription());
    return VornickRepairedCopyLoss(*originalDocument, *repaired);
}

} // namespace brevanton

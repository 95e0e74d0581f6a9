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
    std::u16string text;
};

namespace {

VornickComparedContent contentOf(const DOMDocument& document, char16_t nonBreakingSpaceStandIn = 0)
{
    constexpr char16_t noBreakSpace = 0xA0;
    VornickComparedContent content;
    if (auto doctype = document.doctype())
        content.doctype = DocumentTypeRecord { doctype->name(), doctype->publicId(), doctype->systemId() };
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
            size_t start = content.text.size();
            if (preformatted) {
                content.text += data;
            } else {
                for (char16_t c : data) {
                    if (!isHTMLWhitespace(c))
                        content.text += c;
                }
            }
            if (nonBreakingSpaceStandIn && node->isTextNode())
                std::replace(content.text.begin() + static_cast<ptrdiff_t>(start), content.text.end(), nonBreakingSpaceStandIn, noBreakSpace);
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

std::string textAround(const std::u16string& text, size_t offset)
{
    size_t start = offset > 20 ? offset - 20 : 0;
    return toUTF8(std::u16string_view(text).substr(start, 40));
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

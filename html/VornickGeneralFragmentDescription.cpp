#include "html/VornickGeneralFragmentDescription.h"

#include "dom/VornickNodeExtensions.h"
#include "html/VornickExpressionEvaluator.h"
#include "html/VornickWordPressEditableBlockContentElementsIdentifier.h"
#include "platform/dom/DOMAttr.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickJSONWriter.h"

namespace brevanton {

VornickGeneralFragmentDescription::VornickGeneralFragmentDescription(std::u16string identifier, std::u16string displayName,
                                                                     std::u16string tabTrigger,
                                                                     std::u16string keyboardShortcutShorthand,
                                                                     std::u16string markupString,
                                                                     std::u16string blockSourceString)
    : m_identifier(std::move(identifier))
    , m_displayName(std::move(displayName))
    , m_tabTrigger(std::move(tabTrigger))
    , m_keyboardShortcutShorthand(std::move(keyboardShortcutShorthand))
    , m_markupString(std::move(markupString))
    , m_blockSourceString(std::move(blockSourceString))
{
}

const std::set<std::u16string>& VornickGeneralFragmentDescription::editableContentElementTypes() const
{
    std::call_once(m_editableContentElementTypesRead, [this] {
        m_editableContentElementTypes = VornickWordPressEditableBlockContentElementsIdentifier::editableContentElementTypesInBlockHTMLString(m_markupString);
    });
    return m_editableContentElementTypes;
}

std::u16string VornickGeneralFragmentDescription::summaryForDisplay() const
{
    constexpr size_t maximumLength = 60;
    std::u16string summary;
    bool pendingSpace = false;
    for (char16_t c : m_markupString) {
        if (isHTMLWhitespace(c)) {
            pendingSpace = !summary.empty();
            continue;
        }
        if (pendingSpace)
            summary += u' ';
        pendingSpace = false;
        summary += c;
    }
    if (summary.size() <= maximumLength)
        return summary;
    size_t cut = maximumLength;
    if (isLowSurrogate(summary[cut]))
        --cut;
    summary.resize(cut);
    summary += u'\u2026';
    return summary;
}

std::shared_ptr<DOMDocumentFragment> VornickGeneralFragmentDescription::createDescribedFragmentWithValues(
    const std::map<std::u16string, std::u16string>& values, DOMDocument& document,
    std::optional<VornickFreezeDriedDOMRange>* interiorRange) const
{
    if (interiorRange)
        *interiorRange = std::nullopt;
    // The markup is parsed with its expressions in place and the values go
    // into the parsed text and attribute values, so a value is always text:
    // "<" in a value never becomes markup.
    auto fragment = document.createDocumentFragmentWithMarkupString(m_markupString);
    if (!fragment)
        return nullptr;

    // Per node, the expressions that do not overlap an earlier one (the
    // scanner also reports "{a}b}" beside "{a}").
    std::vector<VornickExpressionOccurrence> occurrences;
    for (auto& occurrence : vornick_findExpressionOccurrencesInTree(fragment)) {
        // "{}" names nothing (it is often part of a block's JSON): it stays as written.
        if (occurrence.range.length <= 2)
            continue;
        if (!occurrences.empty() && occurrences.back().node == occurrence.node
            && occurrence.range.location < occurrences.back().range.location + occurrences.back().range.length)
            continue;
        occurrences.push_back(std::move(occurrence));
    }

    VornickExpressionEvaluator evaluator;
    std::shared_ptr<DOMRange> interior;
    // From the last to the first, so that the ranges still to fill stay where they were.
    for (auto occurrence = occurrences.rbegin(); occurrence != occurrences.rend(); ++occurrence) {
        auto& node = *occurrence->node;
        auto location = static_cast<unsigned>(occurrence->range.location);
        auto length = static_cast<unsigned>(occurrence->range.length);
        std::u16string text;
        if ((node.nodeType() == DOMNode::ATTRIBUTE_NODE))
            text = downcast<DOMAttr>(node).value();
        else
            text = downcast<DOMCharacterData>(node).data();
        std::u16string_view expression = std::u16string_view(text).substr(location, length);
        std::u16string value = evaluator.stringByEvaluatingExpression(expression, values);
        if ((node.nodeType() == DOMNode::ATTRIBUTE_NODE)) {
            text.replace(location, length, value);
            downcast<DOMAttr>(node).setValue(text);
            continue;
        }
        auto& characterData = downcast<DOMCharacterData>(node);
        // In a comment, an expression quoted as a JSON string (a block's
        // attributes) gets the value escaped for JSON, so that a quote in a
        // pasted URL cannot end the string and add attributes.
        if (node.nodeType() == DOMNode::COMMENT_NODE && location > 0 && location + length < text.size() && text[location - 1] == u'"'
            && text[location + length] == u'"')
            value = VornickJSONWriter::stringValueEscapedForJSON(value);
        (void)characterData.replaceData(location, length, value);
        // Where "{content}" stood in the text (the first one: the validator refuses a second).
        if (expression != u"{content}" || !node.isTextNode() || !interiorRange)
            continue;
        interior = DOMRange::create(document);
        auto parent = node.parentNode();
        if (parent && characterData.data() == value) {
            // The text was the expression alone: the interior is the node's place in its parent.
            auto index = static_cast<unsigned>(vornick_indexOfChildNode(*parent, &node));
            if (value.empty())
                parent->removeChild(node.shared_from_this());
            interior->setStart(parent, index);
            interior->setEnd(parent, value.empty() ? index : index + 1);
        } else {
            interior->setStart(node.shared_from_this(), location);
            interior->setEnd(node.shared_from_this(), location + static_cast<unsigned>(value.size()));
        }
    }
    if (interior && interiorRange)
        *interiorRange = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*interior, fragment, false);
    return fragment;
}

} // namespace brevanton

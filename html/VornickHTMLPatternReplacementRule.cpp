#include "html/VornickHTMLPatternReplacementRule.h"

#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "platform/dom/DOMAttr.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMNode.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/Text.h"

#include <cstdio>
#include <fmt/format.h>

namespace brevanton {

static std::vector<std::shared_ptr<DOMElement>> completelyContainedElementsOfKind(const DOMRange& range, std::u16string_view tagName)
{
    std::vector<std::shared_ptr<DOMElement>> elements;
    vornick_enumerateCompletelyContainedElementsWithOptions(range, 0, [&](const std::shared_ptr<DOMElement>& element, bool&) {
        if (equalsIgnoringASCIICase(element->tagName(), tagName))
            elements.push_back(element);
    });
    return elements;
}

// --- Factories.

std::shared_ptr<VornickHTMLPatternReplacementRuleAction> VornickHTMLPatternReplacementRuleAction::addClassToRootElement(std::u16string className)
{
    return std::make_shared<VornickHTMLPatternReplacementRuleAddClassToRootElementAction>(std::move(className));
}

std::shared_ptr<VornickHTMLPatternReplacementRuleAction> VornickHTMLPatternReplacementRuleAction::deleteAttributesFromElementsOfKind(
    std::u16string tagName, const std::set<std::u16string>& attributeNamesToKeep)
{
    return std::make_shared<VornickHTMLPatternReplacementRuleDeleteAttributesFromElementsOfKindAction>(std::move(tagName), attributeNamesToKeep);
}

std::shared_ptr<VornickHTMLPatternReplacementRuleAction> VornickHTMLPatternReplacementRuleAction::deleteElementsOfKind(std::u16string tagName)
{
    return std::make_shared<VornickHTMLPatternReplacementRuleDeleteElementsOfKindAction>(std::move(tagName));
}

std::shared_ptr<VornickHTMLPatternReplacementRuleAction> VornickHTMLPatternReplacementRuleAction::unwrapElementsOfKind(std::u16string tagName)
{
    return std::make_shared<VornickHTMLPatternReplacementRuleUnwrapElementsOfKindAction>(std::move(tagName));
}

std::shared_ptr<VornickHTMLPatternReplacementRuleAction> VornickHTMLPatternReplacementRuleAction::wrapInElement(std::u16string tagName,
                                                                                                            std::u16string classAttributeValue)
{
    return std::make_shared<VornickHTMLPatternReplacementRuleWrapInElementWithClassAction>(std::move(tagName), std::move(classAttributeValue));
}

std::shared_ptr<VornickHTMLPatternReplacementRuleAction> VornickHTMLPatternReplacementRuleAction::wrapInBlockDelimiterComments(
    std::u16string blockStartCommentPrefix, std::optional<std::u16string> propertiesString)
{
    return std::make_shared<VornickHTMLPatternReplacementRuleWrapInBlockDelimiterCommentsAction>(std::move(blockStartCommentPrefix),
                                                                                                 std::move(propertiesString));
}

// --- Add class.

void VornickHTMLPatternReplacementRuleAddClassToRootElementAction::applyToRange(DOMRange& range) const
{
    if (auto element = vornick_firstCompletelyContainedElement(range))
        vornick_addClass(*element, m_className);
}

std::u16string VornickHTMLPatternReplacementRuleAddClassToRootElementAction::description() const
{
    return u"Add class \"" + m_className + u"\" to root element.";
}

// --- Delete attributes.

VornickHTMLPatternReplacementRuleDeleteAttributesFromElementsOfKindAction::VornickHTMLPatternReplacementRuleDeleteAttributesFromElementsOfKindAction(
    std::u16string tagName, const std::set<std::u16string>& attributeNamesToKeep)
    : m_tagName(std::move(tagName))
{
    for (const auto& name : attributeNamesToKeep)
        m_attributeNamesToKeep.insert(asciiLowercase(name));
}

void VornickHTMLPatternReplacementRuleDeleteAttributesFromElementsOfKindAction::applyToRange(DOMRange& range) const
{
    for (const auto& element : completelyContainedElementsOfKind(range, m_tagName)) {
        std::vector<std::u16string> doomed;
        for (unsigned index = 0; index < element->attributeCount(); ++index) {
            std::u16string name = element->attributeNodeAt(index)->name();
            if (!m_attributeNamesToKeep.contains(asciiLowercase(name)))
                doomed.push_back(std::move(name));
        }
        for (const auto& name : doomed)
            element->removeAttribute(name);
    }
}

std::u16string VornickHTMLPatternReplacementRuleDeleteAttributesFromElementsOfKindAction::description() const
{
    std::u16string names;
    for (const auto& name : m_attributeNamesToKeep) {
        if (!names.empty())
            names += u", ";
        names += name;
    }
    return u"Delete attributes from <" + m_tagName + u"> elements, except {(" + names + u")}.";
}

// --- Delete elements.

void VornickHTMLPatternReplacementRuleDeleteElementsOfKindAction::applyToRange(DOMRange& range) const
{
    for (const auto& element : completelyContainedElementsOfKind(range, m_tagName)) {
        if (auto parent = element->parentNode())
            parent->removeChild(element);
    }
}

std::u16string VornickHTMLPatternReplacementRuleDeleteElementsOfKindAction::description() const
{
    return u"Delete <" + m_tagName + u"> elements.";
}

// --- Unwrap.

void VornickHTMLPatternReplacementRuleUnwrapElementsOfKindAction::applyToRange(DOMRange& range) const
{
    auto elements = completelyContainedElementsOfKind(range, m_tagName);
    if (elements.empty())
        return;
    const auto& element = elements.front();
    auto parent = element->parentNode();
    if (!parent)
        return;
    unsigned index = element->index();
    std::vector<std::shared_ptr<DOMNode>> contents;
    for (DOMNode* child = element->first(); child; child = child->next())
        contents.push_back(child->cloneNode(true));
    parent->removeChild(element);
    DOMNode* before = parent->childAt(index);
    for (const auto& node : contents)
        parent->insertBefore(node, before);
    range.setStart(parent, index);
    range.setEnd(parent, index + static_cast<unsigned>(contents.size()));
}

std::u16string VornickHTMLPatternReplacementRuleUnwrapElementsOfKindAction::description() const
{
    return u"Unwrap <" + m_tagName + u"> elements.";
}

// --- Wrap in an element.

void VornickHTMLPatternReplacementRuleWrapInElementWithClassAction::applyToRange(DOMRange& range) const
{
    auto document = vornick_ownerDocument(range);
    if (!document)
        return;
    auto element = document->createElement(m_tagName);
    if (!element)
        return;
    element->setAttribute(u"class", m_classAttributeValue);
    if (auto contents = range.cloneContents())
        element->appendChild(contents);
    range.deleteContents();
    range.insertNode(element);
}

std::u16string VornickHTMLPatternReplacementRuleWrapInElementWithClassAction::description() const
{
    return u"Wrap in <" + m_tagName + u" class=\"" + m_classAttributeValue + u"\">.";
}

// --- Wrap in block delimiter comments.

void VornickHTMLPatternReplacementRuleWrapInBlockDelimiterCommentsAction::applyToRange(DOMRange& range) const
{
    auto document = vornick_ownerDocument(range);
    if (!document)
        return;
    std::u16string startText = u" " + m_blockStartCommentPrefix;
    if (m_propertiesString)
        startText += u" " + *m_propertiesString;
    startText += u" ";

    auto atStart = range.cloneRange();
    atStart->collapse(true);
    atStart->insertNode(document->createComment(std::move(startText)));

    auto atEnd = range.cloneRange();
    atEnd->collapse(false);
    atEnd->insertNode(document->createComment(u" /" + m_blockStartCommentPrefix + u" "));
}

std::u16string VornickHTMLPatternReplacementRuleWrapInBlockDelimiterCommentsAction::description() const
{
    return u"Wrap in <!-- " + m_blockStartCommentPrefix + (m_propertiesString ? u" " + *m_propertiesString : std::u16string()) + u" -->.";
}

// --- Rules.

std::shared_ptr<VornickHTMLPatternReplacementRule> VornickHTMLPatternReplacementRule::ruleWithPattern(
    std::shared_ptr<const VornickHTMLPattern> pattern, Actions actions)
{
    return std::make_shared<VornickHTMLPatternReplacementRule>(std::move(pattern), std::move(actions));
}

VornickHTMLPatternReplacementRule::VornickHTMLPatternReplacementRule(std::shared_ptr<const VornickHTMLPattern> pattern, Actions actions)
    : m_pattern(std::move(pattern))
    , m_actions(std::move(actions))
{
}

bool VornickHTMLPatternReplacementRule::matchAndApplyToNodeSubtree(DOMNode& node) const
{
    // Runs for every element a block-mode paste brings: the pattern is
    // described only when somebody traces the rules.
    if (!m_pattern || !m_pattern->matchNodeSubtree(node)) {
        consoleDebugLog([&] { return u"Node subtree did not match pattern " + (m_pattern ? m_pattern->description() : u"(null)"); });
        return false;
    }
    consoleDebugLog([&] { return u"Node subtree matched pattern " + m_pattern->description(); });
    auto range = vornick_outerRange(node);
    if (!range)
        return false;
    for (const auto& action : m_actions)
        action->applyToRange(*range);
    return true;
}

std::u16string VornickHTMLPatternReplacementRule::description() const
{
    std::u16string actions;
    for (const auto& action : m_actions) {
        if (!actions.empty())
            actions += u", ";
        actions += action->description();
    }
    return u"VornickHTMLPatternReplacementRule(" + toUTF16(fmt::format("{}", static_cast<const void*>(this))) + u") {"
        + (m_pattern ? m_pattern->description() : u"(null)") + u" -> (" + actions + u")}";
}

void VornickHTMLPatternReplacementRuleTable::addRule(std::shared_ptr<const VornickHTMLPatternReplacementRule> rule)
{
    BREVANTON_ASSERT(rule && rule->pattern(), "A replacement rule needs a pattern");
    auto root = rule->pattern()->rootElementKind();
    BREVANTON_ASSERT(root, "Pattern " + toUTF8(rule->pattern()->description()) + " did not produce a unique root element");
    auto& rules = m_rulesByTagName[asciiLowercase(*root)];
    if (rules.empty())
        rules.reserve(4);
    rules.push_back(std::move(rule));
}

bool VornickHTMLPatternReplacementRuleTable::applyFirstMatchingReplacementRuleToElementSubtree(DOMElement& element) const
{
    auto found = m_rulesByTagName.find(asciiLowercase(element.tagName()));
    if (found == m_rulesByTagName.end())
        return false;
    for (const auto& rule : found->second) {
        if (rule->matchAndApplyToNodeSubtree(element))
            return true;
    }
    return false;
}

} // namespace brevanton

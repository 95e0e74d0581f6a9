// Replacement rules: an HTML pattern with an ordered list of actions that
// rewrite a matching subtree in the live DOM (add a class, delete
// attributes, delete or unwrap elements, wrap the subtree in a new element
// or in WordPress block delimiter comments). A rule table files rules by the
// tag name of their pattern's root and applies the first rule that matches.
// Main thread only: the actions change the document.
#pragma once

#include "html/VornickHTMLPattern.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace brevanton {

class DOMElement;
class DOMNode;
class DOMRange;

class VornickHTMLPatternReplacementRuleAction {
public:
    virtual ~VornickHTMLPatternReplacementRuleAction() = default;
    // Rewrites the nodes of `range`; the base does nothing.
    virtual void applyToRange(DOMRange&) const {}
    virtual std::u16string description() const { return u"VornickHTMLPatternReplacementRuleAction"; }

    static std::shared_ptr<VornickHTMLPatternReplacementRuleAction> addClassToRootElement(std::u16string className);
    static std::shared_ptr<VornickHTMLPatternReplacementRuleAction> deleteAttributesFromElementsOfKind(
        std::u16string tagName, const std::set<std::u16string>& attributeNamesToKeep);
    static std::shared_ptr<VornickHTMLPatternReplacementRuleAction> deleteElementsOfKind(std::u16string tagName);
    static std::shared_ptr<VornickHTMLPatternReplacementRuleAction> unwrapElementsOfKind(std::u16string tagName);
    static std::shared_ptr<VornickHTMLPatternReplacementRuleAction> wrapInElement(std::u16string tagName, std::u16string classAttributeValue);
    static std::shared_ptr<VornickHTMLPatternReplacementRuleAction> wrapInBlockDelimiterComments(
        std::u16string blockStartCommentPrefix, std::optional<std::u16string> propertiesString);
};

// Adds a class to the first element completely inside the range.
class VornickHTMLPatternReplacementRuleAddClassToRootElementAction : public VornickHTMLPatternReplacementRuleAction {
public:
    explicit VornickHTMLPatternReplacementRuleAddClassToRootElementAction(std::u16string className) : m_className(std::move(className)) {}
    const std::u16string& className() const { return m_className; }
    void applyToRange(DOMRange&) const override;
    std::u16string description() const override;

private:
    std::u16string m_className;
};

// Removes every attribute but the kept ones (names compared in lower case)
// from the elements of a kind completely inside the range.
class VornickHTMLPatternReplacementRuleDeleteAttributesFromElementsOfKindAction : public VornickHTMLPatternReplacementRuleAction {
public:
    VornickHTMLPatternReplacementRuleDeleteAttributesFromElementsOfKindAction(std::u16string tagName,
                                                                             const std::set<std::u16string>& attributeNamesToKeep);
    const std::u16string& tagName() const { return m_tagName; }
    const std::set<std::u16string>& attributeNamesToKeep() const { return m_attributeNamesToKeep; }
    void applyToRange(DOMRange&) const override;
    std::u16string description() const override;

private:
    std::u16string m_tagName;
    std::set<std::u16string> m_attributeNamesToKeep;
};

// Removes the elements of a kind completely inside the range.
class VornickHTMLPatternReplacementRuleDeleteElementsOfKindAction : public VornickHTMLPatternReplacementRuleAction {
public:
    explicit VornickHTMLPatternReplacementRuleDeleteElementsOfKindAction(std::u16string tagName) : m_tagName(std::move(tagName)) {}
    const std::u16string& tagName() const { return m_tagName; }
    void applyToRange(DOMRange&) const override;
    std::u16string description() const override;

private:
    std::u16string m_tagName;
};

// Replaces the first element of a kind completely inside the range by its
// contents; the range then spans the nodes that took its place.
class VornickHTMLPatternReplacementRuleUnwrapElementsOfKindAction : public VornickHTMLPatternReplacementRuleAction {
public:
    explicit VornickHTMLPatternReplacementRuleUnwrapElementsOfKindAction(std::u16string tagName) : m_tagName(std::move(tagName)) {}
    const std::u16string& tagName() const { return m_tagName; }
    void applyToRange(DOMRange&) const override;
    std::u16string description() const override;

private:
    std::u16string m_tagName;
};

// Moves the range's contents into a new element with a class, which then
// takes their place.
class VornickHTMLPatternReplacementRuleWrapInElementWithClassAction : public VornickHTMLPatternReplacementRuleAction {
public:
    VornickHTMLPatternReplacementRuleWrapInElementWithClassAction(std::u16string tagName, std::u16string classAttributeValue)
        : m_tagName(std::move(tagName)), m_classAttributeValue(std::move(classAttributeValue)) {}
    const std::u16string& tagName() const { return m_tagName; }
    const std::u16string& classAttributeValue() const { return m_classAttributeValue; }
    void applyToRange(DOMRange&) const override;
    std::u16string description() const override;

private:
    std::u16string m_tagName;
    std::u16string m_classAttributeValue;
};

// Puts "<!-- prefix properties -->" before the range and "<!-- /prefix -->"
// after it.
class VornickHTMLPatternReplacementRuleWrapInBlockDelimiterCommentsAction : public VornickHTMLPatternReplacementRuleAction {
public:
    VornickHTMLPatternReplacementRuleWrapInBlockDelimiterCommentsAction(std::u16string blockStartCommentPrefix,
                                                                       std::optional<std::u16string> propertiesString)
        : m_blockStartCommentPrefix(std::move(blockStartCommentPrefix)), m_propertiesString(std::move(propertiesString)) {}
    const std::u16string& blockStartCommentPrefix() const { return m_blockStartCommentPrefix; }
    const std::optional<std::u16string>& propertiesString() const { return m_propertiesString; }
    void applyToRange(DOMRange&) const override;
    std::u16string description() const override;

private:
    std::u16string m_blockStartCommentPrefix;
    std::optional<std::u16string> m_propertiesString;
};

class VornickHTMLPatternReplacementRule {
public:
    using Actions = std::vector<std::shared_ptr<const VornickHTMLPatternReplacementRuleAction>>;

    static std::shared_ptr<VornickHTMLPatternReplacementRule> ruleWithPattern(std::shared_ptr<const VornickHTMLPattern>, Actions);
    VornickHTMLPatternReplacementRule(std::shared_ptr<const VornickHTMLPattern>, Actions);

    const std::shared_ptr<const VornickHTMLPattern>& pattern() const { return m_pattern; }
    const Actions& actions() const { return m_actions; }

    // When the pattern matches `node`, applies every action in order to the
    // range that selects the node; true when it did.
    bool matchAndApplyToNodeSubtree(DOMNode& node) const;

    // "VornickHTMLPatternReplacementRule(0x...) {/pattern/ -> (action, ...)}"
    std::u16string description() const;

private:
    std::shared_ptr<const VornickHTMLPattern> m_pattern;
    Actions m_actions;
};

class VornickHTMLPatternReplacementRuleTable {
public:
    // Files the rule under its pattern's lower-cased root element kind;
    // a pattern without a unique root is an assertion.
    void addRule(std::shared_ptr<const VornickHTMLPatternReplacementRule>);
    // Applies the first rule filed under the element's tag name that matches.
    bool applyFirstMatchingReplacementRuleToElementSubtree(DOMElement&) const;

private:
    std::map<std::u16string, std::vector<std::shared_ptr<const VornickHTMLPatternReplacementRule>>> m_rulesByTagName;
};

} // namespace brevanton

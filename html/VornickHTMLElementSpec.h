// One element of an HTML specification: the children it allows beyond its
// content model, the descendants it forbids, and its attributes (those offered
// first and those required).
#pragma once

#include "html/VornickHTMLAttributeSpec.h"
#include "platform/foundation/Value.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace brevanton {

class VornickHTMLSpec;

class VornickHTMLElementSpec {
public:
    explicit VornickHTMLElementSpec(VornickHTMLSpec* parentHTMLSpec = nullptr) : m_parentHTMLSpec(parentHTMLSpec) {}
    // nullptr when the element object cannot be read.
    static std::shared_ptr<VornickHTMLElementSpec> createWithParentHTMLSpec(VornickHTMLSpec* parent, const Value& properties);

    [[nodiscard]] bool readPropertiesFromDictionary(const Value& properties);

    const std::u16string& tagName() const { return m_tagName; }
    void setTagName(std::u16string tagName) { m_tagName = std::move(tagName); }
    VornickHTMLSpec* parentHTMLSpec() const { return m_parentHTMLSpec; }
    void setParentHTMLSpec(VornickHTMLSpec* spec) { m_parentHTMLSpec = spec; }

    std::u16string briefDescription() const;
    bool isAllowedInDocumentBody() const;
    bool isEmptyElement() const;

    std::vector<std::shared_ptr<VornickHTMLAttributeSpec>> allowedAttributeSpecs() const;
    const std::optional<std::map<std::u16string, std::shared_ptr<VornickHTMLAttributeSpec>>>& allowedAttributes() const
    {
        return m_allowedAttributes;
    }
    const std::optional<std::set<std::u16string>>& otherAllowedChildren() const { return m_otherAllowedChildren; }
    const std::optional<std::set<std::u16string>>& forbiddenDescendants() const { return m_forbiddenDescendants; }
    const std::optional<std::set<std::u16string>>& commonAttributeNames() const { return m_commonAttributeNames; }
    const std::optional<std::set<std::u16string>>& requiredAttributeNames() const { return m_requiredAttributeNames; }

    bool otherAllowedChildrenIncludesElementType(std::u16string_view tagName) const;
    bool descendantElementTypeIsForbiddenForThisElement(std::u16string_view tagName) const;
    bool attributeWithNameIsCommonForThisElement(std::u16string_view name) const;
    bool attributeWithNameIsRequiredForThisElement(std::u16string_view name) const;
    // The element's own specification of the attribute, else the global one.
    std::shared_ptr<VornickHTMLAttributeSpec> attributeSpecForAttributeName(std::u16string_view name) const;
    std::vector<std::u16string> requiredAttributeNamesArray() const;

    // "<tag>" and, when it has attributes, " allowedAttributes=..."
    std::u16string description() const;

private:
    VornickHTMLSpec* m_parentHTMLSpec { nullptr };
    std::u16string m_tagName;
    std::optional<std::set<std::u16string>> m_otherAllowedChildren;
    std::optional<std::set<std::u16string>> m_forbiddenDescendants;
    std::optional<std::map<std::u16string, std::shared_ptr<VornickHTMLAttributeSpec>>> m_allowedAttributes;
    std::optional<std::set<std::u16string>> m_commonAttributeNames;
    std::optional<std::set<std::u16string>> m_requiredAttributeNames;
};

} // namespace brevanton

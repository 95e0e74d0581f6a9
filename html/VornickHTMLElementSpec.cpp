#include "html/VornickHTMLElementSpec.h"

#include "html/VornickHTMLSpec.h"
#include "platform/foundation/Text.h"

namespace brevanton {

std::shared_ptr<VornickHTMLElementSpec> VornickHTMLElementSpec::createWithParentHTMLSpec(VornickHTMLSpec* parent, const Value& properties)
{
    auto spec = std::make_shared<VornickHTMLElementSpec>(parent);
    if (!spec->readPropertiesFromDictionary(properties))
        return nullptr;
    return spec;
}

namespace {

// Adds the strings of the array under `key`; false when the value is not an
// array of strings.
bool readStringSet(const Value& properties, std::u16string_view key, std::optional<std::set<std::u16string>>& set)
{
    const Value* value = properties.find(key);
    if (!value)
        return true;
    if (!value->isArray())
        return false;
    if (!set)
        set.emplace();
    for (const Value& item : value->array()) {
        if (!item.isString())
            return false;
        set->insert(item.string());
    }
    return true;
}

bool contains(const std::optional<std::set<std::u16string>>& set, std::u16string_view name)
{
    return set && set->count(asciiLowercase(name));
}

} // namespace

bool VornickHTMLElementSpec::readPropertiesFromDictionary(const Value& properties)
{
    const Value* tagName = properties.find(u"tagName");
    if (!tagName || !tagName->isString())
        return false;
    m_tagName = tagName->string();

    if (!readStringSet(properties, u"otherAllowedChildren", m_otherAllowedChildren))
        return false;
    if (!readStringSet(properties, u"forbiddenDescendants", m_forbiddenDescendants))
        return false;

    if (const Value* attributes = properties.find(u"allowedAttributes")) {
        if (!attributes->isArray())
            return false;
        if (!m_allowedAttributes)
            m_allowedAttributes.emplace();
        for (const Value& item : attributes->array()) {
            if (item.isString()) {
                if (!m_parentHTMLSpec)
                    return false;
                auto group = m_parentHTMLSpec->attributeSpecsForAttributeGroup(item.string());
                if (!group)
                    return false;
                for (auto& attribute : *group)
                    (*m_allowedAttributes)[attribute->name()] = attribute;
            } else if (item.isDictionary()) {
                auto attribute = VornickHTMLAttributeSpec::createWithProperties(item);
                if (!attribute)
                    return false;
                (*m_allowedAttributes)[asciiLowercase(attribute->name())] = attribute;
            } else
                return false;
        }
    }

    if (!readStringSet(properties, u"commonAttributes", m_commonAttributeNames))
        return false;
    if (!readStringSet(properties, u"requiredAttributes", m_requiredAttributeNames))
        return false;
    return true;
}

std::u16string VornickHTMLElementSpec::briefDescription() const
{
    return m_parentHTMLSpec ? m_parentHTMLSpec->briefDescriptionOfElementWithTagName(m_tagName) : std::u16string();
}

bool VornickHTMLElementSpec::isAllowedInDocumentBody() const
{
    return m_parentHTMLSpec && m_parentHTMLSpec->elementIsAllowedInBody(m_tagName);
}

bool VornickHTMLElementSpec::isEmptyElement() const
{
    return m_parentHTMLSpec && m_parentHTMLSpec->isUsuallyEmptyElement(m_tagName);
}

std::vector<std::shared_ptr<VornickHTMLAttributeSpec>> VornickHTMLElementSpec::allowedAttributeSpecs() const
{
    std::vector<std::shared_ptr<VornickHTMLAttributeSpec>> specs;
    if (m_allowedAttributes) {
        for (auto& [name, spec] : *m_allowedAttributes)
            specs.push_back(spec);
    }
    return specs;
}

bool VornickHTMLElementSpec::otherAllowedChildrenIncludesElementType(std::u16string_view tagName) const
{
    return contains(m_otherAllowedChildren, tagName);
}

bool VornickHTMLElementSpec::descendantElementTypeIsForbiddenForThisElement(std::u16string_view tagName) const
{
    return contains(m_forbiddenDescendants, tagName);
}

bool VornickHTMLElementSpec::attributeWithNameIsCommonForThisElement(std::u16string_view name) const
{
    if (contains(m_commonAttributeNames, name))
        return true;
    return m_parentHTMLSpec && m_parentHTMLSpec->globalAttributeWithNameIsCommon(name);
}

bool VornickHTMLElementSpec::attributeWithNameIsRequiredForThisElement(std::u16string_view name) const
{
    return contains(m_requiredAttributeNames, name);
}

std::shared_ptr<VornickHTMLAttributeSpec> VornickHTMLElementSpec::attributeSpecForAttributeName(std::u16string_view name) const
{
    std::u16string lowercased = asciiLowercase(name);
    if (m_allowedAttributes) {
        auto it = m_allowedAttributes->find(lowercased);
        if (it != m_allowedAttributes->end())
            return it->second;
    }
    return m_parentHTMLSpec ? m_parentHTMLSpec->globalAttributeSpecForAttributeName(lowercased) : nullptr;
}

std::vector<std::u16string> VornickHTMLElementSpec::requiredAttributeNamesArray() const
{
    if (!m_requiredAttributeNames)
        return {};
    return { m_requiredAttributeNames->begin(), m_requiredAttributeNames->end() };
}

std::u16string VornickHTMLElementSpec::description() const
{
    std::u16string text = u"<" + m_tagName + u">";
    if (m_allowedAttributes && !m_allowedAttributes->empty()) {
        text += u" allowedAttributes=(";
        bool first = true;
        for (auto& [name, spec] : *m_allowedAttributes) {
            if (!first)
                text += u", ";
            first = false;
            text += spec->description();
        }
        text += u")";
    }
    return text;
}

} // namespace brevanton

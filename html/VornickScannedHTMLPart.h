// Scanned parts: the nodes that scanner clients build from the scanner's
// events without a DOM. A part knows its range in the scanned string and its
// child parts; start tags know their tag name and attribute assignments.
#pragma once

#include "toolkit/VornickRange.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class VornickScannedHTMLElementStartTag;

class VornickScannedHTMLPart : public std::enable_shared_from_this<VornickScannedHTMLPart> {
public:
    explicit VornickScannedHTMLPart(VornickRange range = {}) : m_range(range) {}
    virtual ~VornickScannedHTMLPart() = default;

    VornickRange range() const;
    void setRange(VornickRange);

    const std::vector<std::shared_ptr<VornickScannedHTMLPart>>& children() const { return m_children; }
    void addChild(std::shared_ptr<VornickScannedHTMLPart> child) { m_children.push_back(std::move(child)); }

    // The first child start tag whose tag name equals `tagName` ignoring case.
    std::shared_ptr<VornickScannedHTMLElementStartTag> firstChildElementOfKind(std::u16string_view tagName) const;

    virtual std::u16string description() const;

private:
    mutable std::mutex m_rangeLock;
    VornickRange m_range;
    std::vector<std::shared_ptr<VornickScannedHTMLPart>> m_children;
};

// One attribute of a start tag: the part's range covers the whole
// assignment; the value is as written, quotes included (none for an
// attribute without a value).
class VornickScannedHTMLAttributeAssignment : public VornickScannedHTMLPart {
public:
    VornickScannedHTMLAttributeAssignment(VornickRange range, std::u16string attributeName,
                                          std::optional<std::u16string> attributeValue, VornickRange attributeValueRange)
        : VornickScannedHTMLPart(range), m_attributeName(std::move(attributeName))
        , m_attributeValue(std::move(attributeValue)), m_attributeValueRange(attributeValueRange)
    {
    }

    const std::u16string& attributeName() const { return m_attributeName; }
    const std::optional<std::u16string>& attributeValue() const { return m_attributeValue; }
    VornickRange attributeValueRange() const { return m_attributeValueRange; }
    // The value with every quote character at both ends trimmed.
    std::optional<std::u16string> attributeValueWithoutQuotes() const;

    // name="value", or the name alone.
    std::u16string description() const override;

private:
    std::u16string m_attributeName;
    std::optional<std::u16string> m_attributeValue;
    VornickRange m_attributeValueRange;
};

class VornickScannedHTMLElementStartTag : public VornickScannedHTMLPart {
public:
    VornickScannedHTMLElementStartTag(VornickRange range, std::u16string tagName,
                                      std::vector<std::shared_ptr<VornickScannedHTMLAttributeAssignment>> attributeAssignments)
        : VornickScannedHTMLPart(range), m_tagName(std::move(tagName)), m_attributeAssignments(std::move(attributeAssignments))
    {
    }

    const std::u16string& tagName() const { return m_tagName; }
    const std::vector<std::shared_ptr<VornickScannedHTMLAttributeAssignment>>& attributeAssignments() const { return m_attributeAssignments; }
    std::shared_ptr<VornickScannedHTMLAttributeAssignment> firstAssignmentOfAttribute(std::u16string_view name) const;

    // "<tag a="1" b>"
    std::u16string description() const override;

private:
    std::u16string m_tagName;
    std::vector<std::shared_ptr<VornickScannedHTMLAttributeAssignment>> m_attributeAssignments;
};

// The start comment of a block ("<!-- wp:type {...} -->").
class VornickScannedHTMLBlockStartComment : public VornickScannedHTMLPart {
public:
    VornickScannedHTMLBlockStartComment(VornickRange range, std::u16string typeName)
        : VornickScannedHTMLPart(range), m_typeName(std::move(typeName))
    {
    }

    const std::u16string& typeName() const { return m_typeName; }
    // The text between "<!--" and "-->"; not found for a range too short to hold both.
    VornickRange innerRange() const;
    std::u16string description() const override;

private:
    std::u16string m_typeName;
};

} // namespace brevanton

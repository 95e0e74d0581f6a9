// One attribute of an HTML specification: its name and the kind of value it
// takes, which selects the attribute validator.
#pragma once

#include "platform/foundation/Value.h"

#include <memory>
#include <string>

namespace brevanton {

using VornickHTMLAttributeValueKind = std::u16string;

class VornickHTMLAttributeSpec {
public:
    VornickHTMLAttributeSpec() = default;
    VornickHTMLAttributeSpec(std::u16string name, VornickHTMLAttributeValueKind valueKind)
        : m_name(std::move(name)), m_valueKind(std::move(valueKind)) {}

    // nullptr unless "name" and "valueKind" are both strings.
    static std::shared_ptr<VornickHTMLAttributeSpec> createWithProperties(const Value& properties);

    const std::u16string& name() const { return m_name; }
    void setName(std::u16string name) { m_name = std::move(name); }
    const VornickHTMLAttributeValueKind& valueKind() const { return m_valueKind; }
    void setValueKind(VornickHTMLAttributeValueKind kind) { m_valueKind = std::move(kind); }

    // "name (valueKind)"
    std::u16string description() const;

private:
    std::u16string m_name;
    VornickHTMLAttributeValueKind m_valueKind;
};

} // namespace brevanton

#include "html/VornickHTMLAttributeSpec.h"

namespace brevanton {

std::shared_ptr<VornickHTMLAttributeSpec> VornickHTMLAttributeSpec::createWithProperties(const Value& properties)
{
    const Value* name = properties.find(u"name");
    const Value* valueKind = properties.find(u"valueKind");
    if (!name || !name->isString() || !valueKind || !valueKind->isString())
        return nullptr;
    return std::make_shared<VornickHTMLAttributeSpec>(name->string(), valueKind->string());
}

std::u16string VornickHTMLAttributeSpec::description() const
{
    return m_name + u" (" + m_valueKind + u")";
}

} // namespace brevanton

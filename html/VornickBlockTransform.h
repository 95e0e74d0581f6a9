// VornickBlockTransform: a block type that another can be turned into, and
// the kind of element that holds the content to carry over ("" when none).
#pragma once

#include <string>

namespace brevanton {

class VornickBlockTransform {
public:
    VornickBlockTransform(std::u16string fromBlockType, std::u16string toBlockType, std::u16string fromBlockContainerElementKind)
        : m_fromBlockType(std::move(fromBlockType))
        , m_toBlockType(std::move(toBlockType))
        , m_fromBlockContainerElementKind(std::move(fromBlockContainerElementKind)) {}
    static VornickBlockTransform transformFromBlockType(std::u16string from, std::u16string to, std::u16string containerKind)
    {
        return VornickBlockTransform(std::move(from), std::move(to), std::move(containerKind));
    }

    const std::u16string& fromBlockType() const { return m_fromBlockType; }
    const std::u16string& toBlockType() const { return m_toBlockType; }
    const std::u16string& fromBlockContainerElementKind() const { return m_fromBlockContainerElementKind; }

    friend bool operator==(const VornickBlockTransform&, const VornickBlockTransform&) = default;

private:
    std::u16string m_fromBlockType;
    std::u16string m_toBlockType;
    std::u16string m_fromBlockContainerElementKind;
};

} // namespace brevanton

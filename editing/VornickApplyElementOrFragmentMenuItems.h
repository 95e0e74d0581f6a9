// The items of the apply menus: one applies an element (by its
// specification), the other a snippet, with the way it applies (1 insert or
// wrap, 2 transform the selected block into the snippet's block type).
#pragma once

#include "platform/views/Menu.h"

#include <memory>

namespace brevanton {

class VornickFragmentDescription;
class VornickHTMLElementSpec;

class VornickApplyElementSpecMenuItem : public MenuItem {
public:
    VornickApplyElementSpecMenuItem(std::u16string title, std::shared_ptr<VornickHTMLElementSpec> spec)
        : MenuItem(std::move(title), "vornick_invokeElementFromMenuItem:", {})
        , m_elementSpec(std::move(spec))
    {
    }
    const std::shared_ptr<VornickHTMLElementSpec>& elementSpec() const { return m_elementSpec; }

private:
    std::shared_ptr<VornickHTMLElementSpec> m_elementSpec;
};

class VornickApplyFragmentMenuItem : public MenuItem {
public:
    static constexpr long applySemantic = 1;
    static constexpr long transformSemantic = 2;

    VornickApplyFragmentMenuItem(std::u16string title, std::shared_ptr<const VornickFragmentDescription> description, long semantic)
        : MenuItem(std::move(title), semantic == transformSemantic ? "vornick_transformFragmentFromMenuItem:" : "vornick_invokeFragmentFromMenuItem:", {})
        , m_fragmentDescription(std::move(description))
        , m_semantic(semantic)
    {
    }
    const std::shared_ptr<const VornickFragmentDescription>& fragmentDescription() const { return m_fragmentDescription; }
    long semantic() const { return m_semantic; }

private:
    std::shared_ptr<const VornickFragmentDescription> m_fragmentDescription;
    long m_semantic;
};

} // namespace brevanton

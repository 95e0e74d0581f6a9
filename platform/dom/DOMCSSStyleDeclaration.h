// DOMCSSStyleDeclaration: an element's inline style, read from and written
// back to its "style" attribute. Declarations keep their order and priority;
// setting an existing property keeps its place.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class DOMElement;

class DOMCSSStyleDeclaration {
public:
    struct Declaration {
        std::u16string name;
        std::u16string value;
        bool important { false };
    };

    // A declaration block not tied to an element.
    DOMCSSStyleDeclaration() = default;
    explicit DOMCSSStyleDeclaration(DOMElement* owner)
        : m_owner(owner)
    {
    }

    unsigned length() const;
    // The property name at `index`, "" past the end.
    std::u16string item(unsigned index) const;
    std::u16string getPropertyValue(std::u16string_view name) const;
    // "important" or "".
    std::u16string getPropertyPriority(std::u16string_view name) const;
    // An empty value removes the property. Priority is "important" or "".
    void setProperty(std::u16string_view name, std::u16string_view value, std::u16string_view priority = {});
    // The old value.
    std::u16string removeProperty(std::u16string_view name);
    std::u16string cssText() const;
    void setCssText(std::u16string_view);
    const std::vector<Declaration>& declarations() const;

    // Parses a declaration list ("a: b; c: d !important"); malformed
    // declarations are skipped.
    static std::vector<Declaration> parseDeclarations(std::u16string_view);
    static std::u16string serializeDeclarations(const std::vector<Declaration>&);

    // Internal: the owner's style attribute changed or the owner went away.
    void attributeChanged(const std::u16string* value);
    void ownerDestroyed() { m_owner = nullptr; }

private:
    void commit();
    int find(std::u16string_view name) const;

    DOMElement* m_owner { nullptr };
    std::vector<Declaration> m_declarations;
    bool m_updatingAttribute { false };
};

} // namespace brevanton

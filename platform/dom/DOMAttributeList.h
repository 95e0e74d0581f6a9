// DOMAttributeList: an element's attributes in one out-of-line block (a
// pointer in the element, nothing at all for elements without attributes).
// The block also leads to the element's inline style declaration and a
// TEMPLATE element's contents, once made.
#pragma once

#include "platform/dom/DOMQualifiedName.h"

#include <cstdint>
#include <memory>
#include <string>

namespace brevanton {

class DOMAttr;
class DOMCSSStyleDeclaration;
class DOMDocumentFragment;

class DOMAttributeList {
public:
    struct Attribute {
        std::u16string name; // the qualified name
        std::u16string value;
        std::shared_ptr<DOMAttr> node; // made on demand
        // Namespace, prefix and local name as the parser or the caller gave
        // them; null for an attribute in no namespace whose local name is `name`.
        const DOMQualifiedName* namespacedName { nullptr };

        std::u16string_view namespaceURI() const { return namespacedName ? namespacedName->namespaceURI : std::u16string_view(); }
        std::u16string_view prefix() const { return namespacedName ? namespacedName->prefix : std::u16string_view(); }
        std::u16string_view localName() const { return namespacedName ? namespacedName->localName : std::u16string_view(name); }
    };

    DOMAttributeList() = default;
    DOMAttributeList(const DOMAttributeList&) = delete;
    DOMAttributeList& operator=(const DOMAttributeList&) = delete;
    ~DOMAttributeList();

    size_t size() const { return m_block ? m_block->size : 0; }
    bool empty() const { return !size(); }
    Attribute& operator[](size_t index) { return items()[index]; }
    const Attribute& operator[](size_t index) const { return items()[index]; }
    Attribute* begin() { return m_block ? items() : nullptr; }
    Attribute* end() { return begin() + size(); }
    const Attribute* begin() const { return m_block ? items() : nullptr; }
    const Attribute* end() const { return begin() + size(); }

    void reserve(size_t capacity);
    void push_back(Attribute&&);
    // Appends an attribute made in place from copies of `name` and `value`.
    void append(std::u16string_view name, std::u16string_view value, const DOMQualifiedName* namespacedName);
    void erase(size_t index);

    std::shared_ptr<DOMCSSStyleDeclaration>& style();
    DOMCSSStyleDeclaration* existingStyle() const { return m_block && m_block->extras ? m_block->extras->style.get() : nullptr; }
    std::shared_ptr<DOMDocumentFragment>& templateContent();
    DOMDocumentFragment* existingTemplateContent() const
    {
        return m_block && m_block->extras ? m_block->extras->templateContent.get() : nullptr;
    }

private:
    // What few elements have, made on first use.
    struct Extras {
        std::shared_ptr<DOMCSSStyleDeclaration> style;
        std::shared_ptr<DOMDocumentFragment> templateContent;
    };
    struct Block {
        uint32_t size { 0 };
        uint32_t capacity : 31 { 0 };
        // Made by a parser in its node arena (DOMNodeArena.h).
        uint32_t inNodeArena : 1 { 0 };
        std::unique_ptr<Extras> extras;
    };
    static void freeBlock(Block*);
    Extras& extras();
    Attribute* items() const { return reinterpret_cast<Attribute*>(m_block + 1); }

    Block* m_block { nullptr };
};

} // namespace brevanton

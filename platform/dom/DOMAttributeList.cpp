#include "platform/dom/DOMAttributeList.h"

#include "platform/dom/DOMAttr.h"
#include "platform/dom/DOMCSSStyleDeclaration.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMNodeArena.h"

#include <new>

namespace brevanton {

static_assert(alignof(DOMAttributeList::Attribute) <= 8, "attributes follow the block header");

DOMAttributeList::~DOMAttributeList()
{
    if (!m_block)
        return;
    for (size_t i = 0; i < m_block->size; ++i)
        items()[i].~Attribute();
    freeBlock(m_block);
}

void DOMAttributeList::freeBlock(Block* block)
{
    bool inNodeArena = block->inNodeArena;
    block->~Block();
    if (inNodeArena)
        DOMNodeArena::releaseBytes(block);
    else
        ::operator delete(block);
}

void DOMAttributeList::reserve(size_t capacity)
{
    if (m_block && m_block->capacity >= capacity)
        return;
    size_t size = sizeof(Block) + capacity * sizeof(Attribute);
    void* memory = DOMNodeArena::allocateBytes(size);
    bool inNodeArena = memory;
    if (!memory)
        memory = ::operator new(size);
    auto* block = new (memory) Block;
    block->capacity = static_cast<uint32_t>(capacity);
    block->inNodeArena = inNodeArena;
    auto* target = reinterpret_cast<Attribute*>(block + 1);
    if (m_block) {
        block->size = m_block->size;
        block->extras = std::move(m_block->extras);
        for (size_t i = 0; i < m_block->size; ++i) {
            new (&target[i]) Attribute(std::move(items()[i]));
            items()[i].~Attribute();
        }
        freeBlock(m_block);
    }
    m_block = block;
}

void DOMAttributeList::push_back(Attribute&& attribute)
{
    if (!m_block || m_block->size == m_block->capacity)
        reserve(m_block && m_block->capacity ? m_block->capacity * 2 : 1);
    new (&items()[m_block->size]) Attribute(std::move(attribute));
    ++m_block->size;
}

void DOMAttributeList::append(std::u16string_view name, std::u16string_view value, const DOMQualifiedName* namespacedName)
{
    if (!m_block || m_block->size == m_block->capacity)
        reserve(m_block && m_block->capacity ? m_block->capacity * 2 : 1);
    new (&items()[m_block->size]) Attribute { std::u16string(name), std::u16string(value), nullptr, namespacedName };
    ++m_block->size;
}

void DOMAttributeList::erase(size_t index)
{
    auto* list = items();
    for (size_t i = index; i + 1 < m_block->size; ++i)
        list[i] = std::move(list[i + 1]);
    list[m_block->size - 1].~Attribute();
    --m_block->size;
}

DOMAttributeList::Extras& DOMAttributeList::extras()
{
    if (!m_block)
        reserve(0);
    if (!m_block->extras)
        m_block->extras = std::make_unique<Extras>();
    return *m_block->extras;
}

std::shared_ptr<DOMDocumentFragment>& DOMAttributeList::templateContent()
{
    return extras().templateContent;
}

std::shared_ptr<DOMCSSStyleDeclaration>& DOMAttributeList::style()
{
    return extras().style;
}

} // namespace brevanton

#include "platform/dom/DOMParsing.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMControlCharacters.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/GumboInputGuard.h"
#include "platform/dom/HTMLTreeBuilder.h"
#include "platform/foundation/Text.h"

#include <gumbo.h>

#if defined(__SANITIZE_ADDRESS__)
#define BREVANTON_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BREVANTON_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(BREVANTON_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <bitset>
#include <cstdlib>
#include <cstring>
#include <unordered_set>
#include <vector>

namespace brevanton {

void appendUTF8AsUTF16(std::u16string& into, const char* bytes, size_t length)
{
    size_t start = into.size();
    into.resize(start + length);
    char16_t* out = into.data() + start;
    auto* p = reinterpret_cast<const unsigned char*>(bytes);
    auto* end = p + length;
    while (p < end) {
        unsigned c = *p;
        if (c < 0x80) {
            *out++ = static_cast<char16_t>(c);
            ++p;
            continue;
        }
        unsigned codePoint = 0xFFFD;
        size_t need = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            need = 1;
            codePoint = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            need = 2;
            codePoint = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            need = 3;
            codePoint = c & 0x07;
        }
        ++p;
        bool valid = need > 0 && static_cast<size_t>(end - p) >= need;
        for (size_t i = 0; valid && i < need; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                valid = false;
            else
                codePoint = (codePoint << 6) | (p[i] & 0x3F);
        }
        if (valid && ((need == 2 && (codePoint < 0x800 || (codePoint >= 0xD800 && codePoint <= 0xDFFF)))
                      || (need == 3 && (codePoint < 0x10000 || codePoint > 0x10FFFF))))
            valid = false;
        if (!valid) {
            *out++ = 0xFFFD;
            continue;
        }
        p += need;
        if (codePoint >= 0x10000) {
            codePoint -= 0x10000;
            *out++ = static_cast<char16_t>(0xD800 + (codePoint >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
        } else
            *out++ = static_cast<char16_t>(codePoint);
    }
    into.resize(out - into.data());
}

namespace {

// Under the address sanitizer, memory carved from a block is poisoned until
// it is handed out and again once released, so stray uses are reported.
void poison(const void* address, size_t size)
{
#if defined(BREVANTON_ADDRESS_SANITIZER)
    ASAN_POISON_MEMORY_REGION(address, size);
#else
    (void)address;
    (void)size;
#endif
}

void unpoison(const void* address, size_t size)
{
#if defined(BREVANTON_ADDRESS_SANITIZER)
    ASAN_UNPOISON_MEMORY_REGION(address, size);
#else
    (void)address;
    (void)size;
#endif
}

const char16_t* namespaceForGumbo(GumboNamespaceEnum ns)
{
    switch (ns) {
    case GUMBO_NAMESPACE_SVG:
        return SVGNamespace;
    case GUMBO_NAMESPACE_MATHML:
        return MathMLNamespace;
    default:
        return XHTMLNamespace;
    }
}

// Gumbo's memory: its many small allocations are carved in order from
// blocks, each counting what it holds still, and a block goes back to malloc
// when the last of its allocations is freed. The tree builder frees gumbo's
// nodes in document order, about the order they were made in, so blocks empty
// and go as the DOM grows; gumbo's own parse, and the freeing, cost little
// more than moving a pointer and counting.
class GumboAllocator {
public:
    GumboAllocator() = default;
    GumboAllocator(const GumboAllocator&) = delete;
    GumboAllocator& operator=(const GumboAllocator&) = delete;
    ~GumboAllocator()
    {
        while (m_blocks)
            unlinkAndFree(m_blocks);
    }

    void* allocate(size_t size)
    {
        size_t need = sizeof(Header) + ((size + alignment - 1) & ~(alignment - 1));
        if (need > largestCarved) {
            auto* header = static_cast<Header*>(std::malloc(need));
            if (!header)
                return nullptr;
            header->block = nullptr;
            return header + 1;
        }
        if (!m_current || static_cast<size_t>(m_end - m_next) < need) {
            if (!startBlock())
                return nullptr;
        }
        auto* header = reinterpret_cast<Header*>(m_next);
        unpoison(header, need);
        m_next += need;
        header->block = m_current;
#if defined(BREVANTON_ADDRESS_SANITIZER)
        header->size = need;
#endif
        ++m_current->live;
        return header + 1;
    }

    // Frees what allocate() gave, whichever parse it belongs to.
    static void release(void* pointer)
    {
        if (!pointer)
            return;
        auto* header = static_cast<Header*>(pointer) - 1;
        Block* block = header->block;
        if (!block) {
            std::free(header);
            return;
        }
#if defined(BREVANTON_ADDRESS_SANITIZER)
        poison(header, header->size);
#endif
        if (!--block->live && block != block->owner->m_current)
            block->owner->unlinkAndFree(block);
    }

private:
    // Gumbo's structures hold pointers and integers at most: 8 bytes of
    // alignment, and a header of one pointer, keep its small allocations small.
    static constexpr size_t alignment = 8;
    static constexpr size_t firstBlockSize = 32 << 10;
    static constexpr size_t largestBlockSize = 1 << 20;
    static constexpr size_t largestCarved = 16 << 10;

    struct Block {
        GumboAllocator* owner;
        Block* previous;
        Block* next;
        size_t live;
    };
    struct Header {
        Block* block; // null: allocated on its own
#if defined(BREVANTON_ADDRESS_SANITIZER)
        size_t size;
#endif
    };

    bool startBlock()
    {
        auto* block = static_cast<Block*>(std::malloc(m_blockSize));
        if (!block)
            return false;
        *block = { this, nullptr, m_blocks, 0 };
        if (m_blocks)
            m_blocks->previous = block;
        m_blocks = block;
        // The block it replaces goes now if nothing in it lives, else with its last allocation.
        if (m_current && !m_current->live)
            unlinkAndFree(m_current);
        m_current = block;
        m_next = reinterpret_cast<char*>(block + 1);
        m_end = reinterpret_cast<char*>(block) + m_blockSize;
        poison(m_next, static_cast<size_t>(m_end - m_next));
        m_blockSize = std::min(m_blockSize * 2, largestBlockSize);
        return true;
    }

    void unlinkAndFree(Block* block)
    {
        if (block->previous)
            block->previous->next = block->next;
        else
            m_blocks = block->next;
        if (block->next)
            block->next->previous = block->previous;
        if (block == m_current)
            m_current = nullptr;
        std::free(block);
    }

    Block* m_blocks { nullptr };
    Block* m_current { nullptr };
    char* m_next { nullptr };
    char* m_end { nullptr };
    size_t m_blockSize { firstBlockSize };
};

// One gumbo parse. The tree builder releases gumbo's nodes one by one as it
// converts them, so that gumbo's tree and ours are never both whole in
// memory; what it has not released goes with the parse.
class GumboParse {
public:
    GumboParse(GumboOptions options, std::string_view markup)
        : m_options(options)
    {
        m_options.userdata = &m_allocator;
        m_options.allocator = [](void* allocator, size_t size) {
            return static_cast<GumboAllocator*>(allocator)->allocate(size);
        };
        m_options.deallocator = [](void*, void* pointer) { GumboAllocator::release(pointer); };
        m_options.max_errors = 0;
        m_output = gumbo_parse_with_options(&m_options, markup.data(), markup.size());
    }
    GumboParse(const GumboParse&) = delete;
    GumboParse& operator=(const GumboParse&) = delete;
    ~GumboParse()
    {
        if (m_output)
            gumbo_destroy_output(&m_options, m_output);
    }

    GumboOutput* output() const { return m_output; }

private:
    GumboAllocator m_allocator;
    GumboOptions m_options;
    GumboOutput* m_output { nullptr };
};

// Frees what `node` holds but its child nodes, then the node.
void releaseGumboNode(GumboNode* node)
{
    switch (node->type) {
    case GUMBO_NODE_ELEMENT:
    case GUMBO_NODE_TEMPLATE: {
        auto& attributes = node->v.element.attributes;
        for (unsigned i = 0; i < attributes.length; ++i) {
            auto* attribute = static_cast<GumboAttribute*>(attributes.data[i]);
            GumboAllocator::release(const_cast<char*>(attribute->name));
            GumboAllocator::release(const_cast<char*>(attribute->value));
            GumboAllocator::release(attribute);
        }
        GumboAllocator::release(attributes.data);
        GumboAllocator::release(node->v.element.children.data);
        break;
    }
    case GUMBO_NODE_TEXT:
    case GUMBO_NODE_WHITESPACE:
    case GUMBO_NODE_CDATA:
    case GUMBO_NODE_COMMENT:
        GumboAllocator::release(const_cast<char*>(node->v.text.text));
        break;
    case GUMBO_NODE_DOCUMENT:
        return; // released with the parse
    }
    GumboAllocator::release(node);
}

void releaseGumboSubtree(GumboNode* root)
{
    std::vector<GumboNode*> pending { root };
    while (!pending.empty()) {
        auto* node = pending.back();
        pending.pop_back();
        if (node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE) {
            auto& children = node->v.element.children;
            for (unsigned i = 0; i < children.length; ++i)
                pending.push_back(static_cast<GumboNode*>(children.data[i]));
        }
        releaseGumboNode(node);
    }
}

class GumboTreeBuilder {
public:
    GumboTreeBuilder(DOMDocument& document, const GumboGuardedInput& guarded, std::string_view markup)
        : m_handle(document.documentHandle())
        , m_guarded(&guarded)
        , m_markup(markup.data())
    {
        m_knownNames.fill(nullptr);
    }

    // Appends the children of `source` to `target`, releasing gumbo's nodes
    // under `source` as they are converted (`source` keeps no children).
    void buildChildren(GumboNode* source, DOMNode& target)
    {
        struct Item {
            GumboNode* node;
            DOMNode* parent;
            unsigned depth;
            bool inTemplateContent;
        };
        std::vector<Item> stack;
        auto pushChildren = [&](GumboVector& children, DOMNode* parent, unsigned depth, bool inTemplateContent) {
            stack.reserve(stack.size() + children.length);
            for (unsigned i = children.length; i > 0; --i)
                stack.push_back({ static_cast<GumboNode*>(children.data[i - 1]), parent, depth, inTemplateContent });
            children.length = 0;
        };
        pushChildren(childrenOf(source), &target, 1, false);
        GumboNode* current = nullptr;
        try {
            while (!stack.empty()) {
                auto item = stack.back();
                stack.pop_back();
                current = item.node;
                convert(item.node, *item.parent, item.depth, item.inTemplateContent, pushChildren);
                releaseGumboNode(item.node);
                current = nullptr;
            }
        } catch (...) {
            if (current)
                releaseGumboSubtree(current);
            for (auto& item : stack)
                releaseGumboSubtree(item.node);
            throw;
        }
        flushText();
        if (auto* document = target.document())
            document->treeWasBuilt(target);
    }

    // The elements that may load something, in document order (a template's contents left out).
    std::vector<DOMElement*> takeLoadingElements() { return std::move(m_loadingElements); }
    // The units from U+0080 up of the text nodes built (a template's contents left out).
    std::unique_ptr<std::bitset<0x10000>> takeTextUnits() { return std::move(m_textUnits); }
    // Elements nested deeper than the cap were flattened into the one at it.
    bool flattenedNesting() const { return m_flattenedNesting; }

private:
    static bool isLoadingElement(const DOMElement& element)
    {
        const auto& name = element.qualifiedName();
        if (!name.isHTML)
            return false;
        const auto& n = name.localName;
        return n == u"link" || n == u"style" || n == u"img" || n == u"iframe" || n == u"frame";
    }

    // Nodes are made in the parsed document; a template's contents belong to
    // another document and go in through the general insertion, which adopts them.
    template<typename PushChildren>
    void convert(GumboNode* node, DOMNode& parent, unsigned depth, bool inTemplateContent, PushChildren& pushChildren)
    {
        switch (node->type) {
        case GUMBO_NODE_ELEMENT:
        case GUMBO_NODE_TEMPLATE: {
            if (depth > DOMMaximumNestingDepth) {
                // Too deep: the content joins the element at the cap.
                m_flattenedNesting = true;
                pushChildren(node->v.element.children, &parent, depth, inTemplateContent);
                break;
            }
            auto element = makeElement(node->v.element);
            auto* raw = element.get();
            insert(parent, std::move(element), inTemplateContent);
            if (!inTemplateContent && isLoadingElement(*raw))
                m_loadingElements.push_back(raw);
            // A template's children form its contents.
            DOMNode* childParent = raw;
            if (node->type == GUMBO_NODE_TEMPLATE) {
                childParent = raw->content().get();
                inTemplateContent = true;
            }
            pushChildren(node->v.element.children, childParent, depth + 1, inTemplateContent);
            break;
        }
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
        case GUMBO_NODE_CDATA: {
            // Adjacent character runs form one text node, collected before it is inserted.
            auto& text = node->v.text.text;
            if (m_pendingParent != &parent) {
                flushText();
                m_pendingParent = &parent;
                m_pendingInTemplateContent = inTemplateContent;
            }
            appendUTF8AsUTF16(m_pendingText, text, std::strlen(text));
            break;
        }
        case GUMBO_NODE_COMMENT: {
            std::u16string data;
            appendUTF8AsUTF16(data, node->v.text.text, std::strlen(node->v.text.text));
            insert(parent, std::make_shared<DOMComment>(m_handle, std::move(data)), inTemplateContent);
            break;
        }
        case GUMBO_NODE_DOCUMENT:
            break;
        }
    }

    void insert(DOMNode& parent, std::shared_ptr<DOMNode> child, bool inTemplateContent)
    {
        flushText();
        if (inTemplateContent)
            parent.insertChild(child, nullptr);
        else
            parent.appendParsedChild(std::move(child));
    }

    void noteTextUnits(std::u16string_view text)
    {
        // Four units at a time while they are ASCII, as most text is.
        const char16_t* units = text.data();
        size_t i = 0;
        while (i < text.size()) {
            uint64_t block;
            if (i + 4 <= text.size()) {
                std::memcpy(&block, units + i, sizeof block);
                if (!(block & 0xFF80FF80FF80FF80ull)) {
                    i += 4;
                    continue;
                }
            }
            if (units[i] >= 0x80)
                m_textUnits->set(units[i]);
            ++i;
        }
    }

    void flushText()
    {
        if (!m_pendingParent)
            return;
        auto* parent = m_pendingParent;
        m_pendingParent = nullptr;
        if (!m_pendingInTemplateContent)
            noteTextUnits(m_pendingText);
        if (auto* last = parent->last(); last && last->nodeType() == DOMNode::TEXT_NODE) {
            downcast<DOMText>(last)->appendData(m_pendingText);
            m_pendingText.clear();
            return;
        }
        auto text = std::make_shared<DOMText>(m_handle, std::move(m_pendingText));
        m_pendingText = {};
        if (m_pendingInTemplateContent)
            parent->insertChild(text, nullptr);
        else
            parent->appendParsedChild(std::move(text));
    }

    static GumboVector& childrenOf(GumboNode* node)
    {
        return node->type == GUMBO_NODE_DOCUMENT ? node->v.document.children : node->v.element.children;
    }

    const DOMQualifiedName* nameFor(const GumboElement& element)
    {
        const char16_t* ns = namespaceForGumbo(element.tag_namespace);
        if (element.tag != GUMBO_TAG_UNKNOWN && element.tag < GUMBO_TAG_LAST) {
            size_t slot = static_cast<size_t>(element.tag) * 3 + element.tag_namespace;
            if (slot < m_knownNames.size()) {
                if (!m_knownNames[slot]) {
                    std::u16string localName = toUTF16(gumbo_normalized_tagname(element.tag));
                    if (element.tag_namespace == GUMBO_NAMESPACE_SVG) {
                        GumboStringPiece piece { gumbo_normalized_tagname(element.tag),
                                                 std::strlen(gumbo_normalized_tagname(element.tag)) };
                        if (const char* adjusted = gumbo_normalize_svg_tagname(&piece))
                            localName = toUTF16(adjusted);
                    }
                    m_knownNames[slot] = DOMQualifiedName::intern(ns, {}, localName);
                }
                return m_knownNames[slot];
            }
        }
        GumboStringPiece piece = element.original_tag;
        if (piece.length)
            gumbo_tag_from_original_text(&piece);
        std::string name(piece.data ? piece.data : "", piece.length);
        // Stop at the first character that cannot be in a tag name.
        auto stop = name.find_first_of(" \t\n\f\r/>");
        if (stop != std::string::npos)
            name.resize(stop);
        for (auto& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        // The tokenizer reads a NUL in a tag name as U+FFFD.
        for (auto nul = name.find('\0'); nul != std::string::npos; nul = name.find('\0', nul))
            name.replace(nul, 1, "\xEF\xBF\xBD");
        if (element.tag_namespace != GUMBO_NAMESPACE_HTML && name.ends_with(GumboGuardNameMark))
            name.resize(name.size() - GumboGuardNameMark.size());
        if (element.tag_namespace == GUMBO_NAMESPACE_SVG) {
            GumboStringPiece lower { name.data(), name.size() };
            if (const char* adjusted = gumbo_normalize_svg_tagname(&lower))
                name = adjusted;
        }
        if (name.empty())
            name = "unknown";
        return DOMQualifiedName::intern(ns, {}, toUTF16(name));
    }

    std::shared_ptr<DOMElement> makeElement(const GumboElement& source)
    {
        auto element = std::make_shared<DOMElement>(m_handle, nameFor(source));
        const std::vector<std::string>* moved = nullptr;
        if (m_guarded && !m_guarded->movedAttributes.empty() && source.original_tag.data) {
            auto found = m_guarded->movedAttributes.find(static_cast<size_t>(source.original_tag.data - m_markup));
            if (found != m_guarded->movedAttributes.end())
                moved = &found->second;
        }
        size_t count = source.attributes.length + (moved ? moved->size() * GumboGuardAttributesPerTag : 0);
        element->reserveAttributes(count);
        appendAttributes(*element, source.attributes, count);
        if (moved) {
            for (auto& piece : *moved)
                appendMovedAttributes(*element, source.tag_namespace, piece, count);
        }
        m_attributeNames.clear();
        return element;
    }

    void appendAttributes(DOMElement& element, const GumboVector& attributes, size_t count)
    {
        for (unsigned i = 0; i < attributes.length; ++i) {
            auto* attribute = static_cast<const GumboAttribute*>(attributes.data[i]);
            // Only attributes of foreign elements get a namespace (xlink:href, xml:lang, xmlns:x).
            std::u16string name;
            const char16_t* attributeNamespace = nullptr;
            switch (attribute->attr_namespace) {
            case GUMBO_ATTR_NAMESPACE_XLINK:
                name = u"xlink:";
                attributeNamespace = XLinkNamespace;
                break;
            case GUMBO_ATTR_NAMESPACE_XML:
                name = u"xml:";
                // The standard no longer adjusts xml:base; gumbo still does.
                if (std::strcmp(attribute->name, "base"))
                    attributeNamespace = XMLNamespace;
                break;
            case GUMBO_ATTR_NAMESPACE_XMLNS:
                if (std::strcmp(attribute->name, "xmlns"))
                    name = u"xmlns:";
                attributeNamespace = XMLNSNamespace;
                break;
            default:
                break;
            }
            size_t prefixLength = attributeNamespace && !name.empty() ? name.size() - 1 : 0;
            appendUTF8AsUTF16(name, attribute->name, std::strlen(attribute->name));
            const DOMQualifiedName* namespacedName = nullptr;
            if (attributeNamespace) {
                std::u16string_view qualified(name);
                namespacedName = DOMQualifiedName::intern(attributeNamespace, qualified.substr(0, prefixLength),
                                                          qualified.substr(prefixLength ? prefixLength + 1 : 0));
            }
            std::u16string value;
            appendUTF8AsUTF16(value, attribute->value, std::strlen(attribute->value));
            if (isNewAttribute(element, count, name))
                element.appendAttributeWithoutChecks(std::move(name), std::move(value), namespacedName);
        }
    }

    // Attributes the guard moved out of a start tag: gumbo reads them on an
    // element of the same namespace, so names and values come out as they would have.
    void appendMovedAttributes(DOMElement& element, GumboNamespaceEnum ns, const std::string& piece, size_t count)
    {
        std::string markup = ns == GUMBO_NAMESPACE_SVG ? "<svg " : ns == GUMBO_NAMESPACE_MATHML ? "<math " : "<p ";
        markup += piece;
        markup += '>';
        GumboParse parse(kGumboDefaultOptions, markup);
        GumboOutput* output = parse.output();
        if (!output || !output->root)
            return;
        for (auto* node = output->root; node->type == GUMBO_NODE_ELEMENT && node->v.element.children.length;) {
            node = static_cast<GumboNode*>(node->v.element.children.data[node->v.element.children.length - 1]);
            if (node->type == GUMBO_NODE_ELEMENT && node->v.element.tag != GUMBO_TAG_BODY) {
                appendAttributes(element, node->v.element.attributes, count);
                return;
            }
        }
    }

    // Gumbo drops repeated attributes as it reads them, but namespaced names
    // are rebuilt here: a repeat keeps the first value. Long lists are checked
    // through a set so that an element with thousands of attributes stays linear.
    bool isNewAttribute(const DOMElement& element, size_t count, const std::u16string& name)
    {
        constexpr size_t shortList = 16;
        if (count <= shortList)
            return !element.hasAttribute(name);
        return m_attributeNames.insert(name).second;
    }

    DOMDocumentHandlePtr m_handle;
    std::array<const DOMQualifiedName*, (GUMBO_TAG_LAST + 1) * 3> m_knownNames;
    DOMNode* m_pendingParent { nullptr };
    bool m_pendingInTemplateContent { false };
    std::u16string m_pendingText;
    std::vector<DOMElement*> m_loadingElements;
    bool m_flattenedNesting { false };
    std::unique_ptr<std::bitset<0x10000>> m_textUnits { std::make_unique<std::bitset<0x10000>>() };
    std::unordered_set<std::u16string> m_attributeNames;
    const GumboGuardedInput* m_guarded { nullptr };
    const char* m_markup { nullptr };
};

// The number of the document's leading comments (an XML declaration is one)
// that come before its doctype: gumbo keeps the doctype apart from the
// document's children.
unsigned commentsBeforeDoctype(const GumboDocument& document, std::string_view source)
{
    auto skipSpace = [&](size_t at) {
        while (at < source.size() && (source[at] == ' ' || source[at] == '\t' || source[at] == '\n' || source[at] == '\r' || source[at] == '\f'))
            ++at;
        return at;
    };
    unsigned count = 0;
    size_t position = 0;
    for (unsigned i = 0; i < document.children.length; ++i) {
        auto* child = static_cast<const GumboNode*>(document.children.data[i]);
        if (child->type != GUMBO_NODE_COMMENT)
            break;
        auto& text = child->v.text.original_text;
        if (!text.data || text.data < source.data() || text.data > source.data() + source.size())
            break;
        size_t start = static_cast<size_t>(text.data - source.data());
        if (skipSpace(position) != start)
            break;
        position = start + text.length;
        ++count;
    }
    position = skipSpace(position);
    constexpr std::string_view doctype = "<!doctype";
    if (source.size() - position < doctype.size())
        return 0;
    for (size_t i = 0; i < doctype.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(source[position + i])) != doctype[i])
            return 0;
    }
    return count;
}

} // namespace

namespace {

std::atomic<HTMLParserEngine>& engine()
{
    static std::atomic<HTMLParserEngine> chosen = [] {
        const char* name = std::getenv("BREVANTON_HTML_PARSER");
        return name && std::string_view(name) == "gumbo" ? HTMLParserEngine::Gumbo : HTMLParserEngine::TreeBuilder;
    }();
    return chosen;
}

} // namespace

HTMLParserEngine htmlParserEngine()
{
    return engine().load(std::memory_order_relaxed);
}

void setHTMLParserEngine(HTMLParserEngine choice)
{
    engine().store(choice, std::memory_order_relaxed);
}

std::shared_ptr<DOMDocument> parseHTMLDocument(std::string_view utf8)
{
    if (htmlParserEngine() == HTMLParserEngine::TreeBuilder) {
        std::u16string markup;
        appendUTF8AsUTF16(markup, utf8.data(), utf8.size());
        return buildHTMLDocument(markup, { .maximumDepth = DOMMaximumNestingDepth });
    }
    auto document = DOMDocument::create(DOMDocument::Kind::HTML);
    std::string protectedText;
    bool hasControls = protectControlCharacters(utf8, protectedText);
    if (hasControls)
        utf8 = protectedText;
    auto guarded = guardGumboInput(utf8, {}, DOMMaximumNestingDepth);
    if (guarded.changed)
        utf8 = guarded.markup;

    GumboParse parse(kGumboDefaultOptions, utf8);
    GumboOutput* output = parse.output();
    if (!output)
        return document;
    auto& source = output->document->v.document;
    // The doctype goes in after the comments that came before it, once the
    // tree is built (which releases gumbo's nodes as it goes).
    std::shared_ptr<DOMDocumentType> doctype;
    unsigned commentsBefore = 0;
    if (source.has_doctype) {
        doctype = document->createDocumentType(toUTF16(source.name ? source.name : ""),
                                               toUTF16(source.public_identifier ? source.public_identifier : ""),
                                               toUTF16(source.system_identifier ? source.system_identifier : ""));
        commentsBefore = commentsBeforeDoctype(source, utf8);
    }
    GumboTreeBuilder builder(*document, guarded, utf8);
    builder.buildChildren(output->document, *document);
    if (doctype)
        document->insertChild(doctype, document->childAt(commentsBefore));
    if (hasControls)
        restoreControlCharacters(*document);
    document->setParsedLoadingElements(builder.takeLoadingElements());
    document->setParsedTextUnits(builder.takeTextUnits());
    document->setHasFlattenedNesting(guarded.flattenedNesting || builder.flattenedNesting());
    return document;
}

std::shared_ptr<DOMDocumentFragment> parseFragment(DOMDocument& document, std::u16string_view markup,
                                                   const DOMElement* context)
{
    if (!document.isHTMLDocument())
        return parseXMLFragment(document, markup, context);
    return parseHTMLFragment(document, markup, context);
}

std::shared_ptr<DOMDocumentFragment> parseHTMLFragment(DOMDocument& document, std::u16string_view markup,
                                                       const DOMElement* context)
{
    if (htmlParserEngine() == HTMLParserEngine::TreeBuilder)
        return buildHTMLFragment(document, markup, context, { .maximumDepth = DOMMaximumNestingDepth });
    auto fragment = document.createDocumentFragment();
    GumboOptions options = kGumboDefaultOptions;
    options.fragment_context = GUMBO_TAG_BODY;
    options.fragment_namespace = GUMBO_NAMESPACE_HTML;
    GumboGuardContext guardContext;
    std::string contextName;
    if (context) {
        auto& name = context->qualifiedName();
        if (name.namespaceURI == SVGNamespace) {
            options.fragment_namespace = GUMBO_NAMESPACE_SVG;
            guardContext.contextNamespace = GumboGuardNamespace::SVG;
        } else if (name.namespaceURI == MathMLNamespace) {
            options.fragment_namespace = GUMBO_NAMESPACE_MATHML;
            guardContext.contextNamespace = GumboGuardNamespace::MathML;
        }
        contextName = toUTF8(name.localName);
        for (auto& c : contextName)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        GumboTag tag = gumbo_tag_enum(contextName.c_str());
        // An unknown context behaves as an ordinary element would: like a DIV.
        options.fragment_context = tag == GUMBO_TAG_UNKNOWN ? GUMBO_TAG_DIV : tag;
        // A foreign context that gumbo would take for an HTML table or select part is its
        // namespace's root element to it: the content parses the same.
        if (options.fragment_namespace != GUMBO_NAMESPACE_HTML
            && (tag == GUMBO_TAG_UNKNOWN || isGumboAmbiguousForeignName(contextName)))
            options.fragment_context
                = options.fragment_namespace == GUMBO_NAMESPACE_SVG ? GUMBO_TAG_SVG : GUMBO_TAG_MATH;
        guardContext.contextName = contextName;
    }
    auto utf8 = toUTF8(markup);
    auto guarded = guardGumboInput(utf8, guardContext, DOMMaximumNestingDepth);
    if (guarded.changed)
        utf8 = std::move(guarded.markup);
    GumboParse parse(options, utf8);
    GumboOutput* output = parse.output();
    if (!output)
        return fragment;
    GumboTreeBuilder builder(document, guarded, utf8);
    // In fragment mode the parsed nodes are the children of the root element.
    builder.buildChildren(output->root, *fragment);
    return fragment;
}

} // namespace brevanton

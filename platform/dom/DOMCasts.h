// Checked casts between the DOM's node classes.
//
//   is<DOMElement>(node)             whether the node is of that class (false for null)
//   downcast<DOMElement>(node)       the node as that class; the caller knows it is one
//   dynamicDowncast<DOMElement>(node) the node as that class, or null when it is another
//
// Each takes a reference, a plain pointer or a shared pointer and answers the
// same kind (a shared pointer shares ownership with its argument). A
// downcast of a node of another class is a programming error: debug and
// sanitizer builds check it and throw InternalInconsistencyException; release
// builds cast as static_cast does. A null pointer downcasts to null.
#pragma once

#include "platform/dom/DOMNode.h"
#include "platform/foundation/Assertions.h"

#include <memory>
#include <type_traits>

#if !defined(NDEBUG) || defined(__SANITIZE_ADDRESS__)
#define BREVANTON_CHECKED_DOM_CASTS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
#define BREVANTON_CHECKED_DOM_CASTS 1
#endif
#endif
#ifndef BREVANTON_CHECKED_DOM_CASTS
#define BREVANTON_CHECKED_DOM_CASTS 0
#endif

namespace brevanton {

class DOMAttr;
class DOMCDATASection;
class DOMCharacterData;
class DOMComment;
class DOMContainerNode;
class DOMDocument;
class DOMDocumentFragment;
class DOMDocumentType;
class DOMElement;
class DOMProcessingInstruction;
class DOMText;

// Which nodes belong to a class, told by the node type alone.
template<typename T> struct DOMNodeClass;
template<> struct DOMNodeClass<DOMNode> {
    static bool contains(const DOMNode&) { return true; }
};
template<> struct DOMNodeClass<DOMContainerNode> {
    static bool contains(const DOMNode& node) { return node.isContainerNode(); }
};
template<> struct DOMNodeClass<DOMElement> {
    static bool contains(const DOMNode& node) { return node.isElementNode(); }
};
template<> struct DOMNodeClass<DOMCharacterData> {
    static bool contains(const DOMNode& node) { return node.isCharacterDataNode(); }
};
template<> struct DOMNodeClass<DOMText> {
    static bool contains(const DOMNode& node) { return node.isTextNode(); }
};
template<> struct DOMNodeClass<DOMCDATASection> {
    static bool contains(const DOMNode& node) { return node.nodeType() == DOMNode::CDATA_SECTION_NODE; }
};
template<> struct DOMNodeClass<DOMComment> {
    static bool contains(const DOMNode& node) { return node.nodeType() == DOMNode::COMMENT_NODE; }
};
template<> struct DOMNodeClass<DOMProcessingInstruction> {
    static bool contains(const DOMNode& node) { return node.nodeType() == DOMNode::PROCESSING_INSTRUCTION_NODE; }
};
template<> struct DOMNodeClass<DOMDocument> {
    static bool contains(const DOMNode& node) { return node.isDocumentNode(); }
};
template<> struct DOMNodeClass<DOMDocumentFragment> {
    static bool contains(const DOMNode& node) { return node.isDocumentFragmentNode(); }
};
template<> struct DOMNodeClass<DOMDocumentType> {
    static bool contains(const DOMNode& node) { return node.nodeType() == DOMNode::DOCUMENT_TYPE_NODE; }
};
template<> struct DOMNodeClass<DOMAttr> {
    static bool contains(const DOMNode& node) { return node.nodeType() == DOMNode::ATTRIBUTE_NODE; }
};

inline constexpr bool checkedDOMCastsEnabled = BREVANTON_CHECKED_DOM_CASTS;

template<typename T> bool is(const DOMNode& node)
{
    return DOMNodeClass<std::remove_const_t<T>>::contains(node);
}
template<typename T> bool is(const DOMNode* node)
{
    return node && is<T>(*node);
}
template<typename T, typename U> bool is(const std::shared_ptr<U>& node)
{
    return is<T>(static_cast<const DOMNode*>(node.get()));
}

namespace dom_casts_detail {
template<typename T> void checkDowncast([[maybe_unused]] const DOMNode* node)
{
    if constexpr (checkedDOMCastsEnabled)
        BREVANTON_ASSERT(!node || is<T>(*node), "Downcast of a DOM node to a class it is not of");
}
} // namespace dom_casts_detail

template<typename T> T& downcast(DOMNode& node)
{
    dom_casts_detail::checkDowncast<T>(&node);
    return static_cast<T&>(node);
}
template<typename T> const T& downcast(const DOMNode& node)
{
    dom_casts_detail::checkDowncast<T>(&node);
    return static_cast<const T&>(node);
}
template<typename T> T* downcast(DOMNode* node)
{
    dom_casts_detail::checkDowncast<T>(node);
    return static_cast<T*>(node);
}
template<typename T> const T* downcast(const DOMNode* node)
{
    dom_casts_detail::checkDowncast<T>(node);
    return static_cast<const T*>(node);
}
template<typename T, typename U> auto downcast(const std::shared_ptr<U>& node)
{
    dom_casts_detail::checkDowncast<T>(node.get());
    using Target = std::conditional_t<std::is_const_v<U>, const T, T>;
    return std::static_pointer_cast<Target>(node);
}

template<typename T> T* dynamicDowncast(DOMNode* node)
{
    return is<T>(node) ? static_cast<T*>(node) : nullptr;
}
template<typename T> const T* dynamicDowncast(const DOMNode* node)
{
    return is<T>(node) ? static_cast<const T*>(node) : nullptr;
}
template<typename T> T* dynamicDowncast(DOMNode& node)
{
    return dynamicDowncast<T>(&node);
}
template<typename T> const T* dynamicDowncast(const DOMNode& node)
{
    return dynamicDowncast<T>(&node);
}
template<typename T, typename U> auto dynamicDowncast(const std::shared_ptr<U>& node)
{
    using Target = std::conditional_t<std::is_const_v<U>, const T, T>;
    return is<T>(node) ? std::static_pointer_cast<Target>(node) : std::shared_ptr<Target>();
}

} // namespace brevanton

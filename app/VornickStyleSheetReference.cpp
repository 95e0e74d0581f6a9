#include "app/VornickStyleSheetReference.h"

#include "dom/VornickNodeExtensions.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

std::optional<VornickFreezeDriedDOMRange> freezeRelativeToDocument(const DOMRange& range)
{
    auto container = range.startContainer();
    auto document = container ? (container->isDocumentNode() ? downcast<DOMDocument>(container)
                                                              : container->ownerDocument())
                              : nullptr;
    if (!document)
        return std::nullopt;
    return VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(range, document, false);
}

} // namespace

std::shared_ptr<VornickStyleSheetReference> VornickStyleSheetReference::createWithStyleSheetLinkElement(
    const std::shared_ptr<DOMElement>& link)
{
    BREVANTON_ASSERT(link, "linkElement != nil");
    auto reference = std::shared_ptr<VornickStyleSheetReference>(new VornickStyleSheetReference);
    reference->m_kind = VornickStyleSheetReferenceKind::LinkElement;
    reference->m_relativeURLString = link->getAttribute(u"href");
    reference->m_name = reference->m_relativeURLString;
    if (auto range = vornick_outerRange(*link))
        reference->m_outerRange = freezeRelativeToDocument(*range);
    return reference;
}

std::shared_ptr<VornickStyleSheetReference> VornickStyleSheetReference::createForEmbeddedCopy(
    VornickStyleSheetReferenceKind kind, std::u16string name, std::optional<std::u16string> version,
    const DOMRange& outerRange)
{
    BREVANTON_ASSERT(kind != VornickStyleSheetReferenceKind::LinkElement, "kind of an embedded copy");
    auto reference = std::shared_ptr<VornickStyleSheetReference>(new VornickStyleSheetReference);
    reference->m_kind = kind;
    if (kind == VornickStyleSheetReferenceKind::EmbeddedUserStyleSheetCopy)
        reference->m_relativeURLString = name;
    reference->m_name = std::move(name);
    reference->m_version = std::move(version);
    reference->m_outerRange = freezeRelativeToDocument(outerRange);
    // What the copy's text begins with, up to the name's closing quote.
    auto text = outerRange.toString();
    auto nameStart = text.find(u'"');
    auto nameEnd = nameStart == std::u16string::npos ? nameStart : text.find(u'"', nameStart + 1);
    if (nameEnd != std::u16string::npos)
        reference->m_beginMarkerPrefix = text.substr(0, nameEnd + 1);
    return reference;
}

std::shared_ptr<DOMRange> VornickStyleSheetReference::outerRangeInDocument(const DOMDocument& document) const
{
    if (!m_outerRange)
        return nullptr;
    auto root = std::const_pointer_cast<DOMNode>(document.shared_from_this());
    auto range = m_outerRange->thawRangeRelativeToNewAncestor(root);
    // A path of child indices finds whatever now stands at that place; a
    // caller replacing or removing the reference must get its own text or
    // element, or nothing.
    return range && designatesThisReference(*range) ? range : nullptr;
}

bool VornickStyleSheetReference::designatesThisReference(const DOMRange& range) const
{
    auto container = range.startContainer();
    if (!container || container != range.endContainer())
        return false;
    if (m_kind == VornickStyleSheetReferenceKind::LinkElement) {
        if (range.endOffset() != range.startOffset() + 1)
            return false;
        auto node = container->childAt(range.startOffset());
        if (!node || !node->isElementNode())
            return false;
        auto& element = downcast<DOMElement>(*node);
        return equalsIgnoringASCIICase(element.tagName(), u"link") && element.getAttribute(u"href") == m_relativeURLString;
    }
    if (!container->isTextNode())
        return false;
    auto text = range.toString();
    return text.starts_with(m_beginMarkerPrefix) && text.ends_with(u"*/");
}

} // namespace brevanton

#include "app/VornickStyleSheetReference.h"

#include "dom/VornickFreezeDriedDOMRange.h"
#include "dom/VornickNodeExtensions.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"

namespace brevanton {

namespace {

std::shared_ptr<VornickFreezeDriedDOMRange> freezeRelativeToDocument(const DOMRange& range)
{
    auto container = range.startContainer();
    auto document = container ? (container->isDocumentNode() ? std::static_pointer_cast<DOMDocument>(container)
                                                              : container->ownerDocument())
                              : nullptr;
    if (!document)
        return nullptr;
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
    return reference;
}

std::shared_ptr<DOMRange> VornickStyleSheetReference::outerRangeInDocument(const DOMDocument& document) const
{
    if (!m_outerRange)
        return nullptr;
    auto root = std::const_pointer_cast<DOMNode>(document.shared_from_this());
    return m_outerRange->thawRangeRelativeToNewAncestor(root);
}

} // namespace brevanton

#include "editing/VornickAttachmentPoint.h"

#include "dom/VornickElementExtensions.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrame.h"

#include <fmt/format.h>

namespace brevanton {

namespace {

long nextNumber()
{
    static long counter = 0;
    return ++counter;
}

std::shared_ptr<DOMElement> findMarkedElement(DOMNode& root, std::u16string_view className)
{
    std::vector<DOMNode*> stack { &root };
    while (!stack.empty()) {
        DOMNode* node = stack.back();
        stack.pop_back();
        if (node->nodeType() == DOMNode::ELEMENT_NODE && vornick_hasClass(downcast<DOMElement>(*node), className))
            return downcast<DOMElement>(node->shared_from_this());
        std::vector<DOMNode*> children;
        for (DOMNode* child = node->first(); child; child = child->next())
            children.push_back(child);
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
    return nullptr;
}

} // namespace

VornickAttachmentPoint::VornickAttachmentPoint(std::shared_ptr<VornickAttachmentPointLocator> locator, const std::shared_ptr<WebFrame>& frame)
    : m_number(nextNumber())
    , m_locator(std::move(locator))
    , m_webFrame(frame)
{
}

std::shared_ptr<VornickAttachmentPoint> VornickAttachmentPoint::createWithSingleElement(
    const std::shared_ptr<DOMElement>& element, std::shared_ptr<VornickAttachmentPointLocator> locator,
    const std::shared_ptr<WebFrame>& frame, VornickContentEditingView*)
{
    if (!element || !frame)
        return nullptr;
    std::shared_ptr<VornickAttachmentPoint> point(new VornickAttachmentPoint(std::move(locator), frame));
    vornick_addClass(*element, point->markClassName());
    return point;
}

std::shared_ptr<VornickAttachmentPoint> VornickAttachmentPoint::createWithSiblingRun(
    const DOMRange& run, std::shared_ptr<VornickAttachmentPointLocator> locator, const std::shared_ptr<WebFrame>& frame,
    VornickContentEditingView*)
{
    auto container = run.commonAncestorContainer();
    if (!frame || !container || container->nodeType() != DOMNode::ELEMENT_NODE)
        return nullptr;
    std::shared_ptr<VornickAttachmentPoint> point(new VornickAttachmentPoint(std::move(locator), frame));
    point->m_siblingRun = run.cloneRange();
    vornick_addClass(downcast<DOMElement>(*container), point->markClassName());
    return point;
}

std::u16string VornickAttachmentPoint::markClassName() const
{
    return toUTF16(fmt::format("brevanton-attachment-point-{}", m_number));
}

std::shared_ptr<DOMElement> VornickAttachmentPoint::findElement() const
{
    auto frame = m_webFrame.lock();
    auto document = frame ? frame->domDocument() : nullptr;
    if (!document)
        return nullptr;
    if (auto marked = findMarkedElement(*document, markClassName()))
        return marked;
    if (!m_locator)
        return nullptr;
    auto found = m_locator->locateElementInDocument(*document);
    if (found)
        vornick_addClass(*found, markClassName());
    return found;
}

// Placeholders of the selector language, the stored forms, injection and
// extraction; their real bodies come with the selector language.
std::optional<VornickAttachmentPointSelectorParameters> VornickAttachmentPointLocator::attributeParameters() const { return std::nullopt; }
void VornickAttachmentPointLocator::setAttributeName(const std::u16string&, const std::vector<std::u16string>&,
                                                     const std::vector<std::u16string>&) { }
std::shared_ptr<DOMElement> VornickAttachmentPointLocator::locateElementInDocument(DOMDocument&) const { return nullptr; }
std::shared_ptr<DOMRange> VornickAttachmentPointLocator::locateSiblingRunInDocument(DOMDocument&) const { return nullptr; }
std::shared_ptr<VornickAttachmentPointLocatorSet> VornickAttachmentPointLocatorSet::createWithPropertyList(const Value&) { return nullptr; }
std::shared_ptr<VornickAttachmentPointLocatorSet> VornickAttachmentPointLocatorSet::createWithData(const std::vector<uint8_t>&) { return nullptr; }
Value VornickAttachmentPointLocatorSet::propertyList() const { return Value(); }
std::vector<uint8_t> VornickAttachmentPointLocatorSet::data() const { return {}; }
std::shared_ptr<DOMRange> VornickAttachmentPoint::findRange() const { return nullptr; }
bool VornickAttachmentPoint::injectHTMLContentString(const std::u16string&, const std::optional<URL>&) { return false; }
std::optional<std::u16string> VornickAttachmentPoint::extractCompactHTMLContentStringWithReferencesUnder(const std::optional<URL>&,
                                                                                                        const std::optional<URL>&) const
{
    return std::nullopt;
}

} // namespace brevanton

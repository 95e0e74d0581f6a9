#include "editing/VornickAttachmentPoint.h"

#include "dom/VornickElementExtensions.h"
#include "editing/VornickContentEditingView.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
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

namespace {

std::weak_ptr<VornickContentEditingView> weakEditingView(VornickContentEditingView* view)
{
    if (!view)
        return {};
    return std::static_pointer_cast<VornickContentEditingView>(view->weak_from_this().lock());
}

} // namespace

std::shared_ptr<VornickAttachmentPoint> VornickAttachmentPoint::createWithSingleElement(
    const std::shared_ptr<DOMElement>& element, std::shared_ptr<VornickAttachmentPointLocator> locator,
    const std::shared_ptr<WebFrame>& frame, VornickContentEditingView* view)
{
    BREVANTON_ASSERT(element, "Invalid parameter not satisfying: newElement");
    BREVANTON_ASSERT(locator, "Invalid parameter not satisfying: newLocator");
    BREVANTON_ASSERT(frame, "Invalid parameter not satisfying: newWebFrame");
    std::shared_ptr<VornickAttachmentPoint> point(new VornickAttachmentPoint(std::move(locator), frame));
    point->m_contentEditingView = weakEditingView(view);
    vornick_addClass(*element, point->markClassName());
    return point;
}

std::shared_ptr<VornickAttachmentPoint> VornickAttachmentPoint::createWithSiblingRun(
    const DOMRange& run, std::shared_ptr<VornickAttachmentPointLocator> locator, const std::shared_ptr<WebFrame>& frame,
    VornickContentEditingView* view)
{
    BREVANTON_ASSERT(locator, "Invalid parameter not satisfying: newLocator");
    BREVANTON_ASSERT(frame, "Invalid parameter not satisfying: newWebFrame");
    // The run's common ancestor holds the mark, or its parent element when
    // the ancestor is not an element.
    auto container = run.commonAncestorContainer();
    std::shared_ptr<DOMElement> holder;
    if (container && container->isElementNode())
        holder = downcast<DOMElement>(container);
    else if (container)
        holder = container->parentElement();
    if (!holder)
        return nullptr;
    std::shared_ptr<VornickAttachmentPoint> point(new VornickAttachmentPoint(std::move(locator), frame));
    point->m_contentEditingView = weakEditingView(view);
    point->m_siblingRun = run.cloneRange();
    point->m_allowsDrops = false;
    vornick_addClass(*holder, point->markClassName());
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
    // The element found last, while it is still in the frame's document and
    // marked: every edit asks, and a search of a large page is not cheap.
    auto markClass = markClassName();
    if (auto cached = m_foundElement.lock()) {
        if (cached->isConnected() && cached->ownerDocument() == document && vornick_hasClass(*cached, markClass))
            return cached;
    }
    if (auto marked = findMarkedElement(*document, markClass)) {
        m_foundElement = marked;
        return marked;
    }
    if (!m_locator)
        return nullptr;
    auto found = m_locator->locateElementInDocument(*document);
    if (found) {
        vornick_addClass(*found, markClass);
        m_foundElement = found;
    }
    return found;
}

std::shared_ptr<DOMRange> VornickAttachmentPoint::findRange() const
{
    if (type() != VornickAttachmentType::SiblingRun || !m_locator)
        return nullptr;
    auto frame = m_webFrame.lock();
    auto document = frame ? frame->domDocument() : nullptr;
    return document ? m_locator->locateSiblingRunInDocument(*document) : nullptr;
}

std::u16string VornickAttachmentPoint::description() const
{
    return toUTF16(fmt::format("VornickAttachmentPoint({}) locator=", static_cast<const void*>(this)))
        + (m_locator ? m_locator->description() : u"(null)");
}

} // namespace brevanton

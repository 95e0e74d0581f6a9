// Attachment points of a blog template, the two banners, and changing the
// document's URL (after Save As) with the page's references rewritten.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickContentEditingViewBanners.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrame.h"
#include "toolkit/VornickLog.h"
#include "ui/VornickCollapsibleHeaderSplitView.h"

#include <fmt/format.h>

namespace brevanton {

namespace {

bool isSameOrAncestor(const DOMNode& ancestor, const DOMNode& node)
{
    for (const DOMNode* walk = &node; walk; walk = walk->parent()) {
        if (walk == &ancestor)
            return true;
    }
    return false;
}

} // namespace

std::vector<std::shared_ptr<VornickAttachmentPointLocator>> VornickContentEditingView::Internals::effectiveLocatorsForAttachmentPointIdentifier(VornickContentEditingView& view,
    const std::u16string& identifier)
{
    if (view.m_internals->attachmentPointLocatorSet) {
        auto& locators = view.m_internals->attachmentPointLocatorSet->locatorsByIdentifier();
        if (auto found = locators.find(identifier); found != locators.end() && found->second)
            return { found->second };
    }
    if (view.m_internals->delegate) {
        if (auto defaults = view.m_internals->delegate->vornickContentEditingViewDefaultAttachmentPointLocatorsForIdentifier(view,
                identifier))
            return *defaults;
    }
    return {};
}

std::shared_ptr<VornickAttachmentPoint> VornickContentEditingView::Internals::attachToPoint(VornickContentEditingView& view, const std::u16string& identifier,
                                                                                 VornickAttachmentType type,
                                                                                 std::shared_ptr<WebFrame> frame)
{
    if (!frame)
        frame = view.mainFrame();
    auto document = frame ? frame->domDocument() : nullptr;
    if (!document || (type != VornickAttachmentType::SingleElement && type != VornickAttachmentType::SiblingRun))
        return nullptr;
    auto operationRangeIsInAttachmentPoint = [&view] {
        auto range = view.effectiveOperationRange();
        return range && vornick_enclosingAttachmentPoint(*range);
    };

    for (const auto& locator : Internals::effectiveLocatorsForAttachmentPointIdentifier(view, identifier)) {
        if (!locator)
            continue;
        if (type == VornickAttachmentType::SiblingRun) {
            auto run = locator->locateSiblingRunInDocument(*document);
            if (!run)
                continue;
            auto point = VornickAttachmentPoint::createWithSiblingRun(*run, locator, frame, (&view));
            if (!point)
                continue;
            bool wasInside = operationRangeIsInAttachmentPoint();
            vornick_addAttachmentPoint(*frame, point);
            if (!wasInside) {
                auto caret = run->cloneRange();
                caret->collapse(false);
                vornick_pushRangeEndpointsDownToTextNodes(*caret);
                view.setTargetRange(caret);
            }
            return point;
        }

        auto element = locator->locateElementInDocument(*document);
        if (!element)
            continue;
        // Attachment points never nest; the same element gives the same point.
        for (const auto& existing : vornick_attachmentPoints(*frame)) {
            auto existingElement = existing->findElement();
            if (!existingElement)
                continue;
            if (existingElement == element)
                return std::dynamic_pointer_cast<VornickAttachmentPoint>(existing);
            if (isSameOrAncestor(*existingElement, *element) || isSameOrAncestor(*element, *existingElement))
                return nullptr;
        }
        auto point = VornickAttachmentPoint::createWithSingleElement(element, locator, frame, (&view));
        if (!point)
            continue;
        bool wasInside = operationRangeIsInAttachmentPoint();
        vornick_addAttachmentPoint(*frame, point);
        if (!wasInside) {
            auto caret = vornick_innerRange(element);
            caret->collapse(false);
            vornick_pushRangeEndpointsDownToTextNodes(*caret);
            view.setTargetRange(caret);
        }
        return point;
    }
    return nullptr;
}

std::shared_ptr<VornickAttachmentPoint> VornickContentEditingView::attachToPoint(const std::u16string& identifier, VornickAttachmentType type,
                                                                               std::shared_ptr<WebFrame> frame)
{
    return Internals::attachToPoint(*this, identifier, type, std::move(frame));
}

std::vector<std::shared_ptr<VornickAttachmentPointLocator>> VornickContentEditingView::effectiveLocatorsForAttachmentPointIdentifier(
    const std::u16string& identifier)
{
    return Internals::effectiveLocatorsForAttachmentPointIdentifier(*this, identifier);
}

void VornickContentEditingView::clearAttachmentPointsInWebFrame(std::shared_ptr<WebFrame> frame)
{
    Internals::clearAttachmentPointsInWebFrame(*this, std::move(frame));
}

bool VornickContentEditingView::hasAttachmentPoints() const
{
    auto main = mainFrame();
    if (!main)
        return false;
    bool found = false;
    vornick_enumerateWebFrameTreeWithOptions(main, 0, [&found](const std::shared_ptr<WebFrame>& frame, bool& stop) {
        if (!vornick_attachmentPoints(*frame).empty()) {
            found = true;
            stop = true;
        }
    });
    return found;
}

void VornickContentEditingView::Internals::clearAttachmentPointsInWebFrame(VornickContentEditingView& view, std::shared_ptr<WebFrame> frame)
{
    if (!frame)
        frame = view.mainFrame();
    if (frame)
        vornick_clearAttachmentPoints(*frame);
}

std::shared_ptr<DOMElement> VornickContentEditingView::Internals::mainFrameAttachmentPointElement(const VornickContentEditingView& view)
{
    auto document = view.mainFrameDocument();
    if (!document)
        return nullptr;
    if (auto element = document->getElementById(u"brevanton-attach-point"))
        return element;
    return document->body();
}

// --- Banners

void VornickContentEditingView::Internals::showBanner(VornickContentEditingView& view, std::shared_ptr<View>& field, const char* name)
{
    if (field)
        return;
    auto target = std::static_pointer_cast<Responder>(view.shared_from_this());
    field = std::string_view(name) == "BrevantonTemplateFallbackBanner" ? VornickMakeTemplateFallbackBanner(target)
                                                                        : VornickMakeAttachmentPointFailureBanner(target);
    if (!field)
        return;
    Rect splitFrame = view.m_internals->splitView->frame();
    double height = field->frame().height();
    field->setFrame(Rect(splitFrame.minX(), splitFrame.minY(), splitFrame.width(), height));
    view.m_internals->splitView->setFrame(Rect(splitFrame.minX(), splitFrame.minY() + height, splitFrame.width(),
                                          splitFrame.height() - height));
    field->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::MaxYMargin);
    field->setAutoresizesSubviews(true);
    view.addSubview(field);
}

void VornickContentEditingView::Internals::hideBanner(VornickContentEditingView& view, std::shared_ptr<View>& field)
{
    if (field && field->superview().get() == &view) {
        double height = field->frame().height();
        Rect splitFrame = view.m_internals->splitView->frame();
        view.m_internals->splitView->setFrame(Rect(splitFrame.minX(), splitFrame.minY() - height, splitFrame.width(),
                                              splitFrame.height() + height));
        field->removeFromSuperview();
    }
    field.reset();
}

void VornickContentEditingView::Internals::showTemplateFallbackBanner(VornickContentEditingView& view)
{
    Internals::showBanner(view, view.m_internals->templateFallbackBannerView, "BrevantonTemplateFallbackBanner");
}

void VornickContentEditingView::Internals::hideTemplateFallbackBanner(VornickContentEditingView& view)
{
    Internals::hideBanner(view, view.m_internals->templateFallbackBannerView);
}

void VornickContentEditingView::Internals::showAttachmentPointFailureBanner(VornickContentEditingView& view)
{
    Internals::showBanner(view, view.m_internals->attachmentPointFailureBannerView, "BrevantonAttachmentPointFailureBanner");
}

void VornickContentEditingView::Internals::hideAttachmentPointFailureBanner(VornickContentEditingView& view)
{
    Internals::hideBanner(view, view.m_internals->attachmentPointFailureBannerView);
}

void VornickContentEditingView::showAttachmentPointFailureBanner()
{
    Internals::showAttachmentPointFailureBanner(*this);
}

void VornickContentEditingView::hideAttachmentPointFailureBanner()
{
    Internals::hideAttachmentPointFailureBanner(*this);
}

void VornickContentEditingView::showTemplateFallbackBanner()
{
    Internals::showTemplateFallbackBanner(*this);
}

void VornickContentEditingView::hideTemplateFallbackBanner()
{
    Internals::hideTemplateFallbackBanner(*this);
}

void VornickContentEditingView::dismissAttachmentPointFailureBanner()
{
    Internals::hideAttachmentPointFailureBanner(*this);
}

// --- For views showing a post in its template

bool VornickContentEditingView::attachmentPointFailureBannerShown() const
{
    return m_internals->attachmentPointFailureBannerView != nullptr;
}

bool VornickContentEditingView::templateFallbackBannerShown() const
{
    return m_internals->templateFallbackBannerView != nullptr;
}

void VornickContentEditingView::cancelLoadingThenDo(std::function<void()> block)
{
    Internals::cancelLoadingThenDo(*this, std::move(block));
}

bool VornickContentEditingView::isJavaScriptEnabled() const
{
    return Internals::isJavaScriptEnabled(*this);
}

void VornickContentEditingView::setJavaScriptEnabled(bool enabled)
{
    Internals::setJavaScriptEnabled(*this, enabled);
}

// --- The document URL

void VornickContentEditingView::setMainFrameURL(const URL& url)
{
    if (m_internals->mainFrameURL && *m_internals->mainFrameURL == url)
        return;
    bool rewired = false;
    auto document = mainFrameDocument();
    if (document) {
        std::optional<URL> old = m_internals->mainFrameURL;
        std::vector<DOMNode*> stack { document.get() };
        while (!stack.empty()) {
            DOMNode* node = stack.back();
            stack.pop_back();
            if (node->nodeType() == DOMNode::ELEMENT_NODE) {
                if (vornick_rewireReferencesRelativeToNewDocumentURL(downcast<DOMElement>(*node), &url, old ? &*old : nullptr))
                    rewired = true;
            }
            for (DOMNode* child = node->first(); child; child = child->next())
                stack.push_back(child);
        }
    }
    m_internals->mainFrameURL = url;
    auto frame = mainFrame();
    if (frame)
        vornick_setURLWhereSaved(*frame, url);
    auto documentURL = document ? vornick_URL(*document) : std::nullopt;
    auto saved = frame ? vornick_URLWhereSaved(*frame) : std::nullopt;
    VornickGeneralLog("-[{} {}] new mainFrameURL={}, document vornick_URL={}, mainFrame vornick_URLWhereSaved={}, rewired references={}",
                      fmt::format("<VornickContentEditingView: {}>", static_cast<const void*>(this)), "setMainFrameURL:",
                      toUTF8(url.absoluteString()), documentURL ? toUTF8(documentURL->absoluteString()) : std::string("(null)"),
                      saved ? toUTF8(saved->absoluteString()) : std::string("(null)"), rewired ? "YES" : "NO");
    if (rewired && m_internals->delegate)
        m_internals->delegate->vornickContentEditingViewDidRewireReferencesForDocumentURLChange(*this);
}

} // namespace brevanton

#include "dom/VornickDOMServices.h"

#include "platform/dom/DOMDocument.h"

namespace brevanton {

namespace {

std::shared_ptr<VornickFrameStateProvider>& frameStateProvider()
{
    static std::shared_ptr<VornickFrameStateProvider> provider;
    return provider;
}

std::shared_ptr<VornickHTMLContainmentProvider>& containmentProvider()
{
    static std::shared_ptr<VornickHTMLContainmentProvider> provider;
    return provider;
}

std::shared_ptr<VornickHTMLElementSpecProvider>& elementSpecProvider()
{
    static std::shared_ptr<VornickHTMLElementSpecProvider> provider;
    return provider;
}

} // namespace

void VornickSetFrameStateProvider(std::shared_ptr<VornickFrameStateProvider> provider)
{
    frameStateProvider() = std::move(provider);
}

const VornickFrameStateProvider& VornickCurrentFrameStateProvider()
{
    static const VornickFrameStateProvider defaultProvider;
    auto& provider = frameStateProvider();
    return provider ? *provider : defaultProvider;
}

void VornickSetHTMLContainmentProvider(std::shared_ptr<VornickHTMLContainmentProvider> provider)
{
    containmentProvider() = std::move(provider);
}

const VornickHTMLContainmentProvider* VornickCurrentHTMLContainmentProvider()
{
    return containmentProvider().get();
}

void VornickSetHTMLElementSpecProvider(std::shared_ptr<VornickHTMLElementSpecProvider> provider)
{
    elementSpecProvider() = std::move(provider);
}

const VornickHTMLElementSpecProvider* VornickCurrentHTMLElementSpecProvider()
{
    return elementSpecProvider().get();
}

char16_t vornick_nonBreakingSpaceSubstituteCharacter(const DOMNode& node)
{
    DOMDocument* document = node.document();
    return document ? VornickCurrentFrameStateProvider().nonBreakingSpaceSubstituteCharacter(*document) : 0;
}

std::vector<std::shared_ptr<VornickAttachmentPointReference>> vornick_attachmentPoints(const DOMNode& node)
{
    DOMDocument* document = node.document();
    if (!document)
        return {};
    return VornickCurrentFrameStateProvider().attachmentPoints(*document);
}

} // namespace brevanton

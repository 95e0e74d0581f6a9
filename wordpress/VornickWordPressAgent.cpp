#include "wordpress/VornickWordPressAgent.h"

#include "platform/foundation/Assertions.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressAgentDelegate.h"

namespace brevanton {

namespace {

[[noreturn]] void subclassesMustOverride(const char* selector)
{
    throwInternalInconsistency(__FILE__, __LINE__, "overridden", std::string("Subclasses must override -") + selector);
}

} // namespace

VornickWordPressAgent::VornickWordPressAgent() = default;
VornickWordPressAgent::~VornickWordPressAgent() = default;

std::shared_ptr<VornickWordPressAccount> VornickWordPressAgent::wordPressAccount() const
{
    return std::dynamic_pointer_cast<VornickWordPressAccount>(account());
}

void VornickWordPressAgent::setAccount(std::shared_ptr<VornickBlogServiceAgentAccount> account)
{
    VornickBlogServiceAgent::setAccount(std::move(account));
}

void VornickWordPressAgent::updateHostNameToWatchFromWordPressAccount() { }

VornickWordPressAgentDelegate* VornickWordPressAgent::wordPressDelegate() const
{
    return dynamic_cast<VornickWordPressAgentDelegate*>(delegate());
}

std::u16string VornickWordPressAgent::userAgentString() { return userAgent(); }

const Dictionary& VornickWordPressAgent::constantPostFormatDescriptions()
{
    static const Dictionary formats;
    return formats;
}

const Dictionary& VornickWordPressAgent::constantPostStatusDescriptions()
{
    static const Dictionary statuses;
    return statuses;
}

bool VornickWordPressAgent::beginInteractiveAuthenticationIfNeededForBlogWithDescription(const Dictionary*, std::function<void(Error)>)
{
    return false;
}

std::optional<URL> VornickWordPressAgent::wordPressRESTAPIURLForEndpointPath(std::u16string_view, int) const { return std::nullopt; }

void VornickWordPressAgent::postRESTRequestWithEndpointPath(std::u16string_view, int, std::u16string_view, const Value&,
    const QueryParameters&, std::shared_ptr<const VornickWordPressRESTPayload>, RESTSuccessBlock, RESTFailureBlock)
{
}

void VornickWordPressAgent::loadAuthorizedRESTRequest(URLRequest, RESTSuccessBlock, RESTFailureBlock) { }

void VornickWordPressAgent::requestBlogDescriptionsUsingWordPressRESTAPI() { }

void VornickWordPressAgent::requestPostsForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset)
{
    requestWordPressPostsOfType(u"post", blogDescription, startOffset);
}

void VornickWordPressAgent::requestPagesForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset)
{
    requestWordPressPostsOfType(u"page", blogDescription, startOffset);
}

Dictionary VornickWordPressAgent::mediaItemVariantsDictionaryForWordPressSizesDictionary(const Dictionary&) { return {}; }

void VornickWordPressAgent::requestWordPressPostsOfType(std::u16string_view, const Dictionary&, int64_t)
{
    subclassesMustOverride("requestWordPressPostsOfType:forBlogWithDescription:startOffset:");
}

void VornickWordPressAgent::requestBlogOptionsForBlogWithDescription(const Dictionary&)
{
    subclassesMustOverride("requestBlogOptionsForBlogWithDescription:");
}

void VornickWordPressAgent::requestCategoriesForBlogWithDescription(const Dictionary&, int64_t)
{
    subclassesMustOverride("requestCategoriesForBlogWithDescription:startOffset:");
}

bool VornickWordPressAgent::wantsRequestTagsStep() const { subclassesMustOverride("wantsRequestTagsStep"); }

void VornickWordPressAgent::requestTagsForBlogWithDescription(const Dictionary&, int64_t)
{
    subclassesMustOverride("requestTagsForBlogWithDescription:startOffset:");
}

void VornickWordPressAgent::requestPostFormatsForBlogWithDescription(const Dictionary&)
{
    subclassesMustOverride("requestPostFormatsForBlogWithDescription:");
}

void VornickWordPressAgent::requestPostStatusesForBlogWithDescription(const Dictionary&)
{
    subclassesMustOverride("requestPostStatusesForBlogWithDescription:");
}

void VornickWordPressAgent::requestMediaItemsForBlogWithDescription(const Dictionary&, int64_t)
{
    subclassesMustOverride("requestMediaItemsForBlogWithDescription:startOffset:");
}

void VornickWordPressAgent::uploadMediaItem(const std::shared_ptr<VornickWordPressMediaItem>&, const Dictionary&)
{
    subclassesMustOverride("uploadMediaItem:forBlogWithDescription:");
}

} // namespace brevanton

// VornickWordPressAgentDelegate: what a WordPress agent tells its integrator
// beyond the answers every blog service agent gives. Each request ends in
// exactly one of these, on the main thread. Every operation does nothing
// unless overridden: an integrator that does not care about an answer
// leaves it alone.
#pragma once

#include "blog/VornickBlogServiceAgentDelegate.h"
#include "wordpress/VornickWordPressMediaItemDescription.h"
#include "wordpress/VornickWordPressPostDescription.h"
#include "wordpress/VornickWordPressSiteSettings.h"
#include "wordpress/VornickWordPressTermDescription.h"

#include <memory>

namespace brevanton {

class VornickWordPressAgent;
class VornickWordPressMediaItem;

class VornickWordPressAgentDelegate : public virtual VornickBlogServiceAgentDelegate {
public:
    // A page of a post or page listing, as the agents answer it; unless
    // overridden handed on as the blog service's post descriptions
    // (VornickWordPressPostDescription::dictionary()).
    virtual void wordPressAgentReceivedPostDescriptions(VornickWordPressAgent&, const std::vector<VornickWordPressPostDescription>& posts,
        const Dictionary& blogDescription, int64_t startOffset, bool couldBeMore);
    virtual void wordPressAgentReceivedPageDescriptions(VornickWordPressAgent&, const std::vector<VornickWordPressPostDescription>& pages,
        const Dictionary& blogDescription, int64_t startOffset, bool couldBeMore);

    virtual void wordPressAgentReceivedBlogOptions(VornickWordPressAgent&, const VornickWordPressSiteSettings&, const Dictionary& /*blogDescription*/) { }
    virtual void wordPressAgentFailedToReceiveBlogOptions(VornickWordPressAgent&, const Dictionary& /*blogDescription*/, const Error&) { }

    virtual void wordPressAgentReceivedPostFormatDescriptions(VornickWordPressAgent&, const Dictionary& /*formats*/,
        const Dictionary& /*blogDescription*/) { }
    virtual void wordPressAgentFailedToReceivePostFormatDescriptions(VornickWordPressAgent&, const Dictionary& /*blogDescription*/,
        const Error&) { }
    virtual void wordPressAgentReceivedPostStatusDescriptions(VornickWordPressAgent&, const Dictionary& /*statuses*/,
        const Dictionary& /*blogDescription*/) { }
    virtual void wordPressAgentFailedToReceivePostStatusDescriptions(VornickWordPressAgent&, const Dictionary& /*blogDescription*/,
        const Error&) { }

    virtual void wordPressAgentReceivedCategoryDescriptions(VornickWordPressAgent&, const std::vector<VornickWordPressTermDescription>& /*categories*/,
        const Dictionary& /*blogDescription*/, int64_t /*startOffset*/, bool /*couldBeMore*/) { }
    virtual void wordPressAgentFailedToReceiveCategoryDescriptions(VornickWordPressAgent&, const Dictionary& /*blogDescription*/,
        const Error&) { }
    virtual void wordPressAgentReceivedTagDescriptions(VornickWordPressAgent&, const std::vector<VornickWordPressTermDescription>& /*tags*/,
        const Dictionary& /*blogDescription*/, int64_t /*startOffset*/, bool /*couldBeMore*/) { }
    virtual void wordPressAgentFailedToReceiveTagDescriptions(VornickWordPressAgent&, const Dictionary& /*blogDescription*/,
        const Error&) { }

    virtual void wordPressAgentReceivedMediaItemDescriptions(VornickWordPressAgent&, const std::vector<VornickWordPressMediaItemDescription>& /*items*/,
        const Dictionary& /*blogDescription*/, int64_t /*startOffset*/, bool /*couldBeMore*/) { }
    virtual void wordPressAgentFailedToReceiveMediaItemDescriptions(VornickWordPressAgent&, const Dictionary& /*blogDescription*/,
        int64_t /*startOffset*/, const Error&) { }

    // `stored` is what the site said of the item it stored: at least its identifier.
    virtual void wordPressAgentReceivedPropertiesOfUploadedMediaItem(VornickWordPressAgent&, const VornickWordPressMediaItemDescription& /*stored*/,
        const std::shared_ptr<VornickWordPressMediaItem>&, const Dictionary& /*blogDescription*/) { }
    // The error says why (the site's size limit, a reply without an identifier, ...).
    virtual void wordPressAgentFailedToUploadMediaItem(VornickWordPressAgent&, const std::shared_ptr<VornickWordPressMediaItem>&,
        const Dictionary& /*blogDescription*/, const Error&) { }
};

} // namespace brevanton

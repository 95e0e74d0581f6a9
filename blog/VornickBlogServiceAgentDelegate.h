// VornickBlogServiceAgentDelegate: how an agent answers the integrator. Each
// request of an agent ends in exactly one of these, on the main thread. The
// native post identifier is the one the request carried.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "toolkit/VornickHostConnectionWatcher.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brevanton {

class VornickBlogServiceAgent;

class VornickBlogServiceAgentDelegate {
public:
    virtual ~VornickBlogServiceAgentDelegate() = default;

    virtual void blogServiceAgentHostConnectionStatusChanged(VornickBlogServiceAgent&, VornickHostConnectionStatus) = 0;

    virtual void blogServiceAgentReceivedBlogDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>& blogDescriptions) = 0;
    virtual void blogServiceAgentFailedToGetBlogDescriptionsWithError(VornickBlogServiceAgent&, const Error&) = 0;

    // One page of a listing: `startOffset` is the offset of its first
    // element; `couldBeMore` when another page may follow.
    virtual void blogServiceAgentReceivedPostDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>& postDescriptions,
        const Dictionary& blogDescription, int64_t startOffset, bool couldBeMore) = 0;
    virtual void blogServiceAgentFailedToGetPostDescriptionsWithError(VornickBlogServiceAgent&, const Error&, const Dictionary& blogDescription) = 0;
    virtual void blogServiceAgentReceivedPageDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>& pageDescriptions,
        const Dictionary& blogDescription, int64_t startOffset, bool couldBeMore) = 0;
    virtual void blogServiceAgentFailedToGetPageDescriptionsWithError(VornickBlogServiceAgent&, const Error&, const Dictionary& blogDescription) = 0;

    // `newPostDescription` is the server's description of the stored post;
    // `awaitUpdatedProperties` when the agent follows with a request for them.
    virtual void blogServiceAgentSuccessfullySentPostChanges(VornickBlogServiceAgent&, const Dictionary& postChanges,
        const Dictionary& blogDescription, const Value& nativePostIdentifier, const Dictionary& newPostDescription,
        bool awaitUpdatedProperties) = 0;
    virtual void blogServiceAgentFailedToSendPostChanges(VornickBlogServiceAgent&, const Dictionary& postChanges, const Dictionary& blogDescription) = 0;

    virtual void blogServiceAgentReceivedUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent&, const Dictionary& updatedProperties,
        const Dictionary& blogDescription, const Value& nativePostIdentifier) = 0;
    virtual void blogServiceAgentFailedToReceiveUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent&, const std::u16string& postIdentifier,
        const Dictionary& blogDescription, const Value& nativePostIdentifier) = 0;

    virtual void blogServiceAgentSuccessfullyDeletedPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& postIdentifier,
        const Value& nativePostIdentifier, const Dictionary& blogDescription) = 0;
    virtual void blogServiceAgentFailedToDeletePostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& postIdentifier,
        const Value& nativePostIdentifier, const Dictionary& blogDescription, const Error&) = 0;

    // `inTrashOnServer` when the post is still in the server's trash, false when it is gone.
    virtual void blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& postIdentifier,
        const Value& nativePostIdentifier, const Dictionary& blogDescription, bool inTrashOnServer) = 0;
    // The server did not confirm that the post is gone or in its trash.
    virtual void blogServiceAgentFailedToConfirmServerSideDeletionOfPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& postIdentifier,
        const Value& nativePostIdentifier, const Dictionary& blogDescription, const Error&) = 0;

    // The answers to requestPostWithIdentifier, which only some agents make.
    virtual void blogServiceAgentReceivedPostDescription(VornickBlogServiceAgent&, const Dictionary& /*postDescription*/,
        const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/) { }
    virtual void blogServiceAgentFailedToGetPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& /*postIdentifier*/,
        const Value& /*nativePostIdentifier*/, const Dictionary& /*blogDescription*/, const Error&) { }
};

} // namespace brevanton

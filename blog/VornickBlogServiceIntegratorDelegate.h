// VornickBlogServiceIntegratorDelegate: what the integrator tells the object
// that drives it (the account editor) after it has done its own work with an
// agent's answer. Every operation is optional: the defaults do nothing.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brevanton {

class VornickBlogServiceIntegrator;
class VornickBlogServiceSyncSession;

class VornickBlogServiceIntegratorDelegate {
public:
    virtual ~VornickBlogServiceIntegratorDelegate() = default;

    virtual void blogServiceIntegratorReceivedBlogDescriptions(VornickBlogServiceIntegrator&, const std::vector<Dictionary>&) { }
    virtual void blogServiceIntegratorFailedToGetBlogDescriptionsWithError(VornickBlogServiceIntegrator&, const Error&) { }
    virtual void blogServiceIntegratorReceivedPostDescriptions(VornickBlogServiceIntegrator&, const std::vector<Dictionary>&,
        const Dictionary& /*blogDescription*/, int64_t /*startOffset*/, bool /*couldBeMore*/) { }
    virtual void blogServiceIntegratorFailedToGetPostDescriptionsWithError(VornickBlogServiceIntegrator&, const Error&,
        const Dictionary& /*blogDescription*/) { }
    virtual void blogServiceIntegratorReceivedPageDescriptions(VornickBlogServiceIntegrator&, const std::vector<Dictionary>&,
        const Dictionary& /*blogDescription*/, int64_t /*startOffset*/, bool /*couldBeMore*/) { }
    virtual void blogServiceIntegratorFailedToGetPageDescriptionsWithError(VornickBlogServiceIntegrator&, const Error&,
        const Dictionary& /*blogDescription*/) { }
    // Asked to queue an upload of the post's changes; false when the
    // delegate does not take such requests (nothing is queued then).
    virtual bool blogServiceIntegratorRequestScheduledSendOfPostChanges(VornickBlogServiceIntegrator&, const Dictionary& /*postChanges*/,
        const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/) { return false; }
    virtual void blogServiceIntegratorSuccessfullySentPostChanges(VornickBlogServiceIntegrator&, const Dictionary& /*postChanges*/,
        const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/, const Dictionary& /*newPostDescription*/,
        bool /*awaitUpdatedPropertiesForJustPublishedPost*/) { }
    virtual void blogServiceIntegratorFailedToSendPostChanges(VornickBlogServiceIntegrator&, const Dictionary& /*postChanges*/,
        const Dictionary& /*blogDescription*/) { }
    virtual void blogServiceIntegratorReceivedUpdatedPropertiesForJustPublishedPost(VornickBlogServiceIntegrator&,
        const Dictionary& /*updatedProperties*/, const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/) { }
    virtual void blogServiceIntegratorFailedToReceiveUpdatedPropertiesForJustPublishedPost(VornickBlogServiceIntegrator&,
        const std::u16string& /*postIdentifier*/, const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/) { }
    virtual void blogServiceIntegratorSyncSessionDidChangeState(VornickBlogServiceIntegrator&, VornickBlogServiceSyncSession&) { }
    virtual void blogServiceIntegratorSuccessfullyDeletedPostWithIdentifier(VornickBlogServiceIntegrator&, const std::u16string&,
        const Value& /*nativePostIdentifier*/, const Dictionary& /*blogDescription*/) { }
    virtual void blogServiceIntegratorFailedToDeletePostWithIdentifier(VornickBlogServiceIntegrator&, const std::u16string&,
        const Value& /*nativePostIdentifier*/, const Dictionary& /*blogDescription*/, const Error&) { }
    virtual void blogServiceIntegratorConfirmedServerSideDeletionOfPostWithIdentifier(VornickBlogServiceIntegrator&, const std::u16string&,
        const Value& /*nativePostIdentifier*/, const Dictionary& /*blogDescription*/, bool /*inTrashOnServer*/) { }
    virtual void blogServiceIntegratorFailedToConfirmServerSideDeletionOfPostWithIdentifier(VornickBlogServiceIntegrator&,
        const std::u16string&, const Value& /*nativePostIdentifier*/, const Dictionary& /*blogDescription*/, const Error&) { }
};

} // namespace brevanton

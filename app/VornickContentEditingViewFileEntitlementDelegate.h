// What a content editing view asks of its host when a document refers to a
// file the program may not read yet.
#pragma once

#include "platform/foundation/URL.h"

#include <memory>

namespace brevanton {

class VornickContentEditingView;
class VornickEnduringFileReference;

class VornickContentEditingViewFileEntitlementDelegate {
public:
    virtual ~VornickContentEditingViewFileEntitlementDelegate() = default;
    // A reference granting read access to `resourceURL`, which the document
    // at `referencingDocumentURL` refers to; null when there is none.
    virtual std::shared_ptr<VornickEnduringFileReference> requestFileReferenceForAccessToResourceURL(
        VornickContentEditingView&, const URL& resourceURL, const URL& referencingDocumentURL) = 0;
};

} // namespace brevanton

// VornickGetWordPressPostTemplatesStep ("getTemplates", "Update Templates"):
// fetches the pages the post view shows posts in, into the blog's templates
// folder: "page.html" from a published page, "post-<format>.html" from a
// published sample post of each post format, or, when the integrator fetches
// templates by creating drafts, from the preview of one proxy draft whose
// format it switches in turn. Main thread only.
#pragma once

#include "blog/VornickSyncStep.h"

#include <optional>

namespace brevanton {

class VornickWordPressIntegrator;

// The native post identifier and title of the proxy draft.
inline constexpr const char16_t* VornickTemplateProxyDraftMarker = u"Vornick Template Proxy Draft";

class VornickGetWordPressPostTemplatesStep : public VornickSyncStep {
public:
    VornickGetWordPressPostTemplatesStep(std::u16string name, std::u16string title);
    ~VornickGetWordPressPostTemplatesStep() override;

    // The start block: logs in first when drafts are used.
    void loginIfNeededThenStartGettingTemplates();

    // The integrator's answers to the proxy draft's uploads.
    void updatedProxyDraftAndReceivedWordPressIdentifier(const std::optional<std::u16string>& postIdentifier);
    void failedToUpdateProxyDraft();

    const char* className() const override { return "VornickGetWordPressPostTemplatesStep"; }
};

} // namespace brevanton

// VornickBlogSyncStep: the node of one blog in a session, holding the steps
// that sync that blog.
#pragma once

#include "blog/VornickSyncStep.h"

namespace brevanton {

class VornickBlogSyncStep : public VornickSyncStep {
public:
    // Named by the session's stepNameForBlogWithDescription and titled "Sync
    // \"<title>\""; null when the description has no "title" string or no
    // "identifierUsedByBlogService" string.
    static std::shared_ptr<VornickBlogSyncStep> create(Dictionary blogDescription);

    const Dictionary& blogDescription() const { return m_blogDescription; }

    const char* className() const override { return "VornickBlogSyncStep"; }

private:
    struct Passkey { };

public:
    VornickBlogSyncStep(Passkey, std::u16string name, std::u16string title, Dictionary blogDescription);

private:
    Dictionary m_blogDescription;
};

} // namespace brevanton

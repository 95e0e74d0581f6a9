// VornickGetBlogsSyncStep ("getBlogs"): asks the agent for the account's site
// list; the integrator completes or fails it with the answer.
#pragma once

#include "blog/VornickSyncStep.h"

namespace brevanton {

class VornickGetBlogsSyncStep : public VornickSyncStep {
public:
    VornickGetBlogsSyncStep(std::u16string name, std::u16string title) : VornickSyncStep(std::move(name), std::move(title)) { }
    const char* className() const override { return "VornickGetBlogsSyncStep"; }
};

} // namespace brevanton

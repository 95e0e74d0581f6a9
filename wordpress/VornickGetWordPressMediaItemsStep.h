// VornickGetWordPressMediaItemsStep ("getMediaItems", "Get Media Library
// Items"): reads the blog's media library from the site, page by page.
#pragma once

#include "wordpress/VornickWordPressRequestStep.h"

namespace brevanton {

class VornickGetWordPressMediaItemsStep : public VornickWordPressRequestStep {
public:
    using VornickWordPressRequestStep::VornickWordPressRequestStep;
    const char* className() const override { return "VornickGetWordPressMediaItemsStep"; }
};

} // namespace brevanton

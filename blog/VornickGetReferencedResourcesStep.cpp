#include "blog/VornickGetReferencedResourcesStep.h"

#include "platform/foundation/URL.h"
#include "toolkit/VornickRange.h"

namespace brevanton {

void VornickGetReferencedResourcesStep::gatherResourceNeeds()
{
}

void VornickGetReferencedResourcesStep::gatherResourceNeedsFromPostsAndPages()
{
}

void VornickGetReferencedResourcesStep::gatherResourceNeedsFromMediaLibrary()
{
}

void VornickGetReferencedResourcesStep::startGettingResources()
{
}

void VornickGetReferencedResourcesStep::postNextRequest()
{
}

void VornickGetReferencedResourcesStep::addRequestForURL(const URL&)
{
}

void VornickGetReferencedResourcesStep::scheduleFetchToCacheOfResourcesReferencedByPost(const VornickPublishedBlogPost&)
{
}

void VornickGetReferencedResourcesStep::scheduleFetchToCacheOfResourceURLIfNeeded(const URL&, const VornickPublishedBlogPost*)
{
}

} // namespace brevanton

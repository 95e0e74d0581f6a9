#include "blog/VornickGetAPIEndpointSyncStep.h"

#include "platform/foundation/URL.h"
#include "toolkit/VornickRange.h"

namespace brevanton {

void VornickGetAPIEndpointSyncStep::startGettingAPIEndpoint()
{
}

std::optional<std::u16string> VornickGetAPIEndpointSyncStep::getEndpointURLStringFromHTMLData(const Data&)
{
    return {};
}

} // namespace brevanton

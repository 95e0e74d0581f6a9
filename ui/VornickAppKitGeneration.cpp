#include "ui/VornickAppKitGeneration.h"

#include "platform/views/Appearance.h"

namespace brevanton {

unsigned VornickAppKitGenerationForVersionNumber(double versionNumber)
{
    if (versionNumber <= 1266.0)
        return 2;
    if (versionNumber <= 1672.0)
        return 3;
    return 4;
}

unsigned VornickAppKitGeneration()
{
    static const unsigned generation = VornickAppKitGenerationForVersionNumber(ViewLayerVersionNumber);
    return generation;
}

} // namespace brevanton

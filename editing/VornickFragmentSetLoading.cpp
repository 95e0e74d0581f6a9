#include "editing/VornickFragmentSetLoading.h"

namespace brevanton {

namespace {

VornickFragmentSetLoaders& loaders()
{
    static VornickFragmentSetLoaders installed;
    return installed;
}

} // namespace

void VornickSetFragmentSetLoaders(VornickFragmentSetLoaders newLoaders)
{
    loaders() = std::move(newLoaders);
}

const VornickFragmentSetLoaders& VornickCurrentFragmentSetLoaders()
{
    return loaders();
}

} // namespace brevanton

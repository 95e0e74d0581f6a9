#include "wordpress/VornickTemplatePageLoader.h"

#include <utility>

namespace brevanton {

namespace {

VornickTemplatePageLoader::Maker& installedMaker()
{
    static VornickTemplatePageLoader::Maker maker;
    return maker;
}

} // namespace

void VornickTemplatePageLoader::installMaker(Maker maker)
{
    installedMaker() = std::move(maker);
}

std::shared_ptr<VornickTemplatePageLoader> VornickTemplatePageLoader::make(ResourceLoadPolicy policy)
{
    const auto& maker = installedMaker();
    return maker ? maker(std::move(policy)) : nullptr;
}

} // namespace brevanton

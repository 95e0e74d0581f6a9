#include "wordpress/VornickWordPressBlogResourceReferenceReplacer.h"

#include "blog/VornickWordPressBlog.h"

namespace brevanton {

VornickWordPressBlogResourceReferenceReplacer::VornickWordPressBlogResourceReferenceReplacer(std::u16string htmlString,
                                                                                             std::optional<URL> baseURL,
                                                                                             std::shared_ptr<VornickWordPressBlog> blog)
    : VornickHTMLStringResourceReferenceReplacer(std::move(htmlString), std::move(baseURL))
    , m_wordPressBlog(std::move(blog))
{
}

std::u16string VornickWordPressBlogResourceReferenceReplacer::replacementURLStringForURLString(std::u16string_view urlString, const URL&)
{
    return std::u16string(urlString);
}

} // namespace brevanton

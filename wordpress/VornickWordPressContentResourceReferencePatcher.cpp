#include "wordpress/VornickWordPressContentResourceReferencePatcher.h"

#include "blog/VornickWordPressBlog.h"

namespace brevanton {

VornickWordPressContentResourceReferencePatcher::VornickWordPressContentResourceReferencePatcher(std::shared_ptr<VornickWordPressBlog> blog,
                                                                                                 std::optional<URL> baseURL)
    : m_blog(std::move(blog))
    , m_baseURL(std::move(baseURL))
{
}

VornickWordPressContentResourceReferencePatcher::~VornickWordPressContentResourceReferencePatcher() = default;

std::optional<std::u16string> VornickWordPressContentResourceReferencePatcher::patchReferencesInHTMLString(const std::u16string& htmlString)
{
    return htmlString;
}

} // namespace brevanton

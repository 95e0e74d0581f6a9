#include "blog/VornickBlogTemplateResourcePolicy.h"

#include "blog/VornickBlog.h"

namespace brevanton {

VornickBlogTemplateResourcePolicy::VornickBlogTemplateResourcePolicy(std::shared_ptr<VornickBlog> blog)
    : m_blog(std::move(blog))
{
}

VornickBlogTemplateResourcePolicy::~VornickBlogTemplateResourcePolicy() = default;

std::optional<URLRequest> VornickBlogTemplateResourcePolicy::requestToLoad(const URLRequest& request) const
{
    return request;
}

} // namespace brevanton

// The model of a blog project's index, "VornickWordPressBlogProject", built
// in code: the hosting account, blogs, posts (and pages), tags, categories,
// post formats and statuses, media items and their variants. One entity
// holds every attribute of a class and its subclasses ("Blog" has the
// WordPress blog's attributes too), so the class a project makes an entity
// as decides which of them it uses.
//
// The blog layer registers its classes; layers above it register theirs
// (the account and media item classes) through the customizer before the
// model is first used.
#pragma once

#include "platform/store/ManagedObjectModel.h"

#include <functional>
#include <memory>

namespace brevanton {

inline constexpr char16_t VornickBlogModelName[] = u"VornickWordPressBlogProject";

// The model with the blog layer's classes: "Blog" made as a
// VornickWordPressBlog and "BlogPost" as a VornickWordPressBlogPost when
// `wordPressClasses`, else as the generic published classes. `customize`
// may set further entity classes.
std::shared_ptr<ManagedObjectModel> vornickMakeBlogProjectModel(bool wordPressClasses,
                                                                const std::function<void(ManagedObjectModel&)>& customize = {});

} // namespace brevanton

#include "publishing/VornickBlogWindowOpening.h"

#include "blog/VornickPublishedBlog.h"
#include "blog/VornickWordPressBlog.h"
#include "publishing/VornickProjectEditor.h"
#include "publishing/VornickWordPressBlogEditor.h"
#include "toolkit/VornickErrors.h"

namespace brevanton {

void vornick_registerBlogWindowOpener()
{
    VornickProjectEditor::setComponentEditorOpener(u"Blog",
        [](VornickProjectEditor& projectEditor, const std::shared_ptr<VornickProjectComponent>& component, Error* outError)
            -> std::shared_ptr<VornickProjectComponentEditor> {
            auto blog = dynamicEntityCast<VornickBlog>(component);
            if (!blog) {
                setError(outError, Error(VornickErrorDomain, VornickPostFileNotInProjectError, u"Only blogs open in a blog window."));
                return nullptr;
            }
            if (std::dynamic_pointer_cast<VornickWordPressBlog>(blog))
                return VornickBlogEditor::create<VornickWordPressBlogEditor>(projectEditor, blog);
            if (std::dynamic_pointer_cast<VornickPublishedBlog>(blog))
                return VornickBlogEditor::create<VornickPublishedBlogEditor>(projectEditor, blog);
            return VornickBlogEditor::create(projectEditor, blog);
        });
}

} // namespace brevanton

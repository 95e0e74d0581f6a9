// VornickPublishedBlogProject: a project whose blogs live in its "blogs"
// folder, one folder per blog holding the blog file and the "posts",
// "pages" and "media" folders. Subclasses give the file-name extensions of
// their blog and post files; the generic ones are "brevantonblog" and
// "brevantonblogpost".
#pragma once

#include "documents/VornickProject.h"

namespace brevanton {

class VornickPublishedBlogProject : public VornickProject {
public:
    virtual std::u16string blogFilenameExtension() const { return u"brevantonblog"; }
    virtual std::u16string postFilenameExtension() const { return u"brevantonblogpost"; }

    // The source root + "blogs/" (a folder URL).
    URL blogsFolderURL() const { return sourceRootURL().URLByAppendingPathComponent(u"blogs", true); }
    URL initialIndexingFolderURL() const override { return blogsFolderURL(); }
};

} // namespace brevanton

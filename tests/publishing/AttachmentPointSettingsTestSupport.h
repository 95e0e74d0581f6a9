// A WordPress blog in a test project and a blog editor around it, for the
// attachment point settings sheet's tests.
#pragma once

#include "tests/blog/BlogModelTestSupport.h"

#include "blog/VornickWordPressBlog.h"
#include "editing/VornickAttachmentPoint.h"
#include "platform/views/Window.h"
#include "publishing/VornickBlogPostViewHost.h"

namespace brevanton {

class FakeBlogEditor final : public VornickBlogPostViewHost {
public:
    explicit FakeBlogEditor(std::shared_ptr<VornickBlog> blog)
        : m_blog(std::move(blog))
    {
    }
    std::shared_ptr<VornickBlog> blog() const override { return m_blog; }
    std::shared_ptr<Window> windowForSheet() const override { return window; }
    void editAttachmentPointSettings() override { ++settingsRequests; }
    void attachmentPostSettingsDidChange() override { ++settingsChanges; }

    std::shared_ptr<Window> window = Window::create(Rect(100, 100, 800, 600));
    int settingsRequests { 0 };
    int settingsChanges { 0 };

private:
    std::shared_ptr<VornickBlog> m_blog;
};

inline std::shared_ptr<VornickWordPressBlog> makeWordPressBlog(TestBlogProject& project, const std::u16string& folderName)
{
    auto& context = *project.index()->managedObjectContext();
    auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context.insertNewObject(u"Blog"));
    blog->setBlogFolderName(folderName);
    blog->setSourceFileName(folderName + u".brevantonwordpressblog");
    blog->setObjectForKey(project.rootComponent(), u"hostingAccount");
    return blog;
}

// The blog stores a set of these selectors (identifier -> selector), for the theme.
inline void storeLocatorSet(VornickBlog& blog, const std::map<std::u16string, std::u16string>& selectors,
                            std::optional<std::u16string> theme = std::nullopt)
{
    std::map<std::u16string, std::shared_ptr<VornickAttachmentPointLocator>> locators;
    for (const auto& [identifier, selector] : selectors)
        locators[identifier] = std::make_shared<VornickAttachmentPointLocator>(identifier, selector);
    VornickAttachmentPointLocatorSet set(std::move(locators));
    set.setIdentifier(std::move(theme));
    blog.setPostAttachmentPointData(set.data());
}

// identifier -> selector of the set the blog stores; empty when none decodes.
inline std::map<std::u16string, std::u16string> storedSelectors(const VornickBlog& blog)
{
    std::map<std::u16string, std::u16string> selectors;
    auto data = blog.postAttachmentPointData();
    auto set = data ? VornickAttachmentPointLocatorSet::createWithData(*data) : nullptr;
    if (set) {
        for (const auto& [identifier, locator] : set->locatorsByIdentifier())
            selectors[identifier] = locator->selector();
    }
    return selectors;
}

} // namespace brevanton

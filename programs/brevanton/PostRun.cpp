#include "PostRun.h"

#include "BlogProjectRun.h"
#include "app/VornickWindow.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "editing/VornickAttachmentPoint.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "publishing/VornickBlogPostViewDelegate.h"
#include "publishing/VornickWordPressPostView.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <cstdio>
#include <filesystem>

namespace brevanton {

namespace {

constexpr double postLoadTimeLimit = 120;

// The post window's stand-in: the blog's templates, its failures noted.
class HeadlessPostViewDelegate : public VornickBlogPostViewDelegate {
public:
    explicit HeadlessPostViewDelegate(std::shared_ptr<VornickBlog> blog)
        : m_blog(std::move(blog))
    {
    }
    std::optional<URL> blogPostViewTemplatesFolderURL(VornickBlogPostView&) override { return m_blog->templatesFolderURL(); }
    bool respondsToFailedAttachment() const override { return true; }

private:
    std::shared_ptr<VornickBlog> m_blog;
};

// Runs until the view's load (and any load it started after it) ended.
bool waitForPostView(VornickWordPressPostView& view)
{
    auto settled = [&view] { return !view.loadingContent() && view.loadingState() != VornickContentLoadingState::InProgress; };
    auto deadline = Date::now().addingTimeInterval(postLoadTimeLimit);
    while (Date::now() < deadline) {
        RunLoop::main().runUntil(settled, 0.1);
        for (int turn = 0; turn < 100 && RunLoop::main().runOnce(0); ++turn) {
        }
        if (settled())
            return true;
    }
    return false;
}

std::string joined(const std::vector<std::u16string>& list)
{
    std::string text;
    for (const auto& item : list)
        text += (text.empty() ? "" : ", ") + toUTF8(item);
    return text.empty() ? "(none)" : text;
}

} // namespace

bool isWordPressPostPath(const std::string& path)
{
    return path.ends_with(".brevantonwordpresspost") && fileExists(path);
}

int runWordPressPost(const std::string& path, bool save)
{
    auto projectFile = VornickWordPressBlogProject::projectFilePathAroundPostFile(path);
    auto folder = projectFile ? std::optional(std::filesystem::path(*projectFile).parent_path().string()) : std::nullopt;
    if (!folder) {
        std::fprintf(stderr, "brevanton: %s lies in no account project\n", path.c_str());
        return 1;
    }
    auto project = openWordPressBlogProject(*folder);
    if (!project)
        return 1;
    auto post = project->postWithFilePath(path);
    auto blog = post ? post->blog() : nullptr;
    if (!post || !blog) {
        std::fprintf(stderr, "brevanton: the account project in %s holds no post in %s\n", folder->c_str(), path.c_str());
        return 1;
    }

    HeadlessPostViewDelegate delegate(blog);
    auto window = VornickWindow::create(Rect(0, 0, 1024, 768));
    auto view = VornickContentEditingView::create<VornickWordPressPostView>(Rect(0, 0, 1024, 768));
    window->setContentView(view);
    window->orderFront();
    view->setPaintsLoadedSource(false);
    view->setDelegate(&delegate);
    view->setPost(post);
    bool loaded = waitForPostView(*view);

    std::printf("post: %s\n", toUTF8(post->title()).c_str());
    auto templateURL = view->mainFrameURL();
    std::printf("template: %s%s\n", view->usingClearView() ? "Clear View" : templateURL ? toUTF8(templateURL->absoluteString()).c_str() : "(none)",
                view->fellBackToStandardTemplate() && !view->usingClearView() ? " (fell back to the standard template)" : "");
    std::vector<std::u16string> attached;
    for (const auto& [identifier, point] : view->postAttachmentPointsByIdentifier())
        attached.push_back(identifier);
    std::printf("attached: %s\n", joined(attached).c_str());
    std::printf("failed: %s\n", joined(view->identifiersOfFailedAttachmentPoints()).c_str());
    std::printf("failed, not absolved: %s\n", joined(view->identifiersOfUnAbsolvedFailedAttachmentPoints()).c_str());
    auto errors = view->validateContent();
    std::printf("block errors: %zu\n", errors.size());
    for (const auto& error : errors)
        std::printf("  %s\n", toUTF8(error.error().localizedDescription()).c_str());
    std::vector<std::u16string> refused;
    for (const auto& url : view->refusedResourceURLs())
        refused.push_back(url.absoluteString());
    std::printf("refused loads: %s\n", joined(refused).c_str());

    int status = loaded ? 0 : 1;
    if (!loaded)
        std::fprintf(stderr, "brevanton: the post's template did not finish loading\n");
    if (save && loaded) {
        Error error;
        auto url = post->sourceFileURL();
        if (!view->updatePostFromContent()) {
            std::fprintf(stderr, "brevanton: the post could not be read from its page\n");
            status = 1;
        } else if (!post->hasEditsNotYetSavedToSourceFile()) {
            std::printf("saved: nothing changed\n");
        } else if (!url || !post->writePostToURL(*url, VornickObjectArchiveFormat::JSON, &error)
                   || !project->index()->commitEditingAndSave(&error)) {
            std::fprintf(stderr, "brevanton: saving the post failed: %s\n", toUTF8(error.localizedDescription()).c_str());
            status = 1;
        } else {
            std::printf("saved: %s\n", url->fileSystemPath().value_or("").c_str());
        }
    }
    view->setDelegate(nullptr);
    window->close();
    return status;
}

} // namespace brevanton

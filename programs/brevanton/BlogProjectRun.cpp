#include "BlogProjectRun.h"

#include "blog/VornickBlogPost.h"
#include "blog/VornickBlogServiceIntegrator.h"
#include "blog/VornickBlogServiceIntegratorDelegate.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "blog/VornickSyncFailureMessage.h"
#include "blog/VornickSyncStep.h"
#include "blog/VornickWordPressBlog.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/store/PersistentStore.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "toolkit/VornickObjectArchive.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressAgent.h"
#include "wordpress/VornickWordPressAgentFactory.h"
#include "wordpress/VornickWordPressBlogProject.h"
#include "wordpress/VornickWordPressMediaItem.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace brevanton {

namespace {

// Longer than any session of a site answering at all needs.
constexpr double syncSessionTimeLimit = 30 * 60;

std::string projectFilePath(const std::string& path)
{
    if (isDirectory(path))
        return path + "/" + toUTF8(VornickWordPressProjectFileName);
    return path;
}

// An archive as its file holds it: dates to the second.
std::string describeArchive(const VornickObjectArchive& archive)
{
    Dictionary written = archive.propertyList();
    for (auto& [key, value] : written) {
        if (value.isDate())
            value = Value(VornickObjectArchive::archivedDateString(value.date()));
    }
    return Value(written).description();
}

// What the files hold of every blog, post and media item, by its place.
std::map<std::string, std::string> describeIndex(ManagedObjectContext& context)
{
    std::map<std::string, std::string> objects;
    auto blogs = vornick_allEntitiesOfKind(context, u"Blog");
    for (auto& object : blogs.value_or(ManagedObjects())) {
        auto blog = std::dynamic_pointer_cast<VornickPublishedBlog>(object);
        if (!blog)
            continue;
        std::string place = toUTF8(blog->blogFolderName()) + "/";
        objects[place + toUTF8(blog->sourceFileName())] = describeArchive(*blog->archivalRepresentation());
        for (auto& post : blog->posts()) {
            objects[place + toUTF8(post->sourceFileURL() ? post->sourceFileURL()->URLByDeletingLastPathComponent().lastPathComponent() : u"")
                    + "/" + toUTF8(post->sourceFileName())] = describeArchive(*post->archivalRepresentation());
        }
        for (auto& item : blog->objectsForKey(u"mediaItems")) {
            if (auto mediaItem = std::dynamic_pointer_cast<VornickWordPressMediaItem>(item))
                objects[place + "media/" + toUTF8(mediaItem->sourceFileName())]
                    = describeArchive(*mediaItem->archivalRepresentation());
        }
    }
    return objects;
}

void printReport(VornickWordPressBlogProject& project)
{
    auto account = project.wordPressAccount();
    std::printf("account: %s\n", account ? toUTF8(account->displayNameForWindowTitle()).c_str() : "(none)");
    if (account)
        std::printf("  address: %s\n", toUTF8(account->rootURLString()).c_str());
    auto& context = *project.index()->managedObjectContext();
    auto blogs = vornick_allEntitiesOfKind(context, u"Blog").value_or(ManagedObjects());
    std::printf("blogs: %zu\n", blogs.size());
    for (auto& object : blogs) {
        auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(object);
        if (!blog)
            continue;
        size_t queued = 0;
        size_t conflicts = 0;
        for (auto& post : blog->posts()) {
            auto published = std::dynamic_pointer_cast<VornickPublishedBlogPost>(post);
            queued += published && published->publishAtNextSync();
            conflicts += published && published->hasPendingPostDescription();
        }
        size_t terms = blog->countForKey(u"tags") + blog->countForKey(u"categories") + blog->countForKey(u"postFormats")
            + blog->countForKey(u"postStatuses");
        std::printf("blog: %s (folder %s)\n", toUTF8(blog->displayName()).c_str(), toUTF8(blog->blogFolderName()).c_str());
        std::printf("  posts %zu, pages %zu, terms %zu, media %zu, trashed %zu, queued %zu, conflicts %zu\n",
                    blog->postsOnly().size(), blog->pagesOnly().size(), terms, blog->countForKey(u"mediaItems"),
                    blog->postsInTrash().size(), queued, conflicts);
    }
}

// What the account editor does with the uploads a session schedules: they
// go in an upload session of the synchronizer, queued behind the running one.
class QueuedUploads final : public VornickBlogServiceIntegratorDelegate {
public:
    explicit QueuedUploads(VornickPublishedBlogSynchronizer& synchronizer)
        : m_synchronizer(synchronizer)
    {
    }
    bool blogServiceIntegratorRequestScheduledSendOfPostChanges(VornickBlogServiceIntegrator&, const Dictionary& postChanges,
                                                                const Dictionary& blogDescription, const Value& nativePostIdentifier) override
    {
        return m_synchronizer.queueSyncToUploadPostChanges(postChanges, blogDescription, nativePostIdentifier);
    }

private:
    VornickPublishedBlogSynchronizer& m_synchronizer;
};

// What this run added to the log: the text after what it held before,
// though the earliest sessions were culled since. A cull removes what
// precedes a session's start, so the text kept of the earlier log is a
// part of it that begins at its start or at a session's start line.
std::u16string_view textAddedToLog(std::u16string_view before, std::u16string_view after)
{
    constexpr std::u16string_view sessionStart = u"== BEGIN Sync Session";
    for (size_t kept = 0; kept < before.size(); kept = before.find(sessionStart, kept + 1)) {
        if (kept == std::u16string_view::npos)
            break;
        bool atLineStart = kept == 0 || before[kept - 1] == u'\n';
        if (atLineStart && after.starts_with(before.substr(kept)))
            return after.substr(before.size() - kept);
    }
    // Nothing of the earlier text is left (this run culled it all), or there was none.
    return after.starts_with(before) ? after.substr(before.size()) : after;
}

// The failed step of a session that failed and its message, as the window
// shows them, and what to do about it.
void printFailure(VornickBlogServiceSyncSession& session)
{
    if (session.state() != VornickSyncStepState::Failed && session.state() != VornickSyncStepState::CancelledByFailures)
        return;
    auto failure = VornickSyncSessionFailure(session);
    if (!failure) {
        std::printf("%s failed\n", toUTF8(session.title()).c_str());
        return;
    }
    std::printf("%s failed: %s: %s\n  %s\n", toUTF8(session.title()).c_str(), toUTF8(failure->step->title()).c_str(),
                toUTF8(failure->message).c_str(), toUTF8(failure->advice).c_str());
}

bool saveProject(VornickWordPressBlogProject& project)
{
    Error error;
    bool saved = project.saveComponentsToSourceFilesIfNeeded(&error) && project.index()->commitEditingAndSave(&error);
    if (!saved)
        std::fprintf(stderr, "brevanton: writing back unsaved changes failed: %s\n", toUTF8(error.localizedDescription()).c_str());
    return saved;
}

} // namespace

std::shared_ptr<VornickWordPressBlogProject> openWordPressBlogProject(const std::string& path)
{
    if (!fileExists(projectFilePath(path))) {
        std::fprintf(stderr, "brevanton: no account project in %s: it has no file %s\n", path.c_str(),
                     toUTF8(VornickWordPressProjectFileName).c_str());
        return nullptr;
    }
    Error error;
    auto project = VornickProject::createWithContentsOfProjectFileURL<VornickWordPressBlogProject>(
        URL::fileURLWithPath(std::string_view(projectFilePath(path)), false), &error);
    if (!project)
        std::fprintf(stderr, "brevanton: cannot open the account project %s: %s\n", path.c_str(),
                     toUTF8(error.localizedDescription()).c_str());
    else if (!project->index()->rebuildNotice().empty())
        std::fprintf(stderr, "brevanton: %s\n", toUTF8(project->index()->rebuildNotice()).c_str());
    return project;
}

bool isBlogProjectPath(const std::string& path)
{
    return fileExists(projectFilePath(path)) && projectFilePath(path).ends_with(toUTF8(VornickWordPressProjectFileName));
}

int runBlogProject(const std::string& path, bool reindex)
{
    auto project = openWordPressBlogProject(path);
    if (!project)
        return 1;
    if (!reindex) {
        bool saved = saveProject(*project);
        printReport(*project);
        return saved ? 0 : 1;
    }
    auto before = describeIndex(*project->index()->managedObjectContext());
    std::string indexPath = project->index()->filePath();
    project.reset();
    Error error;
    if (!PersistentStore::destroy(indexPath, &error)) {
        std::fprintf(stderr, "brevanton: cannot remove the index %s: %s\n", indexPath.c_str(), toUTF8(error.localizedDescription()).c_str());
        return 1;
    }
    project = openWordPressBlogProject(path);
    if (!project)
        return 1;
    auto after = describeIndex(*project->index()->managedObjectContext());
    size_t differences = 0;
    for (auto& [place, description] : before) {
        auto found = after.find(place);
        if (found == after.end())
            std::printf("only in the old index: %s\n", place.c_str());
        else if (found->second != description)
            std::printf("differs: %s\n  old: %s\n  new: %s\n", place.c_str(), description.c_str(), found->second.c_str());
        else
            continue;
        ++differences;
    }
    for (auto& [place, description] : after) {
        if (!before.count(place)) {
            std::printf("only in the rebuilt index: %s\n", place.c_str());
            ++differences;
        }
    }
    std::printf("reindexed: %zu objects, %zu differences\n", after.size(), differences);
    printReport(*project);
    return differences ? 1 : 0;
}

int syncBlogProject(const std::string& path, VornickSyncSessionType type)
{
    auto project = openWordPressBlogProject(path);
    if (!project)
        return 1;
    auto account = project->wordPressAccount();
    if (!account) {
        std::fprintf(stderr, "brevanton: the project in %s holds no account\n", path.c_str());
        return 1;
    }
    if (!vornickMakeWordPressAgentForAccount(account)) {
        std::fprintf(stderr, "brevanton: %s: No agent for this account's protocol\n", path.c_str());
        return 1;
    }

    // The project's synchronizer runs the session, as the application's
    // sync command does: the posts it finds queued for upload go in an
    // upload session behind it, which runs too.
    auto& synchronizer = project->synchronizer();
    QueuedUploads uploads(synchronizer);
    project->integrator().setDelegate(&uploads);
    auto log = project->syncLog();
    std::u16string logBefore = log->text();
    bool queued = false;
    switch (type) {
    case VornickSyncSessionType::ExhaustiveManual: queued = synchronizer.queueExhaustiveManualSync(); break;
    case VornickSyncSessionType::TemplateDownload: queued = synchronizer.queueManualTemplateDownload(); break;
    default: queued = synchronizer.queueManualSync(); break;
    }
    if (!queued) {
        project->integrator().setDelegate(nullptr);
        std::fprintf(stderr, "brevanton: %s: no sync session could be started\n", path.c_str());
        return 1;
    }
    std::vector<std::shared_ptr<VornickBlogServiceSyncSession>> sessions;
    auto noteCurrentSession = [&] {
        auto current = synchronizer.currentSyncSession();
        if (current && (sessions.empty() || sessions.back() != current))
            sessions.push_back(current);
        return !current;
    };
    bool ended = RunLoop::main().runUntil(noteCurrentSession, syncSessionTimeLimit);
    if (!ended) {
        std::fprintf(stderr, "brevanton: the sync did not end within %.0f minutes; cancelling it\n", syncSessionTimeLimit / 60);
        synchronizer.cancelAllSyncSessions();
        RunLoop::main().runUntil([&] { return !synchronizer.currentSyncSession(); }, 10);
    }
    // What the sessions' last answers posted runs before the report.
    for (int turn = 0; turn < 100 && RunLoop::main().runOnce(0); ++turn) {
    }

    bool completed = !sessions.empty();
    for (const auto& session : sessions) {
        std::printf("%s\n", session->splat().c_str());
        printFailure(*session);
        completed = completed && session->state() == VornickSyncStepState::Completed;
    }
    std::u16string logText = log->text();
    std::printf("sync log:\n%s\n", toUTF8(textAddedToLog(logBefore, logText)).c_str());
    // The log's file, as the window program leaves it (it would be written
    // a few seconds after the last line, when this process has gone).
    log->flush();
    bool saved = saveProject(*project);
    synchronizer.cancelSyncSchedulingTimer();
    project->integrator().setDelegate(nullptr);
    printReport(*project);
    return ended && saved && completed ? 0 : 1;
}

} // namespace brevanton

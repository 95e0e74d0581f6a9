// VornickGetWordPressPostTemplatesStep ("getTemplates", "Update Templates"):
// fetches the pages the post view shows posts in, into the blog's templates
// folder: "page.html" from a published page, "post-<format>.html" from a
// published sample post of each post format, or, when the integrator fetches
// templates by creating drafts, from the preview of one proxy draft whose
// format it switches in turn. Main thread only.
//
// What comes back is server data and is checked before it is kept: pages are
// fetched over http(s) from the blog's host only, redirects are followed on
// that host only (never to its login page), and a template is written
// (atomically) only from a 2xx "text/html" answer of less than
// MaximumTemplateLength bytes whose body is not the theme's 404 page. A
// template gets a `base` naming where it came from when it has none. A format
// identifier names a file only when it is made of [a-z0-9_-]; others have no
// template. The loader that renders previews runs no scripts and loads its
// resources through VornickBlogTemplateResourcePolicy. Only files of the
// templates folder are ever moved to the Trash.
//
// Every request the step waits for (the login, a page, a preview, an upload
// of the proxy draft) is watched: when no answer has come
// VornickQueueStepAnswerTimeout seconds after it went out, the step fails,
// saying which request went unanswered; a late answer is then ignored.
#pragma once

#include "blog/VornickQueueStepSupport.h"
#include "blog/VornickSyncStep.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class ManagedObject;
class URLResponse;
class VornickTemplatePageLoader;
struct VornickLoadedTemplatePage;
class VornickPublishedBlog;
class VornickWordPressBlog;
class VornickWordPressIntegrator;

// The native post identifier and title of the proxy draft.
inline constexpr const char16_t* VornickTemplateProxyDraftMarker = u"Vornick Template Proxy Draft";

class VornickGetWordPressPostTemplatesStep : public VornickSyncStep {
public:
    // The largest template written.
    static constexpr size_t MaximumTemplateLength = 8 * 1024 * 1024;
    // Same-host redirects followed when fetching a sample page.
    static constexpr int MaximumRedirects = 5;

    VornickGetWordPressPostTemplatesStep(std::u16string name, std::u16string title);
    ~VornickGetWordPressPostTemplatesStep() override;

    // The start block: logs in first when drafts are used.
    void loginIfNeededThenStartGettingTemplates();

    // The integrator's answers to the proxy draft's uploads.
    void updatedProxyDraftAndReceivedWordPressIdentifier(const std::optional<std::u16string>& postIdentifier);
    void failedToUpdateProxyDraft();

    const char* className() const override { return "VornickGetWordPressPostTemplatesStep"; }

    // Whether a post format identifier may name a template file: [a-z0-9_-]+.
    static bool isUsableFormatIdentifier(std::u16string_view);
    // "post-<format>.html" in the folder; none for an unusable identifier.
    static std::optional<URL> templateFileURLForFormat(const URL& templatesFolderURL, std::u16string_view formatIdentifier);

    // The session's integrator when it is a WordPress integrator.
    VornickWordPressIntegrator* wordPressIntegrator();

    void login();
    void startGettingTemplates();
    void advancePostFormatsQueue();
    // The published post of the format best suited as a sample, or null.
    std::shared_ptr<ManagedObject> bestPublishedSamplePostForFormat(const ManagedObject& postFormat);
    void fetchSourceURL(const URL& sourceURL, const URL& destinationURL);
    void configureProxyDraftWithFormatIdentifier(const std::u16string& formatIdentifier);
    void scheduleDeletionOfProxyDraft();
    void recomputeGetTemplatesProgress();
    void setTemplatesFolderURL(std::optional<URL> url) { m_templatesFolderURL = std::move(url); }
    void setActivePostFormat(std::shared_ptr<ManagedObject> format) { m_activePostFormat = std::move(format); }

    const std::optional<URL>& templatesFolderURL() const { return m_templatesFolderURL; }
    bool loginSucceeded() const { return m_loginSucceeded; }
    bool isAwaitingAnswer() const { return m_answerWatchdog.isWaiting(); }
    const std::optional<std::u16string>& proxyDraftWordPressIdentifier() const { return m_proxyDraftWordPressIdentifier; }

private:
    std::shared_ptr<VornickWordPressBlog> blog();
    void fetchWithAgent(const URL& sourceURL, const URL& destinationURL);
    void requestPage(const URL& url, const URL& destinationURL, int redirectsLeft);
    void receivedPage(const URL& requestedURL, const URL& destinationURL, const std::shared_ptr<URLResponse>&, const Data&, const Error&,
                      int redirectsLeft);
    void fetchWithTemplateLoader(const URL& sourceURL, const URL& destinationURL);
    void templateLoaderFinished(const URL& sourceURL, const URL& destinationURL, const VornickLoadedTemplatePage&,
                                const std::optional<Error>&);
    // Made on first use; null while the program installed no way to make one.
    std::shared_ptr<VornickTemplatePageLoader> templateLoader();
    // Why the answer may not become a template, or none when it may.
    std::optional<std::u16string> reasonToRefuseAnswer(const URLResponse*, const Data&) const;
    // Writes the page (with a `base` added when it has none); logs the outcome.
    void writeTemplate(const URL& sourceURL, const URL& answeredURL, const Data&, const URL& destinationURL);
    void moveTemplateToTrash(const URL& destinationURL);
    void fetchEnded();
    // An http(s) address of the blog's origin (scheme, host and port), and
    // after a login of the origin logged in to.
    bool isOnBlogHost(const URL&);
    bool fetchingByCreatingDrafts();
    void log(std::u16string_view line);
    void failWithReason(const std::u16string& reason);
    // Watches the request just sent ("to the login at ...", "to the request
    // for ...", "to the proxy draft's upload").
    void awaitAnswer(std::u16string request);
    void answerArrived() { m_answerWatchdog.stop(); }

    std::optional<URL> m_templatesFolderURL;
    std::deque<std::shared_ptr<ManagedObject>> m_postFormatsQueue;
    size_t m_numberOfPostFormats { 0 };
    std::shared_ptr<ManagedObject> m_activePostFormat;
    std::shared_ptr<VornickTemplatePageLoader> m_templateLoader;
    bool m_loginSucceeded { false };
    std::u16string m_proxyDraftFormatIdentifier;
    std::optional<std::u16string> m_proxyDraftWordPressIdentifier;
    VornickQueueStepWatchdog m_answerWatchdog;
};

} // namespace brevanton

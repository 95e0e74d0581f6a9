// VornickBlogPostView: the editor of one post, shown inside a page of its
// blog's theme (a downloaded post template) or the plain Clear View page. It
// finds the template's attachment points, injects the post's title, date,
// body and tags into them, and writes the edited title and body back.
//
// A template is untrusted HTML: every load of its page goes through the
// view's resource filter (by default the blog's template resource policy),
// and what it refuses is never requested; JavaScript stays off.
//
// Only what was injected is written back, and only into the post it came
// from: points are detached as each load starts, a body that could not be
// injected (a Markdown post) stays read-only and unwritten, and a read-only
// view never writes back.
#pragma once

#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickContentEditingView.h"
#include "platform/foundation/Value.h"
#include "platform/net/URLRequest.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class DOMElement;
class DOMNode;
class DOMRange;
class VornickBlog;
class VornickBlogPost;
class VornickBlogPostTagListEditor;
class VornickBlogPostViewDelegate;

// Identifiers of the places of a post in its template.
inline constexpr const char16_t* VornickAttachmentPointTitle = u"title";
inline constexpr const char16_t* VornickAttachmentPointDate = u"date";
inline constexpr const char16_t* VornickAttachmentPointBody = u"body";
inline constexpr const char16_t* VornickAttachmentPointTags = u"tags";
inline constexpr const char16_t* VornickAttachmentPointCategories = u"categories";
inline constexpr const char16_t* VornickAttachmentPointFeaturedImage = u"featuredImage";

// Which fields search marks go in (bits).
enum VornickBlogPostViewSearchFields : unsigned {
    VornickBlogPostViewSearchBody = 1,
    VornickBlogPostViewSearchTitle = 2,
};

class VornickBlogPostView : public VornickContentEditingView {
public:
    explicit VornickBlogPostView(Rect frame);
    ~VornickBlogPostView() override;

    // --- What is shown

    const std::shared_ptr<VornickBlogPost>& post() const { return m_post; }
    // A different post reloads the view (and drops a description).
    void setPost(std::shared_ptr<VornickBlogPost>);
    // A server version of a post: "sourceContentType", "sourceContentString",
    // "title", "dateFirstPublished", "tags", "type", "format", "categories";
    // shown in the theme of the blog it belongs to (its attachment points
    // found as for the blog's posts).
    const std::optional<Dictionary>& postDescription() const { return m_postDescription; }
    void setPostDescription(std::optional<Dictionary>, std::shared_ptr<VornickBlog> blog = nullptr);
    // The post's blog, or the blog given with the description.
    std::shared_ptr<VornickBlog> blog() const;
    // The delegate, when it is a post view delegate.
    VornickBlogPostViewDelegate* blogPostViewDelegate() const;

    // --- Loading

    // The empty page without post or description; else the Clear View page
    // or the post's template.
    void reloadPost();
    virtual std::optional<URL> templateFileURLForPost();
    static std::optional<URL> clearViewTemplateFileURL();
    static std::optional<URL> emptyPostViewFileURL();
    // Cancels a load in progress first; the points of the page go at once.
    void beginLoadingPostTemplateFromURL(const URL&);
    // Every load, the view's own reloads included, detaches the points.
    void beginLoadingContentFromURL(const URL&) override;
    void postEndLoadingToDelegateWithResult(VornickContentLoadingState, const VornickResourceLoadAttempts&) override;
    virtual void postTemplateDidFinishLoading();
    virtual void postTemplateDidFailLoading();

    // --- Attachment points

    virtual void attachToTemplate();
    // The found point, stored under the identifier; a miss is counted as failed.
    virtual std::shared_ptr<VornickAttachmentPoint> addAttachmentPointOfType(VornickAttachmentType, const std::u16string& identifier);
    void detachAllAttachmentPoints();
    const std::map<std::u16string, std::shared_ptr<VornickAttachmentPoint>>& postAttachmentPointsByIdentifier() const
    {
        return m_pointsByIdentifier;
    }
    std::shared_ptr<VornickAttachmentPoint> attachmentPointWithIdentifier(const std::u16string&) const;
    const std::vector<std::u16string>& identifiersOfFailedAttachmentPoints() const { return m_failedIdentifiers; }
    // Whose failure does not matter for this post: "tags" without tags.
    virtual std::vector<std::u16string> identifiersOfAbsolvedAttachmentPoints() const;
    std::vector<std::u16string> identifiersOfUnAbsolvedFailedAttachmentPoints() const;
    // Where a point is shown in the page, to place an editor at: its run as
    // the locator finds it, else the contents of its element (which may hold
    // more than the point); null when neither is there.
    static std::shared_ptr<DOMRange> rangeOfAttachmentPoint(const VornickAttachmentPoint&);
    void showAttachmentPointFailureResolutionUI() override;

    // --- The post's content

    virtual void updateContentFromPost();
    // Writes the injected title and body back into the post they came from,
    // marking it edited only when something changed; false when a field
    // could not be read from the page.
    [[nodiscard]] bool updatePostFromContent();
    // Puts the post's title (set elsewhere) into the page's title place, as
    // the post's own: it is no edit of the page.
    void updateTitleFromPost();
    // The title the page's title place shows now; none without one.
    std::optional<std::u16string> titleFromContent() const;
    // Whether the post's body went into the page (and may be written back).
    bool bodyInjected() const { return m_bodyInjected; }
    virtual std::u16string preprocessPostBodyBeforeInjecting(const std::u16string& body) { return body; }
    virtual void postprocessPostBodyAfterInjectingIntoRootElement(const std::shared_ptr<DOMElement>&) {}

    // --- Clear View

    bool usingClearView() const { return m_usingClearView; }
    // The user's choice: writes back, then reloads; stored in "ClearViewOn".
    void setUsingClearView(bool);

    // --- Tags

    // An editable view tells its delegate, then opens the tag list editor
    // (made on first use) over the range.
    void showTagListEditorForRange(const std::shared_ptr<DOMRange>&);
    void postTagsEdited();
    // The editor follows the tag list as the page scrolls.
    void embeddedWebViewScrolled() override;
    const std::shared_ptr<VornickBlogPostTagListEditor>& tagListEditor() const { return m_tagListEditor; }

    // --- Search marks (read-only views)

    const std::u16string& searchString() const { return m_searchString; }
    void setSearchString(std::u16string string) { m_searchString = std::move(string); }
    unsigned fieldsToSearch() const { return m_fieldsToSearch; }
    void setFieldsToSearch(unsigned fields) { m_fieldsToSearch = fields; }
    void highlightOccurrencesOfSearchStringUnderRootNode(const std::shared_ptr<DOMNode>&);

    // --- What the page may load

    // The request to load instead, or none to refuse it.
    using ResourceLoadFilter = std::function<std::optional<URLRequest>(const URLRequest&)>;
    // None: the blog's template resource policy.
    void setResourceLoadFilter(ResourceLoadFilter filter) { m_resourceLoadFilter = std::move(filter); }
    // The addresses refused since the last load began.
    const std::vector<URL>& refusedResourceURLs() const { return m_refusedResourceURLs; }
    std::optional<URLRequest> willSendRequest(WebView&, const WebResourceIdentifier&, const URLRequest&, const URLResponse*,
                                              WebDataSource&) override;

protected:
    void build() override;
    // Whether the template's scripts run (never in the base view).
    virtual bool allowsJavaScript() const { return false; }
    void contentWillBeEdited() override { pageLeavesInjectedState(true); }
    void contentWasEdited() override { pageLeavesInjectedState(false); }
    // Switches to Clear View for this view alone (a failed template load).
    void fallBackToClearView();
    // The post's (or description's) value of a key.
    Value postValueForKey(const std::u16string&) const;
    std::vector<std::u16string> postTermTitles(const std::u16string& key) const;
    // Puts the post's terms into their runs (tags here). The page is searched
    // for each run: this comes before the body, while the page is short.
    virtual void injectTermLinks();
    // Replaces a run's content by links of the titles (as text), sorted.
    void injectTermLinksIntoRun(const std::u16string& identifier, std::vector<std::u16string> titles, const std::u16string& rel);
    // The post the page's fields were injected from.
    const std::shared_ptr<VornickBlogPost>& injectedPost() const { return m_injectedPost; }

private:
    void applyResourceLoadFilterDefault();
    // The page no longer shows the post: its attachment points are detached
    // and nothing is written back from it.
    void forgetInjectedPost();
    // Where the references of injected fields resolve.
    struct InjectionBases {
        std::optional<URL> baseURL;
        std::optional<URL> blogFolder;
        std::optional<URL> fallbackBase;
    };
    InjectionBases injectionBases() const;
    bool injectTitle(VornickAttachmentPoint&);

    std::shared_ptr<VornickBlogPost> m_post;
    std::optional<Dictionary> m_postDescription;
    std::shared_ptr<VornickBlog> m_descriptionBlog;
    std::map<std::u16string, std::shared_ptr<VornickAttachmentPoint>> m_pointsByIdentifier;
    std::vector<std::u16string> m_failedIdentifiers;
    std::u16string m_searchString;
    unsigned m_fieldsToSearch { VornickBlogPostViewSearchBody | VornickBlogPostViewSearchTitle };
    bool m_usingClearView { false };
    bool m_bodyInjected { false };
    std::shared_ptr<VornickBlogPost> m_injectedPost;
    // The title and body as the writer wrote them right after the post was
    // injected: a write-back that reads them again changes nothing, however
    // the writer's form differs from the post's stored text. Written only
    // when the page is first edited (a long body costs a writer's pass):
    // until then it holds what it held as injected.
    std::optional<std::u16string> m_bodyAsInjected;
    std::optional<std::u16string> m_titleAsInjected;
    bool m_pageAsInjected { false };
    // Remembers the title and body as written right after an injection.
    void rememberFieldsAsInjected();
    // The page leaves its injected state: before an edit (remembering the
    // fields as they are), or after one that came unannounced (then nothing
    // is remembered, and a write-back compares with the post's text).
    void pageLeavesInjectedState(bool beforeChange);
    uint64_t m_loadSerial { 0 };
    // The serial of the load that began last.
    uint64_t m_startedLoadSerial { 0 };
    bool m_endingLoad { false };
    ResourceLoadFilter m_resourceLoadFilter;
    std::vector<URL> m_refusedResourceURLs;
    std::shared_ptr<VornickBlogPostTagListEditor> m_tagListEditor;
};

} // namespace brevanton

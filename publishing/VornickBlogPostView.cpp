// Showing a post in its template: what is shown, loading the template, the
// attachment points, Clear View, search marks and what the page may load.
#include "publishing/VornickBlogPostView.h"

#include "blog/VornickBlog.h"
#include "blog/VornickBlogPost.h"
#include "blog/VornickBlogTemplateResourcePolicy.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickEmbeddedWebView.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Alert.h"
#include "publishing/VornickBlogPostTagListEditor.h"
#include "publishing/VornickBlogPostViewHost.h"
#include "publishing/VornickBlogPostViewDelegate.h"
#include "toolkit/VornickLog.h"

#include <algorithm>

namespace brevanton {

namespace {

constexpr const char16_t* clearViewDefaultsKey = u"ClearViewOn";

bool contains(const std::vector<std::u16string>& list, const std::u16string& value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

} // namespace

VornickBlogPostView::VornickBlogPostView(Rect frame)
    : VornickContentEditingView(frame)
    , m_usingClearView(UserDefaults::standard().boolForKey(clearViewDefaultsKey))
{
}

VornickBlogPostView::~VornickBlogPostView()
{
    if (m_tagListEditor)
        m_tagListEditor->cancelTagEdits();
    detachAllAttachmentPoints();
}

void VornickBlogPostView::build()
{
    VornickContentEditingView::build();
    // A theme's scripts run only where a subclass lets them.
    if (isJavaScriptEnabled() != allowsJavaScript())
        setJavaScriptEnabled(allowsJavaScript());
}

// --- What is shown

void VornickBlogPostView::setPost(std::shared_ptr<VornickBlogPost> post)
{
    if (post == m_post && !m_postDescription)
        return;
    m_post = std::move(post);
    m_postDescription.reset();
    m_descriptionBlog.reset();
    reloadPost();
}

void VornickBlogPostView::setPostDescription(std::optional<Dictionary> description, std::shared_ptr<VornickBlog> blog)
{
    if (description == m_postDescription && blog == m_descriptionBlog && !m_post)
        return;
    m_postDescription = std::move(description);
    m_descriptionBlog = m_postDescription ? std::move(blog) : nullptr;
    m_post.reset();
    reloadPost();
}

std::shared_ptr<VornickBlog> VornickBlogPostView::blog() const
{
    return m_post ? m_post->blog() : m_descriptionBlog;
}

VornickBlogPostViewDelegate* VornickBlogPostView::blogPostViewDelegate() const
{
    return dynamic_cast<VornickBlogPostViewDelegate*>(delegate());
}

Value VornickBlogPostView::postValueForKey(const std::u16string& key) const
{
    if (m_post)
        return m_post->valueForKey(key);
    if (m_postDescription) {
        if (auto found = m_postDescription->find(key); found != m_postDescription->end())
            return found->second;
    }
    return Value();
}

std::vector<std::u16string> VornickBlogPostView::postTermTitles(const std::u16string& key) const
{
    std::vector<std::u16string> titles;
    if (m_post) {
        for (const auto& term : m_post->objectsForKey(key)) {
            auto title = term->valueForKey(u"title").stringValue();
            if (!title.empty())
                titles.push_back(std::move(title));
        }
    } else {
        auto value = postValueForKey(key);
        if (value.isArray()) {
            for (const auto& item : value.array()) {
                if (item.isString() && !item.stringValue().empty())
                    titles.push_back(item.stringValue());
            }
        }
    }
    return titles;
}

// --- Loading

std::optional<URL> VornickBlogPostView::clearViewTemplateFileURL()
{
    return Bundle::main().URLForResource(u"ClearViewTemplate", u"html");
}

std::optional<URL> VornickBlogPostView::emptyPostViewFileURL()
{
    return Bundle::main().URLForResource(u"EmptyPostView", u"html");
}

std::optional<URL> VornickBlogPostView::templateFileURLForPost()
{
    return clearViewTemplateFileURL();
}

void VornickBlogPostView::reloadPost()
{
    std::optional<URL> url;
    if (!m_post && !m_postDescription)
        url = emptyPostViewFileURL();
    else if (m_usingClearView)
        url = clearViewTemplateFileURL();
    else
        url = templateFileURLForPost();
    if (url)
        beginLoadingPostTemplateFromURL(*url);
}

void VornickBlogPostView::forgetInjectedPost()
{
    detachAllAttachmentPoints();
    m_injectedPost.reset();
    m_bodyInjected = false;
    m_bodyAsInjected.reset();
    m_titleAsInjected.reset();
    m_pageAsInjected = false;
}

void VornickBlogPostView::beginLoadingPostTemplateFromURL(const URL& url)
{
    forgetInjectedPost();
    uint64_t serial = ++m_loadSerial;
    std::weak_ptr<VornickBlogPostView> weakThis = std::static_pointer_cast<VornickBlogPostView>(shared_from_this());
    auto start = [weakThis, url, serial] {
        auto view = weakThis.lock();
        if (!view || view->m_loadSerial != serial)
            return;
        view->m_refusedResourceURLs.clear();
        view->m_startedLoadSerial = serial;
        view->beginLoadingContentFromURL(url);
    };
    // A load in progress is cancelled first; the newest request wins. One
    // asked for as a load ends (a fall-back) starts once that end is over.
    if (m_endingLoad || loadingState() == VornickContentLoadingState::InProgress)
        cancelLoadingThenDo(std::move(start));
    else
        start();
}

void VornickBlogPostView::beginLoadingContentFromURL(const URL& url)
{
    // Whatever the page shows now no longer belongs to the post: nothing is
    // written back from it while the next page loads, or when it fails to.
    forgetInjectedPost();
    VornickContentEditingView::beginLoadingContentFromURL(url);
}

void VornickBlogPostView::postEndLoadingToDelegateWithResult(VornickContentLoadingState result, const VornickResourceLoadAttempts& failed)
{
    VornickContentEditingView::postEndLoadingToDelegateWithResult(result, failed);
    m_endingLoad = true;
    // A load cancelled for a newer one (another post chosen meanwhile) did
    // not fail: the newer load shows what it shows.
    bool superseded = m_startedLoadSerial != m_loadSerial;
    if (result == VornickContentLoadingState::Failed) {
        if (!superseded)
            postTemplateDidFailLoading();
    } else
        postTemplateDidFinishLoading();
    m_endingLoad = false;
}

void VornickBlogPostView::postTemplateDidFinishLoading()
{
    if (!m_post && !m_postDescription)
        return;
    detachAllAttachmentPoints();
    attachToTemplate();
    if (!identifiersOfUnAbsolvedFailedAttachmentPoints().empty()) {
        if (auto* postDelegate = blogPostViewDelegate(); postDelegate && postDelegate->respondsToFailedAttachment()) {
            showAttachmentPointFailureBanner();
            postDelegate->blogPostViewFailedAttachmentForAttachmentPointIdentifiers(*this, m_failedIdentifiers);
        }
    } else {
        // The banner of an earlier post's failures goes with its page.
        dismissAttachmentPointFailureBanner();
    }
    updateContentFromPost();
    if (auto body = attachmentPointWithIdentifier(VornickAttachmentPointBody)) {
        if (auto element = body->findElement(); element && element->ownerDocument()) {
            // At the start of the body, its children left uncounted.
            auto caret = element->ownerDocument()->createRange();
            caret->setStart(element, 0);
            caret->setEnd(element, 0);
            vornick_pushRangeEndpointsDownToTextNodesUsingDirectionBias(*caret, 1);
            setTargetRange(caret);
        }
    }
}

void VornickBlogPostView::postTemplateDidFailLoading()
{
    if (m_usingClearView)
        return;
    fallBackToClearView();
    auto window = this->window();
    if (!window)
        return;
    auto alert = std::make_shared<Alert>();
    alert->setMessageText(u"Using \"Clear View\" Mode");
    alert->addButtonWithTitle(u"OK");
    alert->setInformativeText(
        u"Sorry. Brevanton was unable to display this content using your site's theme. Downloading of templates may have failed.\n\n"
        u"You can always view and edit your content using \"Clear View\" mode. When published, your site will still show it using "
        u"your chosen WordPress theme.\n\n"
        u"If the problem persists, please write to support@brevanton.app. We are improving how templates are fetched.");
    alert->beginSheetModalForWindow(window, [](ModalResponse) {});
}

void VornickBlogPostView::fallBackToClearView()
{
    // This view's own fallback: the user's choice ("ClearViewOn") stays as it is.
    m_usingClearView = true;
    reloadPost();
}

// --- Attachment points

void VornickBlogPostView::attachToTemplate()
{
    std::shared_ptr<VornickAttachmentPointLocatorSet> locatorSet;
    if (!m_usingClearView) {
        if (auto blog = this->blog()) {
            if (auto data = blog->postAttachmentPointData())
                locatorSet = VornickAttachmentPointLocatorSet::createWithData(*data);
        }
    }
    setAttachmentPointLocatorSet(locatorSet);

    addAttachmentPointOfType(VornickAttachmentType::SingleElement, VornickAttachmentPointTitle);
    if (auto date = addAttachmentPointOfType(VornickAttachmentType::SingleElement, VornickAttachmentPointDate))
        date->setCloaked(true);
    addAttachmentPointOfType(VornickAttachmentType::SingleElement, VornickAttachmentPointBody);
    if (auto tags = addAttachmentPointOfType(VornickAttachmentType::SiblingRun, VornickAttachmentPointTags)) {
        std::weak_ptr<VornickBlogPostView> weakThis = std::static_pointer_cast<VornickBlogPostView>(shared_from_this());
        tags->setActionHandler([weakThis](VornickAttachmentPoint& point) {
            if (auto view = weakThis.lock()) {
                if (auto range = rangeOfAttachmentPoint(point))
                    view->showTagListEditorForRange(range);
            }
        });
    }
}

std::shared_ptr<VornickAttachmentPoint> VornickBlogPostView::addAttachmentPointOfType(VornickAttachmentType type,
                                                                                      const std::u16string& identifier)
{
    if (identifier.empty())
        return nullptr;
    auto point = attachToPoint(identifier, type, mainFrame());
    if (point)
        m_pointsByIdentifier[identifier] = point;
    else if (!contains(m_failedIdentifiers, identifier))
        m_failedIdentifiers.push_back(identifier);
    return point;
}

void VornickBlogPostView::detachAllAttachmentPoints()
{
    m_pointsByIdentifier.clear();
    m_failedIdentifiers.clear();
    if (mainFrame())
        clearAttachmentPointsInWebFrame(mainFrame());
}

std::shared_ptr<VornickAttachmentPoint> VornickBlogPostView::attachmentPointWithIdentifier(const std::u16string& identifier) const
{
    auto found = m_pointsByIdentifier.find(identifier);
    return found == m_pointsByIdentifier.end() ? nullptr : found->second;
}

std::vector<std::u16string> VornickBlogPostView::identifiersOfAbsolvedAttachmentPoints() const
{
    std::vector<std::u16string> absolved;
    if (postTermTitles(u"tags").empty())
        absolved.push_back(VornickAttachmentPointTags);
    return absolved;
}

std::vector<std::u16string> VornickBlogPostView::identifiersOfUnAbsolvedFailedAttachmentPoints() const
{
    auto absolved = identifiersOfAbsolvedAttachmentPoints();
    std::vector<std::u16string> failed;
    for (const auto& identifier : m_failedIdentifiers) {
        if (!contains(absolved, identifier))
            failed.push_back(identifier);
    }
    return failed;
}

void VornickBlogPostView::showAttachmentPointFailureResolutionUI()
{
    auto* editor = dynamic_cast<VornickBlogPostViewHost*>(delegate());
    if (!editor)
        return;
    dismissAttachmentPointFailureBanner();
    editor->editAttachmentPointSettings();
}

// --- Clear View

void VornickBlogPostView::setUsingClearView(bool using_)
{
    if (using_ != m_usingClearView) {
        if (updatePostFromContent()) {
            m_usingClearView = using_;
            reloadPost();
        }
    }
    UserDefaults::standard().setBool(m_usingClearView, clearViewDefaultsKey);
}

// --- Tags

void VornickBlogPostView::showTagListEditorForRange(const std::shared_ptr<DOMRange>& range)
{
    if (!isEditable() || !m_post || !range)
        return;
    if (auto* postDelegate = blogPostViewDelegate())
        postDelegate->blogPostViewWillEditPostProperty(*this, u"tags");
    if (!m_tagListEditor)
        m_tagListEditor = VornickBlogPostTagListEditor::create();
    m_tagListEditor->showForBlogPost(m_post, range, std::static_pointer_cast<VornickBlogPostView>(shared_from_this()));
}

std::shared_ptr<DOMRange> VornickBlogPostView::rangeOfAttachmentPoint(const VornickAttachmentPoint& point)
{
    // The injected links may no longer match the locator's values.
    if (auto range = point.findRange(); range && !range->collapsed())
        return range;
    auto element = point.findElement();
    auto document = element ? element->ownerDocument() : nullptr;
    if (!document)
        return nullptr;
    auto range = document->createRange();
    if (!range->selectNodeContents(element))
        return nullptr;
    return range;
}

void VornickBlogPostView::postTagsEdited()
{
    if (auto* postDelegate = blogPostViewDelegate())
        postDelegate->blogPostViewEditedPostProperty(*this, u"tags");
}

void VornickBlogPostView::embeddedWebViewScrolled()
{
    VornickContentEditingView::embeddedWebViewScrolled();
    if (m_tagListEditor)
        m_tagListEditor->repositionToTrackTargetRange();
}

void VornickBlogPostView::injectTermLinksIntoRun(const std::u16string& identifier, std::vector<std::u16string> titles,
                                                 const std::u16string& rel)
{
    auto point = attachmentPointWithIdentifier(identifier);
    auto range = point ? point->findRange() : nullptr;
    auto document = mainFrameDocument();
    if (!range || range->collapsed() || !document)
        return;
    vornick_sortCaseInsensitively(titles);
    // Titles are the user's (or the server's) text, never markup.
    auto fragment = document->createDocumentFragment();
    for (size_t index = 0; index < titles.size(); ++index) {
        if (index)
            fragment->appendChild(document->createTextNode(u", "));
        auto link = document->createElement(u"a");
        link->setAttribute(u"href", u"#");
        link->setAttribute(u"rel", rel);
        link->appendChild(document->createTextNode(titles[index]));
        fragment->appendChild(link);
    }
    (void)range->deleteContents();
    (void)range->insertNode(fragment);
    postVornickContentEditingViewDidChangeContentInWebFrame(mainFrame(), point);
}

// --- Search marks

void VornickBlogPostView::highlightOccurrencesOfSearchStringUnderRootNode(const std::shared_ptr<DOMNode>& root)
{
    if (m_searchString.empty() || !root || isEditable())
        return;
    auto document = root->ownerDocument();
    if (!document)
        return;
    auto needle = lowercase(m_searchString);
    std::vector<std::shared_ptr<DOMText>> texts;
    vornick_enumerateTextTreeWithOptions(root, 2, [&texts](const std::shared_ptr<DOMText>& text, bool&) { texts.push_back(text); });
    for (const auto& text : texts) {
        const std::u16string& data = text->data();
        auto haystack = lowercase(data);
        size_t found = haystack.find(needle);
        if (found == std::u16string::npos || haystack.size() != data.size())
            continue;
        auto fragment = document->createDocumentFragment();
        size_t from = 0;
        while (found != std::u16string::npos) {
            if (found > from)
                fragment->appendChild(document->createTextNode(data.substr(from, found - from)));
            auto mark = document->createElement(u"mark");
            mark->appendChild(document->createTextNode(data.substr(found, needle.size())));
            fragment->appendChild(mark);
            from = found + needle.size();
            found = haystack.find(needle, from);
        }
        if (from < data.size())
            fragment->appendChild(document->createTextNode(data.substr(from)));
        if (auto parent = text->parentNode())
            parent->replaceChild(fragment, text);
    }
}

// --- What the page may load

std::optional<URLRequest> VornickBlogPostView::willSendRequest(WebView& webView, const WebResourceIdentifier& identifier,
                                                               const URLRequest& request, const URLResponse* redirectResponse,
                                                               WebDataSource& dataSource)
{
    std::optional<URLRequest> allowed;
    if (m_resourceLoadFilter) {
        allowed = m_resourceLoadFilter(request);
    } else {
        VornickBlogTemplateResourcePolicy policy(blog());
        allowed = policy.requestToLoad(request);
    }
    if (!allowed) {
        VornickGeneralLog("VornickBlogPostView refused to load {}", toUTF8(request.url().absoluteString()));
        m_refusedResourceURLs.push_back(request.url());
        return std::nullopt;
    }
    return VornickContentEditingView::willSendRequest(webView, identifier, *allowed, redirectResponse, dataSource);
}

} // namespace brevanton

// The WordPress post view: the template for the post's type and format, the
// page's clean-up, the categories and featured image points, and their content.
#include "publishing/VornickWordPressPostView.h"

#include "blog/VornickBlogCategory.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickWebFrameEditingState.h"
#include "html/VornickWordPressFragmentCompletionSet.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/views/Window.h"
#include "platform/web/WebFrame.h"
#include "publishing/VornickBlogPostViewDelegate.h"
#include "publishing/VornickProjectEditor.h"
#include "publishing/VornickWordPressAccountEditor.h"
#include "publishing/VornickWordPressBlockElementEditorUIController.h"
#include "publishing/VornickWordPressBlogPostCategoryListEditor.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickTrash.h"
#include "wordpress/VornickWordPressMediaItem.h"

#include <filesystem>

namespace brevanton {

namespace {

constexpr const char16_t* standardFormat = u"standard";

// Server data names template files: only these characters stay inside the
// templates folder.
bool mayNameTemplateFile(const std::u16string& identifier)
{
    if (identifier.empty())
        return false;
    for (char16_t character : identifier) {
        bool allowed = (character >= u'a' && character <= u'z') || (character >= u'0' && character <= u'9') || character == u'_'
            || character == u'-';
        if (!allowed)
            return false;
    }
    return true;
}

void removeElementWithId(DOMDocument& document, std::u16string_view identifier)
{
    if (auto element = document.getElementById(identifier)) {
        if (auto parent = element->parentNode())
            parent->removeChild(element);
    }
}

} // namespace

VornickWordPressPostView::VornickWordPressPostView(Rect frame)
    : VornickPublishedBlogPostView(frame)
{
}

VornickWordPressPostView::~VornickWordPressPostView()
{
    if (m_categoryListEditor)
        m_categoryListEditor->cancelCategoryEdits();
}

void VornickWordPressPostView::build()
{
    VornickPublishedBlogPostView::build();
    setBlockModeHelper(std::make_shared<VornickWordPressBlockModeHelper>());
    // Its blocks are inspected by the block element editor.
    VornickWordPressBlockElementEditorUIController::registerForWordPressBlockElements();
}

std::shared_ptr<VornickWordPressBlogPost> VornickWordPressPostView::wordPressPost() const
{
    return std::dynamic_pointer_cast<VornickWordPressBlogPost>(post());
}

void VornickWordPressPostView::setWordPressPost(const std::shared_ptr<VornickBlogPost>& post)
{
    if (auto wordPress = std::dynamic_pointer_cast<VornickWordPressBlogPost>(post))
        setPost(wordPress);
}

std::shared_ptr<VornickWordPressBlockModeHelper> VornickWordPressPostView::wordPressBlockModeHelper() const
{
    return std::dynamic_pointer_cast<VornickWordPressBlockModeHelper>(blockModeHelper());
}

VornickContentEditingView::FragmentCompletionSetClass VornickWordPressPostView::fragmentCompletionSetClass() const
{
    return [](std::shared_ptr<VornickFragmentSet> base, std::shared_ptr<VornickFragmentSet> user, std::shared_ptr<VornickHTMLSpec> spec)
               -> std::shared_ptr<VornickFragmentCompletionSet> {
        return std::make_shared<VornickWordPressFragmentCompletionSet>(std::move(base), std::move(user), std::move(spec));
    };
}

// --- The template

bool VornickWordPressPostView::postTemplateAppearsToBeBlockMode() const
{
    auto document = mainFrameDocument();
    if (!document)
        return false;
    bool found = false;
    vornick_enumerateElementTreeWithOptions(document, 0, [&found](const std::shared_ptr<DOMElement>& element, bool& stop) {
        if (vornick_hasClass(*element, u"entry-content")) {
            found = true;
            stop = true;
        }
    });
    return !found;
}

std::u16string VornickWordPressPostView::safeFormatIdentifier() const
{
    std::u16string format;
    if (auto wordPress = wordPressPost()) {
        if (auto object = wordPress->objectForKey(u"format"))
            format = object->valueForKey(u"identifier").stringValue();
    } else {
        format = postValueForKey(u"format").stringValue();
    }
    if (format.empty())
        return standardFormat;
    if (!mayNameTemplateFile(format)) {
        VornickGeneralLog("VornickWordPressPostView: the format \"{}\" names no template file; using the standard template",
                          toUTF8(format));
        return standardFormat;
    }
    return format;
}

std::optional<URL> VornickWordPressPostView::templateFileURLForPostType(const std::u16string& type, const std::u16string& formatIdentifier)
{
    auto* postDelegate = blogPostViewDelegate();
    auto folder = postDelegate ? postDelegate->blogPostViewTemplatesFolderURL(*this) : std::nullopt;
    if (!folder)
        return std::nullopt;
    std::u16string format = mayNameTemplateFile(formatIdentifier) ? formatIdentifier : std::u16string(standardFormat);
    std::u16string name = type == u"page" ? u"page" : u"post-" + format;
    return folder->URLByAppendingPathComponent(name + u".html", false);
}

std::optional<URL> VornickWordPressPostView::templateFileURLForPost()
{
    m_fellBackToStandardTemplate = false;
    m_trashedFormatTemplate = false;
    auto type = postValueForKey(u"type").stringValue();
    auto url = templateFileURLForPostType(type, safeFormatIdentifier());
    if (url) {
        std::error_code error;
        auto path = url->fileSystemPath();
        if (path && std::filesystem::is_regular_file(*path, error)) {
            (void)std::filesystem::file_size(*path, error);
            if (!error)
                return url;
        }
    }
    m_fellBackToStandardTemplate = true;
    return templateFileURLForPostType(u"post", standardFormat);
}

void VornickWordPressPostView::postTemplateDidFinishLoading()
{
    auto document = mainFrameDocument();
    if (!usingClearView() && document && (post() || postDescription())) {
        auto body = document->body();
        auto format = safeFormatIdentifier();
        auto type = postValueForKey(u"type").stringValue();
        if (body && vornick_hasClass(*body, u"error404") && !equalsIgnoringASCIICase(format, standardFormat) && !m_trashedFormatTemplate) {
            // Only the format template that was loaded goes, and only once:
            // a standard template that is an error page too is kept.
            auto formatTemplate = templateFileURLForPostType(type, format);
            auto loaded = mainFrameURL();
            if (formatTemplate && loaded && *formatTemplate == *loaded) {
                Error error;
                if (!vornick_moveFileToTrash(*formatTemplate, &error))
                    VornickGeneralLog("VornickWordPressPostView: could not move {} to the Trash: {}",
                                      toUTF8(formatTemplate->absoluteString()), toUTF8(error.localizedDescription()));
                m_trashedFormatTemplate = true;
                m_fellBackToStandardTemplate = true;
                if (auto standard = templateFileURLForPostType(type, standardFormat)) {
                    beginLoadingPostTemplateFromURL(*standard);
                    return;
                }
            }
        }
        if (m_fellBackToStandardTemplate)
            showTemplateFallbackBanner();
        else
            hideTemplateFallbackBanner();
    } else {
        hideTemplateFallbackBanner();
    }
    // The site's own chrome goes before the points are looked for (no field
    // is placed in what is removed) and while the page is short.
    if (document) {
        removeElementWithId(*document, u"wpadminbar");
        removeElementWithId(*document, u"comments");
    }
    VornickPublishedBlogPostView::postTemplateDidFinishLoading();
}

// --- Attachment points

std::vector<std::u16string> VornickWordPressPostView::identifiersOfAbsolvedAttachmentPoints() const
{
    auto absolved = VornickPublishedBlogPostView::identifiersOfAbsolvedAttachmentPoints();
    bool noRealCategory = false;
    if (auto wordPress = wordPressPost()) {
        auto categories = wordPress->objectsForKey<VornickBlogCategory>(u"categories");
        noRealCategory = categories.empty() || (categories.size() == 1 && categories.front()->isUncategorizedCategory());
        if (!wordPress->objectForKey(u"featuredImageMediaItem"))
            absolved.push_back(VornickAttachmentPointFeaturedImage);
    } else {
        auto titles = postTermTitles(u"categories");
        noRealCategory = titles.empty() || (titles.size() == 1 && equalsIgnoringASCIICase(titles.front(), u"uncategorized"));
        absolved.push_back(VornickAttachmentPointFeaturedImage);
    }
    if (noRealCategory)
        absolved.push_back(VornickAttachmentPointCategories);
    return absolved;
}

std::shared_ptr<VornickAttachmentPoint> VornickWordPressPostView::addAttachmentPointOfType(VornickAttachmentType type,
                                                                                           const std::u16string& identifier)
{
    if (equalsIgnoringASCIICase(postValueForKey(u"type").stringValue(), u"page")
        && (identifier == VornickAttachmentPointDate || identifier == VornickAttachmentPointTags
            || identifier == VornickAttachmentPointCategories))
        return nullptr;
    return VornickPublishedBlogPostView::addAttachmentPointOfType(type, identifier);
}

void VornickWordPressPostView::attachToTemplate()
{
    VornickPublishedBlogPostView::attachToTemplate();
    std::weak_ptr<VornickWordPressPostView> weakThis = std::static_pointer_cast<VornickWordPressPostView>(shared_from_this());
    if (auto categories = addAttachmentPointOfType(VornickAttachmentType::SiblingRun, VornickAttachmentPointCategories)) {
        categories->setActionHandler([weakThis](VornickAttachmentPoint& point) {
            if (auto view = weakThis.lock()) {
                if (auto range = rangeOfAttachmentPoint(point))
                    view->showCategoryListEditorForRange(range);
            }
        });
    }
    if (auto featured = addAttachmentPointOfType(VornickAttachmentType::SingleElement, VornickAttachmentPointFeaturedImage)) {
        featured->setActionHandler([weakThis](VornickAttachmentPoint&) {
            if (auto view = weakThis.lock())
                static_cast<void>(view->editPostProperties());
        });
    }
}

// --- Content

void VornickWordPressPostView::updateContentFromPost()
{
    VornickPublishedBlogPostView::updateContentFromPost();
    auto document = mainFrameDocument();
    if (!document)
        return;

    if (usingClearView() && equalsIgnoringASCIICase(postValueForKey(u"type").stringValue(), u"page")) {
        std::shared_ptr<DOMElement> metadata;
        vornick_enumerateElementTreeWithOptions(document, 0, [&metadata](const std::shared_ptr<DOMElement>& element, bool& stop) {
            if (vornick_hasClass(*element, u"post-metadata")) {
                metadata = element;
                stop = true;
            }
        });
        if (metadata && metadata->parentNode())
            metadata->parentNode()->removeChild(metadata);
    }

    if (auto featured = attachmentPointWithIdentifier(VornickAttachmentPointFeaturedImage)) {
        featured->setAllowsDrops(false);
        auto element = featured->findElement();
        auto frame = mainFrame();
        auto spec = frame ? vornick_HTMLSpec(*frame) : nullptr;
        if (element && spec && spec->elementKindMayContainElementKind(lowercase(element->tagName()), u"img", nullptr)) {
            while (auto child = element->firstChild())
                element->removeChild(child);
            std::shared_ptr<VornickWordPressMediaItem> item;
            if (auto wordPress = wordPressPost())
                item = wordPress->objectForKey<VornickWordPressMediaItem>(u"featuredImageMediaItem");
            if (auto local = item ? item->resolvedLocalURL() : std::nullopt; local && !local->absoluteString().empty()) {
                auto image = document->createElement(u"img");
                image->setAttribute(u"src", local->absoluteString());
                element->appendChild(image);
            }
            postVornickContentEditingViewDidChangeContentInWebFrame(frame, featured);
        }
    }
}

void VornickWordPressPostView::injectTermLinks()
{
    VornickPublishedBlogPostView::injectTermLinks();
    injectTermLinksIntoRun(VornickAttachmentPointCategories, postTermTitles(u"categories"), u"category tag");
}

// --- Categories and the featured image

void VornickWordPressPostView::showCategoryListEditorForRange(const std::shared_ptr<DOMRange>& range)
{
    auto post = wordPressPost();
    if (!isEditable() || !post || !range)
        return;
    willEditPostCategories();
    if (!m_categoryListEditor)
        m_categoryListEditor = VornickWordPressBlogPostCategoryListEditor::create();
    m_categoryListEditor->showForBlogPost(post, range, std::static_pointer_cast<VornickWordPressPostView>(shared_from_this()));
}

bool VornickWordPressPostView::editPostProperties()
{
    if (tryToPerform("editPostProperties:", nullptr))
        return true;
    // The window's delegate (the post's editor) ends the chain.
    auto inWindow = window();
    auto delegate = inWindow ? std::dynamic_pointer_cast<Responder>(inWindow->delegate().lock()) : nullptr;
    return delegate && delegate->tryToPerform("editPostProperties:", nullptr);
}

void VornickWordPressPostView::willEditPostCategories()
{
    if (auto* postDelegate = blogPostViewDelegate())
        postDelegate->blogPostViewWillEditPostProperty(*this, u"categories");
}

void VornickWordPressPostView::postCategoriesEdited()
{
    if (auto* postDelegate = blogPostViewDelegate())
        postDelegate->blogPostViewEditedPostProperty(*this, u"categories");
}

void VornickWordPressPostView::embeddedWebViewScrolled()
{
    VornickPublishedBlogPostView::embeddedWebViewScrolled();
    if (m_categoryListEditor)
        m_categoryListEditor->repositionToTrackTargetRange();
}

std::vector<std::u16string> VornickWordPressPostView::attributeEditorURLStringsForCompletion() const
{
    std::vector<std::u16string> strings;
    auto url = post() ? post()->sourceFileURL() : std::nullopt;
    auto projectEditor = url ? VornickProjectEditor::projectEditorForComponentSourceFileURL(*url) : nullptr;
    if (auto account = projectEditor ? std::dynamic_pointer_cast<VornickWordPressAccountEditor>(projectEditor->delegate()) : nullptr)
        strings = account->vornick_URLStringsForCompletion();
    auto copied = VornickPublishedBlogPostView::attributeEditorURLStringsForCompletion();
    strings.insert(strings.end(), copied.begin(), copied.end());
    return strings;
}

} // namespace brevanton

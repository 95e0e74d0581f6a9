// VornickWordPressPostView: the post view of WordPress posts and pages. It
// picks the template for the post's type and format (falling back to the
// standard one), removes the admin bar and comments from the page, adds the
// categories and featured image, runs the body through the automatic
// paragraph rules or the block engine, shows embeds and comment-only blocks
// as placeholders, and connects images to the blog's media library.
//
// Format identifiers come from the server and name template files: only
// [a-z0-9_-]+ names a file; any other is the standard format. A template that
// turns out to be the site's error page is trashed (only the format template
// that was loaded) and the standard one loaded instead, once.
//
// Injections, including an oEmbed answer arriving later, are not user edits
// and leave no undo step; oEmbed HTML goes in without scripts, frames or
// event attributes.
#pragma once

#include "html/VornickBlockCheckCache.h"
#include "html/VornickWordPressBlockModeHelper.h"
#include "publishing/VornickPublishedBlogPostView.h"

#include <cstdint>
#include <functional>

namespace brevanton {

class ManagedObject;
class VornickWordPressBlogPost;
class VornickWordPressBlogPostCategoryListEditor;
class VornickWordPressBlockModeHelper;

class VornickWordPressPostView : public VornickPublishedBlogPostView, public VornickWordPressMediaLibraryAccess {
public:
    explicit VornickWordPressPostView(Rect frame);
    ~VornickWordPressPostView() override;

    std::shared_ptr<VornickWordPressBlogPost> wordPressPost() const;
    // Anything but a WordPress post is ignored.
    void setWordPressPost(const std::shared_ptr<VornickBlogPost>&);
    bool fellBackToStandardTemplate() const { return m_fellBackToStandardTemplate; }
    std::shared_ptr<VornickWordPressBlockModeHelper> wordPressBlockModeHelper() const;

    FragmentCompletionSetClass fragmentCompletionSetClass() const override;
    bool canShowEmphasisPreferenceUI() const override { return false; }
    void showEmphasisPreferenceUI(ActionSender*) {}

    // --- The template

    // Whether the loaded page has no element of the class "entry-content".
    bool postTemplateAppearsToBeBlockMode() const;
    // "page.html" for pages, else "post-<format>.html" in the templates
    // folder; none without a folder.
    std::optional<URL> templateFileURLForPostType(const std::u16string& type, const std::u16string& formatIdentifier);
    std::optional<URL> templateFileURLForPost() override;
    // The post's format identifier when it may name a file, else "standard".
    std::u16string safeFormatIdentifier() const;
    void postTemplateDidFinishLoading() override;

    // --- Attachment points

    std::vector<std::u16string> identifiersOfAbsolvedAttachmentPoints() const override;
    std::shared_ptr<VornickAttachmentPoint> addAttachmentPointOfType(VornickAttachmentType, const std::u16string& identifier) override;
    void attachToTemplate() override;

    // --- The body

    void updateContentFromPost() override;
    // Tags, then categories.
    void injectTermLinks() override;
    std::u16string preprocessPostBodyBeforeInjecting(const std::u16string&) override;
    void postprocessPostBodyAfterInjectingIntoRootElement(const std::shared_ptr<DOMElement>&) override;
    std::vector<VornickBlockError> validateContent() override;

    // --- Categories and the featured image

    // An editable view tells its delegate, then opens the category list
    // editor (made on first use) over the range; a click on the featured
    // image runs editPostProperties.
    void showCategoryListEditorForRange(const std::shared_ptr<DOMRange>&);
    const std::shared_ptr<VornickWordPressBlogPostCategoryListEditor>& categoryListEditor() const { return m_categoryListEditor; }
    // Sends "editPostProperties:" up the responder chain, to the window's
    // delegate last; false when nothing performed it.
    [[nodiscard]] bool editPostProperties();
    void willEditPostCategories();
    void postCategoriesEdited();
    void embeddedWebViewScrolled() override;

    // --- The media library

    // The blog's media item or variant the image URL (and class) shows.
    std::shared_ptr<ManagedObject> mediaItemOrVariantForSourceURL(const std::optional<URL>&, const DOMElement&) const;
    std::optional<VornickWordPressMediaItemImage> mediaItemImageForURL(const URL&) override;

    // --- The element editor

    // An image of the media library gets no module (its block's figure is
    // inspected instead); an image block's figure gets the image block
    // module; every other element the proposed one.
    std::optional<VornickElementInspectorModuleKind> inspectorModuleClassForElement(
        const DOMElement&, std::optional<VornickElementInspectorModuleKind> proposed) const override;
    // An image's src shows its media item's title (or the variant's file
    // name) instead of the address.
    std::optional<std::u16string> attributeEditorReadOnlyStandInForValue(const std::u16string& value, const std::u16string& attribute,
                                                                        const DOMElement&) const override;
    // An image's src: the pixel size of its media item's local file.
    std::shared_ptr<const VornickMediaFileInfo> attributeEditorMediaFileInfoForValue(const std::u16string& value,
                                                                                    const std::u16string& attribute,
                                                                                    const DOMElement&) const override;
    // A URL of the media library is shown in the blog window's media
    // library; false when it names no item or the blog has no window open.
    [[nodiscard]] bool attributeEditorOpenURLValue(const std::u16string& value, const DOMElement&) override;
    // The addresses of the account's published posts, then the copied URLs.
    std::vector<std::u16string> attributeEditorURLStringsForCompletion() const override;

    // --- Completion rows of block snippets

    VornickCompletionDisplayText completionDescriptionForDisplay(VornickFragmentCompletionUIController&,
                                                                 const VornickCompletionMatch&) const override;
    std::u16string completionFinePrintForDisplay(VornickFragmentCompletionUIController&, const VornickCompletionMatch&) const override;

    // --- oEmbed

    // Asks for an embed's instructions: source URL, maximum width and
    // height (0: none), and the handler of the answer's dictionary (none on
    // failure). The default asks the shared oEmbed agent.
    using OEmbedRequester = std::function<void(const URL&, uint64_t, uint64_t, std::function<void(std::optional<Dictionary>)>)>;
    void setOEmbedRequester(OEmbedRequester requester) { m_oEmbedRequester = std::move(requester); }
    // Asks the requester (or the shared agent) for an embed's instructions.
    void requestOEmbedInstructions(const URL&, uint64_t maxWidth, uint64_t maxHeight, std::function<void(std::optional<Dictionary>)> handler);
    // Shows an answer's HTML in an embed's wrapper (without active
    // content), not as an edit: the writer writes the block's URL there.
    // False when the wrapper is no longer in the body or the HTML makes nothing.
    bool showOEmbedHTMLInWrapper(const std::shared_ptr<DOMElement>& wrapper, const std::u16string& html);

protected:
    void build() override;
    bool allowsJavaScript() const override { return true; }

private:
    // The media item or variant a URL value of the element names, resolved against the page.
    std::shared_ptr<ManagedObject> mediaItemOrVariantForValue(const std::u16string& value, const DOMElement&) const;
    void replaceEmbedWrappersWithPlaceholders(DOMElement& root);
    void injectOEmbedHTML(const std::shared_ptr<DOMElement>& wrapper, const std::u16string& html, uint64_t loadSerial);

    bool m_fellBackToStandardTemplate { false };
    // The format template trashed by this load's chain (at most one).
    bool m_trashedFormatTemplate { false };
    std::optional<URL> m_loadedTemplateURL;
    uint64_t m_injectionSerial { 0 };
    // The body's block errors and blocks without an element, walked again
    // only when its blocks changed.
    VornickBlockCheckCache m_bodyBlockCheck;
    OEmbedRequester m_oEmbedRequester;
    std::shared_ptr<VornickWordPressBlogPostCategoryListEditor> m_categoryListEditor;
};

} // namespace brevanton

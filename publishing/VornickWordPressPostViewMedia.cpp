// The WordPress post view and the blog's media library: images' media items,
// the attribute editor's stand-ins, and the completion rows of block snippets.
#include "publishing/VornickWordPressPostView.h"

#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectComponentEditor.h"
#include "dom/VornickDocumentExtensions.h"
#include "html/VornickFragmentCompletionSet.h"
#include "html/VornickFragmentDescription.h"
#include "html/VornickWebFrameEditingState.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrame.h"
#include "publishing/VornickMediaItemFileInfo.h"
#include "publishing/VornickWordPressBlogEditorOperations.h"
#include "wordpress/VornickWordPressMediaItem.h"

namespace brevanton {

namespace {

// The item of a media item or of a variant.
std::shared_ptr<VornickWordPressMediaItem> mediaItemOf(const std::shared_ptr<ManagedObject>& object)
{
    if (auto item = dynamicEntityCast<VornickWordPressMediaItem>(object))
        return item;
    if (auto variant = dynamicEntityCast<VornickWordPressMediaItemVariant>(object))
        return variant->mediaItem();
    return nullptr;
}

} // namespace

std::shared_ptr<ManagedObject> VornickWordPressPostView::mediaItemOrVariantForSourceURL(const std::optional<URL>& url,
                                                                                        const DOMElement& element) const
{
    auto post = wordPressPost();
    auto blog = post ? post->wordPressBlog() : nullptr;
    if (!url || !blog)
        return nullptr;
    auto classes = element.getAttribute(u"class");
    return blog->mediaItemOrVariantForSourceURL(*url, &classes);
}

std::optional<VornickWordPressMediaItemImage> VornickWordPressPostView::mediaItemImageForURL(const URL& url)
{
    auto post = wordPressPost();
    auto blog = post ? post->wordPressBlog() : nullptr;
    if (!blog)
        return std::nullopt;
    URL source = url;
    if (url.isFileURL()) {
        // A file from elsewhere goes into the media library first.
        auto staged = cacheAndStageResourceFileIntoMediaLibrary(url);
        if (!staged)
            return std::nullopt;
        source = *staged;
    }
    auto item = mediaItemOf(blog->mediaItemOrVariantForSourceURL(source, nullptr));
    if (!item)
        return std::nullopt;
    VornickWordPressMediaItemImage image;
    image.serviceIdentifier = item->identifierUsedByBlogService();
    image.pixelsWide = item->valueForKey(u"pixelsWide").integerValue();
    image.pixelsHigh = item->valueForKey(u"pixelsHigh").integerValue();
    if (auto large = item->variantWithName(u"large"))
        image.largeVariantSourceURL = large->resolvedSourceURL();
    auto remote = item->valueForKey(u"remoteURLString").stringValue();
    if (!remote.empty())
        image.remoteURL = URL::create(remote);
    image.resolvedLocalURL = item->resolvedLocalURL();
    image.caption = item->valueForKey(u"caption").stringValue();
    return image;
}

std::shared_ptr<ManagedObject> VornickWordPressPostView::mediaItemOrVariantForValue(const std::u16string& value,
                                                                                   const DOMElement& element) const
{
    if (value.empty())
        return nullptr;
    auto document = element.ownerDocument();
    std::optional<URL> base = document ? vornick_URL(*document) : std::nullopt;
    return mediaItemOrVariantForSourceURL(URL::create(value, base ? &*base : nullptr), element);
}

namespace {

bool isImageSource(const std::u16string& attribute, const DOMElement& element)
{
    return equalsIgnoringASCIICase(attribute, u"SRC") && equalsIgnoringASCIICase(element.tagName(), u"IMG");
}

// The type of the block the element is the element of: the metadata of the
// nearest comment before it (siblings only) that opens a block.
std::u16string blockTypeOfElement(const DOMElement& element)
{
    for (auto node = element.previousSibling(); node; node = node->previousSibling()) {
        if (node->nodeType() != DOMNode::COMMENT_NODE)
            continue;
        std::u16string text = node->nodeValue();
        std::u16string_view trimmed(text);
        while (!trimmed.empty() && isHTMLWhitespace(trimmed.front()))
            trimmed.remove_prefix(1);
        if (!trimmed.starts_with(u"wp:"))
            continue;
        auto metadata = VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(text);
        return metadata ? metadata->typeName() : std::u16string();
    }
    return {};
}

} // namespace

std::optional<VornickElementInspectorModuleKind> VornickWordPressPostView::inspectorModuleClassForElement(
    const DOMElement& element, std::optional<VornickElementInspectorModuleKind> proposed) const
{
    if (equalsIgnoringASCIICase(element.tagName(), u"IMG")) {
        if (mediaItemOrVariantForValue(element.getAttribute(u"src"), element))
            return std::nullopt;
        return proposed;
    }
    if (equalsIgnoringASCIICase(element.tagName(), u"FIGURE") && equalsIgnoringASCIICase(blockTypeOfElement(element), u"wp:image"))
        return VornickElementInspectorModuleKind::WordPressImageBlockFigure;
    return proposed;
}

std::optional<std::u16string> VornickWordPressPostView::attributeEditorReadOnlyStandInForValue(const std::u16string& value,
                                                                                              const std::u16string& attribute,
                                                                                              const DOMElement& element) const
{
    if (!isImageSource(attribute, element))
        return VornickPublishedBlogPostView::attributeEditorReadOnlyStandInForValue(value, attribute, element);
    auto object = mediaItemOrVariantForValue(value, element);
    if (object && object->isOfEntity(VornickWordPressMediaItem::entityName))
        return object->valueForKey(u"title").stringValue();
    if (object && object->isOfEntity(VornickWordPressMediaItemVariant::entityName))
        return object->valueForKey(u"filename").stringValue();
    return VornickPublishedBlogPostView::attributeEditorReadOnlyStandInForValue(value, attribute, element);
}

std::shared_ptr<const VornickMediaFileInfo> VornickWordPressPostView::attributeEditorMediaFileInfoForValue(const std::u16string& value,
                                                                                                         const std::u16string& attribute,
                                                                                                         const DOMElement& element) const
{
    if (!isImageSource(attribute, element))
        return nullptr;
    auto item = mediaItemOf(mediaItemOrVariantForValue(value, element));
    return item ? vornick_mediaFileInfo(*item) : nullptr;
}

bool VornickWordPressPostView::attributeEditorOpenURLValue(const std::u16string& value, const DOMElement& element)
{
    auto item = mediaItemOf(mediaItemOrVariantForValue(value, element));
    auto blog = item ? item->blog() : nullptr;
    if (!blog)
        return false;
    auto editor = std::dynamic_pointer_cast<VornickWordPressBlogEditorOperations>(VornickProjectComponentEditor::editorForComponent(*blog));
    if (!editor)
        return false;
    editor->showMediaItemInMediaLibrary(item);
    return true;
}

namespace {

// The block snippet of a match: one of the main frame's base snippet set.
std::shared_ptr<const VornickFragmentDescription> blockSnippetOfMatch(const VornickContentEditingView& view,
                                                                      const VornickCompletionMatch& match)
{
    auto description = VornickFragmentCompletionSet::fragmentDescriptionOfMatch(match);
    auto frame = view.mainFrame();
    if (!description || !frame)
        return nullptr;
    auto base = vornick_baseFragmentSet(*frame);
    return base && description->fragmentSet() == base ? description : nullptr;
}

} // namespace

VornickCompletionDisplayText VornickWordPressPostView::completionDescriptionForDisplay(VornickFragmentCompletionUIController& controller,
                                                                                     const VornickCompletionMatch& match) const
{
    if (auto snippet = blockSnippetOfMatch(*this, match)) {
        VornickCompletionDisplayText text;
        text.string = snippet->displayName();
        text.inDisabledControlTextColor = match.disabled();
        return text;
    }
    return VornickPublishedBlogPostView::completionDescriptionForDisplay(controller, match);
}

std::u16string VornickWordPressPostView::completionFinePrintForDisplay(VornickFragmentCompletionUIController& controller,
                                                                      const VornickCompletionMatch& match) const
{
    if (blockSnippetOfMatch(*this, match))
        return u"WordPress Block";
    return VornickPublishedBlogPostView::completionFinePrintForDisplay(controller, match);
}

} // namespace brevanton

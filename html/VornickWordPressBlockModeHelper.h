// VornickWordPressBlockModeHelper: the block mode helper for WordPress posts.
// It supplies the "wp:" comment prefixes, the comment texts per element
// kind, the blockify rules and block transforms, the block types whose text
// may be edited, block descriptions from the snippet set and the repair of
// an unclosed block.
#pragma once

#include "html/VornickBlockModeHelper.h"
#include "html/VornickWordPressBlockMetadata.h"
#include "platform/foundation/URL.h"

namespace brevanton {

// A media item of the post's blog as image insertion sees it.
struct VornickWordPressMediaItemImage {
    // The identifier the site gave the item; empty before its upload.
    std::u16string serviceIdentifier;
    long pixelsWide { 0 };
    long pixelsHigh { 0 };
    // The resolved source URL of the "large" variant, the item's address on
    // the site and its local file, where known.
    std::optional<URL> largeVariantSourceURL;
    std::optional<URL> remoteURL;
    std::optional<URL> resolvedLocalURL;
    std::u16string caption;
};

// What a view that edits WordPress posts supplies for image insertion: the
// blog's media item for an image URL, a local file being cached and staged
// into the media library first; none when the image cannot be used.
class VornickWordPressMediaLibraryAccess {
public:
    virtual ~VornickWordPressMediaLibraryAccess() = default;
    virtual std::optional<VornickWordPressMediaItemImage> mediaItemImageForURL(const URL&) = 0;
};

class VornickWordPressBlockModeHelper : public VornickBlockModeHelper {
public:
    // Also switches the snippet set: "WordPress-blocks" in block mode,
    // "WordPress-classic" otherwise (when the set can be loaded).
    void setOperatingInBlockMode(bool inBlockMode) override;

    std::optional<std::u16string> blockStartCommentPrefix() const override { return std::u16string(u"wp:"); }
    std::optional<std::u16string> blockEndCommentPrefix() const override { return std::u16string(u"/wp:"); }
    std::optional<std::u16string> blockStartCommentTextForElementKind(std::u16string_view tagName) const override;
    std::optional<std::u16string> blockEndCommentTextForElementKind(std::u16string_view tagName) const override;
    void buildReplacementRuleTable() override;
    void buildBlockTransformTable() override;
    bool canEditContentOfBlockOrElement(const VornickExactSelection&) const override;
    std::shared_ptr<const VornickFragmentDescription> fragmentDescriptionForBlockStartComment(const DOMComment&) const override;
    std::shared_ptr<const VornickFragmentDescription> fragmentDescriptionForBlockType(
        std::u16string_view blockType, const std::map<std::u16string, std::u16string>& properties) const override;
    bool mayOfferElementInCompletionList(std::u16string_view tagName, const DOMRange* targetRange) const override;
    bool mayOfferFragmentInCompletionList(const VornickFragmentDescription&, const DOMRange* targetRange,
                                          long applySemantic) const override;
    bool mayInsertDescribedFragment(const VornickFragmentDescription&, const VornickDOMPosition&, std::u16string* reasonWhyNot) const override;
    bool mayInsertFragment(const DOMDocumentFragment&, const VornickDOMPosition&, std::u16string* reasonWhyNot) const override;
    // Closes an unclosed block (error 42) right after its last node.
    [[nodiscard]] bool fixBlockError(const VornickBlockError&) override;
    bool tablesCanHaveCaptions() const override { return false; }
    VornickElementEditorKind elementEditorClassForElement(const DOMElement&) const override;
    void getPathSegmentLabelsForElement(const DOMElement&,
                                        const std::function<void(const std::u16string&, const std::u16string&)>& handler) const override;
    size_t insertionIndexForAttribute(std::u16string_view attributeName, const DOMElement&) const override;
    bool useExplicitEmphasis() const override;
    // What WordPress itself writes is sound: custom HTML, shortcode and
    // classic blocks hold any markup or text alone, and classic markup may
    // stand between blocks.
    bool blockTypeHoldsFreeformContent(std::u16string_view blockType) const override;
    bool acceptsElementsBetweenBlocks() const override { return true; }
    bool canInsertOrWrapInLinkToFileInContentEditingView(const VornickBlockModeEditingContext&) const override { return false; }
    // In block mode only paragraphs and headings change level, and only
    // headings are cleared.
    bool canChangeHeadingLevelInContentEditingView(const VornickBlockModeEditingContext&) const override;
    bool canClearHeadingLevelInContentEditingView(const VornickBlockModeEditingContext&) const override;

    // An embed block waiting for its URL: a figure of the provider's classes
    // holding the placeholder text where the embedded content will go.
    std::shared_ptr<DOMDocumentFragment> createEmbedPlaceholderWithProperties(const Dictionary& properties,
                                                                              const std::u16string& placeholderText,
                                                                              DOMDocument&) override;
    // The embed snippet of the text pattern rule the URL matches, made with
    // the match's values and the URL as "url"; null when no rule matches.
    std::shared_ptr<DOMDocumentFragment> createFragmentForEmbedWithURLString(const std::u16string&, DOMDocument&) override;
    // An embed block for a URL a rule knows, else a link.
    std::shared_ptr<DOMDocumentFragment> createFragmentForPasteOfURL(const URL&, const std::u16string& title, DOMDocument&) override;
    // An image block of the blog's media item for the URL; the view must be
    // one that edits WordPress posts (assertion).
    std::shared_ptr<DOMDocumentFragment> createImageWithURL(const URL&, DOMDocument&, VornickBlockModeEditingContext* view,
                                                            const DOMRange* toReplaceRange) override;

    // The metadata of the block comment right before the element.
    std::shared_ptr<VornickWordPressBlockMetadata> blockMetadataForBlockElement(const DOMElement&) const;
    std::shared_ptr<VornickWordPressBlockMetadata> blockMetadataForBlockEnclosingNode(const std::shared_ptr<DOMNode>&, bool allowNodeItself,
                                                                                      bool outermost, const DOMElement* remainingWithin) const;
    // In block mode, the type of the block a heading command acts on: the
    // block the operation range selects exactly (with its comments), or for
    // a caret the block around it; none outside block mode.
    std::optional<std::u16string> blockTypeForHeadingOperationInWordPressPostView(const VornickBlockModeEditingContext&) const;
    // The snippet's display name, else the type name, and " Block".
    std::u16string blockDisplayNameForTypeName(const std::u16string& typeName, const std::optional<Dictionary>& properties) const;
    // "Ordered"/"Unordered" for a list, the URL of an embed, else "".
    static std::u16string secondaryLabelForBlockMetadata(const VornickWordPressBlockMetadata&);
    // The snippet identifier that describes a block of this type.
    static std::u16string fragmentIdentifierForBlockType(std::u16string_view blockType, const std::map<std::u16string, std::u16string>& properties);
};

} // namespace brevanton

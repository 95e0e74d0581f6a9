// VornickWordPressBlockModeHelper: the block mode helper for WordPress posts.
// It supplies the "wp:" comment prefixes, the comment texts per element
// kind, the blockify rules and block transforms, the block types whose text
// may be edited, block descriptions from the snippet set and the repair of
// an unclosed block.
#pragma once

#include "html/VornickBlockModeHelper.h"
#include "html/VornickWordPressBlockMetadata.h"

namespace brevanton {

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
    bool canInsertOrWrapInLinkToFileInContentEditingView(const VornickBlockModeEditingContext&) const override { return false; }

    // The metadata of the block comment right before the element.
    std::shared_ptr<VornickWordPressBlockMetadata> blockMetadataForBlockElement(const DOMElement&) const;
    std::shared_ptr<VornickWordPressBlockMetadata> blockMetadataForBlockEnclosingNode(const std::shared_ptr<DOMNode>&, bool allowNodeItself,
                                                                                      bool outermost, const DOMElement* remainingWithin) const;
    // The snippet's display name, else the type name, and " Block".
    std::u16string blockDisplayNameForTypeName(const std::u16string& typeName, const std::optional<Dictionary>& properties) const;
    // "Ordered"/"Unordered" for a list, the URL of an embed, else "".
    static std::u16string secondaryLabelForBlockMetadata(const VornickWordPressBlockMetadata&);
    // The snippet identifier that describes a block of this type.
    static std::u16string fragmentIdentifierForBlockType(std::u16string_view blockType, const std::map<std::u16string, std::u16string>& properties);
};

} // namespace brevanton

// VornickBlockModeHelper: answers every editing-permission and block
// question of the editor. A block is an opening block comment, an element (or
// an interior comment) and a closing comment, siblings of one parent with only
// HTML whitespace between them; a self-closing opening comment is a block of
// its own. The base helper is neutral about the comment format: its prefixes
// are absent, so nothing is a block, every permission is granted and created
// content carries no comments. A subclass for a block format supplies the
// prefixes, the comment texts per element kind and its tables, and the
// engine here applies them.
#pragma once

#include "dom/VornickDOMPosition.h"
#include "html/VornickBlockError.h"
#include "html/VornickBlockTransform.h"
#include "html/VornickExactSelection.h"
#include "platform/foundation/Error.h"
#include "toolkit/VornickErrors.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace brevanton {

class DOMComment;
class DOMDocument;
class DOMDocumentFragment;
class DOMElement;
class DOMNode;
class DOMRange;
class DOMText;
class URL;
class VornickFragmentDescription;
class VornickFragmentSet;
class VornickHTMLPatternReplacementRule;
class VornickHTMLPatternReplacementRuleAction;
class VornickHTMLPatternReplacementRuleTable;
class VornickHTMLSpec;

// What the helper asks of the content editing view it serves.
class VornickBlockModeEditingContext {
public:
    virtual ~VornickBlockModeEditingContext() = default;
    virtual bool isEditable() const = 0;
    // The range editing commands act on (null when there is none).
    virtual std::shared_ptr<DOMRange> effectiveOperationRange() const = 0;
    virtual bool canInsertOrWrapInLink() const = 0;
    // The pixel width and height of a media file, read if needed; none when unknown.
    virtual std::optional<std::pair<long, long>> pixelSizeOfMediaFile(const URL&) const { return std::nullopt; }
    // The width of an element's bounding box on the page.
    virtual double boundingBoxWidthOfElement(const DOMElement&) const { return 0; }
};

// Which editor edits an element's properties.
enum class VornickElementEditorKind { ElementAttributes, WordPressBlockElement };

// Where a collapsed insertion point sits inside a block.
enum class VornickBlockInteriorEndpointClass { Interior = 0, AtStart = 1, AtEnd = 2 };

class VornickBlockModeHelper {
public:
    // Handler of block enumeration: the block or element, the structure
    // fault found there (nullopt for a sound block), a stop flag.
    using BlockHandler = std::function<void(const VornickExactSelection&, const std::optional<Error>&, bool& stop)>;
    using IntersectingBlockHandler = std::function<void(const VornickExactSelection&, bool& stop)>;

    VornickBlockModeHelper();
    virtual ~VornickBlockModeHelper();
    VornickBlockModeHelper(const VornickBlockModeHelper&) = delete;
    VornickBlockModeHelper& operator=(const VornickBlockModeHelper&) = delete;

    // --- State.
    // Off: every permission is granted and no block comments are made.
    bool operatingInBlockMode() const { return m_operatingInBlockMode; }
    virtual void setOperatingInBlockMode(bool inBlockMode) { m_operatingInBlockMode = inBlockMode; }
    const std::shared_ptr<VornickHTMLSpec>& htmlSpec() const { return m_htmlSpec; }
    void setHtmlSpec(std::shared_ptr<VornickHTMLSpec> spec) { m_htmlSpec = std::move(spec); }
    const std::shared_ptr<const VornickFragmentSet>& fragmentSet() const { return m_fragmentSet; }
    void setFragmentSet(std::shared_ptr<const VornickFragmentSet> set) { m_fragmentSet = std::move(set); }
    // The view the helper serves (not owned; the view clears it).
    VornickBlockModeEditingContext* contentEditingView() const { return m_contentEditingView; }
    void setContentEditingView(VornickBlockModeEditingContext* view) { m_contentEditingView = view; }

    // --- Hooks a block format overrides (base answers in the comments).
    // None.
    virtual std::optional<std::u16string> blockStartCommentPrefix() const { return std::nullopt; }
    virtual std::optional<std::u16string> blockEndCommentPrefix() const { return std::nullopt; }
    // None: elements of every kind stay unfenced.
    virtual std::optional<std::u16string> blockStartCommentTextForElementKind(std::u16string_view) const { return std::nullopt; }
    virtual std::optional<std::u16string> blockEndCommentTextForElementKind(std::u16string_view) const { return std::nullopt; }
    // Nothing.
    virtual void buildReplacementRuleTable() {}
    virtual void buildBlockTransformTable() {}
    // Yes.
    virtual bool canEditContentOfBlockOrElement(const VornickExactSelection&) const { return true; }
    // Nothing.
    virtual void addDefaultAttributesToNewBlockElement(DOMElement&) const {}
    // None.
    virtual std::shared_ptr<DOMDocumentFragment> createEmbedPlaceholderWithProperties(
        const Dictionary& properties, const std::u16string& placeholderText, DOMDocument&);
    virtual std::shared_ptr<DOMDocumentFragment> createFragmentForEmbedWithURLString(const std::u16string&, DOMDocument&);
    // Nothing.
    virtual void injectPlaceholdersIntoCommentOnlyBlocks(DOMNode&) {}
    // None.
    virtual std::shared_ptr<const VornickFragmentDescription> fragmentDescriptionForBlockStartComment(const DOMComment&) const;
    virtual std::shared_ptr<const VornickFragmentDescription> fragmentDescriptionForBlockType(
        std::u16string_view blockType, const std::map<std::u16string, std::u16string>& properties) const;
    // Yes.
    virtual bool mayOfferElementInCompletionList(std::u16string_view tagName, const DOMRange* targetRange) const;
    virtual bool mayOfferFragmentInCompletionList(const VornickFragmentDescription&, const DOMRange* targetRange,
                                                  long applySemantic) const;
    // No.
    [[nodiscard]] virtual bool fixBlockError(const VornickBlockError&) { return false; }
    // Yes.
    virtual bool tablesCanHaveCaptions() const { return true; }
    // The plain attributes editor.
    virtual VornickElementEditorKind elementEditorClassForElement(const DOMElement&) const;
    // The lower-case tag name and the element's attributes label.
    virtual void getPathSegmentLabelsForElement(const DOMElement&,
                                                const std::function<void(const std::u16string&, const std::u16string&)>& handler) const;
    // After the last attribute.
    virtual size_t insertionIndexForAttribute(std::u16string_view attributeName, const DOMElement&) const;
    // The Boolean user default "UseExplicitEmphasis".
    virtual bool useExplicitEmphasis() const;
    // No: a block holds one element or one interior comment. Yes for a type
    // whose blocks hold raw markup: any nodes, or text alone.
    virtual bool blockTypeHoldsFreeformContent(std::u16string_view) const { return false; }
    // No: an element between blocks is a fault. Yes where the format keeps
    // markup outside blocks as it is.
    virtual bool acceptsElementsBetweenBlocks() const { return false; }

    // --- Finding blocks.
    // The nearest preceding (following) sibling comment with the start (end)
    // prefix across whitespace-only text; VornickNotFound / null without one.
    size_t indexOfBlockStartCommentBeforeNode(const DOMNode&) const;
    std::shared_ptr<DOMComment> blockStartCommentBeforeNode(const DOMNode&) const;
    size_t indexOfBlockEndCommentAfterNode(const DOMNode&) const;
    std::shared_ptr<DOMComment> blockEndCommentAfterNode(const DOMNode&) const;
    // The element's outer range, widened over its block comments.
    std::shared_ptr<DOMRange> outerRangeOfElementIncludingBlockStartAndEndComments(const DOMElement&) const;
    // Widens a range over one element's children to the block comments of
    // the first and last child it spans; unchanged otherwise.
    void growRangeToIncludeBlockStartAndEndComments(DOMRange&) const;
    // The element with the block comments right around it (either may be null).
    VornickExactSelection blockOrElement(const std::shared_ptr<DOMElement>&) const;
    // The enclosing block (of one of `types`, any when empty), innermost or
    // outermost, never leaving `remainingWithin`.
    std::optional<VornickExactSelection> blockEnclosingNode(const std::shared_ptr<DOMNode>&, const std::set<std::u16string>& types,
                                                            bool allowNodeItself, bool outermost,
                                                            const DOMElement* remainingWithin) const;
    std::optional<VornickExactSelection> blockEnclosingPosition(const VornickDOMPosition&, const std::set<std::u16string>& types,
                                                                bool outermost, const DOMElement* remainingWithin) const;
    // The element or block the range selects exactly, optionally after
    // looking for the block comments outside the range.
    std::optional<VornickExactSelection> exactSelectionFromRange(const DOMRange&, bool expandToBlockDelimiterComments) const;
    // The next block or element from the node (direction < 1 backwards),
    // passing whitespace-only text and delimiter comments.
    std::optional<VornickExactSelection> nextBlockOrElementInDirection(int direction, const std::shared_ptr<DOMNode>& startNode) const;
    // Walks the node's children as blocks and checks their structure; options
    // 0 or VornickEnumerationReverse (assertion). A sound block with neither
    // element nor interior comment between its two comments (one whose
    // content is blocks, or text alone) is checked but not handed over; the
    // blocks inside it are.
    void enumerateChildBlocksOfNode(const DOMNode&, unsigned options, const BlockHandler&) const;
    // Every element the range intersects that has both block comments.
    void enumerateBlocksIntersectingRange(const DOMRange&, unsigned options, const IntersectingBlockHandler&) const;

    // --- Permissions.
    bool mayEditContentOfNode(const DOMNode&) const;
    bool mayEditPropertiesOfElement(const std::shared_ptr<DOMElement>&) const;
    bool mayDeleteElement(const std::shared_ptr<DOMElement>& element) const { return mayEditPropertiesOfElement(element); }
    bool mayEditContentOfDescendantElement(const std::shared_ptr<DOMElement>&, const VornickExactSelection& enclosingBlock,
                                           const VornickFragmentDescription&) const;
    bool mayEditPropertiesOfDescendantElement(const std::shared_ptr<DOMElement>&, const VornickExactSelection& enclosingBlock,
                                              const VornickFragmentDescription&) const;
    std::shared_ptr<DOMElement> contentEditableAncestorElementForPosition(const VornickDOMPosition&, bool remainingWithinBlock) const;
    // Whether a selection the web view proposes stays in what may be edited:
    // both ends in editable content and, outside block mode, within one
    // attachment point (across blocks as the user likes); in block mode
    // within one editable element of a block.
    bool proposedSelectionRangeIsInEditableContent(const DOMRange&) const;
    std::optional<VornickExactSelection> blockOrElementToEditForRange(const DOMRange*) const;
    // Asserts a range ("range != nil").
    std::shared_ptr<DOMElement> deepestElementUnderAttachmentPoint(const std::shared_ptr<DOMElement>& attachmentPoint,
                                                                   const DOMRange* thatContainsOrEqualsRange) const;

    // --- Insertion points.
    void moveInsertionRangeOutOfBlockDelimiterComments(DOMRange&) const;
    bool insertionRangeIsInBlock(const DOMRange&,
                                 const std::function<void(const VornickExactSelection&, VornickBlockInteriorEndpointClass)>& classifyInteriorEndpoint) const;
    std::shared_ptr<DOMRange> poppedInsertionRangeIfAtBlockStartOrEnd(const DOMRange&) const;
    virtual bool mayInsertDescribedFragment(const VornickFragmentDescription&, const VornickDOMPosition&, std::u16string* reasonWhyNot) const;
    virtual bool mayInsertFragment(const DOMDocumentFragment&, const VornickDOMPosition&, std::u16string* reasonWhyNot) const;

    // --- Creating content.
    std::shared_ptr<DOMComment> createBlockStartCommentForElementKind(std::u16string_view, DOMDocument&) const;
    std::shared_ptr<DOMComment> createBlockEndCommentForElementKind(std::u16string_view, DOMDocument&) const;
    std::shared_ptr<DOMDocumentFragment> createFragmentWithCommentDelimitedElement(std::u16string_view tagName, DOMDocument&,
                                                                                   bool suppressingBlockDelimiters,
                                                                                   std::shared_ptr<DOMElement>* returningElement) const;
    std::shared_ptr<DOMDocumentFragment> createFragmentWithCommentDelimitedElement(std::u16string_view tagName, DOMDocument&,
                                                                                   const std::shared_ptr<DOMNode>& wrappedAroundContent,
                                                                                   bool suppressingBlockDelimiters,
                                                                                   std::shared_ptr<DOMElement>* returningElement) const;
    std::shared_ptr<DOMDocumentFragment> createFragmentWithCommentDelimitedElement(std::u16string_view tagName, DOMDocument&,
                                                                                   const std::u16string& wrappedAroundText,
                                                                                   bool suppressingBlockDelimiters,
                                                                                   std::shared_ptr<DOMElement>* returningElement,
                                                                                   std::shared_ptr<DOMText>* returningTextNode) const;
    // A link to the URL's absolute string around the title.
    virtual std::shared_ptr<DOMDocumentFragment> createFragmentForPasteOfURL(const URL&, const std::u16string& title, DOMDocument&);
    // An "img" referencing the URL relative to the document, sized from the
    // media file when its size is known; null when none can be made.
    virtual std::shared_ptr<DOMDocumentFragment> createImageWithURL(const URL&, DOMDocument&, VornickBlockModeEditingContext* view,
                                                                    const DOMRange* toReplaceRange);
    void transformChildElementsInFragment(DOMDocumentFragment&, std::u16string_view ofKind, std::u16string_view toKind,
                                          bool suppressingBlockDelimiters) const;
    std::shared_ptr<DOMDocumentFragment> wrapFragment(DOMDocumentFragment&, std::u16string_view inElementOfKind,
                                                      const DOMElement* withSameAttributesAsElement) const;
    // Block mode only: turns the fragment's top-level elements into blocks.
    void blockifyFragment(DOMDocumentFragment&);
    void addReplacementRule(std::shared_ptr<const VornickHTMLPatternReplacementRule>);
    // No rule when the pattern does not parse.
    void addReplacementRuleWithPatternString(const std::u16string& patternString,
                                             std::vector<std::shared_ptr<const VornickHTMLPatternReplacementRuleAction>> actions);
    void addBlockTransform(VornickBlockTransform);
    std::optional<VornickBlockTransform> transformFromBlockType(std::u16string_view fromType, std::u16string_view toType);
    // Every transform from the block type, by target type.
    std::vector<VornickBlockTransform> transformsFromBlockType(std::u16string_view fromType);

    // --- Brick tags.
    void recursiveAddBrickTags(DOMNode&) const;
    void recursiveRemoveBrickTags(DOMNode&) const;
    // The class attribute the element keeps once its brick tags are removed:
    // nothing when it carries none, empty when no class remains.
    std::optional<std::u16string> classAttributeValueWithoutBrickTags(const DOMElement&) const;

    // --- Heading and inline style permissions.
    virtual bool canChangeHeadingLevelInContentEditingView(const VornickBlockModeEditingContext&) const;
    virtual bool canClearHeadingLevelInContentEditingView(const VornickBlockModeEditingContext&) const;
    virtual bool canInsertOrWrapInLinkToFileInContentEditingView(const VornickBlockModeEditingContext&) const;
    virtual bool canToggleApplicationOfInlineStyleElement(std::u16string_view tagName, const VornickBlockModeEditingContext&) const;

protected:
    // The substitute character of non-breaking spaces in the node's frame (0 when none).
    static char16_t substituteCharacterForNode(const DOMNode&);

private:
    bool m_operatingInBlockMode { false };
    std::shared_ptr<VornickHTMLSpec> m_htmlSpec;
    std::shared_ptr<const VornickFragmentSet> m_fragmentSet;
    VornickBlockModeEditingContext* m_contentEditingView { nullptr };
    std::unique_ptr<std::map<std::u16string, std::map<std::u16string, VornickBlockTransform>>> m_blockTransformsByFromType;
    std::unique_ptr<VornickHTMLPatternReplacementRuleTable> m_replacementRuleTable;
};

} // namespace brevanton

// WebLayout: a layout of one document, good enough for node boxes, hit
// testing and painting. Block boxes stack in their container's width; inline
// text wraps into line boxes word by word, with widths and line heights from
// the current font metrics provider (platform/views/FontMetrics.h) for the
// computed font (its size times the text size multiplier): with the default,
// deterministic provider every character advances half an em and a line is
// 1.25 em high. The text of each line box is drawn from exactly the positions
// hit testing uses (textRun). Replaced elements take their width/height attributes, their
// intrinsic size or a default; table cells stand in a grid of columns, spanning
// the rows and columns they name, and a table is as wide as its content wants
// (within the width it is given, never narrower than its longest words) unless
// its width is set; elements with display:none and their content have empty boxes. Content nested
// deeper than maximumDisplayDepth is shown as the text of the element at that
// depth (its elements have no boxes), so that no walk of the layout recurses
// further however deep the page; such a page is always laid out whole. Coordinates are those of
// the frame's document view (flipped: y grows downwards).
#pragma once

#include "platform/dom/DOMNode.h"
#include "platform/views/Font.h"
#include "platform/views/Geometry.h"
#include "platform/web/WebBoxEdges.h"
#include "platform/web/WebTableColumns.h"
#include "platform/web/WebTableGrid.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace brevanton {

class DOMDocument;
class DOMElement;
class DOMNode;
class FontMetricsProvider;
struct CSSComputedValues;
struct DOMStructureChange;

// One line's part of a text node: its rectangle and the offsets it covers.
struct WebLineBox {
    Rect rect;
    unsigned startOffset { 0 };
    unsigned endOffset { 0 };
    // On a justified line: how much wider than a space each space between words is.
    double justification { 0 };
};

// One line box of a text node as it is drawn: the line's text, each run of
// collapsed white space shown as one space, with the x of every unit.
struct WebTextRun {
    const DOMNode* node { nullptr };
    FontDescriptor font;
    // The line box, and the y of the baseline within it.
    Rect rect;
    double baseline { 0 };
    unsigned startOffset { 0 };
    unsigned endOffset { 0 };
    std::u16string text;
    // The x of each unit of `text` and of its end (text.size() + 1 values).
    std::vector<double> positions;
    // The node's offset each unit of `text` stands for, and the line's end offset.
    std::vector<unsigned> sourceOffsets;

    // The x of the caret at an offset of the node within the line (clamped to it).
    double xForOffset(unsigned offset) const;
};

// The font of an element's text: the computed family list, size (times the
// multiplier), weight and style, measured with the page's metrics.
FontDescriptor webFontDescriptor(const CSSComputedValues&, double textSizeMultiplier);

class WebLayout {
public:
    // The intrinsic size of a replaced element (an image's pixel size), when known.
    using IntrinsicSizeProvider = std::function<std::optional<Size>(const DOMElement&)>;

    // The page metrics of the default, deterministic font metrics provider.
    static constexpr double advancePerFontSize = 0.5;
    static constexpr double lineHeightPerFontSize = 1.25;
    static constexpr Size defaultReplacedSize { 16, 16 };
    static constexpr Size defaultFrameSize { 300, 150 };
    // How deep elements nest in the layout; the text of what nests deeper
    // flows in the element at this depth.
    static constexpr unsigned maximumDisplayDepth = 512;

    WebLayout() = default;
    // Not copied: nodes' layout slots name one layout.
    WebLayout(const WebLayout&) = delete;
    WebLayout& operator=(const WebLayout&) = delete;

    void setIntrinsicSizeProvider(IntrinsicSizeProvider provider) { m_intrinsicSize = std::move(provider); }

    // Lays the document out again when it, its styles, the width or the
    // multiplier changed since the last layout (or invalidate() was called).
    // After text edits, and after tree and attribute changes that leave the
    // style sheets as they are, only the blocks holding what changed are laid
    // out again, and what follows them moves by the change of their height.
    // Attributes that no selector sees change nothing, except on replaced
    // content.
    void layoutIfNeeded(const DOMDocument&, double width, double textSizeMultiplier);
    void invalidate() { m_valid = false; }
    // A character measured and drawn as a space, as U+00A0 is (0 for none):
    // an editor's stand-in for U+00A0. Changing it lays the page out again.
    void setCharacterShownAsSpace(char16_t);
    char16_t characterShownAsSpace() const { return m_characterShownAsSpace; }

    // The node's box; the zero rectangle for nodes without one.
    Rect boundingBox(const DOMNode&) const;
    // The line boxes of a text node, in order.
    std::vector<Rect> lineBoxRects(const DOMNode&) const;
    const std::vector<WebLineBox>* lineBoxes(const DOMNode&) const;
    Size documentSize() const { return m_documentSize; }
    // The used content size of an element laid out as a block, a table or
    // replaced content; nullopt for inline and unrendered elements.
    std::optional<Size> usedSize(const DOMElement&) const;
    // The deepest node (element or text) whose box holds the point, or null.
    DOMNode* nodeAtPoint(const DOMDocument&, Point) const;
    // The text offset nearest to the point's x within a line box of `text`.
    unsigned offsetForPoint(const DOMNode& text, Point) const;
    // The drawn text of one of a text node's line boxes (nullopt past the last).
    std::optional<WebTextRun> textRun(const DOMNode& text, size_t lineIndex) const;
    // The font a text node was laid out with (null for nodes without lines).
    const FontDescriptor* fontOfText(const DOMNode& text) const;
    // The caret at a boundary point: one unit wide, as high as the line (or
    // the box) it stands in; the zero rectangle where nothing is laid out.
    Rect caretRect(const DOMNode& container, unsigned offset) const;
    // Calls `visit` with every node whose box (or one of whose line boxes)
    // meets the rectangle, in document order, an element before its content.
    // Subtrees are skipped by the vertical extents of their boxes, as hit
    // testing skips them.
    void enumerateNodesInRect(const DOMDocument&, const Rect&, const std::function<void(const DOMNode&, const Rect&)>& visit) const;
    // The same, and calls `leave` with every node passed to `visit` once its
    // content was visited (so that a painter can end what it began for it).
    void enumerateNodesInRect(const DOMDocument&, const Rect&, const std::function<void(const DOMNode&, const Rect&)>& visit,
                              const std::function<void(const DOMNode&)>& leave) const;
    // Moves whenever any box changed; fullLayoutCount() counts only complete layouts.
    uint64_t layoutCount() const { return m_layoutCount; }
    uint64_t fullLayoutCount() const { return m_fullLayoutCount; }
    // How many blocks were laid out, by all passes together.
    uint64_t blockLayoutCount() const { return m_blockLayoutCount; }

    // --- What a pass changed
    // The part of the document whose drawing the latest pass that changed
    // anything may have changed: the blocks laid out again, at their old
    // and their new places, and when their height changed, everything below
    // them down to the lower of the old and new ends of the document.
    // nullopt when everything may have changed (a whole layout, or a block
    // put into or taken out of the tree).
    std::optional<Rect> changedAreaOfLastLayout() const { return m_changedArea; }

private:
    struct Box {
        const DOMNode* node { nullptr };
        Rect rect;
        std::vector<WebLineBox> lines;
        // Place in m_boxOrder.
        uint32_t order { 0 };
        // Place in m_blockFlows for elements laid out as blocks, else noBlockFlow.
        uint32_t blockFlow { noBlockFlow };
        // For blocks: how many boxes their content made (they come right before the block's).
        uint32_t contentCount { 0 };
        // For text: the font in m_fonts, and whether white space was kept as it stands.
        uint32_t font { 0 };
        bool isText { false };
        bool preservesWhiteSpace { false };
        // Its place among the boxes, and whether the index by address has it.
        uint32_t index { 0 };
        bool indexed { false };
    };
    static constexpr uint32_t noBlockFlow = ~0u;
    // Where and how wide a block was laid out, the height it took with its
    // margins, and the furthest right edge of anything within it.
    struct BlockFlow {
        double x { 0 };
        double y { 0 };
        double width { 0 };
        double height { 0 };
        double maxX { 0 };
        bool inTable { false };
        bool fixedHeight { false };
        // The definite height of the containing block, for percentage heights.
        std::optional<double> containingHeight;
        // Whether a max-height may cut the content's height (what grows within starts over).
        bool limitedHeight { false };
        // Whether the element was laid out as a table (its content is laid out again only with it).
        bool table { false };
        // Whether its children were blocks (none replaced) and white space that makes no line.
        bool onlyBlocks { false };
    };
    struct InlineState;

    void layoutDocument(const DOMDocument&);
    bool layoutChangedText(const DOMDocument&, uint64_t sinceVersion);
    bool layoutChangedStructure(const DOMDocument&, uint64_t sinceVersion);
    // One block put into or taken out of a container holding only blocks: the
    // block alone is laid out (or dropped) and what follows it moves.
    enum class FastResult { Done, NotApplicable, Failed };
    FastResult layoutBlockChildChange(const DOMStructureChange&);
    // A block taken out and another put in its place (a removal and the
    // insertion recorded right after it): the new block is laid out where
    // the old one stood, and what follows moves by the change of height.
    FastResult layoutBlockReplacement(const DOMStructureChange& removal, const DOMStructureChange& insertion);
    // A batch of such changes, one by one; false when one of them needs a full layout.
    bool layoutBlockChildChanges(const std::vector<DOMStructureChange>&);
    // White space put into a container of blocks, which makes no line.
    bool isWhiteSpaceBetweenBlocks(const DOMStructureChange&) const;
    // Text without lines taken out of a container of blocks: its box goes; true when that was all.
    bool removeLinelessText(const DOMStructureChange&);
    // A comment or another node that makes no box put in or taken out.
    bool isBoxlessNodeChange(const DOMStructureChange&) const;
    // Drops each node put in and taken out again since the last layout
    // (neither change leaves anything to lay out).
    void dropNodesInsertedAndRemovedAgain(std::vector<DOMStructureChange>&) const;
    // White space text that made no line in a container holding only blocks.
    bool isLinelessWhiteSpaceBetweenBlocks(const DOMNode& text) const;
    bool containerHoldsOnlyBlocks(const DOMElement&) const;
    // Moves what follows the box at `order` within `firstContainer` and its
    // ancestors, and grows them, by `delta`; their content counts change by `countDelta`.
    bool shiftFollowing(DOMNode* firstContainer, size_t order, double delta, int64_t countDelta);
    // Lays out again each block that is not within another of them.
    bool relayoutBlocks(const std::vector<const DOMElement*>&);
    bool relayoutBlock(const DOMElement&);
    // Adds a block laid out again, from `oldRect` to its new box, to the changed area.
    void noteBlockLaidOutAgain(const Rect& oldRect, const Rect& newRect, double oldDocumentHeight);
    Box& boxFor(const DOMNode*);
    // Drops the box (its block record is taken again by the next block).
    void eraseBox(const Box&);
    // The box's block record, made when it has none.
    BlockFlow& blockFlowFor(Box&);
    void moveBoxes(size_t begin, size_t end, double deltaY);
    // `fillsWidth`: the block's box fills the width whatever width its style sets (a table cell's slot).
    // `style`: the element's computed values when the caller has them.
    double layoutBlock(const DOMElement&, double x, double y, double width, bool fillsWidth = false,
                       std::shared_ptr<const CSSComputedValues> style = nullptr);
    // `style`: the container's computed values when the caller has them.
    double layoutBlockChildren(const DOMNode& container, double x, double y, double width,
                               std::shared_ptr<const CSSComputedValues> style = nullptr);
    double layoutTable(const DOMElement&, double x, double y, double width);
    double layoutTableBox(const DOMElement&, double x, double y, double width);
    void layoutInline(const DOMNode&, InlineState&, std::shared_ptr<const CSSComputedValues> style = nullptr);
    // Moves the lines of the inline content whose boxes start at `firstBox`
    // by `alignment` (a fraction) of the room each leaves, or with `justify`
    // spreads the room of wrapped lines over their spaces, then forgets them.
    void alignLines(InlineState&, size_t firstBox, double alignment, bool justify);
    void layoutText(const DOMNode&, InlineState&);
    // Lays out the text within `container` (at the display depth) as its own.
    void layoutFlattenedContent(const DOMNode& container, InlineState&);
    // The text laid out as the content of an element at the display depth; null for others.
    const std::vector<DOMNode*>* flattenedContentOf(const DOMNode&) const;
    Size replacedSize(const DOMElement&) const;
    // The edges of a box of the style in a containing block `width` wide,
    // worked out once per style and width in a pass: rows share their styles.
    const WebBoxEdges& boxEdgesOf(const std::shared_ptr<const CSSComputedValues>&, double width);
    // The element's font in m_fonts.
    uint32_t fontOf(const DOMElement&);
    uint32_t fontOf(const std::shared_ptr<const CSSComputedValues>&);
    double lineHeightOf(uint32_t font) const;
    double spaceWidthOf(uint32_t font) const;
    // The width of a word, or of a run of kept white space (one space's width per unit).
    double measure(uint32_t font, std::u16string_view, bool whiteSpace) const;
    WebTextRun makeTextRun(const Box&, const WebLineBox&) const;

    // --- Content widths
    // The narrowest width content fits in (its widest unbreakable run, or
    // what a set width makes it) and the width it takes without wrapping,
    // measured as the line layout measures.
    struct ContentWidths {
        double minimum { 0 };
        double maximum { 0 };
    };
    struct WidthState;
    // What a table holds, group by group, and how wide its columns may be.
    struct TablePart {
        const DOMElement* element { nullptr };
        size_t group { 0 };
        bool caption { false };
    };
    struct TableMeasure {
        std::vector<std::vector<const DOMElement*>> groups;
        std::vector<TablePart> parts;
        WebTableGrid grid;
        std::vector<WebColumnWidths> columns;
        // Inside the table's borders and padding: the sums of the columns, and at least its captions' minimum.
        ContentWidths content;
    };
    // Measured once per pass (nested tables are measured with the table holding them).
    const TableMeasure& measureTable(const DOMElement&);
    // A block's widths with its borders, padding and margins.
    ContentWidths blockWidths(const DOMElement&);
    // The border box widths of a table.
    ContentWidths tableWidths(const DOMElement&);
    // The widths of a container's content.
    ContentWidths childrenWidths(const DOMNode& container);
    void inlineWidths(const DOMNode&, WidthState&);
    void textWidths(const DOMNode&, WidthState&);
    // The width a replaced element takes in a line (a rule without a set width takes none of its own).
    double replacedWidth(const DOMElement&) const;
    DOMNode* hitTest(DOMNode&, Point) const;
    void enumerateNodes(DOMNode&, const Rect&, const std::function<void(const DOMNode&, const Rect&)>&,
                        const std::function<void(const DOMNode&)>* leave) const;
    void enumerateChild(DOMNode&, const Box&, const Rect&, const std::function<void(const DOMNode&, const Rect&)>&,
                        const std::function<void(const DOMNode&)>* leave) const;

    // The children with boxes of a container in order, with running extremes
    // of their vertical extents, so that hit testing can skip to the right rows.
    struct ChildIndex {
        std::vector<DOMNode*> children;
        std::vector<double> prefixMaxY;
        std::vector<double> suffixMinY;
    };
    const ChildIndex& childIndex(DOMNode&) const;
    // Drops the indexes of the elements whose boxes stand at `order` or after
    // it, but `kept`'s: what a change at that place moved, grew or removed.
    void dropChildIndexesFrom(size_t order, const DOMNode* kept);
    // Adds a block laid out alone to its container's index when nothing with
    // a box follows it there; false when the container's index must go.
    bool appendToChildIndex(const DOMElement& container, DOMElement& block);
    // Whether the indexes made before this pass still hold (see layoutBlockReplacement).
    bool m_childIndexesKept { false };
    bool childContainsPoint(DOMNode&, const Box&, Point) const;

    // The box of a live node, found through its layout slot (by its address
    // only when another layout wrote the slot); null when it has none.
    Box* findBox(const DOMNode*);
    const Box* findBox(const DOMNode* node) const { return const_cast<WebLayout*>(this)->findBox(node); }
    // The box of a node that may be gone (a removed one): by its address.
    const Box* findBoxByAddress(const DOMNode*) const;
    Box* findBoxByAddress(const DOMNode* node) { return const_cast<Box*>(std::as_const(*this).findBoxByAddress(node)); }

    // The boxes, in the order they were made (a batch of new rows' boxes lie
    // together), in blocks that never move. A box that went leaves its place,
    // with its lines' room, to the next box made. Each node's layout slot
    // names its box's place here.
    static constexpr uint32_t boxesPerBlock = 256;
    std::vector<std::unique_ptr<Box[]>> m_boxBlocks;
    uint32_t m_boxCount { 0 };
    Box& boxAt(uint32_t index) const { return m_boxBlocks[index / boxesPerBlock][index % boxesPerBlock]; }
    std::vector<uint32_t> m_freeBoxes;
    // The places of boxes by their nodes' addresses, for nodes that may be
    // gone and slots another layout wrote. New boxes join it only when such a
    // lookup comes (or places taken again made the list of those waiting
    // longer than the boxes), so that new rows touch no page-sized table.
    mutable std::unordered_map<const DOMNode*, uint32_t> m_boxIndexes;
    mutable std::vector<uint32_t> m_unindexedBoxes;
    static constexpr size_t minimumUnindexedBoxes = 1024;
    void indexBoxes() const;
    // This layout's number in the layout slots of nodes.
    uint32_t m_slotOwner { DOMNodeSlot::newOwner() };
    std::unordered_map<const DOMElement*, TableMeasure> m_tableMeasures;
    // Every box in the order it was made: a node's content before the node itself.
    std::vector<Box*> m_boxOrder;
    std::vector<BlockFlow> m_blockFlows;
    mutable std::unordered_map<const DOMNode*, ChildIndex> m_childIndexes;
    // How deep the element whose children are laid out (or measured) nests.
    unsigned m_displayDepth { 0 };
    unsigned m_widthDepth { 0 };
    std::unordered_map<const DOMNode*, std::vector<DOMNode*>> m_flattenedContent;
    IntrinsicSizeProvider m_intrinsicSize;
    // The fonts text was laid out with, and each computed style's font among them (for one pass).
    std::vector<FontDescriptor> m_fonts;
    std::unordered_map<const CSSComputedValues*, std::pair<std::shared_ptr<const CSSComputedValues>, uint32_t>> m_fontIndexes;
    struct BoxEdgesEntry {
        std::shared_ptr<const CSSComputedValues> style;
        double width { 0 };
        WebBoxEdges edges;
    };
    std::unordered_map<const CSSComputedValues*, BoxEdgesEntry> m_boxEdges;
    const FontMetricsProvider* m_metrics { nullptr };
    uint64_t m_metricsGeneration { ~0ull };
    Size m_documentSize;
    double m_maxX { 0 };
    const DOMDocument* m_document { nullptr };
    uint64_t m_treeVersion { ~0ull };
    uint64_t m_characterDataVersion { 0 };
    uint64_t m_styleGeneration { ~0ull };
    unsigned m_tableDepth { 0 };
    // What the latest layoutBlockChildren found: only blocks (see BlockFlow::onlyBlocks).
    bool m_childrenOnlyBlocks { false };
    // The definite height of the block whose children are being laid out.
    std::optional<double> m_containingHeight;
    double m_width { -1 };
    double m_multiplier { 1 };
    char16_t m_characterShownAsSpace { 0 };
    // The text as it is measured: U+00A0 and the character shown as a space
    // become spaces (in `storage` when any is there).
    std::u16string_view measuredText(std::u16string_view text, std::u16string& storage) const;
    bool m_valid { false };
    // Block records left behind by boxes that went, taken again by new blocks:
    // a list emptied and filled again lays out its rows alone.
    std::vector<uint32_t> m_freeFlows;
    uint64_t m_layoutCount { 0 };
    uint64_t m_fullLayoutCount { 0 };
    uint64_t m_blockLayoutCount { 0 };
    std::optional<Rect> m_changedArea;
};

// Whether an element is replaced content (IMG, IFRAME, FRAME, VIDEO, ...).
bool webIsReplacedElement(const DOMElement&);

} // namespace brevanton

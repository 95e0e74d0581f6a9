#include "platform/web/WebLayout.h"

#include "platform/css/CSSStyleResolver.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/views/FontMetrics.h"
#include "platform/web/WebBoxEdges.h"
#include "platform/web/WebFormControls.h"
#include "platform/web/WebLineAlignment.h"
#include "platform/web/WebTableGrid.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace brevanton {

namespace {

bool isSpace(char16_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// What line layout takes from a text at a time: a line end kept as it stands
// (preserved white space), a run of white space that collapses into one
// space, or a word. In preserved white space a run of spaces is a word of
// its own (`spaces`).
enum class TextPieceKind { LineEnd, CollapsedSpace, Word };
struct TextPiece {
    TextPieceKind kind;
    size_t start;
    size_t end;
    bool spaces;
};

// The piece of `data` at `i`; `i` moves past it.
TextPiece nextTextPiece(std::u16string_view data, size_t& i, bool preserve)
{
    size_t start = i;
    size_t length = data.size();
    if (preserve && data[i] == '\n') {
        ++i;
        return { TextPieceKind::LineEnd, start, i, false };
    }
    if (!preserve && isSpace(data[i])) {
        while (i < length && isSpace(data[i]))
            ++i;
        return { TextPieceKind::CollapsedSpace, start, i, false };
    }
    while (i < length && !isSpace(data[i]))
        ++i;
    bool spaces = false;
    if (preserve && i == start) {
        while (i < length && isSpace(data[i]) && data[i] != '\n')
            ++i;
        spaces = true;
    }
    return { TextPieceKind::Word, start, i, spaces };
}

std::optional<double> definiteLength(const CSSComputedValues& style, CSSPropertyID id, double percentBase)
{
    auto* value = style.value(id);
    if (!value || !value->isPrimitiveValue())
        return std::nullopt;
    auto& primitive = static_cast<const CSSPrimitiveValue&>(*value);
    if (primitive.primitiveType() == CSSPrimitiveValue::CSS_PERCENTAGE)
        return primitive.numberValue() * percentBase / 100;
    if (!primitive.isLength())
        return std::nullopt;
    return primitive.getFloatValue(CSSPrimitiveValue::CSS_PX);
}

// A height property (height, max-height) in pixels; a percentage only of a
// definite containing height.
std::optional<double> heightLength(const CSSComputedValues& style, std::optional<double> containingHeight,
                                   CSSPropertyID id = CSSPropertyID::Height)
{
    auto* value = style.value(id);
    if (!value || !value->isPrimitiveValue())
        return std::nullopt;
    auto& primitive = static_cast<const CSSPrimitiveValue&>(*value);
    if (primitive.primitiveType() == CSSPrimitiveValue::CSS_PERCENTAGE) {
        if (!containingHeight)
            return std::nullopt;
        return std::max(0.0, primitive.numberValue() * *containingHeight / 100);
    }
    if (!primitive.isLength())
        return std::nullopt;
    return std::max(0.0, primitive.getFloatValue(CSSPrimitiveValue::CSS_PX));
}

enum class DisplayKind { None, Inline, Block, Table, Contents };

DisplayKind displayKind(const CSSComputedValues& style)
{
    // Asked for every element at every layout: the keyword's length picks the candidates.
    auto display = style.identifier(CSSPropertyID::Display);
    switch (display.size()) {
    case 0:
        return DisplayKind::Inline;
    case 4:
        if (display == u"none")
            return DisplayKind::None;
        if (display == u"ruby")
            return DisplayKind::Inline;
        break;
    case 5:
        if (display == u"table")
            return DisplayKind::Table;
        break;
    case 6:
        if (display == u"inline")
            return DisplayKind::Inline;
        break;
    case 8:
        if (display == u"contents")
            return DisplayKind::Contents;
        break;
    case 9:
        if (display == u"ruby-text")
            return DisplayKind::Inline;
        break;
    case 12:
        if (display == u"inline-block" || display == u"inline-table")
            return DisplayKind::Inline;
        break;
    default:
        break;
    }
    return DisplayKind::Block;
}

// Only a TABLE element lays out as a table: the table layout reads rows,
// row groups and captions by their tags, so another element styled as a
// table lays out as a block, its content shown rather than lost.
// Calls `visit` with every text node within `container` that display:none
// does not hide, in document order, without recursion.
template<typename Visit> void forEachShownText(const DOMNode& container, Visit visit)
{
    DOMNode* node = container.first();
    while (node) {
        if (auto* element = dynamicDowncast<DOMElement>(node)) {
            if (element->first() && displayKind(*CSSStyleResolver::computedValuesFor(*element)) != DisplayKind::None) {
                node = element->first();
                continue;
            }
        } else if (node->isTextNode())
            visit(*node);
        node = node->traverseNextSkippingChildren(&container);
    }
}

bool laysOutAsTable(const DOMElement& element, const CSSComputedValues& style)
{
    return displayKind(style) == DisplayKind::Table && element.hasTagName(u"table");
}

std::optional<double> attributeLength(const DOMElement& element, std::u16string_view name)
{
    const std::u16string* value = element.attributeValue(name);
    if (!value)
        return std::nullopt;
    double number = 0;
    bool digits = false;
    for (char16_t c : *value) {
        if (c >= '0' && c <= '9') {
            number = number * 10 + (c - '0');
            digits = true;
        } else if (!(isSpace(c) && !digits))
            break;
    }
    if (!digits)
        return std::nullopt;
    return number;
}

// A width set in pixels or as a percentage.
struct SetWidth {
    double value { 0 };
    bool percent { false };
};

// The width a table or cell sets: its CSS width, else its width attribute
// ("120", "120px" or "50%").
std::optional<SetWidth> setWidthOf(const DOMElement& element, const CSSComputedValues& style)
{
    if (auto* value = style.value(CSSPropertyID::Width); value && value->isPrimitiveValue()) {
        auto& primitive = static_cast<const CSSPrimitiveValue&>(*value);
        if (primitive.primitiveType() == CSSPrimitiveValue::CSS_PERCENTAGE)
            return SetWidth { std::max(0.0, primitive.numberValue()), true };
        if (primitive.isLength())
            return SetWidth { std::max(0.0, primitive.getFloatValue(CSSPrimitiveValue::CSS_PX)), false };
    }
    const std::u16string* attribute = element.attributeValue(u"width");
    if (!attribute)
        return std::nullopt;
    size_t i = 0;
    while (i < attribute->size() && isSpace((*attribute)[i]))
        ++i;
    double number = 0;
    bool digits = false;
    for (; i < attribute->size() && (*attribute)[i] >= '0' && (*attribute)[i] <= '9'; ++i) {
        number = number * 10 + ((*attribute)[i] - '0');
        digits = true;
    }
    if (i < attribute->size() && (*attribute)[i] == '.') {
        double scale = 0.1;
        for (++i; i < attribute->size() && (*attribute)[i] >= '0' && (*attribute)[i] <= '9'; ++i, scale /= 10) {
            number += ((*attribute)[i] - '0') * scale;
            digits = true;
        }
    }
    if (!digits)
        return std::nullopt;
    return SetWidth { number, i < attribute->size() && (*attribute)[i] == '%' };
}

bool preservesWhiteSpace(const CSSComputedValues& style)
{
    auto whiteSpace = style.identifier(CSSPropertyID::WhiteSpace);
    return whiteSpace == u"pre" || whiteSpace == u"pre-wrap";
}

// Widths measured in another order may differ in their last bits: what comes that close fits.
constexpr double fitTolerance = 1e-6;

} // namespace

bool webIsReplacedElement(const DOMElement& element)
{
    const auto& name = element.qualifiedName();
    if (!name.isHTML)
        return false;
    static constexpr std::u16string_view replaced[] = { u"img", u"iframe", u"frame", u"video", u"audio", u"embed",
                                                         u"object", u"canvas", u"input", u"textarea", u"select",
                                                         u"button", u"hr" };
    return std::find(std::begin(replaced), std::end(replaced), name.localName) != std::end(replaced);
}

struct WebLayout::InlineState {
    double left { 0 };
    double width { 0 };
    double x { 0 };
    double lineTop { 0 };
    double lineHeight { 0 };
    bool lineHasContent { false };
    bool pendingSpace { false };
    // The font of the inline content being laid out (in m_fonts).
    uint32_t font { 0 };
    // The element whose children are being laid out, and whether it keeps
    // white space: its text needs not look its style up again.
    const DOMNode* textParent { nullptr };
    bool preservesWhiteSpace { false };
    // Where each line with content ended, kept when lines are not aligned to the left.
    // A line ended by wrapping (not by a break, a kept newline or the end of the run) may be justified.
    struct LineEnd {
        double top;
        double right;
        bool wrapped;
    };
    bool recordsLineEnds { false };
    std::vector<LineEnd> lineEnds;

    double right() const { return left + width; }
    void endLine(bool wrapped = false)
    {
        if (recordsLineEnds && lineHasContent)
            lineEnds.push_back({ lineTop, x, wrapped });
    }
    void wrapLine()
    {
        endLine(true);
        newLine(0, false);
    }
    void newLine(double minimumHeight, bool recordEnd = true)
    {
        if (recordEnd)
            endLine();
        lineTop += std::max(lineHeight, minimumHeight);
        x = left;
        lineHeight = 0;
        lineHasContent = false;
        pendingSpace = false;
    }
    double bottom() const { return lineTop + (lineHasContent ? lineHeight : 0); }
};

FontDescriptor webFontDescriptor(const CSSComputedValues& style, double textSizeMultiplier)
{
    std::u16string family;
    if (auto* value = style.value(CSSPropertyID::FontFamily))
        family = value->cssText();
    int weight = FontDescriptor::normalWeight;
    if (auto* value = style.value(CSSPropertyID::FontWeight); value && value->isPrimitiveValue()) {
        auto& primitive = static_cast<const CSSPrimitiveValue&>(*value);
        if (primitive.isIdentifier(u"bold") || primitive.isIdentifier(u"bolder"))
            weight = FontDescriptor::boldWeight;
        else if (primitive.isIdentifier(u"lighter"))
            weight = 300;
        else if (primitive.primitiveType() == CSSPrimitiveValue::CSS_NUMBER)
            weight = static_cast<int>(primitive.numberValue());
    }
    auto fontStyle = style.identifier(CSSPropertyID::FontStyle);
    return FontDescriptor(std::move(family), style.fontSize * textSizeMultiplier)
        .withWeight(weight)
        .withItalic(fontStyle == u"italic" || fontStyle == u"oblique")
        .withMetricsRole(FontMetricsRole::Page);
}

double WebTextRun::xForOffset(unsigned offset) const
{
    auto found = std::lower_bound(sourceOffsets.begin(), sourceOffsets.end(), offset);
    if (found == sourceOffsets.end())
        return positions.empty() ? rect.minX() : positions.back();
    return positions[static_cast<size_t>(found - sourceOffsets.begin())];
}

const WebBoxEdges& WebLayout::boxEdgesOf(const std::shared_ptr<const CSSComputedValues>& style, double width)
{
    auto [found, inserted] = m_boxEdges.try_emplace(style.get());
    BoxEdgesEntry& entry = found->second;
    if (inserted || entry.width != width)
        entry = { style, width, webBoxEdges(*style, width) };
    return entry.edges;
}

uint32_t WebLayout::fontOf(const DOMElement& element)
{
    return fontOf(CSSStyleResolver::computedValuesFor(element));
}

uint32_t WebLayout::fontOf(const std::shared_ptr<const CSSComputedValues>& style)
{
    auto found = m_fontIndexes.find(style.get());
    if (found != m_fontIndexes.end())
        return found->second.second;
    FontDescriptor font = webFontDescriptor(*style, m_multiplier);
    uint32_t index = 0;
    while (index < m_fonts.size() && !(m_fonts[index] == font))
        ++index;
    if (index == m_fonts.size())
        m_fonts.push_back(std::move(font));
    m_fontIndexes.emplace(style.get(), std::make_pair(style, index));
    return index;
}

// The provider the layout measured with while it is still installed; once
// another was installed (the layout is then out of date and is measured again
// at its next pass), the current one, so that no removed provider is used.
static const FontMetricsProvider& liveMetrics(const FontMetricsProvider* measuredWith, uint64_t generation)
{
    return measuredWith && generation == FontMetricsProvider::generation() ? *measuredWith : FontMetricsProvider::current();
}

double WebLayout::lineHeightOf(uint32_t font) const
{
    return liveMetrics(m_metrics, m_metricsGeneration).lineMetrics(m_fonts[font]).lineHeight;
}

double WebLayout::spaceWidthOf(uint32_t font) const
{
    return liveMetrics(m_metrics, m_metricsGeneration).widthOfRun(m_fonts[font], u" ");
}

void WebLayout::setCharacterShownAsSpace(char16_t character)
{
    if (character == m_characterShownAsSpace)
        return;
    m_characterShownAsSpace = character;
    m_valid = false;
}

std::u16string_view WebLayout::measuredText(std::u16string_view text, std::u16string& storage) const
{
    auto shownAsSpace = [this](char16_t c) { return c == 0xA0 || (m_characterShownAsSpace && c == m_characterShownAsSpace); };
    if (std::none_of(text.begin(), text.end(), shownAsSpace))
        return text;
    storage.assign(text);
    std::replace_if(storage.begin(), storage.end(), shownAsSpace, u' ');
    return storage;
}

double WebLayout::measure(uint32_t font, std::u16string_view text, bool whiteSpace) const
{
    if (whiteSpace)
        return static_cast<double>(text.size()) * spaceWidthOf(font);
    std::u16string storage;
    return liveMetrics(m_metrics, m_metricsGeneration).widthOfRun(m_fonts[font], measuredText(text, storage));
}

void WebLayout::layoutIfNeeded(const DOMDocument& document, double width, double textSizeMultiplier)
{
    uint64_t styleGeneration = CSSStyleResolver::forDocument(document).styleGeneration();
    bool sameInputs = m_valid && m_document == &document && m_width == width && m_multiplier == textSizeMultiplier
        && m_styleGeneration == styleGeneration && m_metricsGeneration == FontMetricsProvider::generation();
    if (sameInputs && m_treeVersion == document.connectedStructureVersion()
        && m_characterDataVersion == document.characterDataVersion())
        return;
    uint64_t treeVersion = std::exchange(m_treeVersion, document.connectedStructureVersion());
    uint64_t characterDataVersion = std::exchange(m_characterDataVersion, document.characterDataVersion());
    m_document = &document;
    m_styleGeneration = styleGeneration;
    m_width = width;
    m_multiplier = textSizeMultiplier;
    m_valid = true;
    ++m_layoutCount;
    m_changedArea = Rect();
    // Kept only through passes that replace blocks by blocks of the same height.
    m_childIndexesKept = true;
    m_metrics = &FontMetricsProvider::current();
    m_metricsGeneration = FontMetricsProvider::generation();
    // Styles may have been made again since the last pass.
    m_fontIndexes.clear();
    m_boxEdges.clear();
    // Content beyond the display depth is laid out only whole.
    bool incremental = sameInputs && m_flattenedContent.empty() && layoutChangedStructure(document, treeVersion) && layoutChangedText(document, characterDataVersion);
    if (!incremental)
        layoutDocument(document);
    if (!incremental || !m_childIndexesKept)
        m_childIndexes.clear();
    m_tableMeasures.clear();
}

std::optional<Size> WebLayout::usedSize(const DOMElement& element) const
{
    auto* found = findBox(&element);
    if (!found)
        return std::nullopt;
    const Box& box = *found;
    if (box.blockFlow == noBlockFlow || m_blockFlows[box.blockFlow].table)
        return webIsReplacedElement(element) || element.hasTagName(u"table") ? std::optional<Size>(box.rect.size) : std::nullopt;
    // Blocks answer their content box: borders and padding are inside the box.
    auto style = CSSStyleResolver::computedValuesFor(element);
    WebEdges frame = webBoxEdges(*style, m_blockFlows[box.blockFlow].width).frame();
    return frame.inset(box.rect).size;
}

void WebLayout::layoutDocument(const DOMDocument& document)
{
    size_t previousCount = m_boxOrder.size();
    m_boxBlocks.clear();
    m_boxCount = 0;
    m_freeBoxes.clear();
    m_boxIndexes.clear();
    m_unindexedBoxes.clear();
    m_boxOrder.clear();
    m_boxOrder.reserve(previousCount);
    m_blockFlows.clear();
    // The indexes an incremental attempt of this pass took go with the fonts
    // they point at.
    m_fonts.clear();
    m_fontIndexes.clear();
    // Index 0: the font of text that has no element to take one from.
    m_fonts.push_back(FontDescriptor(std::u16string(), 16 * m_multiplier).withMetricsRole(FontMetricsRole::Page));
    m_freeFlows.clear();
    m_tableMeasures.clear();
    ++m_fullLayoutCount;
    m_changedArea.reset();
    m_tableDepth = 0;
    m_displayDepth = 0;
    m_widthDepth = 0;
    m_flattenedContent.clear();
    m_containingHeight.reset();
    double height = 0;
    m_maxX = 0;
    if (auto root = document.documentElement())
        height = layoutBlock(*root, 0, 0, m_width);
    m_documentSize = { std::max(m_width, m_maxX), height };
}

bool WebLayout::layoutChangedStructure(const DOMDocument& document, uint64_t sinceVersion)
{
    if (sinceVersion == document.connectedStructureVersion())
        return true;
    auto recorded = document.structureChangesSince(sinceVersion);
    if (!recorded)
        return false;
    std::vector<DOMStructureChange> changes(recorded->begin(), recorded->end());
    // Nodes put in and taken out again since the last pass, comments and
    // what else makes no box come and go without a trace in the layout.
    dropNodesInsertedAndRemovedAgain(changes);
    std::erase_if(changes, [this](const DOMStructureChange& change) { return isBoxlessNodeChange(change); });
    if (changes.empty())
        return true;
    // Batches of changes start over, except runs of blocks put into or taken
    // out of containers of blocks (rows appended to a list, with the white
    // space between them): those are laid out one by one.
    if (changes.size() > 1)
        return layoutBlockChildChanges(changes);
    if (changes.size() == 1 && changes[0].kind == DOMStructureChange::Kind::ChildList) {
        if (isWhiteSpaceBetweenBlocks(changes[0]) || removeLinelessText(changes[0])) {
            m_changedArea.reset();
            return true;
        }
        auto result = layoutBlockChildChange(changes[0]);
        if (result != FastResult::NotApplicable) {
            m_changedArea.reset();
            return result == FastResult::Done;
        }
    }
    auto& resolver = CSSStyleResolver::forDocument(document);
    std::vector<const DOMElement*> blocks;
    // The nearest block at or above `node` laid out outside tables.
    auto addBlock = [&](const DOMNode* node) {
        for (; node && node->isElementNode(); node = node->parent()) {
            auto* found = findBox(node);
            // A table's parts are laid out again with the outermost table.
            if (!found || found->blockFlow == noBlockFlow
                || m_blockFlows[found->blockFlow].inTable)
                continue;
            auto* block = downcast<DOMElement>(node);
            if (std::find(blocks.begin(), blocks.end(), block) == blocks.end())
                blocks.push_back(block);
            return true;
        }
        // Nothing but the whole document holds it.
        return false;
    };
    for (auto& change : changes) {
        if (change.touchesStyleSheets)
            return false;
        auto target = change.target.lock();
        // Changes within what was taken out since then are covered by its removal.
        if (!target || !target->isConnected())
            continue;
        if (change.kind == DOMStructureChange::Kind::Attribute) {
            auto& element = downcast<DOMElement>(*target);
            // The layout reads the spans and widths of tables and cells itself.
            bool tableAttribute = (change.attributeName == u"colspan" || change.attributeName == u"rowspan"
                                   || change.attributeName == u"width")
                && (element.hasTagName(u"td") || element.hasTagName(u"th") || element.hasTagName(u"table"));
            if (!resolver.attributeAffectsStyles(change.attributeName) && !webIsReplacedElement(element)
                && !tableAttribute)
                continue;
            // The element's own margins and display may change: lay out what holds it.
            if (!addBlock(element.parent()))
                return false;
            continue;
        }
        // The container's own style holds; its children's may not, nor their number.
        if (!addBlock(target.get()))
            return false;
    }
    return relayoutBlocks(blocks);
}

bool WebLayout::relayoutBlocks(const std::vector<const DOMElement*>& blocks)
{
    for (auto* block : blocks) {
        // A block within another that is laid out again anyway needs nothing of its own.
        bool covered = false;
        for (auto* other : blocks)
            covered = covered || (other != block && other->isInclusiveAncestorOf(block));
        if (!covered && !relayoutBlock(*block))
            return false;
    }
    return true;
}

bool WebLayout::layoutChangedText(const DOMDocument& document, uint64_t sinceVersion)
{
    if (sinceVersion == document.characterDataVersion())
        return true;
    std::vector<std::shared_ptr<DOMNode>> changes;
    if (!document.characterDataChangesSince(sinceVersion, changes))
        return false;
    // The nearest enclosing block of every rendered text node that changed.
    std::vector<const DOMElement*> blocks;
    for (auto& node : changes) {
        // Text without a box (in hidden or non-rendered content) changes nothing.
        if (!node->isTextNode() || !findBox(node.get()))
            continue;
        // Nor does white space that stays white space between blocks.
        if (isLinelessWhiteSpaceBetweenBlocks(*node))
            continue;
        // Within a table, the outermost table: a cell's content sets its
        // column's width and its row's height.
        const DOMElement* block = nullptr;
        for (auto* ancestor = node->parentElement().get(); ancestor && !block; ancestor = ancestor->parentElement().get()) {
            auto* found = findBox(ancestor);
            if (found && found->blockFlow != noBlockFlow
                && !m_blockFlows[found->blockFlow].inTable)
                block = ancestor;
        }
        if (!block)
            return false;
        if (std::find(blocks.begin(), blocks.end(), block) == blocks.end())
            blocks.push_back(block);
    }
    return relayoutBlocks(blocks);
}

WebLayout::Box* WebLayout::findBox(const DOMNode* node)
{
    auto& slot = node->layoutSlot();
    if (slot.owner == m_slotOwner)
        return slot.index < m_boxCount && boxAt(slot.index).node == node ? &boxAt(slot.index) : nullptr;
    // No layout made a box for the node (a new one): none is here.
    if (!slot.owner)
        return nullptr;
    auto* box = findBoxByAddress(node);
    if (box)
        slot = { m_slotOwner, box->index };
    return box;
}

const WebLayout::Box* WebLayout::findBoxByAddress(const DOMNode* node) const
{
    indexBoxes();
    auto found = m_boxIndexes.find(node);
    return found == m_boxIndexes.end() ? nullptr : &boxAt(found->second);
}

void WebLayout::indexBoxes() const
{
    for (uint32_t index : m_unindexedBoxes) {
        Box& box = boxAt(index);
        // Places taken again are listed once more: the box there now counts.
        if (!box.node || box.indexed)
            continue;
        m_boxIndexes.insert_or_assign(box.node, index);
        box.indexed = true;
    }
    m_unindexedBoxes.clear();
}

WebLayout::Box& WebLayout::boxFor(const DOMNode* node)
{
    auto& slot = node->layoutSlot();
    if (slot.owner == m_slotOwner) {
        if (slot.index < m_boxCount && boxAt(slot.index).node == node)
            return boxAt(slot.index);
    } else if (slot.owner) {
        // Another layout's slot may hide a box of this one.
        if (auto* found = findBoxByAddress(node)) {
            slot = { m_slotOwner, found->index };
            return *found;
        }
    }
    uint32_t index;
    if (m_freeBoxes.empty()) {
        if (m_boxCount % boxesPerBlock == 0)
            m_boxBlocks.push_back(std::make_unique<Box[]>(boxesPerBlock));
        index = m_boxCount++;
    } else {
        index = m_freeBoxes.back();
        m_freeBoxes.pop_back();
    }
    // A fresh box that keeps the room its place's lines had.
    Box* box = &boxAt(index);
    auto lines = std::move(box->lines);
    lines.clear();
    *box = Box();
    box->lines = std::move(lines);
    box->index = index;
    slot = { m_slotOwner, index };
    box->node = node;
    box->order = static_cast<uint32_t>(m_boxOrder.size());
    box->isText = node->isTextNode();
    m_boxOrder.push_back(box);
    m_unindexedBoxes.push_back(index);
    // Places taken again are listed again: the list stays within twice the boxes.
    if (m_unindexedBoxes.size() > std::max<size_t>(minimumUnindexedBoxes, m_boxCount))
        indexBoxes();
    return *box;
}

void WebLayout::eraseBox(const Box& box)
{
    if (!box.node)
        return;
    if (box.blockFlow != noBlockFlow)
        m_freeFlows.push_back(box.blockFlow);
    if (box.indexed) {
        auto found = m_boxIndexes.find(box.node);
        if (found != m_boxIndexes.end() && found->second == box.index)
            m_boxIndexes.erase(found);
    }
    // The node may be gone: its slot is left as it is, and no longer matches the box's place.
    Box& place = boxAt(box.index);
    place.node = nullptr;
    place.indexed = false;
    m_freeBoxes.push_back(place.index);
}

WebLayout::BlockFlow& WebLayout::blockFlowFor(Box& box)
{
    if (box.blockFlow == noBlockFlow) {
        if (m_freeFlows.empty()) {
            box.blockFlow = static_cast<uint32_t>(m_blockFlows.size());
            m_blockFlows.emplace_back();
        } else {
            box.blockFlow = m_freeFlows.back();
            m_freeFlows.pop_back();
        }
    }
    return m_blockFlows[box.blockFlow];
}

bool WebLayout::relayoutBlock(const DOMElement& block)
{
    m_childIndexesKept = false;
    auto* found = findBox(&block);
    if (!found || found->blockFlow == noBlockFlow)
        return false;
    Box& box = *found;
    uint32_t flowIndex = box.blockFlow;
    BlockFlow old = m_blockFlows[flowIndex];
    if (old.inTable)
        return false;
    // The content's boxes go: nodes may have come and gone since they were made.
    size_t end = box.order;
    size_t begin = end - box.contentCount;
    for (size_t i = begin; i < end; ++i)
        eraseBox(*m_boxOrder[i]);
    std::vector<Box*> following(m_boxOrder.begin() + static_cast<std::ptrdiff_t>(end), m_boxOrder.end());
    m_boxOrder.resize(begin);
    double outerMaxX = m_maxX;
    Rect oldRect = box.rect;
    double oldDocumentHeight = m_documentSize.height;
    m_containingHeight = old.containingHeight;
    double height = layoutBlock(block, old.x, old.y, old.width);
    m_containingHeight.reset();
    // The new content's boxes stand where the old ones stood.
    size_t newEnd = m_boxOrder.size();
    m_boxOrder.insert(m_boxOrder.end(), following.begin(), following.end());
    size_t renumberEnd = newEnd == end ? newEnd : m_boxOrder.size();
    for (size_t i = begin; i < renumberEnd; ++i)
        m_boxOrder[i]->order = static_cast<uint32_t>(i);
    auto countDelta = static_cast<int64_t>(newEnd) - static_cast<int64_t>(end);
    // The block may have been what reached furthest right: only a full layout knows what does now.
    if (m_blockFlows[flowIndex].maxX < old.maxX && old.maxX >= outerMaxX)
        return false;
    if (!shiftFollowing(block.parent(), box.order, height - old.height, countDelta))
        return false;
    m_documentSize.width = std::max(m_width, m_maxX);
    noteBlockLaidOutAgain(oldRect, box.rect, oldDocumentHeight);
    return true;
}

void WebLayout::noteBlockLaidOutAgain(const Rect& oldRect, const Rect& newRect, double oldDocumentHeight)
{
    if (!m_changedArea)
        return;
    Rect changed = oldRect.unionWith(newRect);
    // Lines below moved: what follows is drawn elsewhere now.
    if (oldRect.maxY() != newRect.maxY()) {
        double top = std::min(oldRect.maxY(), newRect.maxY());
        double bottom = std::max(oldDocumentHeight, m_documentSize.height);
        changed = changed.unionWith(Rect(0, top, std::max(m_documentSize.width, m_width), std::max(0.0, bottom - top)));
    }
    m_changedArea = m_changedArea->isEmpty() ? changed : m_changedArea->unionWith(changed);
}

bool WebLayout::shiftFollowing(DOMNode* firstContainer, size_t order, double delta, int64_t countDelta)
{
    // What follows moves down (or up); containers grow until one of a fixed height.
    // Boxes are made children first, so the boxes after a child's and before its
    // container's are those of the child's following siblings and their content.
    size_t childOrder = order;
    for (DOMNode* container = firstContainer; container; container = container->parent()) {
        if (!container->isElementNode()) {
            if (delta != 0) {
                moveBoxes(childOrder + 1, m_boxOrder.size(), delta);
                m_documentSize.height += delta;
            }
            return true;
        }
        auto* containerFound = findBox(container);
        if (!containerFound || containerFound->blockFlow == noBlockFlow)
            return false;
        Box& containerBox = *containerFound;
        containerBox.contentCount = static_cast<uint32_t>(containerBox.contentCount + countDelta);
        BlockFlow& containerFlow = m_blockFlows[containerBox.blockFlow];
        if (delta != 0 && containerFlow.limitedHeight && !containerFlow.fixedHeight)
            return false;
        if (delta != 0) {
            moveBoxes(childOrder + 1, containerBox.order, delta);
            if (containerFlow.fixedHeight)
                delta = 0;
            else {
                containerBox.rect.size.height += delta;
                containerFlow.height += delta;
            }
        }
        childOrder = containerBox.order;
    }
    return true;
}

bool WebLayout::containerHoldsOnlyBlocks(const DOMElement& container) const
{
    // As the container's children were at its layout: what changed since
    // then is checked change by change (blocks and white space put in, content
    // taken out); other changes lay the container out again.
    auto* found = findBox(&container);
    return found && found->blockFlow != noBlockFlow && m_blockFlows[found->blockFlow].onlyBlocks;
}

bool WebLayout::isWhiteSpaceBetweenBlocks(const DOMStructureChange& change) const
{
    auto target = change.target.lock();
    auto inserted = change.inserted.lock();
    if (change.removed || !target || !inserted || !inserted->isTextNode() || inserted->parent() != target.get()
        || !target->isElementNode() || !target->isConnected())
        return false;
    for (char16_t c : downcast<DOMCharacterData>(*inserted).data()) {
        if (!isSpace(c))
            return false;
    }
    auto* found = findBox(target.get());
    // White space in a container of blocks (that keeps no white space) makes no line.
    return found && found->blockFlow != noBlockFlow && !findBox(inserted.get())
        && containerHoldsOnlyBlocks(downcast<DOMElement>(*target));
}

bool WebLayout::isBoxlessNodeChange(const DOMStructureChange& change) const
{
    if (change.kind != DOMStructureChange::Kind::ChildList || change.touchesStyleSheets)
        return false;
    if (auto inserted = change.inserted.lock())
        return !change.removed && !inserted->isElementNode() && !inserted->isTextNode();
    // A node taken out of laid out content that had no box and was no
    // element: a comment, or white space that made no line and was never
    // given a box. (Replaced elements draw their content without boxes.)
    auto target = change.target.lock();
    if (!change.removed || change.elementChildrenChanged || findBoxByAddress(change.removed) || !target || !target->isElementNode()
        || !findBox(target.get()) || webIsReplacedElement(downcast<DOMElement>(*target)))
        return false;
    return true;
}

void WebLayout::dropNodesInsertedAndRemovedAgain(std::vector<DOMStructureChange>& changes) const
{
    for (size_t index = 0; index < changes.size(); ++index) {
        auto inserted = changes[index].inserted.lock();
        if (!inserted || changes[index].removed || changes[index].touchesStyleSheets || findBox(inserted.get()))
            continue;
        auto removal = std::find_if(changes.begin() + static_cast<std::ptrdiff_t>(index) + 1, changes.end(), [&](const DOMStructureChange& later) {
            return later.removed == inserted.get() && !later.inserted.lock() && !later.touchesStyleSheets;
        });
        if (removal == changes.end())
            continue;
        changes.erase(removal);
        changes.erase(changes.begin() + static_cast<std::ptrdiff_t>(index));
        --index;
    }
}

bool WebLayout::isLinelessWhiteSpaceBetweenBlocks(const DOMNode& text) const
{
    auto* found = findBox(&text);
    if (!found || !found->isText || !found->lines.empty())
        return false;
    for (char16_t c : downcast<DOMCharacterData>(text).data()) {
        if (!isSpace(c))
            return false;
    }
    auto* container = text.parent();
    if (!container || !container->isElementNode())
        return false;
    auto* containerFound = findBox(container);
    return containerFound && containerFound->blockFlow != noBlockFlow
        && !m_blockFlows[containerFound->blockFlow].inTable && containerHoldsOnlyBlocks(downcast<DOMElement>(*container));
}

bool WebLayout::removeLinelessText(const DOMStructureChange& change)
{
    auto target = change.target.lock();
    if (!change.removed || change.elementChildrenChanged || change.inserted.lock() || !target || !target->isElementNode()
        || !target->isConnected())
        return false;
    auto* containerFound = findBox(target.get());
    if (!containerFound || containerFound->blockFlow == noBlockFlow
        || !containerHoldsOnlyBlocks(downcast<DOMElement>(*target)))
        return false;
    auto* found = findBoxByAddress(change.removed);
    // Nothing showed it.
    if (!found)
        return true;
    const Box& box = *found;
    size_t order = box.order;
    const Box& containerBox = *containerFound;
    if (!box.isText || !box.lines.empty() || order < containerBox.order - containerBox.contentCount
        || order >= containerBox.order)
        return false;
    m_childIndexesKept = false;
    m_boxOrder.erase(m_boxOrder.begin() + static_cast<std::ptrdiff_t>(order));
    eraseBox(*found);
    for (size_t i = order; i < m_boxOrder.size(); ++i)
        m_boxOrder[i]->order = static_cast<uint32_t>(i);
    return shiftFollowing(target.get(), order, 0, -1);
}

bool WebLayout::layoutBlockChildChanges(const std::vector<DOMStructureChange>& changes)
{
    // Each change is laid out against the final tree: a block inserted and
    // taken out again, or one whose content changed later, finds no box or
    // one it does not expect, and the whole layout starts over.
    for (size_t i = 0; i < changes.size(); ++i) {
        auto& change = changes[i];
        if (change.kind != DOMStructureChange::Kind::ChildList || change.touchesStyleSheets)
            return false;
        if (isWhiteSpaceBetweenBlocks(change) || removeLinelessText(change))
            continue;
        if (i + 1 < changes.size()) {
            auto result = layoutBlockReplacement(change, changes[i + 1]);
            if (result == FastResult::Failed)
                return false;
            if (result == FastResult::Done) {
                ++i;
                continue;
            }
        }
        if (layoutBlockChildChange(change) != FastResult::Done)
            return false;
    }
    m_changedArea.reset();
    return true;
}

WebLayout::FastResult WebLayout::layoutBlockChildChange(const DOMStructureChange& change)
{
    // Kept again below where only the indexes of what the change reached go.
    bool indexesKept = std::exchange(m_childIndexesKept, false);
    auto target = change.target.lock();
    if (!target || !target->isConnected() || !target->isElementNode() || change.touchesStyleSheets)
        return FastResult::NotApplicable;
    auto& container = downcast<DOMElement>(*target);
    auto* containerFound = findBox(&container);
    if (!containerFound || containerFound->blockFlow == noBlockFlow)
        return FastResult::NotApplicable;
    Box& containerBox = *containerFound;
    BlockFlow containerFlow = m_blockFlows[containerBox.blockFlow];
    // Which element comes first must not have changed: its style may depend
    // on it. The first element put into a container without any changes
    // no other element's standing.
    auto firstElement = container.firstElementChild();
    const auto& formerFirst = change.formerFirstElementChild;
    bool hadNoElement = !formerFirst.owner_before(std::weak_ptr<DOMNode>()) && !std::weak_ptr<DOMNode>().owner_before(formerFirst);
    if (containerFlow.inTable || containerFlow.table
        || (change.elementChildrenChanged && !hadNoElement && formerFirst.lock() != firstElement)
        || (change.removed && change.removed == firstElement.get()) || !containerHoldsOnlyBlocks(container))
        return FastResult::NotApplicable;

    if (change.removed) {
        auto* found = findBoxByAddress(change.removed);
        if (!found)
            return FastResult::NotApplicable;
        Box& removed = *found;
        if (removed.blockFlow == noBlockFlow)
            return FastResult::NotApplicable;
        BlockFlow flow = m_blockFlows[removed.blockFlow];
        // What reached furthest right may be gone: only a full layout knows,
        // unless nothing reached past the width the page is laid out in.
        if (flow.inTable || (flow.maxX >= m_maxX && m_maxX > m_width))
            return FastResult::NotApplicable;
        size_t end = removed.order + 1;
        size_t begin = removed.order - removed.contentCount;
        if (begin < containerBox.order - containerBox.contentCount || end > containerBox.order)
            return FastResult::NotApplicable;
        size_t previousOrder = begin - 1;
        // The removed block's indexes go with it, those of what moves up or shrinks too.
        if (indexesKept)
            dropChildIndexesFrom(begin, nullptr);
        for (size_t i = begin; i < end; ++i)
            eraseBox(*m_boxOrder[i]);
        m_boxOrder.erase(m_boxOrder.begin() + static_cast<std::ptrdiff_t>(begin),
                         m_boxOrder.begin() + static_cast<std::ptrdiff_t>(end));
        for (size_t i = begin; i < m_boxOrder.size(); ++i)
            m_boxOrder[i]->order = static_cast<uint32_t>(i);
        // The boxes after the removed ones' place are its following siblings'.
        if (!shiftFollowing(target.get(), previousOrder, -flow.height, -static_cast<int64_t>(end - begin)))
            return FastResult::Failed;
        m_childIndexesKept = indexesKept;
        return FastResult::Done;
    }

    auto inserted = change.inserted.lock();
    if (!inserted || inserted->parent() != &container || !inserted->isElementNode())
        return FastResult::NotApplicable;
    auto& element = downcast<DOMElement>(*inserted);
    if (findBox(&element))
        return FastResult::NotApplicable;
    auto kind = displayKind(*CSSStyleResolver::computedValuesFor(element));
    if (kind == DisplayKind::None)
        return FastResult::Done;
    // The container holds only blocks with this one too.
    if ((kind != DisplayKind::Block && kind != DisplayKind::Table) || webIsReplacedElement(element))
        return FastResult::NotApplicable;
    // Where the content of the container starts, and where the previous block ends.
    auto style = CSSStyleResolver::computedValuesFor(container);
    Rect content = boxEdgesOf(style, containerFlow.width).frame().inset(containerBox.rect);
    double x = content.minX();
    double width = content.width();
    double top = content.minY();
    size_t insertAt = containerBox.order - containerBox.contentCount;
    for (DOMNode* previous = inserted->previous(); previous; previous = previous->previous()) {
        auto* found = findBox(previous);
        if (!found || found->blockFlow == noBlockFlow)
            continue;
        auto& previousFlow = m_blockFlows[found->blockFlow];
        top = previousFlow.y + previousFlow.height;
        insertAt = found->order + 1;
        break;
    }
    // The new block's boxes come at the end, then move to their place.
    size_t begin = m_boxOrder.size();
    double outerMaxX = m_maxX;
    m_containingHeight = heightLength(*style, containerFlow.containingHeight);
    double height = layoutBlock(element, x, top, width);
    m_containingHeight.reset();
    m_maxX = std::max(outerMaxX, m_maxX);
    std::vector<Box*> made(m_boxOrder.begin() + static_cast<std::ptrdiff_t>(begin), m_boxOrder.end());
    m_boxOrder.resize(begin);
    m_boxOrder.insert(m_boxOrder.begin() + static_cast<std::ptrdiff_t>(insertAt), made.begin(), made.end());
    for (size_t i = insertAt; i < m_boxOrder.size(); ++i)
        m_boxOrder[i]->order = static_cast<uint32_t>(i);
    auto& box = (*findBox(&element));
    if (!shiftFollowing(target.get(), box.order, height, static_cast<int64_t>(made.size())))
        return FastResult::Failed;
    m_documentSize.width = std::max(m_width, m_maxX);
    // Rows appended to a long list keep its index: only what follows the new
    // block, and what holds it, moved or grew.
    if (indexesKept) {
        bool appended = appendToChildIndex(container, element);
        dropChildIndexesFrom(insertAt, appended ? &container : nullptr);
        m_childIndexesKept = true;
    }
    return FastResult::Done;
}

void WebLayout::dropChildIndexesFrom(size_t order, const DOMNode* kept)
{
    if (m_childIndexes.empty())
        return;
    // Boxes are made children first: from `order` on stand the boxes of what
    // follows that place, and those of the elements holding it.
    for (size_t i = order; i < m_boxOrder.size(); ++i) {
        const Box& box = *m_boxOrder[i];
        if (!box.isText && box.node != kept)
            m_childIndexes.erase(box.node);
    }
}

bool WebLayout::appendToChildIndex(const DOMElement& container, DOMElement& element)
{
    auto found = m_childIndexes.find(&container);
    if (found == m_childIndexes.end())
        return false;
    auto isEmpty = [](const Rect& rect) { return rect.width() <= 0 && rect.height() <= 0; };
    const Box& containerBox = (*findBox(&container));
    const Box& block = (*findBox(&element));
    // Only boxes without area (white space between blocks) may follow it.
    for (size_t i = block.order + 1; i < containerBox.order; ++i) {
        if (!isEmpty(m_boxOrder[i]->rect))
            return false;
    }
    if (isEmpty(block.rect))
        return true;
    ChildIndex& index = found->second;
    double minY = block.rect.minY();
    index.children.push_back(&element);
    index.prefixMaxY.push_back(index.prefixMaxY.empty() ? block.rect.maxY() : std::max(block.rect.maxY(), index.prefixMaxY.back()));
    index.suffixMinY.push_back(minY);
    // The lowest top from each child on: the new one lowers those above it (rarely: a negative margin).
    for (size_t i = index.suffixMinY.size() - 1; i-- > 0 && index.suffixMinY[i] > minY;)
        index.suffixMinY[i] = minY;
    return true;
}

WebLayout::FastResult WebLayout::layoutBlockReplacement(const DOMStructureChange& removal, const DOMStructureChange& insertion)
{
    auto target = removal.target.lock();
    auto inserted = insertion.inserted.lock();
    if (!target || target != insertion.target.lock() || !target->isConnected() || !target->isElementNode()
        || !removal.removed || !removal.elementChildrenChanged || removal.inserted.lock() || insertion.removed || !inserted
        || inserted->parent() != target.get() || !inserted->isElementNode() || removal.touchesStyleSheets
        || insertion.touchesStyleSheets)
        return FastResult::NotApplicable;
    auto& container = downcast<DOMElement>(*target);
    auto& element = downcast<DOMElement>(*inserted);
    auto* containerFound = findBox(&container);
    auto* removedFound = findBoxByAddress(removal.removed);
    if (!containerFound || containerFound->blockFlow == noBlockFlow || !removedFound
        || removedFound->blockFlow == noBlockFlow)
        return FastResult::NotApplicable;
    Box& containerBox = *containerFound;
    BlockFlow containerFlow = m_blockFlows[containerBox.blockFlow];
    BlockFlow flow = m_blockFlows[removedFound->blockFlow];
    // Which element comes first must be the same, or the new one took the place of the first.
    auto firstElement = container.firstElementChild();
    auto formerFirst = removal.formerFirstElementChild.lock();
    bool sameFirst = formerFirst == firstElement
        || (firstElement == inserted && (!formerFirst || formerFirst.get() == removal.removed));
    // What reached furthest right may be gone: only a full layout knows,
    // unless nothing reached past the width the page is laid out in.
    if (containerFlow.inTable || containerFlow.table || flow.inTable || !sameFirst || (flow.maxX >= m_maxX && m_maxX > m_width)
        || !containerHoldsOnlyBlocks(container))
        return FastResult::NotApplicable;
    // The container holds only blocks with the new one too.
    auto kind = displayKind(*CSSStyleResolver::computedValuesFor(element));
    if ((kind != DisplayKind::Block && kind != DisplayKind::Table) || webIsReplacedElement(element))
        return FastResult::NotApplicable;
    size_t end = removedFound->order + 1;
    size_t begin = end - 1 - removedFound->contentCount;
    size_t contentBegin = containerBox.order - containerBox.contentCount;
    if (begin < contentBegin || end > containerBox.order)
        return FastResult::NotApplicable;
    // The new block stands where the old one stood: between the blocks
    // around it there are no boxes but the old one's and lineless text.
    auto neighbourBlock = [&](DOMNode* node, bool forward) -> const Box* {
        for (; node; node = forward ? node->next() : node->previous()) {
            auto* found = findBox(node);
            if (found && found->blockFlow != noBlockFlow)
                return &*found;
        }
        return nullptr;
    };
    const Box* previous = neighbourBlock(inserted->previous(), false);
    const Box* following = neighbourBlock(inserted->next(), true);
    size_t gapBegin = previous ? previous->order + 1 : contentBegin;
    size_t gapEnd = following ? following->order - following->contentCount : containerBox.order;
    if (gapBegin > begin || gapEnd < end)
        return FastResult::NotApplicable;
    for (size_t i = gapBegin; i < gapEnd; ++i) {
        if ((i < begin || i >= end) && !(m_boxOrder[i]->isText && m_boxOrder[i]->lines.empty()))
            return FastResult::NotApplicable;
    }
    auto style = CSSStyleResolver::computedValuesFor(container);
    Rect content = webBoxEdges(*style, containerFlow.width).frame().inset(containerBox.rect);
    double top = previous ? m_blockFlows[previous->blockFlow].y + m_blockFlows[previous->blockFlow].height : content.minY();

    // The old block's boxes go first: the new block's nodes may stand where freed ones stood.
    Rect oldRect = removedFound->rect;
    for (size_t i = begin; i < end; ++i) {
        m_childIndexes.erase(m_boxOrder[i]->node);
        eraseBox(*m_boxOrder[i]);
        m_boxOrder[i] = nullptr;
    }
    if (findBox(&element))
        return FastResult::Failed;
    size_t madeBegin = m_boxOrder.size();
    double outerMaxX = m_maxX;
    m_containingHeight = heightLength(*style, containerFlow.containingHeight);
    double height = layoutBlock(element, content.minX(), top, content.width());
    m_containingHeight.reset();
    m_maxX = std::max(outerMaxX, m_maxX);
    size_t made = m_boxOrder.size() - madeBegin;
    if (made == end - begin) {
        std::copy(m_boxOrder.begin() + static_cast<std::ptrdiff_t>(madeBegin), m_boxOrder.end(),
                  m_boxOrder.begin() + static_cast<std::ptrdiff_t>(begin));
        m_boxOrder.resize(madeBegin);
        for (size_t i = begin; i < end; ++i)
            m_boxOrder[i]->order = static_cast<uint32_t>(i);
    } else {
        std::vector<Box*> boxes(m_boxOrder.begin() + static_cast<std::ptrdiff_t>(madeBegin), m_boxOrder.end());
        m_boxOrder.resize(madeBegin);
        m_boxOrder.erase(m_boxOrder.begin() + static_cast<std::ptrdiff_t>(begin), m_boxOrder.begin() + static_cast<std::ptrdiff_t>(end));
        m_boxOrder.insert(m_boxOrder.begin() + static_cast<std::ptrdiff_t>(begin), boxes.begin(), boxes.end());
        for (size_t i = begin; i < m_boxOrder.size(); ++i)
            m_boxOrder[i]->order = static_cast<uint32_t>(i);
    }
    auto& box = (*findBox(&element));
    // The container's index of its children for hit testing and painting
    // holds the new block in the old one's place when nothing else moved.
    auto index = m_childIndexes.find(&container);
    auto indexed = index != m_childIndexes.end()
        ? std::find(index->second.children.begin(), index->second.children.end(), removal.removed)
        : std::vector<DOMNode*>::iterator();
    if (height != flow.height || box.rect.minY() != oldRect.minY() || box.rect.maxY() != oldRect.maxY()
        || index == m_childIndexes.end() || indexed == index->second.children.end())
        m_childIndexesKept = false;
    else
        *indexed = &element;
    if (!shiftFollowing(target.get(), box.order, height - flow.height,
                        static_cast<int64_t>(made) - static_cast<int64_t>(end - begin)))
        return FastResult::Failed;
    m_documentSize.width = std::max(m_width, m_maxX);
    return FastResult::Done;
}

void WebLayout::moveBoxes(size_t begin, size_t end, double deltaY)
{
    for (size_t i = begin; i < end; ++i) {
        Box& box = *m_boxOrder[i];
        // Text without lines keeps its empty box where it is.
        if (box.isText && box.lines.empty())
            continue;
        box.rect.origin.y += deltaY;
        if (box.blockFlow != noBlockFlow)
            m_blockFlows[box.blockFlow].y += deltaY;
        for (auto& line : box.lines)
            line.rect.origin.y += deltaY;
    }
}

double WebLayout::layoutBlock(const DOMElement& element, double x, double y, double width, bool fillsWidth,
                              std::shared_ptr<const CSSComputedValues> style)
{
    if (!style)
        style = CSSStyleResolver::computedValuesFor(element);
    if (displayKind(*style) == DisplayKind::None)
        return 0;
    if (laysOutAsTable(element, *style))
        return layoutTable(element, x, y, width);
    WebBoxEdges edges = boxEdgesOf(style, width);
    WebEdges frame = edges.frame();
    double boxWidth = webBorderBoxWidth(*style, edges, width,
                                        fillsWidth ? std::nullopt : definiteLength(*style, CSSPropertyID::Width, width));
    bool borderBox = style->identifier(CSSPropertyID::BoxSizing) == u"border-box";
    double marginTop = edges.margin.top;
    double marginBottom = edges.margin.bottom;
    double boxX = x + edges.margin.left;
    double boxY = y + marginTop;
    double contentWidth = std::max(0.0, boxWidth - frame.horizontal());
    // Percentage heights need a containing block of a definite height.
    std::optional<double> containingHeight = m_containingHeight;
    auto explicitHeight = heightLength(*style, containingHeight);
    if (explicitHeight && borderBox)
        explicitHeight = std::max(0.0, *explicitHeight - frame.vertical());
    ++m_blockLayoutCount;
    double outerMaxX = m_maxX;
    m_maxX = 0;
    m_containingHeight = explicitHeight;
    size_t contentStart = m_boxOrder.size();
    double contentHeight = layoutBlockChildren(element, boxX + frame.left, boxY + frame.top, contentWidth, style);
    bool onlyBlocks = m_childrenOnlyBlocks;
    auto contentCount = static_cast<uint32_t>(m_boxOrder.size() - contentStart);
    m_containingHeight = containingHeight;
    bool fixedHeight = explicitHeight.has_value();
    if (fixedHeight)
        contentHeight = *explicitHeight;
    auto maxHeight = heightLength(*style, containingHeight, CSSPropertyID::MaxHeight);
    if (maxHeight)
        contentHeight = std::min(contentHeight, *maxHeight);
    double boxHeight = contentHeight + frame.vertical();
    double flowHeight = marginTop + boxHeight + marginBottom;
    m_maxX = std::max(m_maxX, boxX + boxWidth);
    Box& box = boxFor(&element);
    box.rect = Rect(boxX, boxY, boxWidth, boxHeight);
    box.contentCount = contentCount;
    // A block laid out again keeps its record.
    blockFlowFor(box) = { x, y, width, flowHeight, m_maxX, m_tableDepth > 0, fixedHeight, containingHeight,
                                    maxHeight.has_value(), false, onlyBlocks };
    m_maxX = std::max(outerMaxX, m_maxX);
    return flowHeight;
}

double WebLayout::layoutBlockChildren(const DOMNode& container, double x, double y, double width,
                                      std::shared_ptr<const CSSComputedValues> style)
{
    InlineState state;
    state.left = x;
    state.width = width;
    state.x = x;
    state.lineTop = y;
    double alignment = 0;
    bool justify = false;
    bool preserve = false;
    if (container.isElementNode()) {
        if (!style)
            style = CSSStyleResolver::computedValuesFor(downcast<DOMElement>(container));
        state.font = fontOf(style);
        alignment = webLineAlignmentFraction(*style);
        justify = style->identifier(CSSPropertyID::TextAlign) == u"justify";
        preserve = preservesWhiteSpace(*style);
        state.textParent = &container;
        state.preservesWhiteSpace = preserve;
    }
    state.recordsLineEnds = alignment > 0 || justify;
    // The boxes of the inline content since the last block child.
    size_t runStart = m_boxOrder.size();
    // Whether there is nothing but blocks (not replaced) and white space that makes no line.
    bool onlyBlocks = !preserve;
    if (m_displayDepth >= maximumDisplayDepth) {
        layoutFlattenedContent(container, state);
        onlyBlocks = false;
    }

    ++m_displayDepth;
    for (DOMNode* child = m_displayDepth > maximumDisplayDepth ? nullptr : container.first(); child; child = child->next()) {
        bool block = false;
        bool replaced = false;
        // The child's style, looked up once for all that follows.
        std::shared_ptr<const CSSComputedValues> childStyle;
        if (child->isElementNode()) {
            auto& element = downcast<DOMElement>(*child);
            childStyle = CSSStyleResolver::computedValuesFor(element);
            auto kind = displayKind(*childStyle);
            if (kind == DisplayKind::None)
                continue;
            bool blockDisplay = kind == DisplayKind::Block || kind == DisplayKind::Table;
            replaced = blockDisplay && webIsReplacedElement(element);
            block = blockDisplay && !replaced;
            onlyBlocks = onlyBlocks && block;
            if (element.hasTagName(u"hr")) {
                block = true;
                replaced = webIsReplacedElement(element);
            }
        } else if (onlyBlocks && child->isTextNode()) {
            auto& data = downcast<DOMCharacterData>(*child).data();
            onlyBlocks = std::all_of(data.begin(), data.end(), isSpace);
        }
        if (!block) {
            layoutInline(*child, state, std::move(childStyle));
            continue;
        }
        if (state.lineHasContent)
            state.newLine(0);
        if (state.recordsLineEnds)
            alignLines(state, runStart, alignment, justify);
        double top = state.lineTop;
        auto& element = downcast<DOMElement>(*child);
        double height;
        if (replaced) {
            Size size = replacedSize(element);
            size.width = std::min(size.width, width);
            boxFor(child).rect = Rect(x, top, size.width, size.height);
            height = size.height;
        } else
            height = layoutBlock(element, x, top, width, false, std::move(childStyle));
        state.lineTop = top + height;
        state.x = x;
        state.lineHeight = 0;
        state.lineHasContent = false;
        state.pendingSpace = false;
        runStart = m_boxOrder.size();
    }
    --m_displayDepth;
    if (state.recordsLineEnds) {
        state.endLine();
        alignLines(state, runStart, alignment, justify);
    }
    m_childrenOnlyBlocks = onlyBlocks;
    return state.bottom() - y;
}

void WebLayout::alignLines(InlineState& state, size_t firstBox, double alignment, bool justify)
{
    auto& ends = state.lineEnds;
    if (ends.empty())
        return;
    auto lineAt = [&](double top) -> size_t {
        auto found = std::lower_bound(ends.begin(), ends.end(), top,
                                      [](const InlineState::LineEnd& end, double y) { return end.top < y; });
        return found == ends.end() || found->top != top ? ends.size() : static_cast<size_t>(found - ends.begin());
    };
    // What stands on the lines, left to right within each line (content is made
    // in document order): each text line and each box without content. A
    // justified line widens at every space between words and every gap
    // between pieces; `before` counts those left of a piece.
    struct Piece {
        Box* box;
        WebLineBox* line;
        size_t end;
        unsigned before;
        unsigned spaces;
    };
    std::vector<Piece> pieces;
    std::vector<unsigned> opportunities(ends.size(), 0);
    std::vector<double> previousRight(ends.size(), -1);
    auto place = [&](Box& box, WebLineBox* line, const Rect& rect, unsigned spaces) {
        size_t end = lineAt(rect.minY());
        if (end == ends.size())
            return;
        if (justify && previousRight[end] >= 0 && rect.minX() > previousRight[end] + 1e-9)
            ++opportunities[end];
        pieces.push_back({ &box, line, end, opportunities[end], spaces });
        opportunities[end] += spaces;
        previousRight[end] = std::max(previousRight[end], rect.maxX());
    };
    auto hasContentBoxes = [&](const Box& box) {
        for (DOMNode* child = box.node->first(); child; child = child->next()) {
            auto* found = findBox(child);
            if (found && !(found->rect.width() <= 0 && found->rect.height() <= 0))
                return true;
        }
        return false;
    };
    for (size_t i = firstBox; i < m_boxOrder.size(); ++i) {
        Box& box = *m_boxOrder[i];
        if (box.isText) {
            auto& data = downcast<DOMCharacterData>(*box.node).data();
            for (auto& line : box.lines) {
                unsigned spaces = 0;
                if (justify && !box.preservesWhiteSpace) {
                    unsigned end = std::min<unsigned>(line.endOffset, static_cast<unsigned>(data.size()));
                    for (unsigned k = line.startOffset; k < end; ++k)
                        spaces += isSpace(data[k]) && k > line.startOffset && !isSpace(data[k - 1]);
                }
                place(box, &line, line.rect, spaces);
            }
        } else if (!hasContentBoxes(box))
            place(box, nullptr, box.rect, 0);
    }
    for (auto& piece : pieces) {
        auto& end = ends[piece.end];
        double room = std::max(0.0, state.right() - end.right);
        double offset = room * alignment;
        double stretch = 0;
        if (justify && end.wrapped && opportunities[piece.end] > 0) {
            stretch = room / opportunities[piece.end];
            offset = stretch * piece.before;
        }
        if (piece.line) {
            piece.line->rect.origin.x += offset;
            piece.line->justification = stretch;
            piece.line->rect.size.width += stretch * piece.spaces;
        } else
            piece.box->rect.origin.x += offset;
    }
    // Text boxes are the union of their lines; inline elements the union of their moved content.
    for (size_t i = firstBox; i < m_boxOrder.size(); ++i) {
        Box& box = *m_boxOrder[i];
        if (box.isText) {
            if (box.lines.empty())
                continue;
            Rect rect = box.lines.front().rect;
            for (auto& line : box.lines)
                rect = rect.unionWith(line.rect);
            box.rect = rect;
            continue;
        }
        bool any = false;
        Rect rect;
        for (DOMNode* child = box.node->first(); child; child = child->next()) {
            auto* found = findBox(child);
            if (!found || (found->rect.width() <= 0 && found->rect.height() <= 0))
                continue;
            rect = any ? rect.unionWith(found->rect) : found->rect;
            any = true;
        }
        if (any)
            box.rect = rect;
    }
    ends.clear();
}

double WebLayout::layoutTable(const DOMElement& table, double x, double y, double width)
{
    ++m_tableDepth;
    // Cells are as tall as their rows: nothing in a table has a definite height to refer to.
    std::optional<double> containingHeight = std::exchange(m_containingHeight, std::nullopt);
    double outerMaxX = std::exchange(m_maxX, 0.0);
    double height = layoutTableBox(table, x, y, width);
    m_containingHeight = containingHeight;
    --m_tableDepth;
    // The table keeps a record as blocks do, so that an edit within it lays it out again alone.
    Box& box = boxFor(&table);
    m_maxX = std::max(m_maxX, box.rect.maxX());
    blockFlowFor(box) = { x, y, width, height, m_maxX, m_tableDepth > 0, false, containingHeight, false, true, false };
    m_maxX = std::max(outerMaxX, m_maxX);
    return height;
}

const WebLayout::TableMeasure& WebLayout::measureTable(const DOMElement& table)
{
    auto found = m_tableMeasures.find(&table);
    if (found != m_tableMeasures.end())
        return found->second;
    TableMeasure measure;
    // The rows group by group (a run of rows standing directly in the table
    // makes a group of its own), and the captions, in the order they come.
    auto& groups = measure.groups;
    bool inRowRun = false;
    for (DOMNode* child = table.first(); child; child = child->next()) {
        if (!child->isElementNode())
            continue;
        auto& element = downcast<DOMElement>(*child);
        if (displayKind(*CSSStyleResolver::computedValuesFor(element)) == DisplayKind::None)
            continue;
        if (element.hasTagName(u"tr")) {
            if (!inRowRun) {
                groups.emplace_back();
                measure.parts.push_back({ nullptr, groups.size() - 1, false });
            }
            groups.back().push_back(&element);
            inRowRun = true;
            continue;
        }
        inRowRun = false;
        if (element.hasTagName(u"thead") || element.hasTagName(u"tbody") || element.hasTagName(u"tfoot")) {
            groups.emplace_back();
            for (DOMNode* row = element.first(); row; row = row->next()) {
                if (auto* rowElement = dynamicDowncast<DOMElement>(row); rowElement && rowElement->hasTagName(u"tr"))
                    groups.back().push_back(rowElement);
            }
            measure.parts.push_back({ &element, groups.size() - 1, false });
        } else if (element.hasTagName(u"caption"))
            measure.parts.push_back({ &element, 0, true });
    }
    measure.grid = webTableGrid(groups);

    // Each cell: its content with its borders and padding, or the width it sets in pixels.
    std::vector<WebTableCellWidths> cells;
    cells.reserve(measure.grid.cells.size());
    for (auto& slot : measure.grid.cells) {
        auto style = CSSStyleResolver::computedValuesFor(*slot.cell);
        WebTableCellWidths cell;
        if (displayKind(*style) != DisplayKind::None) {
            WebBoxEdges edges = webBoxEdges(*style, 0);
            double margins = edges.margin.horizontal();
            double outside = edges.frame().horizontal() + margins;
            ContentWidths content = childrenWidths(*slot.cell);
            cell = { content.minimum + outside, content.maximum + outside, false };
            if (auto set = setWidthOf(*slot.cell, *style); set && !set->percent) {
                double width = webBorderBoxWidth(*style, edges, 0, set->value) + margins;
                cell = { std::max(cell.minimum, width), width, true };
            }
        }
        cells.push_back(cell);
    }
    measure.columns = webTableColumnWidths(measure.grid, cells);
    WebColumnSums sums = webTableColumnSums(measure.columns);
    measure.content = { sums.minimum, sums.maximum };
    for (auto& part : measure.parts) {
        if (part.caption)
            measure.content.minimum = std::max(measure.content.minimum, blockWidths(*part.element).minimum);
    }
    measure.content.maximum = std::max(measure.content.maximum, measure.content.minimum);
    return m_tableMeasures.emplace(&table, std::move(measure)).first->second;
}

WebLayout::ContentWidths WebLayout::tableWidths(const DOMElement& table)
{
    auto& measure = measureTable(table);
    auto style = CSSStyleResolver::computedValuesFor(table);
    WebBoxEdges edges = webBoxEdges(*style, 0);
    double frame = edges.frame().horizontal();
    ContentWidths widths { measure.content.minimum + frame, measure.content.maximum + frame };
    // A percentage of a width not yet known counts as no set width.
    if (auto set = setWidthOf(table, *style); set && !set->percent) {
        double width = std::max(webBorderBoxWidth(*style, edges, 0, set->value), widths.minimum);
        return { width, width };
    }
    return widths;
}

WebLayout::ContentWidths WebLayout::blockWidths(const DOMElement& element)
{
    auto style = CSSStyleResolver::computedValuesFor(element);
    auto kind = displayKind(*style);
    if (kind == DisplayKind::None)
        return {};
    WebBoxEdges edges = webBoxEdges(*style, 0);
    double margins = edges.margin.horizontal();
    ContentWidths widths;
    if (laysOutAsTable(element, *style))
        widths = tableWidths(element);
    else if (auto* value = style->value(CSSPropertyID::Width); value && value->isPrimitiveValue()
             && static_cast<const CSSPrimitiveValue&>(*value).isLength()) {
        // A block of a set width in pixels is that wide whatever it holds.
        double set = static_cast<const CSSPrimitiveValue&>(*value).getFloatValue(CSSPrimitiveValue::CSS_PX);
        double width = webBorderBoxWidth(*style, edges, 0, set);
        widths = { width, width };
    } else {
        widths = childrenWidths(element);
        double frame = edges.frame().horizontal();
        widths = { widths.minimum + frame, widths.maximum + frame };
    }
    return { std::max(0.0, widths.minimum + margins), std::max(0.0, widths.maximum + margins) };
}

// The line layout's steps without positions: the widest unbreakable run so far
// and the widest line so far, with the run and the line being measured.
struct WebLayout::WidthState {
    double minimum { 0 };
    double maximum { 0 };
    double run { 0 };
    double line { 0 };
    bool lineHasContent { false };
    bool pendingSpace { false };
    uint32_t font { 0 };

    void endRun()
    {
        minimum = std::max(minimum, run);
        run = 0;
    }
    void endLine()
    {
        endRun();
        maximum = std::max(maximum, line);
        line = 0;
        lineHasContent = false;
        pendingSpace = false;
    }
    // Adds a piece `width` wide after `space`; a line may break at the space
    // unless the piece keeps its white space.
    void add(double width, double space, bool breakable)
    {
        if (space > 0 && breakable)
            endRun();
        else
            run += space;
        run += width;
        line += space + width;
        lineHasContent = true;
        pendingSpace = false;
    }
};

WebLayout::ContentWidths WebLayout::childrenWidths(const DOMNode& container)
{
    WidthState state;
    if (container.isElementNode())
        state.font = fontOf(downcast<DOMElement>(container));
    ContentWidths widths;
    if (m_widthDepth >= maximumDisplayDepth)
        forEachShownText(container, [&](DOMNode& text) { textWidths(text, state); });
    ++m_widthDepth;
    for (DOMNode* child = m_widthDepth > maximumDisplayDepth ? nullptr : container.first(); child; child = child->next()) {
        if (!child->isElementNode()) {
            inlineWidths(*child, state);
            continue;
        }
        auto& element = downcast<DOMElement>(*child);
        auto kind = displayKind(*CSSStyleResolver::computedValuesFor(element));
        if (kind == DisplayKind::None)
            continue;
        bool replaced = webIsReplacedElement(element);
        bool block = ((kind == DisplayKind::Block || kind == DisplayKind::Table) && !replaced)
            || element.hasTagName(u"hr");
        if (!block) {
            inlineWidths(element, state);
            continue;
        }
        state.endLine();
        ContentWidths childWidths;
        if (replaced)
            childWidths.minimum = childWidths.maximum = replacedWidth(element);
        else
            childWidths = blockWidths(element);
        widths.minimum = std::max(widths.minimum, childWidths.minimum);
        widths.maximum = std::max(widths.maximum, childWidths.maximum);
    }
    --m_widthDepth;
    state.endLine();
    widths.minimum = std::max(widths.minimum, state.minimum);
    widths.maximum = std::max({ widths.maximum, state.maximum, widths.minimum });
    return widths;
}

void WebLayout::inlineWidths(const DOMNode& node, WidthState& state)
{
    if (node.isTextNode()) {
        textWidths(node, state);
        return;
    }
    if (!node.isElementNode())
        return;
    auto& element = downcast<DOMElement>(node);
    if (displayKind(*CSSStyleResolver::computedValuesFor(element)) == DisplayKind::None)
        return;
    if (element.hasTagName(u"br")) {
        state.endLine();
        return;
    }
    if (webIsReplacedElement(element)) {
        // The line may wrap before a replaced element, and after it.
        double space = state.pendingSpace && state.lineHasContent ? spaceWidthOf(state.font) : 0;
        state.endRun();
        state.add(replacedWidth(element), space, true);
        state.endRun();
        return;
    }
    uint32_t savedFont = state.font;
    state.font = fontOf(element);
    if (m_widthDepth >= maximumDisplayDepth)
        forEachShownText(node, [&](DOMNode& text) { textWidths(text, state); });
    else {
        ++m_widthDepth;
        for (DOMNode* child = node.first(); child; child = child->next())
            inlineWidths(*child, state);
        --m_widthDepth;
    }
    state.font = savedFont;
}

void WebLayout::textWidths(const DOMNode& node, WidthState& state)
{
    auto& data = downcast<DOMCharacterData>(node).data();
    auto* parent = node.parentElement().get();
    uint32_t font = parent ? fontOf(*parent) : state.font;
    bool preserve = false;
    if (parent) {
        auto whiteSpace = CSSStyleResolver::computedValuesFor(*parent)->identifier(CSSPropertyID::WhiteSpace);
        preserve = whiteSpace == u"pre" || whiteSpace == u"pre-wrap";
    }
    double advance = spaceWidthOf(font);
    size_t length = data.size();
    size_t i = 0;
    while (i < length) {
        auto piece = nextTextPiece(data, i, preserve);
        if (piece.kind == TextPieceKind::LineEnd) {
            state.endLine();
            continue;
        }
        if (piece.kind == TextPieceKind::CollapsedSpace) {
            state.pendingSpace = true;
            continue;
        }
        double width = measure(font, std::u16string_view(data).substr(piece.start, piece.end - piece.start), piece.spaces);
        state.add(width, state.pendingSpace && state.lineHasContent ? advance : 0, !preserve);
    }
}

double WebLayout::replacedWidth(const DOMElement& element) const
{
    if (element.hasTagName(u"hr") && !element.hasAttribute(u"width")
        && !definiteLength(*CSSStyleResolver::computedValuesFor(element), CSSPropertyID::Width, m_width))
        return 0;
    return replacedSize(element).width;
}

double WebLayout::layoutTableBox(const DOMElement& table, double x, double y, double width)
{
    auto style = CSSStyleResolver::computedValuesFor(table);
    const TableMeasure& measure = measureTable(table);
    // Rows stand inside the table's borders and padding. A table is as wide
    // as it sets, else as its columns want within the width it is given, and
    // never narrower than its content's minimum (it overflows instead); its
    // auto margins centre it.
    WebBoxEdges edges = webBoxEdges(*style, width);
    WebEdges frame = edges.frame();
    double marginTop = edges.margin.top;
    double marginBottom = edges.margin.bottom;
    double minimumWidth = measure.content.minimum + frame.horizontal();
    double outerWidth;
    if (auto set = setWidthOf(table, *style)) {
        WebBoxEdges setEdges = edges;
        outerWidth = webBorderBoxWidth(*style, setEdges, width, set->percent ? set->value * width / 100 : set->value);
    } else
        outerWidth = std::min(width - edges.margin.horizontal(), measure.content.maximum + frame.horizontal());
    outerWidth = std::max(outerWidth, minimumWidth);
    webPlaceByAutoMargins(edges, width, outerWidth);
    double outerX = x + edges.margin.left;
    double top = y + marginTop;
    x = outerX + frame.left;
    double tableWidth = std::max(0.0, outerWidth - frame.horizontal());
    double rowY = top + frame.top;

    auto& groups = measure.groups;
    auto& grid = measure.grid;
    std::vector<double> columnWidths = webTableColumnLayout(measure.columns, tableWidth);
    std::vector<double> columnX(grid.columnCount + 1, x);
    for (size_t column = 0; column < grid.columnCount; ++column)
        columnX[column + 1] = columnX[column] + columnWidths[column];

    // Each row is as tall as its tallest cell; a cell spanning rows makes the last of them as tall as it needs.
    std::vector<double> rowTops(grid.rows.size(), 0);
    std::vector<double> rowBottoms(grid.rows.size(), 0);
    std::vector<double> spanningHeights(grid.cells.size(), 0);
    size_t nextCell = 0;
    size_t nextRow = 0;
    auto layoutGroup = [&](size_t rowCount) {
        size_t firstCell = nextCell;
        size_t groupEnd = nextRow + rowCount;
        for (; nextRow < groupEnd; ++nextRow) {
            double rowHeight = 0;
            rowTops[nextRow] = rowY;
            for (; nextCell < grid.cells.size() && grid.cells[nextCell].row == nextRow; ++nextCell) {
                auto& slot = grid.cells[nextCell];
                double cellX = columnX[slot.column];
                double cellWidth = columnX[slot.column + slot.columnSpan] - cellX;
                double height = layoutBlock(*slot.cell, cellX, rowY, cellWidth, true);
                if (slot.rowSpan == 1)
                    rowHeight = std::max(rowHeight, height);
                else
                    spanningHeights[nextCell] = height;
            }
            for (size_t i = firstCell; i < nextCell; ++i) {
                auto& slot = grid.cells[i];
                if (slot.rowSpan > 1 && slot.row + slot.rowSpan - 1 == nextRow)
                    rowHeight = std::max(rowHeight, spanningHeights[i] - (rowY - rowTops[slot.row]));
            }
            boxFor(grid.rows[nextRow]).rect = Rect(x, rowY, tableWidth, rowHeight);
            rowY += rowHeight;
            rowBottoms[nextRow] = rowY;
        }
        for (size_t i = firstCell; i < nextCell; ++i) {
            auto& slot = grid.cells[i];
            auto* found = findBox(slot.cell);
            if (found)
                found->rect.size.height = rowBottoms[slot.row + slot.rowSpan - 1] - rowTops[slot.row];
        }
    };

    size_t contentStart = m_boxOrder.size();
    for (auto& part : measure.parts) {
        if (part.caption) {
            rowY += layoutBlock(*part.element, x, rowY, tableWidth);
            continue;
        }
        double sectionTop = rowY;
        layoutGroup(groups[part.group].size());
        if (part.element)
            boxFor(part.element).rect = Rect(x, sectionTop, tableWidth, rowY - sectionTop);
    }
    auto contentCount = static_cast<uint32_t>(m_boxOrder.size() - contentStart);
    double height = rowY + frame.bottom - top;
    Box& box = boxFor(&table);
    box.rect = Rect(outerX, top, outerWidth, height);
    box.contentCount = contentCount;
    // Nothing measures the table again in this pass.
    m_tableMeasures.erase(&table);
    return marginTop + height + marginBottom;
}

Size WebLayout::replacedSize(const DOMElement& element) const
{
    auto width = attributeLength(element, u"width");
    auto height = attributeLength(element, u"height");
    auto style = CSSStyleResolver::computedValuesFor(element);
    if (auto cssWidth = definiteLength(*style, CSSPropertyID::Width, m_width))
        width = *cssWidth;
    if (auto cssHeight = heightLength(*style, m_containingHeight))
        height = *cssHeight;
    if (width && height)
        return { *width, *height };
    Size intrinsic = defaultReplacedSize;
    if (element.hasTagName(u"iframe") || element.hasTagName(u"frame") || element.hasTagName(u"video")
        || element.hasTagName(u"embed") || element.hasTagName(u"object"))
        intrinsic = defaultFrameSize;
    else if (element.hasTagName(u"hr"))
        intrinsic = { m_width, 2 };
    else if (webIsFormControl(element)) {
        if (auto control = webFormControlIntrinsicSize(element, webFontDescriptor(*style, m_multiplier)))
            intrinsic = *control;
    } else if (auto known = m_intrinsicSize ? m_intrinsicSize(element) : std::nullopt)
        intrinsic = *known;
    else if (auto* alt = element.hasTagName(u"img") ? element.attributeValue(u"alt") : nullptr; alt && !alt->empty())
        intrinsic = webMissingImageSize(*alt, webFontDescriptor(*style, m_multiplier));
    if (width && !height)
        return { *width, intrinsic.width > 0 ? *width * intrinsic.height / intrinsic.width : intrinsic.height };
    if (height && !width)
        return { intrinsic.height > 0 ? *height * intrinsic.width / intrinsic.height : intrinsic.width, *height };
    return intrinsic;
}

void WebLayout::layoutInline(const DOMNode& node, InlineState& state, std::shared_ptr<const CSSComputedValues> style)
{
    if (node.isTextNode()) {
        layoutText(node, state);
        return;
    }
    if (!node.isElementNode())
        return;
    auto& element = downcast<DOMElement>(node);
    if (!style)
        style = CSSStyleResolver::computedValuesFor(element);
    if (displayKind(*style) == DisplayKind::None)
        return;
    if (element.hasTagName(u"br")) {
        double height = lineHeightOf(fontOf(style));
        boxFor(&node).rect = Rect(state.x, state.lineTop, 0, height);
        state.lineHeight = std::max(state.lineHeight, height);
        state.lineHasContent = true;
        state.newLine(0);
        return;
    }
    if (webIsReplacedElement(element)) {
        Size size = replacedSize(element);
        double space = state.pendingSpace && state.lineHasContent ? spaceWidthOf(state.font) : 0;
        state.pendingSpace = false;
        if (state.lineHasContent && state.x + space + size.width > state.right() + fitTolerance)
            state.wrapLine();
        else
            state.x += space;
        boxFor(&node).rect = Rect(state.x, state.lineTop, size.width, size.height);
        state.x += size.width;
        m_maxX = std::max(m_maxX, state.x);
        state.lineHeight = std::max(state.lineHeight, size.height);
        state.lineHasContent = true;
        return;
    }
    uint32_t savedFont = state.font;
    const DOMNode* savedTextParent = std::exchange(state.textParent, &node);
    bool savedPreservesWhiteSpace = std::exchange(state.preservesWhiteSpace, preservesWhiteSpace(*style));
    state.font = fontOf(style);
    uint32_t font = state.font;
    Point start { state.x, state.lineTop };
    if (m_displayDepth >= maximumDisplayDepth)
        layoutFlattenedContent(node, state);
    else {
        ++m_displayDepth;
        for (DOMNode* child = node.first(); child; child = child->next())
            layoutInline(*child, state);
        --m_displayDepth;
    }
    state.font = savedFont;
    state.textParent = savedTextParent;
    state.preservesWhiteSpace = savedPreservesWhiteSpace;
    // The union of the content's boxes; an empty element keeps a zero-width box where it stands.
    Rect box;
    bool any = false;
    auto unite = [&](const DOMNode* child) {
        auto* found = findBox(child);
        if (!found || (found->rect.width() <= 0 && found->rect.height() <= 0))
            return;
        box = any ? box.unionWith(found->rect) : found->rect;
        any = true;
    };
    if (auto* content = flattenedContentOf(node)) {
        for (auto* child : *content)
            unite(child);
    } else {
        for (DOMNode* child = node.first(); child; child = child->next())
            unite(child);
    }
    if (!any)
        box = Rect(start.x, start.y, 0, lineHeightOf(font));
    boxFor(&node).rect = box;
}

void WebLayout::layoutFlattenedContent(const DOMNode& container, InlineState& state)
{
    auto& content = m_flattenedContent[&container];
    content.clear();
    forEachShownText(container, [&](DOMNode& text) {
        layoutText(text, state);
        content.push_back(&text);
    });
}

const std::vector<DOMNode*>* WebLayout::flattenedContentOf(const DOMNode& node) const
{
    if (m_flattenedContent.empty())
        return nullptr;
    auto found = m_flattenedContent.find(&node);
    return found == m_flattenedContent.end() ? nullptr : &found->second;
}

void WebLayout::layoutText(const DOMNode& node, InlineState& state)
{
    auto& data = downcast<DOMCharacterData>(node).data();
    // The font and white space of the element whose children are laid out, else the parent's own.
    uint32_t font = state.font;
    bool preserve = false;
    if (node.parent() && node.parent() == state.textParent)
        preserve = state.preservesWhiteSpace;
    else if (auto* parent = node.parentElement().get()) {
        auto parentStyle = CSSStyleResolver::computedValuesFor(*parent);
        font = fontOf(parentStyle);
        preserve = preservesWhiteSpace(*parentStyle);
    }
    double advance = spaceWidthOf(font);
    double lineHeight = lineHeightOf(font);

    Box& box = boxFor(&node);
    box.font = font;
    box.preservesWhiteSpace = preserve;
    auto addToLine = [&](unsigned startOffset, unsigned endOffset, double x, double width) {
        if (!box.lines.empty() && box.lines.back().rect.minY() == state.lineTop
            && box.lines.back().endOffset <= startOffset) {
            auto& line = box.lines.back();
            line.rect.size.width = x + width - line.rect.minX();
            line.endOffset = endOffset;
            return;
        }
        box.lines.push_back({ Rect(x, state.lineTop, width, lineHeight), startOffset, endOffset });
    };

    size_t length = data.size();
    size_t i = 0;
    while (i < length) {
        auto piece = nextTextPiece(data, i, preserve);
        if (piece.kind == TextPieceKind::LineEnd) {
            if (!state.lineHasContent) {
                state.lineHeight = std::max(state.lineHeight, lineHeight);
                state.lineHasContent = true;
            }
            state.newLine(0);
            continue;
        }
        if (piece.kind == TextPieceKind::CollapsedSpace) {
            state.pendingSpace = true;
            continue;
        }
        size_t wordStart = piece.start;
        double wordWidth = measure(font, std::u16string_view(data).substr(wordStart, i - wordStart), piece.spaces);
        double spaceWidth = (state.pendingSpace && state.lineHasContent) ? advance : 0;
        if (state.lineHasContent && state.x + spaceWidth + wordWidth > state.right() + fitTolerance && !preserve) {
            state.wrapLine();
            spaceWidth = 0;
        }
        double wordX = state.x + spaceWidth;
        addToLine(static_cast<unsigned>(wordStart), static_cast<unsigned>(i), wordX, wordWidth);
        state.x = wordX + wordWidth;
        state.lineHeight = std::max(state.lineHeight, lineHeight);
        state.lineHasContent = true;
        state.pendingSpace = false;
    }
    if (box.lines.empty()) {
        box.rect = Rect();
        return;
    }
    Rect rect = box.lines.front().rect;
    for (auto& line : box.lines)
        rect = rect.unionWith(line.rect);
    box.rect = rect;
    m_maxX = std::max(m_maxX, rect.maxX());
}

Rect WebLayout::boundingBox(const DOMNode& node) const
{
    auto* found = findBox(&node);
    return !found ? Rect() : found->rect;
}

const std::vector<WebLineBox>* WebLayout::lineBoxes(const DOMNode& node) const
{
    auto* found = findBox(&node);
    return !found ? nullptr : &found->lines;
}

std::vector<Rect> WebLayout::lineBoxRects(const DOMNode& node) const
{
    std::vector<Rect> rects;
    if (auto* lines = lineBoxes(node)) {
        for (auto& line : *lines)
            rects.push_back(line.rect);
    }
    return rects;
}

const WebLayout::ChildIndex& WebLayout::childIndex(DOMNode& node) const
{
    auto found = m_childIndexes.find(&node);
    if (found != m_childIndexes.end())
        return found->second;
    ChildIndex index;
    auto add = [&](DOMNode* child) {
        if (!child->isElementNode() && !child->isTextNode())
            return;
        auto* box = findBox(child);
        if (!box || (box->rect.width() <= 0 && box->rect.height() <= 0))
            return;
        index.children.push_back(child);
        index.prefixMaxY.push_back(std::max(box->rect.maxY(), index.prefixMaxY.empty() ? box->rect.maxY()
                                                                                               : index.prefixMaxY.back()));
    };
    if (auto* content = flattenedContentOf(node)) {
        for (auto* child : *content)
            add(child);
    } else {
        for (DOMNode* child = node.first(); child; child = child->next())
            add(child);
    }
    // Rows appended later go on the end of all three without copying them
    // (the children's and tops' vectors keep the room their growth left).
    index.suffixMinY.reserve(index.children.capacity());
    index.suffixMinY.resize(index.children.size());
    for (size_t i = index.children.size(); i-- > 0;) {
        double minY = (*findBox(index.children[i])).rect.minY();
        index.suffixMinY[i] = i + 1 < index.children.size() ? std::min(minY, index.suffixMinY[i + 1]) : minY;
    }
    return m_childIndexes.emplace(&node, std::move(index)).first->second;
}

bool WebLayout::childContainsPoint(DOMNode& child, const Box& box, Point point) const
{
    if (!child.isTextNode())
        return box.rect.containsPoint(point);
    for (auto& line : box.lines) {
        if (line.rect.containsPoint(point))
            return true;
    }
    return false;
}

DOMNode* WebLayout::hitTest(DOMNode& node, Point point) const
{
    auto& index = childIndex(node);
    // Children before `first` end above the point; from `last` on, all start below it.
    size_t first = std::upper_bound(index.prefixMaxY.begin(), index.prefixMaxY.end(), point.y) - index.prefixMaxY.begin();
    size_t last = first;
    while (last < index.children.size() && index.suffixMinY[last] <= point.y)
        ++last;
    // The last child in document order is the one on top.
    for (size_t i = last; i-- > first;) {
        DOMNode* child = index.children[i];
        auto& box = (*findBox(child));
        if (!childContainsPoint(*child, box, point))
            continue;
        if (child->isTextNode())
            return child;
        if (auto* deeper = hitTest(*child, point))
            return deeper;
        return child;
    }
    return nullptr;
}

DOMNode* WebLayout::nodeAtPoint(const DOMDocument& document, Point point) const
{
    auto root = document.documentElement();
    if (!root)
        return nullptr;
    if (auto* hit = hitTest(*root, point))
        return hit;
    // Below or beside everything: the body (or the root) stands for the canvas.
    if (auto body = document.body(); body && findBox(body.get()))
        return body.get();
    return root.get();
}

unsigned WebLayout::offsetForPoint(const DOMNode& text, Point point) const
{
    auto* found = findBox(&text);
    if (!found || found->lines.empty())
        return 0;
    auto& lines = found->lines;
    const WebLineBox* line = &lines.back();
    for (auto& candidate : lines) {
        if (point.y < candidate.rect.maxY()) {
            line = &candidate;
            break;
        }
    }
    // The nearest place between drawn units; a collapsed run of white space is one unit.
    WebTextRun run = makeTextRun(*found, *line);
    if (run.positions.back() <= run.positions.front())
        return line->startOffset;
    size_t stop = 0;
    for (size_t i = 1; i < run.positions.size(); ++i) {
        if (point.x >= (run.positions[i - 1] + run.positions[i]) / 2)
            stop = i;
        else
            break;
    }
    return run.sourceOffsets[stop];
}

WebTextRun WebLayout::makeTextRun(const Box& box, const WebLineBox& line) const
{
    WebTextRun run;
    run.node = box.node;
    run.font = m_fonts[box.font];
    run.rect = line.rect;
    auto& provider = liveMetrics(m_metrics, m_metricsGeneration);
    FontLineMetrics metrics = provider.lineMetrics(run.font);
    run.baseline = line.rect.minY() + (line.rect.height() - metrics.ascent - metrics.descent) / 2 + metrics.ascent;
    run.startOffset = line.startOffset;
    run.endOffset = line.endOffset;
    auto& data = downcast<DOMCharacterData>(*box.node).data();
    unsigned end = std::min<unsigned>(line.endOffset, static_cast<unsigned>(data.size()));
    size_t units = end - std::min(end, line.startOffset);
    run.text.reserve(units);
    run.positions.reserve(units + 1);
    run.sourceOffsets.reserve(units + 1);
    double spaceWidth = spaceWidthOf(box.font);
    // The same steps as layoutText: words measured whole, white space by the space's width.
    double x = line.rect.minX();
    unsigned i = line.startOffset;
    while (i < end) {
        if (isSpace(data[i])) {
            unsigned runEnd = i;
            while (runEnd < end && isSpace(data[runEnd]))
                ++runEnd;
            if (box.preservesWhiteSpace) {
                for (; i < runEnd; ++i) {
                    run.text.push_back(u' ');
                    run.positions.push_back(x);
                    run.sourceOffsets.push_back(i);
                    x += spaceWidth;
                }
            } else {
                run.text.push_back(u' ');
                run.positions.push_back(x);
                run.sourceOffsets.push_back(i);
                // Spaces between words of a justified line are wider.
                x += spaceWidth + (i > line.startOffset ? line.justification : 0);
                i = runEnd;
            }
            continue;
        }
        unsigned wordEnd = i;
        while (wordEnd < end && !isSpace(data[wordEnd]))
            ++wordEnd;
        auto word = std::u16string_view(data).substr(i, wordEnd - i);
        std::u16string storage;
        auto carets = provider.caretPositions(run.font, measuredText(word, storage));
        for (size_t k = 0; k < word.size(); ++k) {
            run.text.push_back(word[k]);
            run.positions.push_back(x + carets[k]);
            run.sourceOffsets.push_back(i + static_cast<unsigned>(k));
        }
        x += measure(box.font, word, false);
        i = wordEnd;
    }
    run.positions.push_back(x);
    run.sourceOffsets.push_back(end);
    return run;
}

std::optional<WebTextRun> WebLayout::textRun(const DOMNode& text, size_t lineIndex) const
{
    auto* found = findBox(&text);
    if (!found || lineIndex >= found->lines.size())
        return std::nullopt;
    return makeTextRun(*found, found->lines[lineIndex]);
}

const FontDescriptor* WebLayout::fontOfText(const DOMNode& text) const
{
    auto* found = findBox(&text);
    if (!found || found->lines.empty())
        return nullptr;
    return &m_fonts[found->font];
}

Rect WebLayout::caretRect(const DOMNode& container, unsigned offset) const
{
    auto* found = findBox(&container);
    if (container.isTextNode()) {
        if (!found || found->lines.empty())
            return {};
        auto& lines = found->lines;
        // The first line the offset is inside of; an offset between lines belongs to the later one.
        const WebLineBox* line = &lines.front();
        for (auto& candidate : lines) {
            if (candidate.startOffset > offset)
                break;
            line = &candidate;
        }
        WebTextRun run = makeTextRun(*found, *line);
        return Rect(run.xForOffset(offset), line->rect.minY(), 1, line->rect.height());
    }
    // Between children: at the left edge of the child after the point, else
    // at the right edge of the one before it, else at the container's start.
    DOMNode* after = container.first();
    for (unsigned i = 0; after && i < offset; ++i)
        after = after->next();
    DOMNode* before = after ? after->previous() : container.last();
    for (DOMNode* child = after; child; child = child->next()) {
        auto* box = findBox(child);
        if (!box || (box->rect.width() <= 0 && box->rect.height() <= 0))
            continue;
        if (child->isTextNode() && !box->lines.empty())
            return caretRect(*child, box->lines.front().startOffset);
        return Rect(box->rect.minX(), box->rect.minY(), 1, box->rect.height());
    }
    for (DOMNode* child = before; child; child = child->previous()) {
        auto* box = findBox(child);
        if (!box || (box->rect.width() <= 0 && box->rect.height() <= 0))
            continue;
        if (child->isTextNode() && !box->lines.empty())
            return caretRect(*child, box->lines.back().endOffset);
        return Rect(box->rect.maxX(), box->rect.minY(), 1, box->rect.height());
    }
    if (!found)
        return {};
    // In an empty block: where its content would start, inside its borders and padding.
    Rect box = found->rect;
    double x = box.minX();
    if (found->blockFlow != noBlockFlow && container.isElementNode()) {
        auto style = CSSStyleResolver::computedValuesFor(downcast<DOMElement>(container));
        x = webBoxEdges(*style, m_blockFlows[found->blockFlow].width).frame().inset(box).minX();
    }
    return Rect(x, box.minY(), 1, box.height());
}

void WebLayout::enumerateNodesInRect(const DOMDocument& document, const Rect& rect,
                                     const std::function<void(const DOMNode&, const Rect&)>& visit) const
{
    enumerateNodesInRect(document, rect, visit, nullptr);
}

void WebLayout::enumerateNodesInRect(const DOMDocument& document, const Rect& rect,
                                     const std::function<void(const DOMNode&, const Rect&)>& visit,
                                     const std::function<void(const DOMNode&)>& leave) const
{
    auto root = document.documentElement();
    if (!root)
        return;
    auto* found = findBox(root.get());
    bool visited = found && found->rect.intersects(rect);
    if (visited)
        visit(*root, found->rect);
    enumerateNodes(*root, rect, visit, leave ? &leave : nullptr);
    if (visited && leave)
        leave(*root);
}

void WebLayout::enumerateNodes(DOMNode& node, const Rect& rect,
                               const std::function<void(const DOMNode&, const Rect&)>& visit,
                               const std::function<void(const DOMNode&)>* leave) const
{
    // A few children are looked at one by one, as their index would: the
    // index of every small element painted costs more than it saves.
    constexpr size_t fewChildren = 16;
    std::array<std::pair<DOMNode*, const Box*>, fewChildren> few;
    size_t fewCount = 0;
    // Text laid out beyond the display depth is found through the index.
    bool many = flattenedContentOf(node) != nullptr;
    for (DOMNode* child = node.first(); child && !many; child = child->next()) {
        if (!child->isElementNode() && !child->isTextNode())
            continue;
        auto* found = findBox(child);
        if (!found || (found->rect.width() <= 0 && found->rect.height() <= 0))
            continue;
        many = fewCount == fewChildren;
        if (!many)
            few[fewCount++] = { child, &*found };
    }
    if (!many) {
        std::array<double, fewChildren> suffixMinY;
        for (size_t i = fewCount; i-- > 0;) {
            double minY = few[i].second->rect.minY();
            suffixMinY[i] = i + 1 < fewCount ? std::min(minY, suffixMinY[i + 1]) : minY;
        }
        double prefixMaxY = 0;
        for (size_t i = 0; i < fewCount && suffixMinY[i] < rect.maxY(); ++i) {
            prefixMaxY = i ? std::max(prefixMaxY, few[i].second->rect.maxY()) : few[i].second->rect.maxY();
            if (prefixMaxY > rect.minY())
                enumerateChild(*few[i].first, *few[i].second, rect, visit, leave);
        }
        return;
    }
    auto& index = childIndex(node);
    size_t first = std::upper_bound(index.prefixMaxY.begin(), index.prefixMaxY.end(), rect.minY()) - index.prefixMaxY.begin();
    for (size_t i = first; i < index.children.size() && index.suffixMinY[i] < rect.maxY(); ++i)
        enumerateChild(*index.children[i], (*findBox(index.children[i])), rect, visit, leave);
}

void WebLayout::enumerateChild(DOMNode& child, const Box& box, const Rect& rect,
                               const std::function<void(const DOMNode&, const Rect&)>& visit,
                               const std::function<void(const DOMNode&)>* leave) const
{
    if (child.isTextNode()) {
        for (auto& line : box.lines) {
            if (line.rect.intersects(rect)) {
                visit(child, box.rect);
                break;
            }
        }
        return;
    }
    bool visited = box.rect.intersects(rect);
    if (visited)
        visit(child, box.rect);
    enumerateNodes(child, rect, visit, leave);
    if (visited && leave)
        (*leave)(child);
}

} // namespace brevanton

#include "editing/VornickDOMPathBar.h"

#include "editing/VornickContentEditingView.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickDOMToNSRangeMap.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/views/Font.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Menu.h"
#include "platform/views/SystemFonts.h"
#include "platform/web/WebFrame.h"
#include "platform/views/Window.h"
#include "toolkit/VornickLineIndex.h"
#include "ui/VornickUITheme.h"

#include <algorithm>
#include <utility>

namespace brevanton {

namespace {

constexpr double barMargin = 8;
constexpr double dotSize = 8;

Color colourOfStatus(VornickFrameValidationStatus status)
{
    switch (status) {
    case VornickFrameValidationStatus::Valid:
        return Color::sRGB255(52, 168, 83);
    case VornickFrameValidationStatus::Warnings:
        return Color::sRGB255(230, 162, 0);
    case VornickFrameValidationStatus::Errors:
        return Color::sRGB255(214, 48, 49);
    default:
        return Color::gray();
    }
}

const std::u16string segmentSeparator = u" \u203A ";
const std::u16string repairedCopyNotice = u"Loaded from a repaired copy";

std::u16string segmentLabel(const VornickDOMPathBar::Segment& segment)
{
    return u"<" + segment.tagLabel + (segment.attributesLabel.empty() ? u"" : u" " + segment.attributesLabel) + u">";
}

// The path as wide as `width` allows: the outermost elements give way to
// "…" first, so that the innermost, where the caret is, stays in sight.
std::u16string pathTextFittingWidth(const std::vector<VornickDOMPathBar::Segment>& segments, const Font& font, double width)
{
    std::u16string text;
    for (size_t first = 0; first < segments.size(); ++first) {
        text = first ? u"\u2026" : u"";
        for (size_t index = first; index < segments.size(); ++index)
            text += (text.empty() ? u"" : segmentSeparator) + segmentLabel(segments[index]);
        if (font.widthOfString(text) <= width)
            return text;
    }
    return {};
}

} // namespace

VornickDOMPathBar::VornickDOMPathBar(Rect frame)
    : VornickWindowBottomBar(frame)
{
    setActionHandler("vornick_showValidationAdvisory:", [this](ActionSender* sender) {
        auto index = sender ? static_cast<size_t>(sender->tag()) : m_listedAdvisories.size();
        if (index < m_listedAdvisories.size())
            static_cast<void>(showAdvisoryInPage(m_listedAdvisories[index]));
    });
}

std::u16string VornickDOMPathBar::pathText() const
{
    std::u16string text;
    for (const auto& segment : m_segments)
        text += (text.empty() ? u"" : segmentSeparator) + segmentLabel(segment);
    return text;
}

Rect VornickDOMPathBar::validationSegmentRect() const
{
    auto font = systemFontOfSize(0);
    double width = font->widthOfString(m_validationSegmentText) + dotSize + 6;
    Rect bar = bounds();
    return Rect(bar.maxX() - barMargin - width, bar.minY(), width, bar.height());
}

void VornickDOMPathBar::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    Rect bar = bounds();
    auto font = systemFontOfSize(0);
    double textHeight = font->lineHeight();
    double textY = bar.minY() + std::max(0.0, (bar.height() - textHeight) / 2);
    VornickWindowBottomBar::draw(dirtyRect, context);
    // The line between the page and the bar, where the theme draws no top edge.
    auto& theme = VornickUITheme::currentTheme();
    auto window = this->window();
    bool main = window && window->isMainWindow();
    if (!(main ? theme.activeWindowBottomBarTopEdgeColor() : theme.inactiveWindowBottomBarTopEdgeColor()))
        context.drawLine(Point { bar.minX(), bar.minY() }, Point { bar.maxX(), bar.minY() }, Color::lightGray());

    Rect validation = validationSegmentRect();
    double dotY = bar.minY() + (bar.height() - dotSize) / 2;
    context.fillRoundedRect(Rect(validation.minX(), dotY, dotSize, dotSize), dotSize / 2, colourOfStatus(m_validationStatus));
    context.drawText(m_validationSegmentText, Rect(validation.minX() + dotSize + 6, textY, validation.width() - dotSize - 6, textHeight),
                     Color::black());

    // The path, shortened at its start to end a margin short of the summary
    // (and clipped there, whatever the drawn text's width).
    double pathWidth = std::max(0.0, validation.minX() - barMargin * 3);
    std::u16string path = pathWidth > 0 ? pathTextFittingWidth(m_segments, *font, pathWidth) : std::u16string();
    if (!path.empty()) {
        context.beginClip(Rect(bar.minX() + barMargin, bar.minY(), pathWidth, bar.height()));
        context.drawText(path, Rect(bar.minX() + barMargin, textY, pathWidth, textHeight), Color::darkGray());
        context.endClip();
    }
}

void VornickDOMPathBar::mouseDown(const Event& event)
{
    Point point = convertPointFromView(event.locationInWindow(), nullptr);
    if (!mouseInRect(point, validationSegmentRect()))
        return;
    Menu::popUpContextMenu(advisoriesMenu(), event, *this);
}

std::shared_ptr<Menu> VornickDOMPathBar::advisoriesMenu()
{
    m_listedAdvisories = m_contentEditingView ? m_contentEditingView->tidyValidationAdvisoriesNotYetResolvedForFocusedWebFrame()
                                              : std::vector<VornickValidationAdvisory> {};
    m_advisoriesMenu = Menu::create(u"Validation");
    // What the repair changed is among the advisories, marked structural.
    if (loadedFromRepairedCopy())
        m_advisoriesMenu->addItem(repairedCopyNotice + u"; the repairs are marked (STRUCTURAL):", {}, {});
    else if (auto frame = m_contentEditingView ? m_contentEditingView->focusedWebFrame() : nullptr) {
        // Tidy's repair would have lost content, so the file is shown as written.
        if (auto loss = vornick_refusedRepairLoss(*frame))
            m_advisoriesMenu->addItem(u"Shown as written; tidy's repair was not loaded: " + toUTF16(*loss), {}, {});
    }
    auto self = sharedAs<Responder>();
    for (size_t index = 0; index < m_listedAdvisories.size(); ++index) {
        auto item = m_advisoriesMenu->addItem(m_listedAdvisories[index].description(), "vornick_showValidationAdvisory:", {});
        item->setTag(static_cast<long>(index));
        item->setTarget(self);
    }
    if (m_advisoriesMenu->numberOfItems() == 0)
        m_advisoriesMenu->addItem(m_validationSegmentText.empty() ? u"No advisories" : m_validationSegmentText, {}, {});
    return m_advisoriesMenu;
}

bool VornickDOMPathBar::loadedFromRepairedCopy() const
{
    // The repairs are listed until a save writes the repaired page to the file.
    auto frame = m_contentEditingView ? m_contentEditingView->focusedWebFrame() : nullptr;
    if (!frame || !vornick_isLoadedFromRepairedCopy(*frame))
        return false;
    auto repairs = vornick_validationAdvisoriesForStructuralRepairPass(*frame);
    return repairs && std::any_of(repairs->begin(), repairs->end(), [](const auto& repair) { return repair.isStructuralIssue(); });
}

bool VornickDOMPathBar::showAdvisoryInPage(const VornickValidationAdvisory& advisory)
{
    if (!m_contentEditingView)
        return false;
    auto frame = m_contentEditingView->focusedWebFrame();
    auto document = frame ? frame->domDocument() : nullptr;
    auto lines = frame ? vornick_lineIndexForLastGeneratedHTMLString(*frame) : nullptr;
    auto map = frame ? vornick_DOMToNSRangeMapForLastGeneratedHTMLString(*frame) : nullptr;
    if (!document || !lines || !map || advisory.line() < 1)
        return false;
    size_t offset = lines->offsetForLine(static_cast<uint64_t>(advisory.line()), static_cast<uint64_t>(std::max<int64_t>(advisory.column(), 1)));
    if (offset == VornickNotFound)
        return false;
    auto range = map->domRangeForRange(VornickMakeRange(offset, 0), &lines->string(), *document);
    if (!range)
        return false;
    m_contentEditingView->setTargetRange(range);
    m_contentEditingView->scrollRangeToVerticallyCentered(range);
    return true;
}

void VornickDOMPathBar::updateForValidationStatusChange()
{
    if (!m_contentEditingView)
        return;
    auto status = m_contentEditingView->tidyStatusForFocusedWebFrame();
    // While an edit's source is validated again, the last summary stays: a
    // keystroke redraws its line, not the bar as well.
    if (status == VornickFrameValidationStatus::Pending && m_validationStatus != VornickFrameValidationStatus::Pending
        && !m_validationSegmentText.empty())
        return;
    auto text = m_contentEditingView->tidyStatusSummaryForDisplayToUser();
    if (loadedFromRepairedCopy())
        text = repairedCopyNotice + u" \u2014 " + text;
    if (status == m_validationStatus && text == m_validationSegmentText)
        return;
    m_validationStatus = status;
    m_validationSegmentText = std::move(text);
    setNeedsDisplay(true);
}

void VornickDOMPathBar::updateForEffectiveOperationRangeChange()
{
    // Typing moves the range on every keystroke within the same elements:
    // the bar is drawn again only when its path changed.
    auto shown = std::exchange(m_segments, {});
    auto redrawIfChanged = [&] {
        if (m_segments != shown)
            setNeedsDisplay(true);
    };
    if (!m_contentEditingView)
        return redrawIfChanged();
    auto range = m_contentEditingView->effectiveOperationRange();
    auto& helper = m_contentEditingView->blockModeHelper();
    if (!range || !helper)
        return redrawIfChanged();
    std::shared_ptr<DOMNode> node = range->commonAncestorContainer();
    for (; node; node = node->parentNode()) {
        if (node->nodeType() != DOMNode::ELEMENT_NODE)
            continue;
        helper->getPathSegmentLabelsForElement(downcast<DOMElement>(*node),
                                               [this](const std::u16string& tag, const std::u16string& attributes) {
                                                   m_segments.push_back({ tag, attributes });
                                               });
    }
    std::reverse(m_segments.begin(), m_segments.end());
    redrawIfChanged();
}

} // namespace brevanton

#include "ui/VornickTokenFilterView.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "platform/views/CurrentEvent.h"
#include "platform/views/Event.h"
#include "platform/views/Font.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Menu.h"
#include "platform/views/SystemColors.h"
#include "platform/views/SystemFonts.h"

#include <algorithm>
#include <cmath>

namespace brevanton {

namespace {

// The platform's small control size.
constexpr double SmallSystemFontSize = 11;
// Room around a title inside its capsule, and between capsules.
constexpr double CapsuleHorizontalPadding = 18;
constexpr double CapsuleVerticalPadding = 4;
constexpr double CapsuleGap = 2;
constexpr double CapsuleCornerRadius = 9;
constexpr const char* ChooseTokenAction = "chooseToken:";

// Only these modifier keys count for a click on a token.
constexpr ModifierFlags RelevantModifiers = ModifierFlag::Shift | ModifierFlag::Control | ModifierFlag::Option | ModifierFlag::Command;

void removeObject(VornickTokenObjectSet& set, const VornickTokenObject& object)
{
    std::erase_if(set, [&](const VornickTokenObject& member) { return member == object; });
}

void insertObject(VornickTokenObjectSet& set, VornickTokenObject object)
{
    if (!vornick_containsTokenObject(set, object))
        set.push_back(std::move(object));
}

} // namespace

bool vornick_containsTokenObject(const VornickTokenObjectSet& set, const VornickTokenObject& object)
{
    return std::find(set.begin(), set.end(), object) != set.end();
}

VornickTokenFilterView::VornickTokenFilterView(Rect frame)
    : View(frame)
    , m_overflowMenuLabel(1, u'\u22EF')
    , m_backgroundColor(systemColor(SystemColor::WindowBackground))
{
    m_tokenTitles.reserve(16);
    m_tokenObjects.reserve(16);
    m_selectedObjects.reserve(16);
    // The handler belongs to the view, so it never outlives it.
    setActionHandler(ChooseTokenAction, [this](ActionSender* sender) {
        if (auto* item = dynamic_cast<MenuItem*>(sender))
            chooseToken(*item);
    });
}

VornickTokenFilterView::~VornickTokenFilterView() = default;

std::shared_ptr<const Font> VornickTokenFilterView::tokenFont()
{
    return systemFontOfSize(SmallSystemFontSize);
}

Size VornickTokenFilterView::measure(const std::u16string& text) const
{
    auto font = tokenFont();
    return Size { font->widthOfString(text), font->lineHeight() };
}

void VornickTokenFilterView::addToken(std::u16string title, VornickTokenObject representedObject)
{
    BREVANTON_ASSERT(!representedObject.isNull(), "Invalid parameter not satisfying: representedObject");
    m_tokenTitles.push_back(std::move(title));
    m_tokenObjects.push_back(std::move(representedObject));
    setTokensNeedLayout();
}

void VornickTokenFilterView::removeAllTokens()
{
    m_tokenTitles.clear();
    m_tokenObjects.clear();
    m_selectedObjects.clear();
    m_tokenCapsuleRects.clear();
    m_lastRectIsOverflow = false;
    setNeedsDisplay(true);
}

void VornickTokenFilterView::addSelectedObject(VornickTokenObject object)
{
    insertObject(m_selectedObjects, std::move(object));
    setNeedsDisplay(true);
}

void VornickTokenFilterView::clearSelection()
{
    m_selectedObjects.clear();
    setNeedsDisplay(true);
}

void VornickTokenFilterView::setWraps(bool wraps)
{
    if (wraps == m_wraps)
        return;
    m_wraps = wraps;
    setTokensNeedLayout();
}

void VornickTokenFilterView::setBackgroundColor(Color color)
{
    if (color == m_backgroundColor)
        return;
    m_backgroundColor = color;
    setNeedsDisplay(true);
}

const std::vector<Rect>& VornickTokenFilterView::tokenCapsuleRects()
{
    layoutTokensIfNeeded();
    return m_tokenCapsuleRects;
}

void VornickTokenFilterView::layoutTokensIfNeeded()
{
    if (m_tokenTitles.empty() || !m_tokenCapsuleRects.empty())
        return;
    m_lastRectIsOverflow = false;
    double x0 = bounds().minX();
    double width = bounds().width();

    Size overflow;
    if (!m_wraps) {
        Size label = measure(m_overflowMenuLabel);
        overflow = Size { label.width + CapsuleHorizontalPadding, label.height + CapsuleVerticalPadding };
    }
    double right = m_wraps ? x0 + width : x0 + width - std::ceil(overflow.width);

    double x = CapsuleGap;
    double y = CapsuleGap;
    for (const auto& title : m_tokenTitles) {
        Size text = measure(title);
        double w = std::ceil(text.width) + CapsuleHorizontalPadding;
        double h = text.height + CapsuleVerticalPadding;
        if (x + w + CapsuleGap > right) {
            if (m_wraps) {
                x = CapsuleGap;
                y += h + CapsuleGap;
            } else {
                m_lastRectIsOverflow = true;
                w = std::ceil(overflow.width);
                h = std::ceil(overflow.height);
            }
        }
        m_tokenCapsuleRects.push_back(Rect(x, y, w, h));
        if (m_lastRectIsOverflow)
            break;
        x += w + CapsuleGap;
    }

    double neededHeight = this->neededHeight();
    if (std::abs(neededHeight - frame().height()) > 0.9 && m_delegate)
        m_delegate->wantsNewHeight(*this, neededHeight);
}

double VornickTokenFilterView::neededHeight() const
{
    if (m_tokenTitles.empty() || m_tokenCapsuleRects.empty())
        return 5;
    return std::max(m_tokenCapsuleRects.back().maxY(), CapsuleGap) + 3;
}

long VornickTokenFilterView::tokenIndexFromPoint(Point point) const
{
    for (size_t i = 0; i < m_tokenCapsuleRects.size(); ++i) {
        if (m_tokenCapsuleRects[i].containsPoint(point))
            return static_cast<long>(i);
    }
    return -1;
}

bool VornickTokenFilterView::modifySelectionOfToken(const VornickTokenObject& object, ModifierFlags flags)
{
    const VornickTokenObject noFilter = noFilterSentinel();
    ModifierFlags modifiers = flags & RelevantModifiers;
    if (modifiers == 0) {
        m_selectedObjects = { object };
    } else if (modifiers == ModifierFlag::Command) {
        if (!vornick_containsTokenObject(m_selectedObjects, object)) {
            if (object.isSentinel())
                m_selectedObjects = { noFilter };
            else {
                insertObject(m_selectedObjects, object);
                removeObject(m_selectedObjects, noFilter);
                removeObject(m_selectedObjects, absenceOfTokensSentinel());
            }
        } else if (!object.isSentinel()) {
            removeObject(m_selectedObjects, object);
            if (m_selectedObjects.empty() && vornick_containsTokenObject(m_tokenObjects, noFilter))
                m_selectedObjects = { noFilter };
        }
    } else
        return false;
    setNeedsDisplay(true);
    if (m_delegate)
        m_delegate->selectionDidChange(*this, VornickTokenObjectSet(m_selectedObjects));
    return true;
}

void VornickTokenFilterView::mouseDown(const Event& event)
{
    Point point = convertPointFromView(event.locationInWindow(), nullptr);
    layoutTokensIfNeeded();
    long index = tokenIndexFromPoint(point);
    if (index < 0 || static_cast<size_t>(index) >= m_tokenObjects.size())
        return;
    if (m_lastRectIsOverflow && static_cast<size_t>(index) + 1 == m_tokenCapsuleRects.size()) {
        showOverflowContextMenu(event);
        return;
    }
    // The token's object is copied: the delegate may rebuild the tokens.
    VornickTokenObject object = m_tokenObjects[static_cast<size_t>(index)];
    modifySelectionOfToken(object, event.modifierFlags());
}

void VornickTokenFilterView::showOverflowContextMenu(const Event& event)
{
    if (m_tokenCapsuleRects.empty())
        return;
    size_t first = m_tokenCapsuleRects.size() - 1;
    if (first >= m_tokenObjects.size())
        return;
    if (!m_overflowContextMenu)
        m_overflowContextMenu = Menu::create();
    m_overflowContextMenu->removeAllItems();
    auto self = sharedAs<VornickTokenFilterView>();
    for (size_t i = first; i < m_tokenObjects.size(); ++i) {
        auto item = MenuItem::create(m_tokenTitles[i], ChooseTokenAction);
        item->setTag(static_cast<long>(i));
        item->setRepresentedObject(Value(m_tokenTitles[i]));
        item->setState(vornick_containsTokenObject(m_selectedObjects, m_tokenObjects[i]) ? OnState : OffState);
        item->setTarget(self);
        m_overflowContextMenu->addItem(item);
    }
    Menu::popUpContextMenu(m_overflowContextMenu, event, *this);
}

void VornickTokenFilterView::chooseToken(MenuItem& item)
{
    // The item's tag is its token's index; a token list rebuilt since the
    // menu was shown makes a stale item choose nothing.
    long index = item.tag();
    if (index < 0 || static_cast<size_t>(index) >= m_tokenObjects.size() || m_tokenTitles[static_cast<size_t>(index)] != item.title())
        return;
    const Event* event = currentApplicationEvent();
    VornickTokenObject object = m_tokenObjects[static_cast<size_t>(index)];
    modifySelectionOfToken(object, event ? event->modifierFlags() : 0);
}

void VornickTokenFilterView::resizeSubviewsWithOldSize(Size oldSize)
{
    View::resizeSubviewsWithOldSize(oldSize);
    if (frame().size == oldSize)
        return;
    setTokensNeedLayout();
    setNeedsDisplay(true);
}

void VornickTokenFilterView::drawLabel(GraphicsContext& context, const std::u16string& label, const Rect& box, const Color& color) const
{
    // A run in the token font, one position per UTF-16 unit and one for its end.
    auto font = tokenFont();
    std::vector<double> positions;
    positions.reserve(label.size() + 1);
    double x = box.minX();
    for (size_t i = 0; i < label.size(); ++i) {
        if (isLowSurrogate(label[i]) && i > 0 && isHighSurrogate(label[i - 1])) {
            positions.push_back(positions.back());
            continue;
        }
        positions.push_back(x);
        char32_t character = label[i];
        if (isHighSurrogate(label[i]) && i + 1 < label.size() && isLowSurrogate(label[i + 1]))
            character = 0x10000 + ((static_cast<char32_t>(label[i]) - 0xD800) << 10) + (static_cast<char32_t>(label[i + 1]) - 0xDC00);
        x += font->advanceForCharacter(character);
    }
    positions.push_back(x);
    context.drawTextRun(label, font->fontDescriptor(), Rect(box.minX(), box.minY(), box.width(), font->lineHeight()),
                        box.minY() + font->ascender(), positions, color);
}

void VornickTokenFilterView::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    context.fillRect(dirtyRect, m_backgroundColor);
    context.drawLine(Point { dirtyRect.minX(), dirtyRect.maxY() - 0.5 }, Point { dirtyRect.maxX(), dirtyRect.maxY() - 0.5 },
                     systemColor(SystemColor::Separator));
    if (m_tokenTitles.empty())
        return;
    layoutTokensIfNeeded();
    Color plainText = systemColor(SystemColor::Label);
    Color selectedText = systemColor(SystemColor::SelectedText);
    Color selectedFill = systemColor(SystemColor::SelectedTextBackground);
    for (size_t i = 0; i < m_tokenCapsuleRects.size() && i < m_tokenObjects.size(); ++i) {
        const Rect& rect = m_tokenCapsuleRects[i];
        if (!rect.intersects(dirtyRect))
            continue;
        bool isOverflow = m_lastRectIsOverflow && i + 1 == m_tokenCapsuleRects.size();
        bool selected = false;
        if (isOverflow) {
            for (size_t j = i; j < m_tokenObjects.size() && !selected; ++j)
                selected = vornick_containsTokenObject(m_selectedObjects, m_tokenObjects[j]);
        } else
            selected = vornick_containsTokenObject(m_selectedObjects, m_tokenObjects[i]);
        if (selected)
            context.fillRoundedRect(rect, CapsuleCornerRadius, selectedFill);
        drawLabel(context, isOverflow ? m_overflowMenuLabel : m_tokenTitles[i],
                  Rect(rect.minX() + 9, rect.minY() + 2, rect.width() - 9, rect.height() - 2), selected ? selectedText : plainText);
    }
}

} // namespace brevanton

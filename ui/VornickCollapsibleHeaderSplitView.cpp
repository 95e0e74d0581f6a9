#include "ui/VornickCollapsibleHeaderSplitView.h"

#include "platform/views/GraphicsContext.h"
#include "platform/views/Window.h"
#include "ui/VornickUITheme.h"

namespace brevanton {

void VornickSeamSealerView::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    auto window = this->window();
    auto fill = m_theme.splitViewDividerFillColorForWindow(window.get());
    Rect area = dirtyRect.isEmpty() ? bounds() : dirtyRect;
    if (fill.color)
        context.fillRect(area, *fill.color);
    else if (!fill.patternImageName.empty())
        context.drawImage(fill.patternImageName, area);
}

VornickCollapsibleHeaderSplitView::VornickCollapsibleHeaderSplitView(Rect frame)
    : SplitView(frame)
{
    setAllowsVibrancy(true);
}

VornickUITheme& VornickCollapsibleHeaderSplitView::theme() const
{
    return m_theme ? *m_theme : VornickUITheme::currentTheme();
}

void VornickCollapsibleHeaderSplitView::setTheme(VornickUITheme* theme)
{
    m_theme = theme;
    setNeedsDisplay(true);
}

void VornickCollapsibleHeaderSplitView::updateSeamSealerView()
{
    if (!theme().usesSeamSealerView())
        return;
    auto window = this->window();
    auto content = window ? window->contentView() : nullptr;
    auto frameView = content ? content->superview() : nullptr;
    if (!subviews().empty() && isSubviewCollapsed(*subviews().front())) {
        if (!frameView)
            return;
        Rect strip(bounds().minX(), bounds().minY() - 2.0, bounds().width(), 2.0);
        Rect rect = frameView->convertRectFromView(strip, this);
        if (!m_seamSealerView) {
            m_seamSealerView = std::make_shared<VornickSeamSealerView>(rect, theme());
            m_seamSealerView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::MinYMargin);
            frameView->addSubview(m_seamSealerView);
        } else if (m_seamSealerView->superview() != frameView) {
            frameView->addSubview(m_seamSealerView, WindowOrderingMode::Above, nullptr);
        }
        m_seamSealerView->setHidden(false);
        return;
    }
    if (m_seamSealerView)
        m_seamSealerView->setHidden(true);
}

void VornickCollapsibleHeaderSplitView::viewDidMoveToWindow()
{
    SplitView::viewDidMoveToWindow();
    updateSeamSealerView();
}

void VornickCollapsibleHeaderSplitView::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    updateSeamSealerView();
    SplitView::draw(dirtyRect, context);
}

void VornickCollapsibleHeaderSplitView::drawDividerInRect(const Rect& rect, GraphicsContext& context)
{
    auto& theme = this->theme();
    if (theme.drawDividerInRect(rect, *this, context))
        return;
    SplitView::drawDividerInRect(rect, context);
    theme.drawOverDividerInRect(rect, *this, context);
}

} // namespace brevanton

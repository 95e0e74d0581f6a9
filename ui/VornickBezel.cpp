#include "ui/VornickBezel.h"

#include "platform/views/GraphicsContext.h"
#include "platform/views/SystemFonts.h"
#include "platform/views/TextField.h"
#include "platform/views/TextLayout.h"
#include "platform/views/Window.h"

#include <cmath>

namespace brevanton {

void VornickBezelContentView::draw(const Rect&, GraphicsContext& context)
{
    context.fillRoundedRect(bounds(), CornerRadius, backdropColor());
}

std::shared_ptr<VornickBezel> VornickBezel::sharedContentEditingViewBezel()
{
    static auto* bezel = new std::shared_ptr<VornickBezel>(std::make_shared<VornickBezel>());
    return *bezel;
}

VornickBezel::VornickBezel()
{
    m_textShadow.offset = { 2, -2 };
    m_textShadow.blurRadius = 2;
}

std::shared_ptr<Window> VornickBezel::loadWindow()
{
    // The layout: a borderless window whose content view holds a centred
    // one-line label with margins of 20 points at the sides and 12 above and below.
    auto window = std::make_shared<Window>(Rect(0, 0, 200, 46));
    auto content = std::make_shared<VornickBezelContentView>(Rect(0, 0, 200, 46));
    window->setContentView(content);
    m_messageTextField = std::make_shared<TextField>(Rect(20, 12, 160, 22));
    m_messageTextField->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    content->addSubview(m_messageTextField);
    // Clicks go through to the editor below.
    window->setOpaque(false);
    window->setBackgroundColor(Color::genericGamma22White(0, 0));
    window->setIgnoresMouseEvents(true);
    return window;
}

void VornickBezel::showMessage(const std::u16string& message, const View& view)
{
    auto window = this->window();
    auto textAttributes = std::make_shared<TextAttributeDictionary>();
    (*textAttributes)[FontAttributeName] = systemFontOfSize(FontSize);
    (*textAttributes)[ForegroundColorAttributeName] = Color::white();
    (*textAttributes)[ShadowAttributeName] = m_textShadow;
    AttributedString text(message, textAttributes);
    m_messageTextField->setAttributedStringValue(text);

    Size natural = sizeOfAttributedString(text);
    auto content = window->contentView();
    double width = std::ceil(natural.width + 10) + (content->frame().width() - m_messageTextField->frame().width());
    double height = std::ceil(natural.height) + (content->frame().height() - m_messageTextField->frame().height());
    Rect over = view.convertRectToScreen(view.bounds());
    Rect frame(over.minX() + (over.width() - width) * 0.5, over.minY() + (over.height() - height) * 0.5, width, height);
    window->setFrame(frame);
    window->displayIfNeeded();

    stopFadeAnimation();
    window->orderFront();
    scheduleFadeOut();
}

} // namespace brevanton

#include "ui/VornickMomentaryTip.h"

#include "platform/views/SystemFonts.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"
#include "views/VornickHelpExtensions.h"

#include <cmath>

namespace brevanton {

static std::shared_ptr<VornickMomentaryTip> makeSharedTip()
{
    return std::make_shared<VornickMomentaryTip>();
}

std::shared_ptr<VornickMomentaryTip> VornickMomentaryTip::sharedCompletionTip()
{
    static auto* tip = new std::shared_ptr<VornickMomentaryTip>(makeSharedTip());
    return *tip;
}

std::shared_ptr<VornickMomentaryTip> VornickMomentaryTip::sharedValidationTip()
{
    static auto* tip = new std::shared_ptr<VornickMomentaryTip>(makeSharedTip());
    return *tip;
}

std::shared_ptr<VornickMomentaryTip> VornickMomentaryTip::sharedSnippetShorthandTip()
{
    static auto* tip = new std::shared_ptr<VornickMomentaryTip>(makeSharedTip());
    return *tip;
}

Color VornickMomentaryTip::momentaryTipBackgroundColor()
{
    return Color::sRGB(1.0, 1.0, 0.78, 0.95);
}

std::shared_ptr<Window> VornickMomentaryTip::loadWindow()
{
    // The layout: a borderless window whose content view holds a wrapping
    // label with margins of 6 points on every side.
    auto window = std::make_shared<Window>(Rect(0, 0, 250, 40));
    auto content = std::make_shared<VornickMomentaryTipContentView>(Rect(0, 0, 250, 40));
    window->setContentView(content);
    m_messageTextField = std::make_shared<TextField>(Rect(6, 6, 238, 28));
    content->addSubview(m_messageTextField);

    window->setOpaque(false);
    window->setBackgroundColor(backgroundColor());
    if (m_messageTextField && !m_messageTextView) {
        // A text view shows the message, so that the link can be clicked.
        m_messageTextView = std::make_shared<TextView>(m_messageTextField->frame());
        m_messageTextView->setHorizontallyResizable(false);
        m_messageTextView->setVerticallyResizable(true);
        m_messageTextView->setDrawsBackground(false);
        m_messageTextView->setEditable(false);
        m_messageTextView->setDelegate(std::static_pointer_cast<VornickMomentaryTip>(shared_from_this()));
        auto superview = m_messageTextField->superview();
        superview->addSubview(m_messageTextView);
        m_messageTextField->removeFromSuperview();
        m_messageTextField = nullptr;
    }
    return window;
}

void VornickMomentaryTip::showMessage(const std::u16string& message, const std::optional<std::u16string>& helpAnchor,
                                      const Rect& belowRect, const View& view)
{
    auto window = this->window();
    auto plain = std::make_shared<TextAttributeDictionary>();
    (*plain)[FontAttributeName] = toolTipsFontOfSize(0);
    (*plain)[ForegroundColorAttributeName] = Color::black();
    AttributedString text(message, plain);
    if (helpAnchor) {
        auto linked = std::make_shared<TextAttributeDictionary>(*plain);
        (*linked)[LinkAttributeName] = *helpAnchor;
        text.appendString(LearnMoreText, linked);
    }
    m_messageTextView->beginEditing();
    m_messageTextView->mutableTextStorage() = std::move(text);
    m_messageTextView->endEditing();

    Point origin = m_messageTextView->frame().origin;
    m_messageTextView->sizeToFit();
    m_messageTextView->setFrameOrigin(origin);

    // The horizontal margin serves for the height too: once the text view
    // has resized, the content view's height no longer tells the vertical one.
    auto content = window->contentView();
    double margin = content->frame().width() - m_messageTextView->frame().width();
    double width = std::ceil(m_messageTextView->frame().width()) + margin;
    double height = std::ceil(m_messageTextView->frame().height()) + margin;
    Rect under = view.convertRectToScreen(belowRect);
    window->setFrame(Rect(under.minX() + (under.width() - width) * 0.5, under.minY() - height, width, height));
    window->displayIfNeeded();
    stopFadeAnimation();
    window->orderFront();
    if (auto parent = view.window())
        parent->addChildWindow(window, WindowOrderingMode::Above);
}

bool VornickMomentaryTip::clickedOnLink(TextView&, const std::any& link, size_t)
{
    if (auto anchor = std::any_cast<std::u16string>(&link); anchor && !anchor->empty())
        vornick_openHelpAnchor(*anchor);
    return true;
}

} // namespace brevanton

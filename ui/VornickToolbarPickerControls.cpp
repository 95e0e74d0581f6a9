#include "ui/VornickToolbarPickerControls.h"

#include "platform/foundation/AttributedString.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Image.h"
#include "platform/views/SystemColors.h"
#include "platform/views/SystemFonts.h"
#include "platform/views/Window.h"
#include "ui/VornickUITheme.h"

#include <optional>

namespace brevanton {

namespace {

std::optional<bool>& customBezelAnswer()
{
    static std::optional<bool> answer;
    return answer;
}

constexpr double bezelRadius = 5;

} // namespace

void VornickDrawStandardControlBezel(GraphicsContext& context, const Rect& frame, bool enabled)
{
    Rect bezel = frame.insetBy(0.5, 0.5);
    context.fillRoundedRect(bezel, bezelRadius, enabled ? Color::white() : Color::genericGamma22White(0.96));
    context.strokeRoundedRect(bezel, bezelRadius, Color::genericGamma22White(enabled ? 0.7 : 0.82), 1);
}

// VornickToolbarPickerPopUpButton

VornickToolbarPickerPopUpButton::VornickToolbarPickerPopUpButton(Rect frame)
    : PopUpButton(frame)
{
}

bool VornickToolbarPickerPopUpButton::drawsCustomBezel()
{
    auto& answer = customBezelAnswer();
    if (!answer)
        answer = VornickUITheme::currentTheme().pickersUseCustomPopUpButtonDrawing();
    return *answer;
}

void VornickToolbarPickerPopUpButton::setDrawsCustomBezelForTesting(bool draws)
{
    customBezelAnswer() = draws;
}

void VornickToolbarPickerPopUpButton::draw(const Rect&, GraphicsContext& context)
{
    Rect frame = bounds();
    if (drawsCustomBezel()) {
        // The right end goes under the edit button.
        context.beginClip(Rect(frame.minX(), frame.minY(), frame.width() - 2, frame.height()));
        VornickDrawStandardControlBezel(context, frame, isEnabled());
        context.endClip();
    } else {
        VornickDrawStandardControlBezel(context, frame, isEnabled());
    }
    Color text = isEnabled() ? systemColor(SystemColor::ControlText) : systemColor(SystemColor::DisabledControlText);
    context.drawText(title(), Rect(frame.minX() + 8, frame.minY() + 4, frame.width() - 26, frame.height() - 8), text);
    // The arrows.
    double x = frame.maxX() - 14;
    double y = frame.midY();
    context.drawLine(Point { x, y - 2 }, Point { x + 3, y - 5 }, text);
    context.drawLine(Point { x + 3, y - 5 }, Point { x + 6, y - 2 }, text);
    context.drawLine(Point { x, y + 2 }, Point { x + 3, y + 5 }, text);
    context.drawLine(Point { x + 3, y + 5 }, Point { x + 6, y + 2 }, text);
}

// VornickToolbarPickerEditButton

VornickToolbarPickerEditButton::VornickToolbarPickerEditButton(Rect frame)
    : Button(frame)
{
}

void VornickToolbarPickerEditButton::setImage(std::shared_ptr<Image> image)
{
    m_image = std::move(image);
    setNeedsDisplay(true);
}

void VornickToolbarPickerEditButton::setVornickImageBaselineOffset(double offset)
{
    m_imageBaselineOffset = offset;
    setNeedsDisplay(true);
}

void VornickToolbarPickerEditButton::draw(const Rect&, GraphicsContext& context)
{
    Rect frame = bounds();
    // The left end goes under the pop-up button.
    context.beginClip(Rect(frame.minX() + 4, frame.minY(), frame.width() - 4, frame.height()));
    VornickDrawStandardControlBezel(context, frame, isEnabled());
    context.endClip();
    if (m_image)
        context.drawImage(std::shared_ptr<const Image>(m_image), Rect(frame.minX() + 2, frame.minY() + m_imageBaselineOffset, frame.width(), frame.height()),
                          CompositingOperation::SourceOver, isEnabled() ? 1.0 : 0.4);
}

// VornickToolbarImageButton

VornickToolbarImageButton::VornickToolbarImageButton(Rect frame, std::u16string title)
    : Button(frame, std::move(title))
{
}

void VornickToolbarImageButton::setImage(std::shared_ptr<Image> image)
{
    m_image = std::move(image);
    setNeedsDisplay(true);
}

void VornickToolbarImageButton::mouseDown(const Event& event)
{
    if (m_sendsActionOnMouseDown) {
        if (isEnabled())
            performClick();
        return;
    }
    Button::mouseDown(event);
}

void VornickToolbarImageButton::mouseUp(const Event& event)
{
    if (!m_sendsActionOnMouseDown)
        Button::mouseUp(event);
}

void VornickToolbarImageButton::draw(const Rect&, GraphicsContext& context)
{
    Rect frame = bounds();
    VornickDrawStandardControlBezel(context, frame, isEnabled());
    if (state() == OnState)
        context.fillRoundedRect(frame.insetBy(1.5, 1.5), bezelRadius - 1, Color::genericGamma22White(0, 0.12));
    if (m_image) {
        Size size = m_image->size();
        Rect picture(frame.midX() - size.width / 2, frame.midY() - size.height / 2, size.width, size.height);
        context.drawImage(std::shared_ptr<const Image>(m_image), picture, CompositingOperation::SourceOver, isEnabled() ? 1.0 : 0.4);
        return;
    }
    Color text = isEnabled() ? systemColor(SystemColor::ControlText) : systemColor(SystemColor::DisabledControlText);
    context.drawText(title(), frame.insetBy(6, 4), text);
}

// VornickTextMagnificationSegmentedControl

VornickTextMagnificationSegmentedControl::VornickTextMagnificationSegmentedControl(Rect frame)
    : SegmentedControl(frame)
{
    setSegmentCount(3);
    setLabel(u"A", 0);
    setLabel(u"0", 1);
    setLabel(u"A", 2);
}

void VornickTextMagnificationSegmentedControl::controlWasClicked(Point point)
{
    SegmentedControl::controlWasClicked(point);
    static const char* const actions[3] = { "makeTextSmaller:", "makeTextStandardSize:", "makeTextLarger:" };
    long segment = selectedSegment();
    if (segment >= 0 && segment < 3)
        setAction(actions[segment]);
}

void VornickTextMagnificationSegmentedControl::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    struct Label {
        const char16_t* text;
        std::shared_ptr<const Font> font;
    };
    // Made once per process.
    static const Label labels[3] = {
        { u"A", boldSystemFontOfSize(13) },
        { u"0", systemFontOfSize(15) },
        { u"A", boldSystemFontOfSize(17) },
    };
    if (segmentCount() != 3) {
        SegmentedControl::draw(dirtyRect, context);
        return;
    }
    auto window = this->window();
    bool main = window && window->isMainWindow();
    Color colour = main ? Color::genericGamma22White(0.25) : systemColor(SystemColor::DisabledControlText);
    double width = bounds().width() / 3;
    for (long segment = 0; segment < 3; ++segment) {
        Rect frame(bounds().minX() + segment * width, bounds().minY(), width, bounds().height());
        VornickDrawStandardControlBezel(context, frame, isEnabled());
        const Label& label = labels[segment];
        double height = label.font->lineHeight();
        double y = frame.minY() + frame.height() - height - (segment == 0 ? 1 : 0);
        double textWidth = label.font->widthOfString(label.text);
        Rect run(frame.midX() - textWidth / 2, y, textWidth, height);
        context.drawTextRun(label.text, label.font->fontDescriptor(), run, y + label.font->ascender(), { run.minX() }, colour);
    }
}

} // namespace brevanton

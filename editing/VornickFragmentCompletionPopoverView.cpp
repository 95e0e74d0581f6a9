#include "editing/VornickFragmentCompletionPopoverView.h"

#include "editing/VornickContentEditingView.h"
#include "editing/VornickFragmentCompletionUIController.h"
#include "platform/views/Event.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/SystemColors.h"

namespace brevanton {

namespace {

constexpr double textInset = 8;
// The fine print takes at most this share of a row, right-aligned.
constexpr double finePrintShare = 0.45;

} // namespace

VornickFragmentCompletionPopoverView::VornickFragmentCompletionPopoverView(const std::shared_ptr<VornickFragmentCompletionUIController>& controller)
    : View(Rect(0, 0, width, heightForRows(0)))
    , m_controller(controller)
{
}

double VornickFragmentCompletionPopoverView::heightForRows(size_t rows)
{
    return searchLineHeight + rowHeight * static_cast<double>(rows) + 2;
}

Rect VornickFragmentCompletionPopoverView::rectOfShownRow(size_t shown, double width)
{
    return Rect(0, searchLineHeight + static_cast<double>(shown) * rowHeight, width, rowHeight);
}

std::optional<size_t> VornickFragmentCompletionPopoverView::rowAtPoint(Point point) const
{
    auto controller = m_controller.lock();
    if (!controller || point.y < searchLineHeight || point.x < 0 || point.x >= bounds().width())
        return std::nullopt;
    auto shown = static_cast<size_t>((point.y - searchLineHeight) / rowHeight);
    if (shown >= controller->numberOfVisibleRows())
        return std::nullopt;
    return controller->firstShownRow() + shown;
}

void VornickFragmentCompletionPopoverView::draw(const Rect&, GraphicsContext& context)
{
    context.fillRect(bounds(), systemColor(SystemColor::TextBackground));
    context.strokeRect(bounds(), systemColor(SystemColor::Separator));
    auto controller = m_controller.lock();
    if (!controller)
        return;
    // The search line: what has been typed after "<".
    Rect search(0, 0, bounds().width(), searchLineHeight);
    context.drawText(u"<" + controller->searchString(), search.insetBy(textInset, 4), systemColor(SystemColor::Text));
    context.fillRect(Rect(0, searchLineHeight - 1, bounds().width(), 1), systemColor(SystemColor::Separator));

    size_t rows = controller->numberOfVisibleRows();
    for (size_t shown = 0; shown < rows; ++shown) {
        size_t row = controller->firstShownRow() + shown;
        Rect rect = rectOfShownRow(shown, bounds().width());
        bool highlighted = row == controller->highlightedRow();
        if (highlighted)
            context.fillRect(rect, systemColor(SystemColor::SelectedTextBackground));
        auto description = controller->descriptionForRow(row);
        Color descriptionColor = highlighted ? systemColor(SystemColor::SelectedText)
            : description.inDisabledControlTextColor ? systemColor(SystemColor::DisabledControlText)
                                                     : systemColor(SystemColor::ControlText);
        Rect text = rect.insetBy(textInset, 2);
        double finePrintWidth = text.width() * finePrintShare;
        context.drawText(description.string, Rect(text.minX(), text.minY(), text.width() - finePrintWidth, text.height()), descriptionColor);
        auto finePrint = controller->finePrintForRow(row);
        if (!finePrint.empty())
            context.drawText(finePrint, Rect(text.maxX() - finePrintWidth, text.minY(), finePrintWidth, text.height()),
                             highlighted ? systemColor(SystemColor::SelectedText) : systemColor(SystemColor::SecondaryLabel));
    }
}

void VornickFragmentCompletionPopoverView::mouseDown(const Event& event)
{
    auto controller = m_controller.lock();
    if (!controller)
        return;
    if (auto row = rowAtPoint(convertPointFromView(event.locationInWindow(), nullptr)))
        controller->chooseMatchAtIndex(*row);
}

void VornickFragmentCompletionPopoverView::keyDown(const Event& event)
{
    auto controller = m_controller.lock();
    if (!controller || !controller->handleKeyDown(event))
        View::keyDown(event);
}

} // namespace brevanton

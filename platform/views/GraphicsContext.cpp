#include "platform/views/GraphicsContext.h"

#include "platform/views/View.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace brevanton {

void GraphicsContext::record(DrawCommand&& command)
{
    command.view = m_currentView;
    if (m_currentView) {
        const Rect& rect = command.rect;
        const Point& origin = m_currentViewOriginInWindow;
        double sign = m_currentViewTurnedInWindow ? -1 : 1;
        command.rectInWindow = rectFromPoints({ origin.x + rect.minX(), origin.y + sign * rect.minY() },
                                              { origin.x + rect.maxX(), origin.y + sign * rect.maxY() });
    } else
        command.rectInWindow = command.rect;
    m_commands.push_back(std::move(command));
}

namespace {
DrawCommand makeCommand(DrawCommand::Kind kind, const Rect& rect, const Color& color)
{
    DrawCommand command;
    command.kind = kind;
    command.rect = rect;
    command.color = color;
    return command;
}
} // namespace

void GraphicsContext::fillRect(const Rect& rect, const Color& color, CompositingOperation operation)
{
    auto command = makeCommand(DrawCommand::Kind::FillRect, rect, color);
    command.operation = operation;
    record(std::move(command));
}

void GraphicsContext::strokeRect(const Rect& rect, const Color& color, double lineWidth)
{
    auto command = makeCommand(DrawCommand::Kind::StrokeRect, rect, color);
    command.lineWidth = lineWidth;
    record(std::move(command));
}

void GraphicsContext::drawControl(ControlDrawing control, std::u16string title, const Rect& rect,
                                  const std::function<void()>& drawPlain)
{
    auto command = makeCommand(DrawCommand::Kind::Control, rect, {});
    command.text = std::move(title);
    control.plainCommands = 0;
    command.control = std::move(control);
    record(std::move(command));
    size_t index = m_commands.size() - 1;
    if (drawPlain)
        drawPlain();
    m_commands[index].control->plainCommands = m_commands.size() - index - 1;
}

void GraphicsContext::drawLine(Point from, Point to, const Color& color, double lineWidth)
{
    auto command = makeCommand(DrawCommand::Kind::Line, rectFromPoints(from, to), color);
    command.lineWidth = lineWidth;
    // The rectangle loses which corner each end is at; the path keeps them.
    BezierPath ends;
    ends.moveToPoint(from);
    ends.lineToPoint(to);
    ends.setLineWidth(lineWidth);
    command.path = std::move(ends);
    record(std::move(command));
}

void GraphicsContext::drawText(std::u16string text, const Rect& rect, const Color& color)
{
    auto command = makeCommand(DrawCommand::Kind::Text, rect, color);
    command.text = std::move(text);
    record(std::move(command));
}

void GraphicsContext::drawImage(std::u16string name, const Rect& rect, CompositingOperation operation, double fraction)
{
    auto command = makeCommand(DrawCommand::Kind::Image, rect, {});
    command.text = std::move(name);
    command.operation = operation;
    command.fraction = fraction;
    record(std::move(command));
}

void GraphicsContext::drawImage(const std::shared_ptr<const Image>& image, const Rect& rect,
                                CompositingOperation operation, double fraction, double rotation)
{
    auto command = makeCommand(DrawCommand::Kind::Image, rect, {});
    command.image = image;
    command.angle = rotation;
    command.operation = operation;
    command.fraction = fraction;
    record(std::move(command));
}

void GraphicsContext::fillPath(const BezierPath& path, const Color& color, CompositingOperation operation)
{
    auto command = makeCommand(DrawCommand::Kind::FillPath, path.bounds(), color);
    command.operation = operation;
    command.path = path;
    record(std::move(command));
}

void GraphicsContext::strokePath(const BezierPath& path, const Color& color)
{
    auto command = makeCommand(DrawCommand::Kind::StrokePath, path.bounds(), color);
    command.lineWidth = path.lineWidth();
    command.path = path;
    record(std::move(command));
}

void GraphicsContext::drawGradient(const Gradient& gradient, const Rect& rect, double angle)
{
    auto command = makeCommand(DrawCommand::Kind::Gradient, rect, gradient.startingColor());
    command.gradient = gradient;
    command.angle = angle;
    record(std::move(command));
}

void GraphicsContext::drawTextRun(std::u16string text, const FontDescriptor& font, const Rect& rect, double baseline,
                                  const std::vector<double>& positions, const Color& color)
{
    auto command = makeCommand(DrawCommand::Kind::TextRun, rect, color);
    command.text = std::move(text);
    command.font = font;
    bool flipped = !m_currentView || m_currentView->isFlipped();
    command.baselineOffset = flipped ? baseline - rect.minY() : rect.maxY() - baseline;
    command.glyphPositions.reserve(positions.size());
    for (double x : positions)
        command.glyphPositions.push_back(x - rect.minX());
    record(std::move(command));
}

void GraphicsContext::drawImageFile(std::string path, const Rect& rect, double fraction)
{
    auto command = makeCommand(DrawCommand::Kind::ImageFile, rect, {});
    command.imagePath = std::move(path);
    command.fraction = fraction;
    record(std::move(command));
}

void GraphicsContext::drawImageFileAtPixelSize(std::string path, const Rect& rect, Size pixelSize, double fraction)
{
    auto command = makeCommand(DrawCommand::Kind::ImageFile, rect, {});
    command.imagePath = std::move(path);
    command.fraction = fraction;
    command.wantedPixelSize = Size { std::max(1.0, std::ceil(pixelSize.width)), std::max(1.0, std::ceil(pixelSize.height)) };
    record(std::move(command));
}

void GraphicsContext::drawTiledImageFile(std::string path, const Rect& rect, const Rect& tile)
{
    auto command = makeCommand(DrawCommand::Kind::ImageFile, rect, {});
    command.imagePath = std::move(path);
    command.tile = tile;
    record(std::move(command));
}

void GraphicsContext::fillRoundedRect(const Rect& rect, double radius, const Color& color)
{
    auto command = makeCommand(DrawCommand::Kind::FillRoundedRect, rect, color);
    command.cornerRadius = std::max(0.0, std::min(radius, std::min(rect.width(), rect.height()) / 2));
    record(std::move(command));
}

void GraphicsContext::strokeRoundedRect(const Rect& rect, double radius, const Color& color, double lineWidth)
{
    auto command = makeCommand(DrawCommand::Kind::StrokeRoundedRect, rect, color);
    command.cornerRadius = std::max(0.0, std::min(radius, std::min(rect.width(), rect.height()) / 2));
    command.lineWidth = lineWidth;
    record(std::move(command));
}

void GraphicsContext::beginClip(const Rect& rect)
{
    record(makeCommand(DrawCommand::Kind::BeginClip, rect, {}));
}

void GraphicsContext::endClip()
{
    record(makeCommand(DrawCommand::Kind::EndClip, {}, {}));
}

void GraphicsContext::fadeCommands(size_t firstCommand, double opacity)
{
    opacity = std::clamp(opacity, 0.0, 1.0);
    for (size_t i = firstCommand; i < m_commands.size(); ++i) {
        auto& command = m_commands[i];
        command.color = command.color.withAlphaComponent(command.color.alphaComponent() * opacity);
        command.fraction *= opacity;
    }
}

std::vector<DrawCommand> GraphicsContext::commandsOfView(const View* view) const
{
    std::vector<DrawCommand> result;
    for (auto& command : m_commands) {
        if (command.view == view)
            result.push_back(command);
    }
    return result;
}

std::vector<DrawCommand> GraphicsContext::takeCommands()
{
    return std::exchange(m_commands, {});
}

void GraphicsContext::clear()
{
    m_commands.clear();
    m_drawnViews.clear();
}

void GraphicsContext::beginView(const View* view)
{
    m_currentView = view;
    m_drawnViews.push_back(view);
    // Mapped once for all the view draws, rather than up its superviews for each command.
    if (view) {
        m_currentViewOriginInWindow = view->convertPointToView({ 0, 0 }, nullptr);
        m_currentViewTurnedInWindow = view->convertPointToView({ 0, 1 }, nullptr).y < m_currentViewOriginInWindow.y;
    }
}

void GraphicsContext::endView()
{
    m_currentView = nullptr;
}

} // namespace brevanton

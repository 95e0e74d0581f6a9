#include "platform/views/GraphicsContext.h"

#include "platform/views/View.h"

namespace brevanton {

void GraphicsContext::record(DrawCommand command)
{
    command.view = m_currentView;
    command.rectInWindow = m_currentView ? m_currentView->convertRectToView(command.rect, nullptr) : command.rect;
    m_commands.push_back(std::move(command));
}

void GraphicsContext::fillRect(const Rect& rect, const Color& color)
{
    record({ DrawCommand::Kind::FillRect, nullptr, rect, {}, color, 0, {} });
}

void GraphicsContext::strokeRect(const Rect& rect, const Color& color, double lineWidth)
{
    record({ DrawCommand::Kind::StrokeRect, nullptr, rect, {}, color, lineWidth, {} });
}

void GraphicsContext::drawLine(Point from, Point to, const Color& color, double lineWidth)
{
    record({ DrawCommand::Kind::Line, nullptr, rectFromPoints(from, to), {}, color, lineWidth, {} });
}

void GraphicsContext::drawText(std::u16string text, const Rect& rect, const Color& color)
{
    record({ DrawCommand::Kind::Text, nullptr, rect, {}, color, 0, std::move(text) });
}

void GraphicsContext::drawImage(std::u16string name, const Rect& rect)
{
    record({ DrawCommand::Kind::Image, nullptr, rect, {}, {}, 0, std::move(name) });
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

void GraphicsContext::clear()
{
    m_commands.clear();
    m_drawnViews.clear();
}

void GraphicsContext::beginView(const View* view)
{
    m_currentView = view;
    m_drawnViews.push_back(view);
}

void GraphicsContext::endView()
{
    m_currentView = nullptr;
}

} // namespace brevanton

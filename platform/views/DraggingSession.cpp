#include "platform/views/DraggingSession.h"

#include "platform/foundation/Assertions.h"
#include "platform/views/Application.h"
#include "platform/views/Event.h"
#include "platform/views/Image.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"
#include "platform/views/WindowServerConnection.h"

namespace brevanton {

namespace {
std::shared_ptr<DraggingSession>& runningSession()
{
    static std::shared_ptr<DraggingSession> session;
    return session;
}
} // namespace

bool dragHasPassedThreshold(Point mouseDown, Point current)
{
    double dx = current.x - mouseDown.x;
    double dy = current.y - mouseDown.y;
    return dx * dx + dy * dy > DragThreshold * DragThreshold;
}

void DraggingItem::setDraggingFrame(Rect frame, std::shared_ptr<Image> image)
{
    m_draggingFrame = frame;
    m_image = std::move(image);
}

DraggingSession::DraggingSession(std::vector<DraggingItem> items, const std::shared_ptr<View>& sourceView,
                                 const std::shared_ptr<DraggingSource>& source, Point startingLocation)
    : m_items(std::move(items))
    , m_sourceView(sourceView)
    , m_source(source)
    , m_startingLocation(startingLocation)
    , m_location(startingLocation)
{
}

std::shared_ptr<DraggingSession> DraggingSession::currentSession()
{
    return runningSession();
}

std::shared_ptr<Pasteboard> DraggingSession::draggingPasteboard() const
{
    return Pasteboard::pasteboardWithName(PasteboardNameDrag);
}

DragOperation DraggingSession::sourceOperationMaskAtPoint(Point point)
{
    auto source = m_source.lock();
    if (!source)
        return DragOperations::None;
    auto context = Application::shared().windowAtPoint(point) ? DraggingContext::WithinApplication
                                                              : DraggingContext::OutsideApplication;
    return source->sourceOperationMaskForDraggingContext(*this, context);
}

void DraggingSession::moveToPoint(Point point)
{
    if (!m_running)
        return;
    m_location = point;
    if (auto source = m_source.lock())
        source->draggingSessionMovedToPoint(*this, point);
}

void DraggingSession::endWithOperation(DragOperation operation, Point point)
{
    if (!m_running)
        return;
    DragOperation allowed = operation & sourceOperationMaskAtPoint(point);
    // A destination answers one operation; of several, the first the source allows.
    DragOperation performed = DragOperations::None;
    for (DragOperation bit = 1; bit && allowed; bit <<= 1) {
        if (allowed & bit) {
            performed = bit;
            break;
        }
    }
    end(performed, point);
}

void DraggingSession::cancel()
{
    if (m_running)
        end(DragOperations::None, m_location);
}

void DraggingSession::end(DragOperation operation, Point point)
{
    auto protect = shared_from_this();
    m_running = false;
    m_location = point;
    m_endedOperation = operation;
    m_slidBack = operation == DragOperations::None && m_animatesBack;
    if (runningSession().get() == this)
        runningSession() = nullptr;
    if (auto source = m_source.lock())
        source->draggingSessionEndedAtPoint(*this, point, operation);
}

std::shared_ptr<DraggingSession> View::beginDraggingSession(std::vector<DraggingItem> items, const Event& event,
                                                            const std::shared_ptr<DraggingSource>& source)
{
    BREVANTON_ASSERT(!items.empty(), "a drag needs items");
    if (auto running = DraggingSession::currentSession())
        running->cancel();
    auto window = event.window() ? event.window() : this->window();
    Point start = window ? window->convertPointToScreen(event.locationInWindow()) : event.locationInWindow();
    auto pasteboard = Pasteboard::pasteboardWithName(PasteboardNameDrag);
    pasteboard->clearContents();
    std::vector<PasteboardItem> pasteboardItems;
    for (auto& item : items) {
        if (!item.item().isEmpty())
            pasteboardItems.push_back(item.item());
    }
    if (!pasteboardItems.empty() && !pasteboard->writeObjects(pasteboardItems))
        BREVANTON_ASSERT(false, "the drag pasteboard refused the items");
    auto session = std::make_shared<DraggingSession>(std::move(items),
        std::static_pointer_cast<View>(shared_from_this()), source, start);
    runningSession() = session;
    if (source)
        source->draggingSessionWillBegin(*session, start);
    if (auto* connection = WindowServerConnection::current())
        connection->draggingSessionDidBegin(*session);
    return session;
}

} // namespace brevanton

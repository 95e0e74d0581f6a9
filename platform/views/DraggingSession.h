// Dragging from a view: the items dragged (each a pasteboard item with the
// frame and image it is shown with), the session that carries them, and the
// source that says which operations it allows. The headless view layer
// moves no images: a session records what was dragged and how it ended, and
// the scripted event source (or a test) moves, drops or cancels it.
#pragma once

#include "platform/views/Geometry.h"
#include "platform/views/Pasteboard.h"

#include <memory>
#include <vector>

namespace brevanton {

class DraggingSession;
class Event;
class Image;
class View;

using DragOperation = unsigned;
namespace DragOperations {
constexpr DragOperation None = 0;
constexpr DragOperation Copy = 1;
constexpr DragOperation Link = 2;
constexpr DragOperation Generic = 4;
constexpr DragOperation Private = 8;
constexpr DragOperation Move = 16;
constexpr DragOperation Delete = 32;
constexpr DragOperation Every = ~0u;
} // namespace DragOperations

enum class DraggingContext { OutsideApplication = 0, WithinApplication = 1 };
enum class DraggingFormation { Default = 0, None = 1, Pile = 2, List = 3, Stack = 4 };

// How far the pointer must move from where the mouse went down before a
// press becomes a drag, in points.
inline constexpr double DragThreshold = 8;
// Whether the pointer has moved more than the threshold (the squared
// distance is above 64).
bool dragHasPassedThreshold(Point mouseDown, Point current);

class DraggingItem {
public:
    explicit DraggingItem(PasteboardItem item) : m_item(std::move(item)) {}

    const PasteboardItem& item() const { return m_item; }
    // In the source view's coordinates.
    Rect draggingFrame() const { return m_draggingFrame; }
    // The image shown; its size is the image size the drag shows.
    const std::shared_ptr<Image>& image() const { return m_image; }
    void setDraggingFrame(Rect frame, std::shared_ptr<Image> image);

private:
    PasteboardItem m_item;
    Rect m_draggingFrame;
    std::shared_ptr<Image> m_image;
};

// Optional operations have default implementations.
class DraggingSource {
public:
    virtual ~DraggingSource() = default;
    virtual DragOperation sourceOperationMaskForDraggingContext(DraggingSession&, DraggingContext) = 0;
    virtual void draggingSessionWillBegin(DraggingSession&, Point) {}
    virtual void draggingSessionMovedToPoint(DraggingSession&, Point) {}
    // The operation performed: none for a cancelled or refused drop.
    virtual void draggingSessionEndedAtPoint(DraggingSession&, Point, DragOperation) {}
};

class DraggingSession : public std::enable_shared_from_this<DraggingSession> {
public:
    // Made by View::beginDraggingSession.
    DraggingSession(std::vector<DraggingItem>, const std::shared_ptr<View>& sourceView,
                    const std::shared_ptr<DraggingSource>&, Point startingLocation);

    // The running session, or null.
    static std::shared_ptr<DraggingSession> currentSession();

    const std::vector<DraggingItem>& items() const { return m_items; }
    // The drag pasteboard, holding the items' pasteboard items.
    std::shared_ptr<Pasteboard> draggingPasteboard() const;
    std::shared_ptr<View> sourceView() const { return m_sourceView.lock(); }
    // Screen coordinates.
    Point startingLocation() const { return m_startingLocation; }
    Point draggingLocation() const { return m_location; }

    bool animatesToStartingPositionsOnCancelOrFail() const { return m_animatesBack; }
    void setAnimatesToStartingPositionsOnCancelOrFail(bool animates) { m_animatesBack = animates; }
    DraggingFormation draggingFormation() const { return m_formation; }
    void setDraggingFormation(DraggingFormation formation) { m_formation = formation; }

    // The operations the source allows at a screen point: inside one of
    // the application's windows or outside.
    DragOperation sourceOperationMaskAtPoint(Point);

    // Driving the session (the scripted event source or tests).
    void moveToPoint(Point);
    // A drop at the point that the destination accepts with `operation`;
    // the drag fails (performs none) when the source does not allow it there.
    void endWithOperation(DragOperation, Point);
    // The user gave up (Escape): nothing is performed.
    void cancel();

    bool isRunning() const { return m_running; }
    DragOperation endedOperation() const { return m_endedOperation; }
    // Whether the images slid back to where the drag began: a cancelled or
    // failed drag of a session that animates back.
    bool slidBackToStart() const { return m_slidBack; }

private:
    void end(DragOperation, Point);

    std::vector<DraggingItem> m_items;
    std::weak_ptr<View> m_sourceView;
    std::weak_ptr<DraggingSource> m_source;
    Point m_startingLocation;
    Point m_location;
    bool m_animatesBack { true };
    DraggingFormation m_formation { DraggingFormation::Default };
    bool m_running { true };
    DragOperation m_endedOperation { DragOperations::None };
    bool m_slidBack { false };
};

} // namespace brevanton

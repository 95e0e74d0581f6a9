// What a drag destination learns of a drag passing over it: where the
// pointer is, which window it is over, the operations the source allows and
// the pasteboard that carries the dragged items.
#pragma once

#include "platform/views/DraggingSession.h"
#include "platform/views/Geometry.h"

#include <memory>

namespace brevanton {

class Pasteboard;
class Window;

struct DraggingInfo {
    // The window the drag is over.
    std::shared_ptr<Window> destinationWindow;
    // In the destination window's coordinates.
    Point draggingLocation;
    DragOperation sourceOperationMask { DragOperations::None };
    std::shared_ptr<Pasteboard> draggingPasteboard;
};

} // namespace brevanton

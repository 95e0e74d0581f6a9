// Our pasteboard items as Qt mime data and back, for the system clipboard
// and for drags between programs.
//
// Plain text ("text/plain;charset=utf-8") becomes Qt's text, HTML its HTML
// and "text/uri-list" the URL list, which other programs read; every other
// type travels under its own name as it is (the program's own types, such
// as the web archive, read back by another of our processes). Mime data
// holds one set of formats: each type is taken from the first item holding
// it, except the URL list, which lists the URLs of every item. Reading
// foreign data takes the text, the HTML (also as a web archive of that
// page, when no archive came with it, so that paste and drop keep its
// markup), the URL list and the program's own types, as one item; the formats of other programs (images, rich text) are
// left on the clipboard unread.
#pragma once

#include "platform/views/DraggingInfo.h"
#include "platform/views/Pasteboard.h"

#include <QMimeData>
#include <Qt>

#include <memory>
#include <vector>

class QDropEvent;

namespace brevanton {

// The prefix of the program's own pasteboard types.
inline constexpr const char16_t* ProgramPasteboardTypePrefix = u"com.Orbendalworks.Brevanton.";

std::unique_ptr<QMimeData> mimeDataFromPasteboardItems(const std::vector<PasteboardItem>&);
// Nothing when the data holds none of the formats we read.
std::vector<PasteboardItem> pasteboardItemsFromMimeData(const QMimeData&);

// Our drag operations and Qt's drop actions: copy, move and link have their
// own; generic is a move, as a drop inside a text is; private and delete
// have none.
Qt::DropActions qtDropActionsFromDragOperationMask(DragOperation);
DragOperation dragOperationMaskFromQtDropActions(Qt::DropActions);
// The drop action for the operation a destination chose (Qt::IgnoreAction for none).
Qt::DropAction qtDropActionFromDragOperation(DragOperation);

// What a drag destination learns of a Qt drag (enter, move or drop event)
// over `window` at `locationInWindow` (in the window's coordinates, as the
// window's mouse events give them). A drag from another program is put on
// the drag pasteboard when it enters and whenever its data changes; a drag
// started by one of our views (the running DraggingSession) already holds
// its items there.
DraggingInfo draggingInfoFromQtDropEvent(const QDropEvent&, const std::shared_ptr<Window>& window, Point locationInWindow);

} // namespace brevanton

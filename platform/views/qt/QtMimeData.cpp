#include "platform/views/qt/QtMimeData.h"

#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/net/WebResource.h"
#include "platform/web/WebArchive.h"

#include <QDropEvent>
#include <QUrl>

#include <set>

namespace brevanton {

namespace {

const QString QtPlainText = QStringLiteral("text/plain");
const QString QtHTML = QStringLiteral("text/html");
const QString QtURIList = QStringLiteral("text/uri-list");

QByteArray byteArray(const Data& data)
{
    return QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size()));
}

Data dataFromByteArray(const QByteArray& bytes)
{
    return Data(bytes.begin(), bytes.end());
}

bool isProgramType(std::u16string_view type)
{
    return type.starts_with(ProgramPasteboardTypePrefix);
}

} // namespace

std::unique_ptr<QMimeData> mimeDataFromPasteboardItems(const std::vector<PasteboardItem>& items)
{
    auto mimeData = std::make_unique<QMimeData>();
    std::set<std::u16string> written;
    std::vector<URL> urls;
    for (auto& item : items) {
        if (auto list = item.stringForType(PasteboardTypeURL)) {
            auto itemURLs = URLsFromURIList(*list);
            urls.insert(urls.end(), itemURLs.begin(), itemURLs.end());
        }
        for (auto& type : item.types()) {
            if (type == PasteboardTypeURL || !written.insert(type).second)
                continue;
            auto data = item.dataForType(type);
            if (type == PasteboardTypeString)
                mimeData->setText(QString::fromStdU16String(item.stringForType(type).value_or(u"")));
            else if (type == PasteboardTypeHTML)
                mimeData->setHtml(QString::fromStdU16String(item.stringForType(type).value_or(u"")));
            else
                mimeData->setData(QString::fromStdU16String(type), byteArray(*data));
        }
    }
    if (!urls.empty()) {
        std::string list = toUTF8(URIListFromURLs(urls));
        mimeData->setData(QtURIList, QByteArray(list.data(), static_cast<qsizetype>(list.size())));
    }
    return mimeData;
}

std::vector<PasteboardItem> pasteboardItemsFromMimeData(const QMimeData& mimeData)
{
    PasteboardItem item;
    if (mimeData.hasFormat(QtPlainText))
        (void)item.setString(mimeData.text().toStdU16String(), PasteboardTypeString);
    if (mimeData.hasFormat(QtHTML))
        (void)item.setString(mimeData.html().toStdU16String(), PasteboardTypeHTML);
    if (mimeData.hasFormat(QtURIList))
        (void)item.setData(dataFromByteArray(mimeData.data(QtURIList)), PasteboardTypeURL);
    for (auto& format : mimeData.formats()) {
        auto type = format.toStdU16String();
        if (isProgramType(type))
            (void)item.setData(dataFromByteArray(mimeData.data(format)), type);
    }
    // Another program's HTML reaches paste and drop as a web archive of that
    // one page (the editor reads markup from archives; plain text stays the
    // text the other program gave), unless a web archive came with it.
    if (mimeData.hasFormat(QtHTML) && !item.hasType(WebArchivePboardType)) {
        std::string html = toUTF8(mimeData.html().toStdU16String());
        if (auto blank = URL::create(std::string_view("about:blank"))) {
            auto page = std::make_shared<WebResource>(Data(html.begin(), html.end()), *blank, u"text/html", u"UTF-8");
            (void)item.setData(WebArchive(page).data(), WebArchivePboardType);
        }
    }
    if (item.isEmpty())
        return {};
    return { std::move(item) };
}

Qt::DropActions qtDropActionsFromDragOperationMask(DragOperation mask)
{
    Qt::DropActions actions;
    if (mask & DragOperations::Copy)
        actions |= Qt::CopyAction;
    if (mask & (DragOperations::Move | DragOperations::Generic))
        actions |= Qt::MoveAction;
    if (mask & DragOperations::Link)
        actions |= Qt::LinkAction;
    return actions;
}

DragOperation dragOperationMaskFromQtDropActions(Qt::DropActions actions)
{
    DragOperation mask = DragOperations::None;
    if (actions & Qt::CopyAction)
        mask |= DragOperations::Copy;
    if (actions & Qt::MoveAction)
        mask |= DragOperations::Move | DragOperations::Generic;
    if (actions & Qt::LinkAction)
        mask |= DragOperations::Link;
    return mask;
}

Qt::DropAction qtDropActionFromDragOperation(DragOperation operation)
{
    if (operation & DragOperations::Copy)
        return Qt::CopyAction;
    if (operation & (DragOperations::Move | DragOperations::Generic))
        return Qt::MoveAction;
    if (operation & DragOperations::Link)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

DraggingInfo draggingInfoFromQtDropEvent(const QDropEvent& event, const std::shared_ptr<Window>& window, Point locationInWindow)
{
    // The data of the drag last put on the drag pasteboard; a drag keeps
    // one QMimeData from entering to dropping.
    static const QMimeData* importedMimeData = nullptr;

    auto pasteboard = Pasteboard::pasteboardWithName(PasteboardNameDrag);
    auto session = DraggingSession::currentSession();
    bool ownSession = session && session->isRunning() && event.source();
    const QMimeData* mimeData = event.mimeData();
    if (!ownSession && mimeData && (event.type() == QEvent::DragEnter || mimeData != importedMimeData)) {
        pasteboard->clearContents();
        (void)pasteboard->writeObjects(pasteboardItemsFromMimeData(*mimeData));
        importedMimeData = mimeData;
    }

    DraggingInfo info;
    info.destinationWindow = window;
    info.draggingLocation = locationInWindow;
    info.sourceOperationMask = dragOperationMaskFromQtDropActions(event.possibleActions());
    info.draggingPasteboard = pasteboard;
    return info;
}

} // namespace brevanton

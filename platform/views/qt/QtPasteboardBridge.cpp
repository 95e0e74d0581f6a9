#include "platform/views/qt/QtPasteboardBridge.h"

#include "platform/views/Pasteboard.h"
#include "platform/views/qt/QtMimeData.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace brevanton {

QtPasteboardBridge::QtPasteboardBridge()
    : m_pasteboard(Pasteboard::generalPasteboard())
    , m_clipboard(QGuiApplication::clipboard())
{
    m_mirroredChangeCount = m_pasteboard->changeCount();
    const QMimeData* current = m_clipboard->mimeData();
    if (current && !current->formats().isEmpty())
        importClipboard();
    m_timer = new QTimer(m_clipboard);
    QObject::connect(m_clipboard, &QClipboard::dataChanged, m_timer, [this] {
        if (m_exporting || (m_exportedMimeData && m_clipboard->mimeData() == m_exportedMimeData.get()))
            return;
        importClipboard();
    });
    QObject::connect(m_timer, &QTimer::timeout, m_timer, [this] { synchronize(); });
    m_timer->start(pollIntervalMilliseconds);
}

QtPasteboardBridge::~QtPasteboardBridge()
{
    delete m_timer;
}

void QtPasteboardBridge::synchronize()
{
    if (m_pasteboard->changeCount() != m_mirroredChangeCount)
        exportPasteboard();
}

void QtPasteboardBridge::exportPasteboard()
{
    m_mirroredChangeCount = m_pasteboard->changeCount();
    auto mimeData = mimeDataFromPasteboardItems(m_pasteboard->pasteboardItems());
    m_exportedMimeData = mimeData.get();
    m_exporting = true;
    m_clipboard->setMimeData(mimeData.release());
    m_exporting = false;
}

void QtPasteboardBridge::importClipboard()
{
    // The other program's copy is the newer one, even over a copy of ours
    // not yet written out.
    m_exportedMimeData = nullptr;
    m_pasteboard->clearContents();
    if (const QMimeData* mimeData = m_clipboard->mimeData())
        (void)m_pasteboard->writeObjects(pasteboardItemsFromMimeData(*mimeData));
    m_mirroredChangeCount = m_pasteboard->changeCount();
}

namespace {

std::unique_ptr<QtPasteboardBridge>& installedBridge()
{
    static std::unique_ptr<QtPasteboardBridge> bridge;
    return bridge;
}

} // namespace

void installQtPasteboardBridge()
{
    if (!installedBridge())
        installedBridge() = std::make_unique<QtPasteboardBridge>();
}

QtPasteboardBridge* installedQtPasteboardBridge()
{
    return installedBridge().get();
}

} // namespace brevanton

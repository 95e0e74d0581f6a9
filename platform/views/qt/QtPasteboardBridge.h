// Keeps our general pasteboard and the system clipboard the same.
//
// When our general pasteboard's change count moves (a copy cleared it and
// wrote its items), the items go to the clipboard as mime data
// (QtMimeData.h). When another program puts something on the clipboard, it
// is read into the general pasteboard as an item, which raises the change
// count as a copy would; what we put there ourselves is not read back. The
// change count is looked at every `pollInterval` seconds and before the
// clipboard is read; `synchronize` looks at once.
#pragma once

#include <QMimeData>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <memory>

class QClipboard;

namespace brevanton {

class Pasteboard;

class QtPasteboardBridge {
public:
    static constexpr int pollIntervalMilliseconds = 100;

    // Bridges the general pasteboard to QGuiApplication's clipboard (a
    // QGuiApplication must exist). What the clipboard holds now is read
    // in, unless it is empty.
    QtPasteboardBridge();
    ~QtPasteboardBridge();
    QtPasteboardBridge(const QtPasteboardBridge&) = delete;
    QtPasteboardBridge& operator=(const QtPasteboardBridge&) = delete;

    // Writes the general pasteboard to the clipboard when its change count
    // moved since it was last written or read.
    void synchronize();
    // Reads the clipboard into the general pasteboard (done when another
    // program changes the clipboard).
    void importClipboard();

    int64_t mirroredChangeCount() const { return m_mirroredChangeCount; }

private:
    void exportPasteboard();

    std::shared_ptr<Pasteboard> m_pasteboard;
    QClipboard* m_clipboard { nullptr };
    // The mime data we last gave the clipboard (owned by the clipboard;
    // null once it is deleted, so a later object at its address is news).
    QPointer<const QMimeData> m_exportedMimeData;
    bool m_exporting { false };
    int64_t m_mirroredChangeCount { 0 };
    // Belongs to the clipboard, so it goes (with its connections) when the
    // application does.
    QPointer<QTimer> m_timer;
};

// Starts the one bridge of the application (idempotent); the shell calls it
// once the QApplication exists.
void installQtPasteboardBridge();
// The installed bridge, or null.
QtPasteboardBridge* installedQtPasteboardBridge();

} // namespace brevanton

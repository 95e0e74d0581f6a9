// QtImageFileCache: the decoded image files the Qt backend draws, kept by
// path and the pixel size they were decoded at, bounded in bytes.
//
// A file is looked at on disk once a paint (beginPaint): a file written,
// replaced or created since it was read is decoded afresh, and one that could
// not be read is tried again once it changed or appeared. A thumbnail's file
// is looked at no more often than every half second (thumbnailRecheckInterval),
// so that a grid repainted frame after frame while it scrolls does not ask the
// disk about each of its cells every frame. Full-size images
// (pages) are decoded at once on the main thread. Thumbnails are decoded at no
// more than their wanted size by QImageReader (a JPEG is scaled while it is
// decoded) on worker threads; until one lands the caller draws a placeholder
// (or the thumbnail it had before the file changed), and when it lands the
// widgets that asked for it are repainted.
//
// When the images pass the byte limit, those used least recently go, never
// one the current paint draws nor one being decoded: a page showing more than
// the limit holds keeps what it shows. Main thread only (the workers only
// decode). The work goes to the workers through an operation queue and the
// images come back through the main run loop, so a decode lands in a turn of
// that loop (QtRunLoopPump runs them inside Qt's).
#pragma once

#include <QImage>
#include <QSize>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

class QWidget;

namespace brevanton {

class OperationQueue;

class QtImageFileCache {
public:
    static constexpr int64_t DefaultByteLimit = int64_t(192) << 20;

    // The cache the painters share (made on first use, on the main thread).
    static QtImageFileCache& shared();

    QtImageFileCache();
    ~QtImageFileCache();
    QtImageFileCache(const QtImageFileCache&) = delete;
    QtImageFileCache& operator=(const QtImageFileCache&) = delete;

    // Starts a paint: each file drawn from now on is looked at again on disk.
    void beginPaint();

    // The file's image at its own size; null when it cannot be read.
    QImage image(const std::string& path);

    // The file's image decoded at no more than `wanted` pixels (its aspect
    // kept); null while it is first decoded or when it cannot be read.
    // `decoding` tells the two apart. `requester`, when given, is repainted
    // when the decode lands.
    struct Thumbnail {
        QImage image;
        bool decoding { false };
    };
    Thumbnail thumbnail(const std::string& path, QSize wanted, QWidget* requester);

    int64_t byteLimit() const { return m_byteLimit; }
    // Applies at once: images go until the rest fits (those kept by the rule above stay).
    void setByteLimit(int64_t);
    // The bytes of the images held.
    int64_t byteCount() const { return m_byteCount; }
    size_t imageCount() const;
    // Decodes started and not landed yet.
    int decodesInFlight() const { return m_decodesInFlight; }
    int workerThreadCount() const;

    // Runs the main run loop's turns and Qt's events until every decode
    // landed; false when `timeoutMilliseconds` passed first.
    bool waitForDecodes(int timeoutMilliseconds);
    // Forgets every image (decodes in flight are dropped when they land).
    void clear();

    static constexpr std::chrono::milliseconds thumbnailRecheckInterval { 500 };
    void setThumbnailRecheckIntervalForTesting(std::chrono::milliseconds interval) { m_thumbnailRecheckInterval = interval; }

private:
    struct Entry;
    struct Entries;
    struct Landing;

    // `recheckInterval`: how long a look at the file on disk stays good.
    Entry& lookAt(const std::string& key, const std::string& path, std::chrono::milliseconds recheckInterval, bool* changed);
    void landed(const std::string& key, uint64_t decodeNumber, QImage);
    void trim();
    void setImage(Entry&, QImage);

    std::unique_ptr<Entries> m_entries;
    std::unique_ptr<OperationQueue> m_workers;
    // Held by the cache alone; a decode posts its image to the main run loop
    // with a weak reference, so one landing after the cache went is dropped.
    std::shared_ptr<Landing> m_landing;
    int64_t m_byteLimit { DefaultByteLimit };
    int64_t m_byteCount { 0 };
    uint64_t m_paint { 1 };
    uint64_t m_useClock { 0 };
    uint64_t m_decodeNumber { 0 };
    int m_decodesInFlight { 0 };
    std::chrono::milliseconds m_thumbnailRecheckInterval { thumbnailRecheckInterval };
};

// Decodes an image file at no more than `wanted` pixels, its aspect kept
// (QImageReader scaling while it reads); null when it cannot be read. Any thread.
QImage qtDecodeImageFileAtMostSize(const std::string& path, QSize wanted);

} // namespace brevanton

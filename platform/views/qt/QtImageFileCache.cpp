#include "platform/views/qt/QtImageFileCache.h"

#include "platform/foundation/FileReading.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QImageReader>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <vector>

namespace brevanton {

struct QtImageFileCache::Entry {
    // The file's stamp when it was last read (none: it was not there).
    std::optional<FileStamp> stamp;
    uint64_t lookedAtInPaint { 0 };
    std::chrono::steady_clock::time_point lookedAtOnDisk;
    uint64_t lastUse { 0 };
    QImage image;
    // The decode whose image is awaited, 0 when none.
    uint64_t decoding { 0 };
    std::vector<QPointer<QWidget>> waiting;
};

struct QtImageFileCache::Entries {
    std::unordered_map<std::string, Entry> byKey;
};

struct QtImageFileCache::Landing {
    QtImageFileCache* cache;
};

namespace {

std::optional<FileStamp> currentStamp(const std::string& path)
{
    struct ::stat status;
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return fileStampOfStatus(status);
}

// The file's bytes through the one reader of image files (regular files
// only, never waiting on a pipe or a device, bounded in size); none when it
// cannot be read.
std::optional<QByteArray> imageFileBytes(const std::string& path)
{
    auto bytes = readFile(path, nullptr, FileReadKind::Image);
    if (!bytes)
        return std::nullopt;
    return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

std::string thumbnailKey(const std::string& path, QSize wanted)
{
    return path + '\0' + std::to_string(wanted.width()) + 'x' + std::to_string(wanted.height());
}

int64_t bytesOf(const QImage& image)
{
    return image.isNull() ? 0 : static_cast<int64_t>(image.sizeInBytes());
}

} // namespace

QImage qtDecodeImageFileAtMostSize(const std::string& path, QSize wanted)
{
    auto data = imageFileBytes(path);
    if (!data)
        return {};
    QBuffer buffer(&*data);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    QSize size = reader.size();
    if (size.isValid() && wanted.isValid() && (size.width() > wanted.width() || size.height() > wanted.height())) {
        QSize scaled = size.scaled(wanted, Qt::KeepAspectRatio);
        reader.setScaledSize(scaled.expandedTo(QSize(1, 1)));
    }
    return reader.read();
}

QtImageFileCache& QtImageFileCache::shared()
{
    // Never destroyed: workers may still be decoding when the program ends.
    static auto* cache = new QtImageFileCache;
    return *cache;
}

QtImageFileCache::QtImageFileCache()
    : m_entries(std::make_unique<Entries>())
    , m_workers(std::make_unique<OperationQueue>("Thumbnail decoding", std::clamp(QThread::idealThreadCount() / 2, 2, 4)))
    , m_landing(std::make_shared<Landing>(Landing { this }))
{
}

QtImageFileCache::~QtImageFileCache()
{
    // Decodes not started are of no use now; those running are waited for.
    m_workers->cancelAllOperations();
    m_workers.reset();
}

int QtImageFileCache::workerThreadCount() const
{
    return m_workers->maxConcurrentOperationCount();
}

size_t QtImageFileCache::imageCount() const
{
    return m_entries->byKey.size();
}

void QtImageFileCache::beginPaint()
{
    ++m_paint;
}

QtImageFileCache::Entry& QtImageFileCache::lookAt(const std::string& key, const std::string& path,
                                                  std::chrono::milliseconds recheckInterval, bool* changed)
{
    auto [found, added] = m_entries->byKey.try_emplace(key);
    Entry& entry = found->second;
    entry.lastUse = ++m_useClock;
    *changed = false;
    if (!added && entry.lookedAtInPaint == m_paint)
        return entry;
    entry.lookedAtInPaint = m_paint;
    auto now = std::chrono::steady_clock::now();
    if (!added && recheckInterval.count() > 0 && now - entry.lookedAtOnDisk < recheckInterval)
        return entry;
    entry.lookedAtOnDisk = now;
    // Taken before the read: a write while it decodes changes the stamp, so
    // a later paint reads the file again.
    auto stamp = currentStamp(path);
    if (added || entry.stamp != stamp) {
        entry.stamp = stamp;
        *changed = true;
    }
    return entry;
}

void QtImageFileCache::setImage(Entry& entry, QImage image)
{
    m_byteCount += bytesOf(image) - bytesOf(entry.image);
    entry.image = std::move(image);
}

QImage QtImageFileCache::image(const std::string& path)
{
    bool changed = false;
    Entry& entry = lookAt(path, path, std::chrono::milliseconds(0), &changed);
    if (changed) {
        QImage image;
        if (auto data = entry.stamp ? imageFileBytes(path) : std::nullopt) {
            QBuffer buffer(&*data);
            QImageReader reader(&buffer);
            reader.setAutoTransform(true);
            image = reader.read();
        }
        setImage(entry, std::move(image));
        QImage result = entry.image;
        trim();
        return result;
    }
    return entry.image;
}

QtImageFileCache::Thumbnail QtImageFileCache::thumbnail(const std::string& path, QSize wanted, QWidget* requester)
{
    wanted = wanted.expandedTo(QSize(1, 1));
    std::string key = thumbnailKey(path, wanted);
    bool changed = false;
    Entry& entry = lookAt(key, path, m_thumbnailRecheckInterval, &changed);
    if (changed) {
        if (entry.stamp) {
            // The image it had stays drawn until the new one lands.
            uint64_t number = ++m_decodeNumber;
            if (!entry.decoding)
                ++m_decodesInFlight;
            entry.decoding = number;
            std::weak_ptr<Landing> landing = m_landing;
            m_workers->addOperation([landing, key, path, wanted, number] {
                QImage image = qtDecodeImageFileAtMostSize(path, wanted);
                RunLoop::main().perform([landing, key, number, image = std::move(image)]() mutable {
                    if (auto alive = landing.lock())
                        alive->cache->landed(key, number, std::move(image));
                });
            });
        } else {
            if (entry.decoding) {
                entry.decoding = 0;
                --m_decodesInFlight;
            }
            setImage(entry, QImage());
        }
    }
    if (entry.decoding && requester
        && std::none_of(entry.waiting.begin(), entry.waiting.end(), [&](auto& widget) { return widget == requester; }))
        entry.waiting.emplace_back(requester);
    Thumbnail result { entry.image, entry.decoding != 0 };
    if (changed)
        trim();
    return result;
}

void QtImageFileCache::landed(const std::string& key, uint64_t decodeNumber, QImage image)
{
    auto found = m_entries->byKey.find(key);
    if (found == m_entries->byKey.end() || found->second.decoding != decodeNumber)
        return;
    Entry& entry = found->second;
    entry.decoding = 0;
    --m_decodesInFlight;
    setImage(entry, std::move(image));
    auto waiting = std::move(entry.waiting);
    entry.waiting.clear();
    trim();
    for (auto& widget : waiting) {
        if (widget)
            widget->update();
    }
}

void QtImageFileCache::setByteLimit(int64_t limit)
{
    m_byteLimit = std::max<int64_t>(0, limit);
    trim();
}

void QtImageFileCache::trim()
{
    auto& entries = m_entries->byKey;
    while (m_byteCount > m_byteLimit) {
        auto oldest = entries.end();
        for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
            const Entry& candidate = entry->second;
            if (candidate.lookedAtInPaint == m_paint || candidate.decoding || candidate.image.isNull())
                continue;
            if (oldest == entries.end() || candidate.lastUse < oldest->second.lastUse)
                oldest = entry;
        }
        if (oldest == entries.end())
            return;
        m_byteCount -= bytesOf(oldest->second.image);
        entries.erase(oldest);
    }
}

bool QtImageFileCache::waitForDecodes(int timeoutMilliseconds)
{
    QDeadlineTimer deadline(timeoutMilliseconds);
    while (m_decodesInFlight > 0) {
        if (deadline.hasExpired())
            return false;
        RunLoop::main().runOnce(0);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (m_decodesInFlight > 0)
            QThread::msleep(1);
    }
    return true;
}

void QtImageFileCache::clear()
{
    m_entries->byKey.clear();
    m_byteCount = 0;
    m_decodesInFlight = 0;
}

} // namespace brevanton

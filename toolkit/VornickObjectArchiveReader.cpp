#include "toolkit/VornickObjectArchiveReader.h"

#include "platform/foundation/OperationQueue.h"
#include "toolkit/VornickFileSnapshot.h"
#include "toolkit/VornickObjectArchive.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <sched.h>

namespace brevanton {

// The files to read ahead and what reading each gave. Workers claim the
// files in order (`claimed`) and fill their results; `read` counts the
// results ready from the first on. The caller takes them in order from
// `taken`. Each side waits for half a window: a worker, when the files
// claimed are `window` ahead of those taken, until the caller has taken
// half of them; the caller, when it has taken all there was, until half a
// window more (or the rest) is read. Each side wakes the other only when
// that one waits, so that they change hands once a batch rather than once a
// file, on one core or on several.
//
// The archives the caller is done with go back to the worker that read
// them, which lets go of them: their memory was taken on that worker, and
// giving it back from another thread would contend with its allocations.
struct VornickObjectArchiveReader::ReadAhead {
    struct Result {
        std::shared_ptr<VornickObjectArchive> archive;
        Error error;
        size_t worker { 0 };
        bool ready { false };
    };

    std::vector<URL> urls;
    size_t window { 1 };
    std::mutex mutex;
    std::condition_variable progressed;
    std::vector<Result> results;
    // By worker: taken archives the caller has done with.
    std::vector<std::vector<std::shared_ptr<VornickObjectArchive>>> spent;
    size_t claimed { 0 };
    size_t read { 0 };
    size_t taken { 0 };
    size_t workersWaiting { 0 };
    bool callerWaits { false };
    bool stopping { false };

    size_t batch() const { return std::max<size_t>(window / 2, 1); }
    bool callerMayGoOn() const { return read - taken >= batch() || read == urls.size(); }
    bool workerMayGoOn() const { return window - (claimed - taken) >= batch(); }

    void work(size_t worker)
    {
        // The worker's own reader: its folder and buffer are the worker's.
        VornickObjectArchiveReader reader;
        std::vector<std::shared_ptr<VornickObjectArchive>> released;
        while (true) {
            released.clear();
            size_t next = 0;
            {
                std::unique_lock lock(mutex);
                released.swap(spent[worker]);
                if (claimed < urls.size() && claimed - taken >= window) {
                    ++workersWaiting;
                    progressed.wait(lock, [&] { return stopping || workerMayGoOn(); });
                    --workersWaiting;
                }
                if (stopping || claimed == urls.size())
                    return;
                next = claimed++;
            }
            Result result;
            result.archive = reader.readArchive(urls[next], &result.error);
            result.worker = worker;
            result.ready = true;
            std::lock_guard lock(mutex);
            results[next] = std::move(result);
            while (read < urls.size() && results[read].ready)
                ++read;
            if (callerWaits && callerMayGoOn())
                progressed.notify_all();
        }
    }
};

VornickObjectArchiveReader::VornickObjectArchiveReader() = default;

VornickObjectArchiveReader::~VornickObjectArchiveReader()
{
    stopReadingAhead();
}

std::optional<ReadableFile> VornickObjectArchiveReader::openFile(const std::string& path, Error* outError)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == path.size())
        return ReadableFile::open(path, FileReadKind::Other, outError);
    // Without its last slash: the file's path, which errors name, is the
    // folder's, a slash and the name.
    std::string folderPath = path.substr(0, slash);
    if (folderPath != m_folderPath) {
        m_folderPath = folderPath;
        m_folder = ReadableFolder::open(folderPath, nullptr);
    }
    // A folder that cannot be opened by itself leaves the file to its path,
    // whose error then names what failed.
    if (!m_folder)
        return ReadableFile::open(path, FileReadKind::Other, outError);
    return ReadableFile::open(*m_folder, path.substr(slash + 1), FileReadKind::Other, outError);
}

size_t VornickObjectArchiveReader::availableProcessors()
{
    cpu_set_t processors;
    CPU_ZERO(&processors);
    int count = sched_getaffinity(0, sizeof(processors), &processors) == 0 ? CPU_COUNT(&processors) : 1;
    return static_cast<size_t>(std::max(count, 1));
}

size_t VornickObjectArchiveReader::defaultReadAheadWorkers()
{
    size_t count = availableProcessors();
    // The calling thread keeps a processor of its own where there are several.
    return std::clamp<size_t>(count > 1 ? count - 1 : 1, 1, MaximumDefaultReadAheadWorkers);
}

void VornickObjectArchiveReader::readAhead(std::vector<URL> urls, size_t window, size_t workers)
{
    stopReadingAhead();
    if (urls.empty())
        return;
    workers = std::clamp<size_t>(workers ? workers : defaultReadAheadWorkers(), 1, urls.size());
    auto readAhead = std::make_shared<ReadAhead>();
    readAhead->results.resize(urls.size());
    readAhead->spent.resize(workers);
    readAhead->urls = std::move(urls);
    readAhead->window = std::max<size_t>(window, 1);
    m_queue = std::make_unique<OperationQueue>("archive reading", static_cast<int>(workers));
    for (size_t worker = 0; worker < workers; ++worker)
        m_queue->addOperation([readAhead, worker] { readAhead->work(worker); });
    m_readAhead = std::move(readAhead);
}

void VornickObjectArchiveReader::stopReadingAhead()
{
    if (!m_readAhead)
        return;
    {
        std::lock_guard lock(m_readAhead->mutex);
        m_readAhead->stopping = true;
    }
    m_readAhead->progressed.notify_all();
    m_readAhead.reset();
    m_lastTaken.reset();
    // Joins the worker: no thread is left behind a closed reader.
    m_queue.reset();
}

void VornickObjectArchiveReader::close()
{
    stopReadingAhead();
    m_folder.reset();
    m_folderPath.clear();
    std::string().swap(m_buffer);
}

std::shared_ptr<VornickObjectArchive> VornickObjectArchiveReader::archiveAtURL(const URL& url, Error* outError)
{
    if (m_readAhead) {
        ReadAhead& readAhead = *m_readAhead;
        std::unique_lock lock(readAhead.mutex);
        if (readAhead.taken < readAhead.urls.size() && readAhead.urls[readAhead.taken] == url) {
            if (readAhead.read == readAhead.taken) {
                readAhead.callerWaits = true;
                readAhead.progressed.wait(lock, [&] { return readAhead.callerMayGoOn(); });
                readAhead.callerWaits = false;
            }
            ReadAhead::Result result = std::move(readAhead.results[readAhead.taken]);
            ++readAhead.taken;
            // The caller is done with the archive taken before this one.
            if (m_lastTaken)
                readAhead.spent[m_lastTakenWorker].push_back(std::move(m_lastTaken));
            m_lastTaken = result.archive;
            m_lastTakenWorker = result.worker;
            if (readAhead.workersWaiting && readAhead.workerMayGoOn())
                readAhead.progressed.notify_all();
            lock.unlock();
            if (outError && !result.error.isEmpty())
                *outError = std::move(result.error);
            return std::move(result.archive);
        }
    }
    return readArchive(url, outError);
}

std::shared_ptr<VornickObjectArchive> VornickObjectArchiveReader::readArchive(const URL& url, Error* outError)
{
    auto path = url.fileSystemPath();
    if (!path) {
        setError(outError, Error(CocoaErrorDomain, 262, u"The file URL is not a local file: " + url.absoluteString()));
        return nullptr;
    }
    auto file = openFile(*path, outError);
    if (!file || !file->readToEnd(m_buffer, outError))
        return nullptr;
    auto archive = VornickObjectArchive::archiveWithData(m_buffer, outError);
    // The status was taken before the first byte was read: a change made
    // while reading shows as a difference from it later.
    if (archive)
        archive->m_fileSnapshot = VornickFileSnapshot::createWithStatus(url, std::move(*path), file->status());
    return archive;
}

} // namespace brevanton

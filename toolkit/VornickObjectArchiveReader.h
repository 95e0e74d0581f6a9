// VornickObjectArchiveReader: reads archive files one after another, as
// indexing a project does: the files of one folder are opened relative to
// it (the folder opened once), their bytes read into one buffer kept from
// file to file, and each archive's snapshot taken from the status of the
// open file. The reading policy is FileReading's, as for every file.
//
// Told the files it will be asked for (readAhead), the reader reads and
// parses them on worker threads of its own, a window ahead of the caller,
// who takes each archive, or the error that reading it met, as though it
// had read the file itself. Only the reading and parsing leave the calling
// thread; the reader itself is used from one thread at a time.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/FileReading.h"
#include "platform/foundation/URL.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class OperationQueue;
class VornickObjectArchive;

class VornickObjectArchiveReader {
public:
    static constexpr size_t DefaultReadAheadWindow = 256;
    static constexpr size_t MaximumDefaultReadAheadWorkers = 2;
    // The processors the process may run on (at least one).
    static size_t availableProcessors();
    // One worker per processor the process may run on beside the calling
    // thread's (one on a single processor), at most MaximumDefaultReadAheadWorkers.
    static size_t defaultReadAheadWorkers();

    VornickObjectArchiveReader();
    // Stops reading ahead (close()).
    ~VornickObjectArchiveReader();
    VornickObjectArchiveReader(const VornickObjectArchiveReader&) = delete;
    VornickObjectArchiveReader& operator=(const VornickObjectArchiveReader&) = delete;

    // The archive of the file, as VornickObjectArchive::createWithContentsOfURL
    // answers it (null with an error when the file cannot be read or parsed,
    // null without one when it holds no dictionary). The next file read
    // ahead is answered from the worker (waiting for it when it is not read
    // yet); any other file is read here.
    [[nodiscard]] std::shared_ptr<VornickObjectArchive> archiveAtURL(const URL&, Error* outError);
    // Starts reading `urls` ahead, in that order, at most `window` archives
    // before the one asked for next, on `workers` threads (0: the default
    // number). Replaces the files read ahead before.
    void readAhead(std::vector<URL> urls, size_t window = DefaultReadAheadWindow, size_t workers = 0);
    // Stops reading ahead (waiting for the file the worker is reading),
    // closes the folder kept open and lets go of the buffer.
    void close();

private:
    struct ReadAhead;

    std::optional<ReadableFile> openFile(const std::string& path, Error* outError);
    // Reads here, without looking at what is read ahead.
    std::shared_ptr<VornickObjectArchive> readArchive(const URL&, Error* outError);
    void stopReadingAhead();

    std::string m_buffer;
    // The folder of the last file read, kept open for the next one there.
    std::optional<ReadableFolder> m_folder;
    std::string m_folderPath;
    // What the worker reads and has read; shared with its operation.
    std::shared_ptr<ReadAhead> m_readAhead;
    // The archive answered last from the worker, handed back with the next.
    std::shared_ptr<VornickObjectArchive> m_lastTaken;
    size_t m_lastTakenWorker { 0 };
    std::unique_ptr<OperationQueue> m_queue;
};

} // namespace brevanton

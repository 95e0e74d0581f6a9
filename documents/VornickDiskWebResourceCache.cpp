#include "documents/VornickDiskWebResourceCache.h"

#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/net/URLResponse.h"
#include "platform/net/WebResource.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLog.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace brevanton {

namespace {

Error indexError(sqlite3* db, int code, const std::string& path)
{
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    Error error(VornickErrorDomain, VornickWebResourceCacheIndexError,
                toUTF16("The web resource cache index \"" + path + "\" cannot be used: " + message));
    error.userInfo()[Error::FilePathKey] = Value(toUTF16(path));
    return error;
}

// A prepared statement, finalized when it goes out of scope.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { m_result = sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr); }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool prepared() const { return m_result == SQLITE_OK; }
    void bind(int index, const std::string& text)
    {
        sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    void bind(int index, double number) { sqlite3_bind_double(m_statement, index, number); }
    int step() { return sqlite3_step(m_statement); }
    std::string text(int column) const
    {
        auto bytes = sqlite3_column_text(m_statement, column);
        return bytes ? std::string(reinterpret_cast<const char*>(bytes), sqlite3_column_bytes(m_statement, column)) : std::string();
    }

private:
    sqlite3_stmt* m_statement { nullptr };
    int m_result { SQLITE_ERROR };
};

// A file name for a cached copy: the URL's last path component made safe
// for a file system (no "/" or control characters, not hidden, at most 200
// bytes), "resource" when nothing is left.
std::string fileNameBaseForURL(const URL& url)
{
    std::u16string name;
    for (char16_t c : url.lastPathComponent()) {
        if (c == u'/' || c == u'\\' || c < 0x20 || c == 0x7F)
            c = u'_';
        name += c;
    }
    while (!name.empty() && (name.front() == u'.' || name.front() == u' '))
        name.erase(0, 1);
    std::string utf8 = toUTF8(name);
    if (utf8.size() > 200) {
        size_t cut = 200;
        while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80)
            --cut;
        utf8.resize(cut);
    }
    // Never a name the index itself uses (with its journal files).
    if (utf8.empty() || utf8.rfind(VornickDiskWebResourceCache::IndexFileName, 0) == 0)
        utf8 = "resource" + (utf8.empty() ? std::string() : "-" + utf8);
    return utf8;
}

std::string_view bytesOf(const Data& data)
{
    return { reinterpret_cast<const char*>(data.data()), data.size() };
}

} // namespace

struct VornickDiskWebResourceCache::Index {
    sqlite3* db { nullptr };
    std::string path;

    ~Index() { sqlite3_close_v2(db); }

    bool execute(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

    // Opens (or makes) the index at `path`; false with the SQLite result
    // code in `outCode` when it cannot be used.
    bool open(int& outCode)
    {
        outCode = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                                  nullptr);
        if (outCode != SQLITE_OK)
            return false;
        sqlite3_busy_timeout(db, 5000);
        const char* setup = "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;"
                            "CREATE TABLE IF NOT EXISTS resources (url TEXT PRIMARY KEY, fileName TEXT NOT NULL UNIQUE,"
                            " mimeType TEXT NOT NULL, textEncodingName TEXT NOT NULL, dateStored REAL NOT NULL)";
        outCode = sqlite3_exec(db, setup, nullptr, nullptr, nullptr);
        return outCode == SQLITE_OK;
    }
    void close()
    {
        sqlite3_close_v2(db);
        db = nullptr;
    }
};

std::shared_ptr<VornickDiskWebResourceCache> VornickDiskWebResourceCache::createWithCacheDirectoryURL(
    const URL& cacheDirectoryURL, Error* outError)
{
    auto directoryPath = cacheDirectoryURL.fileSystemPath();
    if (!directoryPath) {
        if (outError)
            *outError = Error(VornickErrorDomain, VornickWebResourceCacheIndexError,
                              u"The web resource cache folder " + cacheDirectoryURL.absoluteString() + u" is not a local folder.");
        return nullptr;
    }
    if (!createDirectory(*directoryPath, true, outError))
        return nullptr;

    auto index = std::make_unique<Index>();
    index->path = *directoryPath + "/" + IndexFileName;
    // The store would write through a link planted at its name.
    struct stat linkStatus;
    if (::lstat(index->path.c_str(), &linkStatus) == 0 && S_ISLNK(linkStatus.st_mode)) {
        VornickGeneralLog("-[VornickDiskWebResourceCache createWithCacheDirectoryURL] Removing the symbolic link {}", index->path);
        (void)removeItem(index->path);
    }
    int code = SQLITE_OK;
    if (!index->open(code)) {
        if (code != SQLITE_NOTADB && code != SQLITE_CORRUPT) {
            if (outError)
                *outError = indexError(index->db, code, index->path);
            return nullptr;
        }
        // Only copies are lost: the next sync fetches them again.
        VornickGeneralLog("-[VornickDiskWebResourceCache createWithCacheDirectoryURL] Setting aside unreadable index {}: {}",
                          index->path, std::string(sqlite3_errstr(code)));
        index->close();
        std::rename(index->path.c_str(), (index->path + ".unreadable").c_str());
        std::remove((index->path + "-wal").c_str());
        std::remove((index->path + "-shm").c_str());
        if (!index->open(code)) {
            if (outError)
                *outError = indexError(index->db, code, index->path);
            return nullptr;
        }
    }
    return std::shared_ptr<VornickDiskWebResourceCache>(new VornickDiskWebResourceCache(
        URL::fileURLWithPath(*directoryPath, true), *directoryPath, std::move(index)));
}

VornickDiskWebResourceCache::VornickDiskWebResourceCache(URL directoryURL, std::string directoryPath,
                                                         std::unique_ptr<Index> index)
    : m_directoryURL(std::move(directoryURL))
    , m_directoryPath(std::move(directoryPath))
    , m_index(std::move(index))
{
}

VornickDiskWebResourceCache::~VornickDiskWebResourceCache() = default;

std::optional<std::string> VornickDiskWebResourceCache::fileNameForKey(const std::u16string& key) const
{
    Statement select(m_index->db, "SELECT fileName FROM resources WHERE url = ?");
    if (!select.prepared())
        return std::nullopt;
    select.bind(1, toUTF8(key));
    if (select.step() != SQLITE_ROW)
        return std::nullopt;
    return select.text(0);
}

std::shared_ptr<WebResource> VornickDiskWebResourceCache::cachedWebResourceForURL(const URL& url) const
{
    std::lock_guard lock(m_mutex);
    Statement select(m_index->db, "SELECT fileName, mimeType, textEncodingName FROM resources WHERE url = ?");
    if (!select.prepared())
        return nullptr;
    select.bind(1, toUTF8(cacheKeyForURL(url)));
    if (select.step() != SQLITE_ROW)
        return nullptr;
    auto contents = readFile(m_directoryPath + "/" + select.text(0));
    if (!contents)
        return nullptr;
    return std::make_shared<WebResource>(Data(contents->begin(), contents->end()), url.absoluteURL(),
                                         toUTF16(select.text(1)), toUTF16(select.text(2)));
}

bool VornickDiskWebResourceCache::storeResource(const std::u16string& key, const URL& sourceURL, const Data& data,
                                                const std::u16string& MIMEType, const std::u16string& textEncodingName,
                                                Error* outError, std::string* addedFileName, const std::string* bodyFile)
{
    auto put = [&](const std::string& path) {
        if (!bodyFile)
            return writeFileAtomically(path, bytesOf(data), outError);
        if (::rename(bodyFile->c_str(), path.c_str()) == 0)
            return true;
        return setError(outError, Error::posix(errno, toUTF16(path)));
    };
    // An entry already there keeps its file, which gets the new contents.
    if (auto fileName = fileNameForKey(key)) {
        if (!put(m_directoryPath + "/" + *fileName))
            return false;
        Statement update(m_index->db, "UPDATE resources SET mimeType = ?, textEncodingName = ?, dateStored = ? WHERE url = ?");
        update.bind(1, toUTF8(MIMEType));
        update.bind(2, toUTF8(textEncodingName));
        update.bind(3, Date::now().timeIntervalSince(Date(0)));
        update.bind(4, toUTF8(key));
        if (!update.prepared() || update.step() != SQLITE_DONE) {
            if (outError)
                *outError = indexError(m_index->db, SQLITE_ERROR, m_index->path);
            return false;
        }
        return true;
    }

    auto path = createUniqueFile(m_directoryPath, fileNameBaseForURL(sourceURL), FileKind::Regular, outError);
    if (!path)
        return false;
    std::string fileName = path->substr(m_directoryPath.size() + 1);
    if (!put(*path)) {
        (void)removeItem(*path);
        return false;
    }
    Statement insert(m_index->db, "INSERT INTO resources (url, fileName, mimeType, textEncodingName, dateStored) VALUES (?, ?, ?, ?, ?)");
    insert.bind(1, toUTF8(key));
    insert.bind(2, fileName);
    insert.bind(3, toUTF8(MIMEType));
    insert.bind(4, toUTF8(textEncodingName));
    insert.bind(5, Date::now().timeIntervalSince(Date(0)));
    if (!insert.prepared() || insert.step() != SQLITE_DONE) {
        if (outError)
            *outError = indexError(m_index->db, SQLITE_ERROR, m_index->path);
        (void)removeItem(*path);
        return false;
    }
    if (addedFileName)
        *addedFileName = fileName;
    return true;
}

void VornickDiskWebResourceCache::postDidAddFile(const URL& sourceURL, const std::string& fileName) const
{
    Dictionary userInfo;
    userInfo[u"sourceURL"] = Value(sourceURL.absoluteString());
    userInfo[u"cachedFileURL"] = Value(URL::fileURLWithPath(m_directoryPath + "/" + fileName, false).absoluteString());
    const void* object = this;
    if (RunLoop::isMainThread()) {
        NotificationCenter::defaultCenter().post(VornickWebResourceCacheDidAddFileNotification, object, std::move(userInfo));
        return;
    }
    OperationQueue::main().addOperation([object, userInfo = std::move(userInfo)] {
        NotificationCenter::defaultCenter().post(VornickWebResourceCacheDidAddFileNotification, object, userInfo);
    });
}

void VornickDiskWebResourceCache::storeCachedWebResource(const WebResource& resource)
{
    std::string addedFileName;
    {
        std::lock_guard lock(m_mutex);
        Error error;
        if (!storeResource(cacheKeyForURL(resource.url()), resource.url(), resource.data(), resource.MIMEType(),
                           resource.textEncodingName(), &error, &addedFileName)) {
            VornickGeneralLog("-[VornickDiskWebResourceCache storeCachedWebResource] Failed to cache {}: {}",
                              resource.url().absoluteString(), error.localizedDescription());
            return;
        }
    }
    if (!addedFileName.empty())
        postDidAddFile(resource.url(), addedFileName);
}

bool VornickDiskWebResourceCache::storeCachedURLResponse(const URLResponse& response, const Data& data)
{
    std::string addedFileName;
    {
        std::lock_guard lock(m_mutex);
        std::u16string MIMEType = response.mimeType().empty() ? webMIMETypeForURL(response.url()) : response.mimeType();
        Error error;
        if (!storeResource(cacheKeyForURL(response.url()), response.url(), data, MIMEType, response.textEncodingName(),
                           &error, &addedFileName)) {
            VornickGeneralLog("-[VornickDiskWebResourceCache storeCachedURLResponse] Failed to cache {}: {}",
                              response.url().absoluteString(), error.localizedDescription());
            return false;
        }
    }
    if (!addedFileName.empty())
        postDidAddFile(response.url(), addedFileName);
    return true;
}

bool VornickDiskWebResourceCache::storeCachedURLResponseFromFile(const URLResponse& response, const std::string& path)
{
    std::string addedFileName;
    bool stored;
    {
        std::lock_guard lock(m_mutex);
        std::u16string MIMEType = response.mimeType().empty() ? webMIMETypeForURL(response.url()) : response.mimeType();
        Error error;
        stored = storeResource(cacheKeyForURL(response.url()), response.url(), {}, MIMEType, response.textEncodingName(), &error,
                               &addedFileName, &path);
        if (!stored)
            VornickGeneralLog("-[VornickDiskWebResourceCache storeCachedURLResponseFromFile] Failed to cache {}: {}",
                              response.url().absoluteString(), error.localizedDescription());
    }
    (void)::unlink(path.c_str());
    if (!addedFileName.empty())
        postDidAddFile(response.url(), addedFileName);
    return stored;
}

std::optional<URL> VornickDiskWebResourceCache::storeCopyOfFile(const URL& fileURL)
{
    auto path = fileURL.fileSystemPath();
    if (!path || !fileURL.isFileURL())
        return std::nullopt;
    std::u16string MIMEType = webMIMETypeForURL(fileURL);
    if (MIMEType == u"application/octet-stream")
        return std::nullopt;
    Error error;
    auto contents = readFile(*path, &error);
    std::string addedFileName;
    std::optional<std::string> fileName;
    {
        std::lock_guard lock(m_mutex);
        std::u16string key = cacheKeyForURL(fileURL);
        if (!contents || !storeResource(key, fileURL, Data(contents->begin(), contents->end()), MIMEType, {}, &error, &addedFileName)) {
            VornickGeneralLog("-[VornickDiskWebResourceCache storeCopyOfFile] Failed to cache {}: {}", fileURL.absoluteString(),
                              error.localizedDescription());
            return std::nullopt;
        }
        fileName = fileNameForKey(key);
    }
    if (!addedFileName.empty())
        postDidAddFile(fileURL, addedFileName);
    if (!fileName)
        return std::nullopt;
    return URL::fileURLWithPath(m_directoryPath + "/" + *fileName, false);
}

std::set<std::u16string> VornickDiskWebResourceCache::cachedSourceURLs() const
{
    std::lock_guard lock(m_mutex);
    std::set<std::u16string> urls;
    Statement select(m_index->db, "SELECT url FROM resources");
    while (select.prepared() && select.step() == SQLITE_ROW)
        urls.insert(toUTF16(select.text(0)));
    return urls;
}

void VornickDiskWebResourceCache::removeAllCachedResources()
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> fileNames;
    {
        Statement select(m_index->db, "SELECT fileName FROM resources");
        while (select.prepared() && select.step() == SQLITE_ROW)
            fileNames.push_back(select.text(0));
    }
    // Rows go first: a file without a row is only unused space.
    if (!m_index->execute("DELETE FROM resources")) {
        VornickGeneralLog("-[VornickDiskWebResourceCache removeAllCachedResources] Failed: {}",
                          std::string(sqlite3_errmsg(m_index->db)));
        return;
    }
    for (const auto& fileName : fileNames)
        (void)removeItem(m_directoryPath + "/" + fileName);
}

std::optional<URL> VornickDiskWebResourceCache::cachedFileURLForURL(const URL& url) const
{
    // "." and ".." segments are resolved first: "resources/../x" is not inside.
    auto path = url.isFileURL() ? url.absoluteURL().standardized().fileSystemPath() : std::nullopt;
    if (path && path->size() > m_directoryPath.size() + 1 && path->compare(0, m_directoryPath.size(), m_directoryPath) == 0
        && (*path)[m_directoryPath.size()] == '/')
        return url;
    std::lock_guard lock(m_mutex);
    auto fileName = fileNameForKey(cacheKeyForURL(url));
    if (!fileName)
        return std::nullopt;
    return URL::fileURLWithPath(m_directoryPath + "/" + *fileName, false);
}

std::optional<URL> VornickDiskWebResourceCache::originalURLForCachedFileURL(const URL& cachedFileURL) const
{
    auto path = cachedFileURL.isFileURL() ? cachedFileURL.fileSystemPath() : std::nullopt;
    if (!path || parentDirectory(*path) != m_directoryPath)
        return std::nullopt;
    std::lock_guard lock(m_mutex);
    Statement select(m_index->db, "SELECT url FROM resources WHERE fileName = ?");
    if (!select.prepared())
        return std::nullopt;
    select.bind(1, path->substr(m_directoryPath.size() + 1));
    if (select.step() != SQLITE_ROW)
        return std::nullopt;
    return URL::create(toUTF16(select.text(0)));
}

} // namespace brevanton

#include "toolkit/VornickObjectArchiveReader.h"

#include "toolkit/VornickFileSnapshot.h"
#include "toolkit/VornickObjectArchive.h"

namespace brevanton {

std::optional<ReadableFile> VornickObjectArchiveReader::openFile(const std::string& path, Error* outError)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash + 1 == path.size())
        return ReadableFile::open(path, FileReadKind::Other, outError);
    std::string folderPath = path.substr(0, slash + 1);
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

void VornickObjectArchiveReader::close()
{
    m_folder.reset();
    m_folderPath.clear();
    std::string().swap(m_buffer);
}

std::shared_ptr<VornickObjectArchive> VornickObjectArchiveReader::archiveAtURL(const URL& url, Error* outError)
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
        archive->m_fileSnapshot = VornickFileSnapshot::createWithStatus(url, file->status());
    return archive;
}

} // namespace brevanton

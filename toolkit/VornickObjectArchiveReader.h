// VornickObjectArchiveReader: reads archive files one after another, as
// indexing a project does: the files of one folder are opened relative to
// it (the folder opened once), their bytes read into one buffer kept from
// file to file, and each archive's snapshot taken from the status of the
// open file. The reading policy is FileReading's, as for every file.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/FileReading.h"
#include "platform/foundation/URL.h"

#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class VornickObjectArchive;

class VornickObjectArchiveReader {
public:
    // The archive of the file, as VornickObjectArchive::createWithContentsOfURL
    // answers it (null with an error when the file cannot be read or parsed,
    // null without one when it holds no dictionary).
    [[nodiscard]] std::shared_ptr<VornickObjectArchive> archiveAtURL(const URL&, Error* outError);
    // Closes the folder kept open and lets go of the buffer.
    void close();

private:
    std::optional<ReadableFile> openFile(const std::string& path, Error* outError);

    std::string m_buffer;
    // The folder of the last file read, kept open for the next one there.
    std::optional<ReadableFolder> m_folder;
    std::string m_folderPath;
};

} // namespace brevanton

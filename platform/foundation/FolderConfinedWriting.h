// Writing inside a folder that others may have planted symbolic links in
// (a project's folder): no write follows a link below the folder. The
// folders on the way are opened one by one without following links, the
// file is made beside its target with O_CREAT|O_EXCL|O_NOFOLLOW and renamed
// within its folder, so that nothing outside the folder is ever written.
// The folder itself may be a link (the user's choice of where it lies).
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/FileSystemCalls.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace brevanton {

// Writes `contents` as the file at `path`, which lies inside `folder`, as
// writeFileAtomically does (a temporary file beside it, flushed and renamed
// over it; an existing file keeps its mode, its "user." attributes and,
// where this process may set them, its owner and group; a new one gets
// `newFileMode` less the umask), but through no symbolic link: the folders
// from `folder` down are made when missing, and one that is a link fails
// the write (ELOOP, the message names it); a link at `path` itself is
// replaced by the new file, the file it pointed to left as it was. A
// replaced file's modification time always moves on, even within one tick
// of the file system's clock. The
// temporary file is locked while it exists, which tells it from one a
// killed write left (removeLeftoverTemporaryFiles).
[[nodiscard]] bool writeFileInsideFolder(const std::string& folder, const std::string& path, std::string_view contents,
                                         Error* outError = nullptr, mode_t newFileMode = 0644,
                                         FileSystemCalls& calls = FileSystemCalls::system());

// Makes the folder at `path` inside `folder`, with the folders on the way,
// following no link (as above). An existing folder is no error.
[[nodiscard]] bool createFolderInsideFolder(const std::string& folder, const std::string& path, Error* outError = nullptr,
                                            FileSystemCalls& calls = FileSystemCalls::system());

// Whether `path` lies inside `folder` with no symbolic link on the way from
// `folder` and none at `path` (which need not exist).
bool liesInsideFolderWithoutLinks(const std::string& folder, const std::string& path,
                                  FileSystemCalls& calls = FileSystemCalls::system());

// Removes the temporary files of writes killed before their rename
// (isTemporaryFileName, regular files no running write holds locked)
// anywhere below `folder`, following no link. Answers how many went.
size_t removeLeftoverTemporaryFiles(const std::string& folder, FileSystemCalls& calls = FileSystemCalls::system());

} // namespace brevanton

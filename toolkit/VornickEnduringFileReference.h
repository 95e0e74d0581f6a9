// VornickEnduringFileReference: a reference to a file that the program may
// keep and use again later. Its bookmark data is the file's path (UTF-8);
// using the file is bracketed by beginUsing / finishedUsing, which are
// counted so that nested uses balance.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace brevanton {

class VornickEnduringFileReference : public std::enable_shared_from_this<VornickEnduringFileReference> {
public:
    // A reference to a file URL; nullptr for any other URL.
    static std::shared_ptr<VornickEnduringFileReference> enduringReferenceToFileURL(const URL& fileURL);
    // A reference from stored bookmark data; nullptr when it holds no absolute path.
    static std::shared_ptr<VornickEnduringFileReference> referenceWithBookmarkData(const Data& bookmarkData);

    const Data& bookmarkData() const { return m_bookmarkData; }

    // Resolves the reference on first use and keeps the URL: false with a
    // POSIX error when nothing is at the path. `fileURL` must not be null.
    [[nodiscard]] bool getFileURL(URL* fileURL, Error* outError = nullptr);

    // Begins a use of the file: resolves the reference and counts the use.
    [[nodiscard]] bool beginUsing(Error* outError = nullptr);
    // Ends one use begun by beginUsing (an unbalanced call is a programming error).
    void finishedUsing();
    int useCount() const;

    // Begins a use; on success gives the resolved URL to `block`, ends the
    // use and answers true. On failure answers false with the error and does
    // not call the block.
    [[nodiscard]] bool resolveAndUse(const std::function<void(const URL&)>& block, Error* outError = nullptr);

    std::u16string description() const;

private:
    explicit VornickEnduringFileReference(std::string path);

    std::string m_path;
    Data m_bookmarkData;
    mutable std::mutex m_mutex;
    std::optional<URL> m_resolvedURL;
    int m_useCount { 0 };
};

} // namespace brevanton

// VornickEnduringFileReference: a reference to a file that the program may
// keep and use again later. Its bookmark data is the file's path (UTF-8);
// using the file is bracketed by beginUsing / finishedUsing, which are
// counted so that nested uses balance. Its property-list form holds the
// bookmark data, the title and the file's absolute URL and, for a file inside
// the folder of the project that keeps the reference, its URL relative to
// that folder, so that a project moved with its files still finds them.
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

    // A reference from its property-list form: the relative URL resolved
    // against `referencingProjectFolder` when both are there and a file is
    // at it, else the bookmark data, else the absolute URL. Null when none
    // names a local file.
    static std::shared_ptr<VornickEnduringFileReference> createWithPropertyList(const Value& propertyList,
                                                                                const URL* referencingProjectFolder = nullptr);
    // The property-list form, relative to `referencingProjectFolder` (a
    // folder URL) where the file lies inside it.
    Dictionary propertyListForReferencingProjectFile(const URL* referencingProjectFolder = nullptr) const;

    const Data& bookmarkData() const { return m_bookmarkData; }
    // The file's path as referenced (not resolved).
    const std::string& path() const { return m_path; }
    std::u16string title() const;
    void setTitle(std::u16string title);

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
    std::u16string m_title;
    mutable std::mutex m_mutex;
    std::optional<URL> m_resolvedURL;
    int m_useCount { 0 };
};

} // namespace brevanton

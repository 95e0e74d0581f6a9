// VornickProjectIndex: a project's index, an object store file in the XDG
// data folder under the application's folder, named by the project's unique
// identifier with the extension "brevantonindex", and the context that
// reads and writes it on the thread that opened it.
//
// The files are the truth: an index written by a model this one cannot
// migrate in place is erased (with a log line) and made anew, and the
// project fills it from the files again. Until the project has filled a new
// index and saved it (noteFilled), a marker file beside it
// ("<index>.indexing") says that it is incomplete: an index found with the
// marker (the first indexing was interrupted) is erased and made anew too,
// and one that is not a store or is damaged is set aside and made anew,
// with a notice for the user.
// The marker is on disk before the new file is made, so the store writes
// the new file unsynced until it is filled (PersistentStoreOptions::firstFilling).
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/UUID.h"

#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class ManagedObjectContext;
class ManagedObjectModel;

class VornickProjectIndex {
public:
    static constexpr const char16_t* FilenameExtension = u"brevantonindex";

    // The index file of a project: "<XDG data>/com.Orbendalworks.Brevanton/<UUID>.brevantonindex".
    static std::string indexFilePathForProjectIdentifier(const UUID&);

    // Opens the project's index (made when missing; erased and made anew
    // when its model is incompatible). Null with an error when the folder
    // or the file cannot be made or opened.
    [[nodiscard]] static std::shared_ptr<VornickProjectIndex> createForProjectIdentifier(
        const UUID&, std::shared_ptr<const ManagedObjectModel>, Error* outError);
    ~VornickProjectIndex();

    const std::string& filePath() const { return m_filePath; }
    // True when the file was made by this opening (missing, erased or
    // incomplete before): it holds nothing yet and must be filled from the files.
    bool isNew() const { return m_isNew; }
    // Records that the new index has been filled and saved. Until then the
    // store syncs nothing and records the object numbers it gives with its
    // saves only (the marker erases the file after a crash); the numbers
    // given since are recorded and all of it synced here before the marker
    // goes, which stays when that fails.
    void noteFilled();

    // What the user is told when the index found could not be read: it was
    // set aside ("<index>.unreadable") and this one is new, to be filled
    // from the files. Empty otherwise.
    const std::u16string& rebuildNotice() const { return m_rebuildNotice; }

    const std::shared_ptr<ManagedObjectContext>& managedObjectContext() const { return m_context; }
    // Announces pending changes and saves the context when it has changes.
    // False with the error when the save failed; the changes stay in the
    // context and the file is as it was.
    [[nodiscard]] bool commitEditingAndSave(Error* outError);

private:
    VornickProjectIndex(std::string filePath, std::shared_ptr<ManagedObjectContext>, bool isNew);

    std::string m_filePath;
    std::shared_ptr<ManagedObjectContext> m_context;
    bool m_isNew;
    std::u16string m_rebuildNotice;
};

} // namespace brevanton

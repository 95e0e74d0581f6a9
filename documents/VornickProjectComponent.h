// VornickProjectComponent: an object of a project's index that mirrors a file
// of the project (an account, a blog, a post, a media item). The file is the
// truth; the component records its file name, the file's modification date
// when it was last read or written, and whether the component has edits not
// yet written to it. Its archive (an object archive of the attributes it
// names) is what the file holds; writing it is atomic, so a failed write
// leaves the old file whole.
//
// A component is a managed object of the project index's context: the
// entity gives it the attributes "sourceFileName" (string),
// "sourceFileModificationDate" (date) and "hasEditsNotYetSavedToSourceFile"
// (boolean), which addProjectComponentAttributes adds to an entity. Values
// held only by the object (not stored) are read and written by key through
// valueForKey / setValueForKey, which subclasses extend. Main thread, like
// its context.
#pragma once

#include "platform/foundation/Date.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/store/ManagedObject.h"
#include "toolkit/VornickKeyValueCoding.h"
#include "toolkit/VornickObjectArchive.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class EntityDescription;
class VornickProject;

class VornickProjectComponent : public ManagedObject, public VornickKeyValueCoding {
public:
    // Adds the attributes every component's entity has.
    static void addProjectComponentAttributes(EntityDescription&);

    std::u16string sourceFileName() const;
    void setSourceFileName(const std::u16string&);
    std::optional<Date> sourceFileModificationDate() const;
    void setSourceFileModificationDate(std::optional<Date>);
    bool hasEditsNotYetSavedToSourceFile() const;
    void setHasEditsNotYetSavedToSourceFile(bool);

    // The component this one belongs to (a post's blog); none in the base.
    virtual std::shared_ptr<VornickProjectComponent> parentComponent() const { return nullptr; }
    // The project of the component's context; null when it has none.
    std::shared_ptr<VornickProject> project() const;
    // The project's source root followed by the file names of the ancestor
    // chain, top first, and the component's own; none without a project or
    // a file name.
    virtual std::optional<URL> sourceFileURL() const;

    // The names of the attributes the archive holds; none in the base.
    virtual std::vector<std::u16string> attributesForArchivalRepresentation() const { return {}; }
    // An object archive of those attributes (null values left out).
    virtual std::shared_ptr<VornickObjectArchive> archivalRepresentation() const;
    // The file-name extension of the component's files; none in the base.
    virtual std::optional<std::u16string> standardFilenameExtension() const { return std::nullopt; }

    // True when there are unsaved edits or the file's modification date
    // cannot be read (the file is missing).
    bool needToWriteArchivalRepresentationToURL(const URL&) const;
    // Writes the archive in `format` to the file at `url` (a file URL),
    // making its folder, atomically; then records the file's new
    // modification date and clears the unsaved-edits flag. On failure
    // answers false with the error and changes nothing, on disk or here.
    [[nodiscard]] bool writeArchivalRepresentationToURL(const URL& url, VornickObjectArchiveFormat format, Error* outError);

    // Key-value coding over the entity's attributes, taking values in the
    // forms archives hold them (VornickManagedObjectKeyValueCoding);
    // subclasses answer their own keys first.
    std::string className() const override { return "VornickProjectComponent"; }
    bool respondsToKey(std::u16string_view key) const override;
    Value valueForKey(std::u16string_view key) const override;
    void setValueForKey(const Value& value, std::u16string_view key) override;
};

} // namespace brevanton

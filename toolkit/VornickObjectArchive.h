// VornickObjectArchive: the persistent form of the system's model objects, a
// dictionary of attribute names to property-list values. It is read from a
// file holding an XML property list or JSON, and written back in either form.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class ManagedObject;
class ManagedObjectContext;
class VornickFileSnapshot;
class VornickKeyValueCoding;

enum class VornickObjectArchiveFormat {
    XML,
    JSON,
};

class VornickObjectArchive {
public:
    VornickObjectArchive() = default;
    explicit VornickObjectArchive(Dictionary attributes) : m_attributes(std::move(attributes)) {}

    // The object's values for the named attributes; names whose value is
    // null are left out.
    static std::shared_ptr<VornickObjectArchive> archiveWithAttributes(const std::vector<std::u16string>& names,
                                                                      const VornickKeyValueCoding& object);

    // Reads an archive file: an XML property list when its text begins (after
    // an optional byte order mark and whitespace) with "<?xml", JSON
    // otherwise. Null when the file cannot be read or parsed (the error by
    // reference) or when its top level is not a dictionary (no error).
    [[nodiscard]] static std::shared_ptr<VornickObjectArchive> createWithContentsOfURL(const URL&, Error* outError);
    // The same for bytes in memory (no snapshot).
    [[nodiscard]] static std::shared_ptr<VornickObjectArchive> archiveWithData(std::string_view bytes, Error* outError);

    // Null when absent.
    const Value* objectForKey(std::u16string_view key) const;
    void setObject(Value value, std::u16string_view key);
    void removeObjectForKey(std::u16string_view key);

    const Dictionary& propertyList() const { return m_attributes; }
    Dictionary& propertyList() { return m_attributes; }

    // A snapshot of the file the archive was read from; null for one made in memory.
    const std::shared_ptr<VornickFileSnapshot>& fileSnapshot() const { return m_fileSnapshot; }

    // Copies the named attributes into `object`. The name
    // "identifierUsedByBlogService" takes the archive's value under that
    // name, or when there is none the one under the older name
    // "bloggerUniqueIdentifier". A name the object does not answer to is
    // logged and skipped.
    void applyAttributes(const std::vector<std::u16string>& names, VornickKeyValueCoding& object) const;
    void applyAttributes(const std::vector<std::u16string>& names, ManagedObject& object) const;

    // The object of `entityKind` whose `uniquePrimaryKeyName` equals the
    // archive's value for that name, inserted when there is none (with that
    // value), with the named attributes applied. An archive without the
    // key's value makes a new object.
    std::shared_ptr<ManagedObject> pullIntoManagedObjectContext(ManagedObjectContext& context, std::u16string_view entityKind,
                                                                std::u16string_view uniquePrimaryKeyName,
                                                                const std::vector<std::u16string>& attributeNames) const;

    // The attributes as an XML property list (UTF-8).
    [[nodiscard]] std::optional<std::string> xmlDataReturningErrorIn(Error* outError) const;
    // The attributes as pretty-printed JSON with numbers as strings (UTF-8).
    // Dates are written in ISO 8601 to the second.
    [[nodiscard]] std::optional<std::string> jsonDataReturningErrorIn(Error* outError) const;
    // A date as the JSON form writes it.
    static std::u16string archivedDateString(Date);
    [[nodiscard]] std::optional<std::string> dataInFormat(VornickObjectArchiveFormat, Error* outError) const;

private:
    friend class VornickObjectArchiveReader;

    Dictionary m_attributes;
    std::shared_ptr<VornickFileSnapshot> m_fileSnapshot;
};

} // namespace brevanton

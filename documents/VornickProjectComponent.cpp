#include "documents/VornickProjectComponent.h"

#include "documents/VornickProject.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/store/ManagedObjectModel.h"
#include "toolkit/VornickFileSnapshot.h"
#include "toolkit/VornickManagedObjectKeyValueCoding.h"

#include <vector>

namespace brevanton {

namespace {

constexpr std::u16string_view SourceFileNameKey = u"sourceFileName";
constexpr std::u16string_view SourceFileModificationDateKey = u"sourceFileModificationDate";
constexpr std::u16string_view HasEditsKey = u"hasEditsNotYetSavedToSourceFile";

} // namespace

void VornickProjectComponent::addProjectComponentAttributes(EntityDescription& entity)
{
    entity.addAttribute(std::u16string(SourceFileNameKey), AttributeType::String);
    entity.addAttribute(std::u16string(SourceFileModificationDateKey), AttributeType::Date);
    entity.addAttribute(std::u16string(HasEditsKey), AttributeType::Boolean);
}

std::u16string VornickProjectComponent::sourceFileName() const
{
    return ManagedObject::valueForKey(SourceFileNameKey).stringValue();
}

void VornickProjectComponent::setSourceFileName(const std::u16string& name)
{
    ManagedObject::setValueForKey(name.empty() ? Value() : Value(name), SourceFileNameKey);
}

std::optional<Date> VornickProjectComponent::sourceFileModificationDate() const
{
    Value date = ManagedObject::valueForKey(SourceFileModificationDateKey);
    if (!date.isDate())
        return std::nullopt;
    return date.date();
}

void VornickProjectComponent::setSourceFileModificationDate(std::optional<Date> date)
{
    ManagedObject::setValueForKey(date ? Value(*date) : Value(), SourceFileModificationDateKey);
}

bool VornickProjectComponent::hasEditsNotYetSavedToSourceFile() const
{
    return ManagedObject::valueForKey(HasEditsKey).boolValue();
}

void VornickProjectComponent::setHasEditsNotYetSavedToSourceFile(bool hasEdits)
{
    if (hasEditsNotYetSavedToSourceFile() != hasEdits)
        ManagedObject::setValueForKey(Value(hasEdits), HasEditsKey);
}

bool VornickProjectComponent::respondsToKey(std::u16string_view key) const
{
    return VornickManagedObjectKeyValueCoding(const_cast<VornickProjectComponent&>(*this)).respondsToKey(key);
}

Value VornickProjectComponent::valueForKey(std::u16string_view key) const
{
    return VornickManagedObjectKeyValueCoding(const_cast<VornickProjectComponent&>(*this)).valueForKey(key);
}

void VornickProjectComponent::setValueForKey(const Value& value, std::u16string_view key)
{
    VornickManagedObjectKeyValueCoding(*this).setValueForKey(value, key);
}

std::shared_ptr<VornickProject> VornickProjectComponent::project() const
{
    return VornickProject::vornickProjectForManagedObjectContext(managedObjectContext());
}

std::optional<URL> VornickProjectComponent::sourceFileURL() const
{
    auto project = this->project();
    if (!project || sourceFileName().empty())
        return std::nullopt;
    std::vector<std::u16string> names { sourceFileName() };
    for (auto ancestor = parentComponent(); ancestor; ancestor = ancestor->parentComponent()) {
        if (!ancestor->sourceFileName().empty())
            names.push_back(ancestor->sourceFileName());
    }
    URL url = project->sourceRootURL();
    for (auto name = names.rbegin(); name != names.rend(); ++name)
        url = url.URLByAppendingPathComponent(*name, name + 1 != names.rend());
    return url;
}

std::shared_ptr<VornickObjectArchive> VornickProjectComponent::archivalRepresentation() const
{
    return VornickObjectArchive::archiveWithAttributes(attributesForArchivalRepresentation(), *this);
}

bool VornickProjectComponent::needToWriteArchivalRepresentationToURL(const URL& url) const
{
    if (hasEditsNotYetSavedToSourceFile())
        return true;
    return !VornickFileSnapshot::createAsStandaloneSnapshotOfURL(url)->exists();
}

bool VornickProjectComponent::writeArchivalRepresentationToURL(const URL& url, VornickObjectArchiveFormat format,
                                                               Error* outError)
{
    auto path = url.fileSystemPath();
    if (!path || !url.isFileURL()) {
        if (outError)
            *outError = Error::posix(EINVAL, u"Not a file URL: " + url.absoluteString());
        return false;
    }
    auto data = archivalRepresentation()->dataInFormat(format, outError);
    if (!data)
        return false;
    // Nothing inside a project is written through a symbolic link: a folder
    // on the way that is one refuses the write, a link at the file's name is
    // replaced by the file (FolderConfinedWriting.h).
    auto project = this->project();
    bool wrote = project && project->holdsPath(*path)
        ? project->writeFileInsideSourceRoot(*path, *data, outError)
        : createDirectory(parentDirectory(*path), true, outError) && writeFileAtomically(*path, *data, outError);
    if (!wrote)
        return false;
    auto written = VornickFileSnapshot::createAsStandaloneSnapshotOfURL(url);
    setSourceFileModificationDate(written->exists() ? std::optional(written->modificationDate()) : std::nullopt);
    setHasEditsNotYetSavedToSourceFile(false);
    return true;
}

} // namespace brevanton

#include "toolkit/VornickEnduringFileReference.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace brevanton {

VornickEnduringFileReference::VornickEnduringFileReference(std::string path)
    : m_path(std::move(path))
    , m_bookmarkData(m_path.begin(), m_path.end())
{
}

std::shared_ptr<VornickEnduringFileReference> VornickEnduringFileReference::enduringReferenceToFileURL(const URL& fileURL)
{
    auto path = fileURL.fileSystemPath();
    if (!path || path->empty())
        return nullptr;
    return std::shared_ptr<VornickEnduringFileReference>(new VornickEnduringFileReference(std::move(*path)));
}

std::shared_ptr<VornickEnduringFileReference> VornickEnduringFileReference::referenceWithBookmarkData(const Data& bookmarkData)
{
    std::string path(bookmarkData.begin(), bookmarkData.end());
    if (path.empty() || path[0] != '/' || path.find('\0') != std::string::npos)
        return nullptr;
    return std::shared_ptr<VornickEnduringFileReference>(new VornickEnduringFileReference(std::move(path)));
}

namespace {

constexpr std::u16string_view BookmarkDataKey = u"bookmarkData";
constexpr std::u16string_view TitleKey = u"title";
constexpr std::u16string_view AbsoluteURLKey = u"absoluteURL";
constexpr std::u16string_view RelativeURLKey = u"relativeURL";

std::optional<std::string> folderPath(const URL* folder)
{
    if (!folder || !folder->isFileURL())
        return std::nullopt;
    auto path = folder->fileSystemPath();
    if (!path || path->empty())
        return std::nullopt;
    if (path->back() != '/')
        *path += '/';
    return path;
}

} // namespace

std::shared_ptr<VornickEnduringFileReference> VornickEnduringFileReference::createWithPropertyList(
    const Value& propertyList, const URL* referencingProjectFolder)
{
    std::shared_ptr<VornickEnduringFileReference> reference;
    auto folder = folderPath(referencingProjectFolder);
    const Value& relative = propertyList[RelativeURLKey];
    if (folder && relative.isString()) {
        URL base = URL::fileURLWithPath(*folder, true);
        auto url = URL::create(relative.string(), &base);
        auto path = url ? url->absoluteURL().fileSystemPath() : std::nullopt;
        if (path && fileExists(*path))
            reference = enduringReferenceToFileURL(url->absoluteURL());
    }
    if (!reference && propertyList[BookmarkDataKey].isData())
        reference = referenceWithBookmarkData(propertyList[BookmarkDataKey].data());
    if (!reference && propertyList[AbsoluteURLKey].isString()) {
        if (auto url = URL::create(propertyList[AbsoluteURLKey].string()); url && url->isFileURL())
            reference = enduringReferenceToFileURL(*url);
    }
    if (reference && propertyList[TitleKey].isString())
        reference->setTitle(propertyList[TitleKey].string());
    return reference;
}

Dictionary VornickEnduringFileReference::propertyListForReferencingProjectFile(const URL* referencingProjectFolder) const
{
    Dictionary propertyList;
    propertyList[std::u16string(BookmarkDataKey)] = Value(m_bookmarkData);
    propertyList[std::u16string(AbsoluteURLKey)] = Value(URL::fileURLWithPath(m_path, false).absoluteString());
    if (auto title = this->title(); !title.empty())
        propertyList[std::u16string(TitleKey)] = Value(title);
    if (auto folder = folderPath(referencingProjectFolder); folder && m_path.size() > folder->size()
        && m_path.compare(0, folder->size(), *folder) == 0) {
        // The URL of the folder's own file URL, less the folder's part.
        URL folderURL = URL::fileURLWithPath(*folder, true);
        std::u16string absolute = URL::fileURLWithPath(m_path, false).absoluteString();
        const std::u16string& prefix = folderURL.absoluteString();
        if (absolute.compare(0, prefix.size(), prefix) == 0)
            propertyList[std::u16string(RelativeURLKey)] = Value(absolute.substr(prefix.size()));
    }
    return propertyList;
}

std::u16string VornickEnduringFileReference::title() const
{
    std::lock_guard lock(m_mutex);
    return m_title;
}

void VornickEnduringFileReference::setTitle(std::u16string title)
{
    std::lock_guard lock(m_mutex);
    m_title = std::move(title);
}

bool VornickEnduringFileReference::getFileURL(URL* fileURL, Error* outError)
{
    BREVANTON_ASSERT(fileURL != NULL, "fileURL != NULL");
    std::lock_guard lock(m_mutex);
    if (!m_resolvedURL) {
        struct stat info;
        if (::stat(m_path.c_str(), &info) < 0) {
            Error error = Error::posix(errno, u"The file \u201C" + toUTF16(m_path) + u"\u201D cannot be found");
            error.userInfo()[Error::FilePathKey] = Value(toUTF16(m_path));
            return setError(outError, std::move(error));
        }
        m_resolvedURL = URL::fileURLWithPath(m_path, S_ISDIR(info.st_mode));
    }
    *fileURL = *m_resolvedURL;
    return true;
}

bool VornickEnduringFileReference::beginUsing(Error* outError)
{
    URL url = URL::fileURLWithPath(m_path, false);
    if (!getFileURL(&url, outError))
        return false;
    std::lock_guard lock(m_mutex);
    ++m_useCount;
    return true;
}

void VornickEnduringFileReference::finishedUsing()
{
    std::lock_guard lock(m_mutex);
    BREVANTON_ASSERT(m_useCount > 0, "finishedUsing without a matching beginUsing");
    --m_useCount;
}

int VornickEnduringFileReference::useCount() const
{
    std::lock_guard lock(m_mutex);
    return m_useCount;
}

bool VornickEnduringFileReference::resolveAndUse(const std::function<void(const URL&)>& block, Error* outError)
{
    if (!beginUsing(outError))
        return false;
    // A file that cannot be looked at now is still handed over by its path.
    URL url = URL::fileURLWithPath(m_path, false);
    if (!getFileURL(&url, nullptr))
        url = URL::fileURLWithPath(m_path, false);
    // The use ends also when the block throws.
    struct UseGuard {
        VornickEnduringFileReference& reference;
        ~UseGuard() { reference.finishedUsing(); }
    } guard { *this };
    if (block)
        block(url);
    return true;
}

std::u16string VornickEnduringFileReference::description() const
{
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
    return u"VornickEnduringFileReference(" + toUTF16(address) + u") path=" + toUTF16(m_path)
        + u" useCount=" + toUTF16(std::to_string(useCount()));
}

} // namespace brevanton

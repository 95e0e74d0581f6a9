#include "publishing/VornickWordPressBlogPostEditor.h"

#include "app/VornickMediaFileInfoCache.h"
#include "blog/VornickComponentFileNames.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickDiskWebResourceCache.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/FileReading.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "publishing/VornickMediaItemFileInfo.h"
#include "toolkit/VornickDateFormatterExtensions.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickMediaFileContent.h"
#include "toolkit/VornickObjectArchive.h"
#include "toolkit/VornickURLExtensions.h"
#include "wordpress/VornickWordPressIntegrator.h"
#include "wordpress/VornickWordPressMediaItem.h"

#include <sys/stat.h>

namespace brevanton {

namespace {

bool refuse(Error* outError, const URL& file, std::u16string reason)
{
    return setError(outError, Error(VornickErrorDomain, VornickMediaFileUnreadableError,
                                    u"\u201C" + file.lastPathComponent() + u"\u201D cannot go into the blog\u2019s media library: " + reason));
}

// Why a file may not be staged; none when it may.
std::optional<std::u16string> whyFileIsNoMedia(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return u"it cannot be read.";
    if (!S_ISREG(status.st_mode))
        return S_ISDIR(status.st_mode) ? u"it is a folder." : u"it is not a regular file.";
    Error error;
    auto prefix = readFilePrefix(path, VornickMediaContentPrefixLength, &error);
    if (!prefix)
        return u"it cannot be read (" + error.localizedDescription() + u").";
    if (vornick_mediaContentKindOfPrefix(*prefix) == VornickMediaContentKind::None)
        return u"it holds no image, sound or film.";
    return std::nullopt;
}

} // namespace

std::optional<URL> VornickWordPressBlogPostEditor::findReferencedFileInBlogMediaLibraryOrStageIntoBlogMediaLibrary(const URL& url,
                                                                                                                    Error* outError)
{
    if (!url.isFileURL())
        return url;
    auto path = url.fileSystemPath();
    auto blog = m_wordPressPost->wordPressBlog();
    if (!path || !blog) {
        refuse(outError, url, u"the post has no blog.");
        return std::nullopt;
    }
    // A file of the library (an item dragged from the media library) stays.
    if (blog->mediaItemForSourceURL(url))
        return url;
    if (auto why = whyFileIsNoMedia(*path)) {
        refuse(outError, url, *why);
        return std::nullopt;
    }
    auto cache = blog->webResourceCache();
    auto folder = blog->mediaFolderURL();
    std::optional<URL> cached = cache ? cache->cachedFileURLForURL(url) : std::nullopt;
    if (!cached && cache)
        cached = cache->storeCopyOfFile(url);
    auto local = cached && folder ? vornick_URLStringRelativeToBaseURL(*cached, *folder) : std::nullopt;
    if (!local) {
        refuse(outError, url, u"no copy of it could be kept with the blog.");
        return std::nullopt;
    }
    if (blog->mediaItemForSourceURL(*cached))
        return cached;

    auto* context = m_wordPressPost->managedObjectContext();
    auto item = context ? context->insertNewObject<VornickWordPressMediaItem>() : nullptr;
    if (!item) {
        refuse(outError, url, u"the blog\u2019s index cannot take it.");
        return std::nullopt;
    }
    Date now = Date::now();
    item->ManagedObject::setValueForKey(Value(now), u"dateCreated");
    item->ManagedObject::setValueForKey(Value(*local), u"localURLString");
    item->ManagedObject::setValueForKey(Value(url.lastPathComponent()), u"title");
    auto items = blog->mediaItems();
    item->setSourceFileName(vornick_uniqueComponentFileName(vornick_uniqueIdentifierStringFromDate(now),
                                                            *item->standardFilenameExtension(), folder, [&](const std::u16string& name) {
                                                                return std::any_of(items.begin(), items.end(), [&](auto& other) {
                                                                    return other->valueForKey(u"sourceFileName").stringValue() == name;
                                                                });
                                                            }));
    item->setObjectForKey(blog, u"blog");
    if (auto info = vornick_mediaFileInfo(*item)) {
        item->ManagedObject::setValueForKey(Value(static_cast<int64_t>(info->pixelsWide())), u"pixelsWide");
        item->ManagedObject::setValueForKey(Value(static_cast<int64_t>(info->pixelsHigh())), u"pixelsHigh");
    }
    item->setHasEditsNotYetSavedToSourceFile(true);
    Error error;
    auto file = item->sourceFileURL();
    if (!file || !item->writeArchivalRepresentationToURL(*file, VornickObjectArchiveFormat::JSON, &error)) {
        // Without its file the item would be lost at the next index rebuild.
        VornickGeneralLog(u"Failed to write the file of media item \u201C" + url.lastPathComponent() + u"\u201D: " + error.localizedDescription());
        context->deleteObject(item);
        refuse(outError, url, u"its media item could not be written.");
        return std::nullopt;
    }
    NotificationCenter::defaultCenter().post(VornickWordPressIntegrator::AddedMediaItemsNotification, static_cast<const void*>(blog.get()));
    return cached;
}

} // namespace brevanton

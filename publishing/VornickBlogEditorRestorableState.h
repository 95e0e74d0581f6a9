// VornickBlogEditorRestorableState: what a blog window keeps across
// relaunches (its post list's sort order, filters, search string and search
// fields), for every blog of an account project, in one property list beside
// the project's index ("<index name>.RestorableState.plist" in the
// application's data folder): a dictionary of one dictionary per blog, keyed
// by the blog file's path in the project ("blogs/Site/Site.brevantonwordpressblog"),
// which stays the same across relaunches and re-indexing.
//
// A window invalidates its blog's state with a producer of the dictionary;
// the file is written (atomically: a temporary file renamed over it) one
// second after the first invalidation, so at most once a second however
// often the user types, and at once by flush() (a window flushes when it
// closes). The producers run at the write. A corrupt or unreadable file
// reads as empty and is logged; a failed write is logged and leaves the old
// file whole, the state kept for the next write.
//
// The windows of one project share one store (stateForProject). Main
// thread; the write timer runs on the main run loop's clock.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "ui/VornickWebListArrayController.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class FileSystemCalls;
class ManagedObject;
class ManagedObjectContext;
class VornickBlog;
class VornickProject;
struct VornickWordPressPostListFilters;

// The keys of a blog window's state.
inline constexpr const char16_t* VornickBlogEditorPostListSortDescriptorsKey = u"com.Orbendalworks.Brevanton.BlogEditor.postListSortDescriptors";
inline constexpr const char16_t* VornickBlogEditorPostListSelectedCategoriesKey = u"com.Orbendalworks.Brevanton.BlogEditor.postListSelectedCategories";
inline constexpr const char16_t* VornickBlogEditorPostListSelectedTagsKey = u"com.Orbendalworks.Brevanton.BlogEditor.postListSelectedTags";
inline constexpr const char16_t* VornickBlogEditorPostListSelectedPostStatusesKey = u"com.Orbendalworks.Brevanton.BlogEditor.postListSelectedPostStatuses";
inline constexpr const char16_t* VornickBlogEditorPostListSelectedPostTypesKey = u"com.Orbendalworks.Brevanton.BlogEditor.postListSelectedPostTypes";
inline constexpr const char16_t* VornickBlogEditorPostListViewingTrashKey = u"com.Orbendalworks.Brevanton.BlogEditor.postListViewingTrash";
inline constexpr const char16_t* VornickBlogEditorSearchStringKey = u"com.Orbendalworks.Brevanton.BlogEditor.searchString";
inline constexpr const char16_t* VornickBlogEditorFieldsToSearchKey = u"com.Orbendalworks.Brevanton.BlogEditor.fieldsToSearch";

// A WordPress blog window's state as a dictionary: the sort descriptors
// (when any) as an array of dictionaries { "key": string, "ascending":
// boolean }; the selected categories' and tags' titles and the statuses'
// identifiers, and the post types, each as an array of distinct strings
// (the sets); the Trash flag; the search text; the search fields.
Dictionary VornickBlogEditorRestorableStateDictionary(const VornickWordPressPostListFilters&,
                                                      const std::vector<VornickWebListSortDescriptor>& sortDescriptors,
                                                      const std::u16string& searchString, int fieldsToSearch);

// What a window takes back from its state. Each missing or malformed value
// is left out by itself, the others are kept.
struct VornickBlogEditorRestoredState {
    // The sort descriptors whose key is one the list sorts by (the sorting
    // popover's keys); none when no well-formed one remains.
    std::optional<std::vector<VornickWebListSortDescriptor>> sortDescriptors;
    // The three object sets (categories, tags, statuses) under their keys,
    // each only when an array, as arrays of its strings; resolved into the
    // blog's objects once the index is connected.
    Dictionary restoredFilterSettings;
    // When an array: its strings.
    std::optional<std::vector<std::u16string>> selectedPostTypes;
    std::optional<bool> viewingTrash;
    std::optional<std::u16string> searchString;
    // When an integer whose low two bits are not both 0: those bits.
    std::optional<int> fieldsToSearch;
};
VornickBlogEditorRestoredState VornickBlogEditorRestoredStateFromDictionary(const Dictionary&);

// Turns the restored sets back into objects of the blog ("BlogCategory" by
// "title", "BlogTag" by "title", "PostStatus" by "identifier", each of the
// blog) and makes them the filters' category, tag and status selections;
// values without a match are dropped. A set the settings lack leaves its
// selection as it is.
void resolveRestoredFilterSettings(const Dictionary& restoredFilterSettings, ManagedObjectContext&,
                                   const std::shared_ptr<ManagedObject>& blog, VornickWordPressPostListFilters&);

class VornickBlogEditorRestorableState : public std::enable_shared_from_this<VornickBlogEditorRestorableState> {
public:
    // Answers the blog's state; none keeps the state there is (a producer
    // holding its window weakly answers none once the window is gone).
    using DictionaryProducer = std::function<std::optional<Dictionary>()>;
    static constexpr double writeDelay = 1.0;

    // The project's store, shared by its windows while any holds it.
    static std::shared_ptr<VornickBlogEditorRestorableState> stateForProject(const VornickProject&);
    // The file beside a project's index file.
    static std::string stateFilePathForIndexFilePath(const std::string& indexFilePath);
    // The key of a blog: its file's path under the project's source root
    // (its file name when it lies elsewhere); none without a file.
    static std::optional<std::u16string> keyForBlog(const VornickBlog&);

    // A store of its own on the file at `path`; the file is read on first
    // use. Writes go through `calls`.
    static std::shared_ptr<VornickBlogEditorRestorableState> create(std::string path);
    static std::shared_ptr<VornickBlogEditorRestorableState> create(std::string path, FileSystemCalls& calls);
    // Writes what is pending.
    ~VornickBlogEditorRestorableState();
    VornickBlogEditorRestorableState(const VornickBlogEditorRestorableState&) = delete;
    VornickBlogEditorRestorableState& operator=(const VornickBlogEditorRestorableState&) = delete;

    const std::string& filePath() const { return m_filePath; }

    // The blog's state changed: `producer` (replacing an earlier one not
    // yet run) gives it at the next write, due `writeDelay` seconds after
    // the first invalidation since the last write.
    void invalidate(const std::u16string& blogKey, DictionaryProducer producer);
    // Writes now when anything was invalidated (the timer is cancelled).
    // False with the error when the write failed; the old file is then
    // left and the state written at the next write.
    [[nodiscard]] bool flush(Error* outError = nullptr);
    bool hasPendingWrite() const { return !m_producers.empty() || m_needsWrite; }

    // The blog's state as last invalidated or read from the file; empty when
    // there is none.
    Dictionary restoredStateForBlog(const std::u16string& blogKey);

private:
    VornickBlogEditorRestorableState(std::string path, FileSystemCalls& calls);
    void readFileIfNeeded();
    void runProducers();
    void store(const std::u16string& blogKey, std::optional<Dictionary>);
    [[nodiscard]] bool writeFile(Error* outError);
    void writeTimerFired();

    std::string m_filePath;
    FileSystemCalls& m_calls;
    bool m_didRead { false };
    bool m_needsWrite { false };
    Dictionary m_blogStates;
    std::map<std::u16string, DictionaryProducer, std::less<>> m_producers;
    ScopedTimer m_writeTimer;
};

} // namespace brevanton

#include "publishing/VornickBlogEditorRestorableState.h"

#include "blog/VornickBlogModel.h"
#include "blog/VornickWordPressBlog.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/store/PersistentStore.h"
#include "publishing/VornickWordPressPostListFilters.h"
#include "tests/platform/foundation/FailingFileSystemCalls.h"
#include "toolkit/VornickLog.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace brevanton {
namespace {

using Objects = std::vector<std::shared_ptr<ManagedObject>>;

class RestorableStateTest : public ::testing::Test {
protected:
    std::string folder = createTemporaryDirectory("blog-window-state").value();
    std::string path = folder + "/index.RestorableState.plist";
    std::shared_ptr<ManagedObjectContext> context;
    std::shared_ptr<ManagedObject> blog, otherBlog;

    void SetUp() override
    {
        RunLoop::main().useManualClock();
        Error error;
        auto store = PersistentStore::open(folder + "/index.brevantonindex", vornickMakeBlogProjectModel(true), &error);
        ASSERT_TRUE(store) << error;
        context = ManagedObjectContext::create(store);
        blog = context->insertNewObject(u"Blog");
        otherBlog = context->insertNewObject(u"Blog");
    }
    void TearDown() override { RunLoop::main().useRealClock(); }

    std::shared_ptr<ManagedObject> object(std::u16string_view entity, std::u16string_view key, std::u16string value,
                                          const std::shared_ptr<ManagedObject>& owner)
    {
        auto made = context->insertNewObject(entity);
        made->setValueForKey(Value(std::move(value)), key);
        made->setObjectForKey(owner, u"blog");
        return made;
    }

    std::optional<Value> fileContents() const
    {
        auto bytes = readFile(path);
        if (!bytes)
            return std::nullopt;
        return readPropertyList(*bytes, nullptr);
    }

    static Dictionary searchState(std::u16string search) { return Dictionary { { VornickBlogEditorSearchStringKey, Value(std::move(search)) } }; }
};

TEST_F(RestorableStateTest, FiltersSortAndSearchRoundTripAndResolveToTheBlogsObjects)
{
    auto news = object(u"BlogCategory", u"title", u"News", blog);
    auto otherNews = object(u"BlogCategory", u"title", u"News", otherBlog);
    auto kept = object(u"BlogTag", u"title", u"kept", blog);
    auto deleted = object(u"BlogTag", u"title", u"deleted", blog);
    auto draft = object(u"PostStatus", u"identifier", u"draft", blog);
    object(u"PostStatus", u"identifier", u"publish", blog);

    VornickWordPressPostListFilters filters;
    filters.viewingTrash = true;
    filters.selectedPostTypes = { u"page", u"page" };
    filters.selectedCategories = { news };
    filters.selectedTags = { kept, deleted };
    filters.selectedPostStatuses = { draft };
    Dictionary written = VornickBlogEditorRestorableStateDictionary(filters, { { u"title", true }, { u"dateLastPublished", false } },
                                                                    u"caf\u00e9 </li>", 1);
    // Through the file's format, as a relaunch reads it.
    auto bytes = writePropertyList(Value(written), PropertyListFormat::XML, nullptr);
    ASSERT_TRUE(bytes);
    auto read = readPropertyList(*bytes, nullptr);
    ASSERT_TRUE(read && read->isDictionary());
    auto state = VornickBlogEditorRestoredStateFromDictionary(read->dictionary());

    ASSERT_TRUE(state.sortDescriptors);
    ASSERT_EQ(state.sortDescriptors->size(), 2u);
    EXPECT_EQ((*state.sortDescriptors)[0].key, u"title");
    EXPECT_TRUE((*state.sortDescriptors)[0].ascending);
    EXPECT_EQ((*state.sortDescriptors)[1].key, u"dateLastPublished");
    EXPECT_FALSE((*state.sortDescriptors)[1].ascending);
    EXPECT_EQ(state.selectedPostTypes, std::vector<std::u16string> { u"page" });
    EXPECT_EQ(state.viewingTrash, true);
    EXPECT_EQ(state.searchString, u"caf\u00e9 </li>");
    EXPECT_EQ(state.fieldsToSearch, 1);

    // The tag was deleted from the blog since: it drops out silently.
    context->deleteObject(deleted);
    VornickWordPressPostListFilters restored;
    resolveRestoredFilterSettings(state.restoredFilterSettings, *context, blog, restored);
    EXPECT_EQ(restored.selectedCategories, Objects { news }); // not the other blog's "News"
    EXPECT_EQ(restored.selectedTags, Objects { kept });
    EXPECT_EQ(restored.selectedPostStatuses, Objects { draft });

    // Nothing chosen: empty sets, no sort descriptors written.
    Dictionary plain = VornickBlogEditorRestorableStateDictionary({}, {}, u"", 3);
    EXPECT_FALSE(plain.contains(VornickBlogEditorPostListSortDescriptorsKey));
    EXPECT_EQ(plain[VornickBlogEditorPostListSelectedTagsKey], Value(Array {}));
    EXPECT_EQ(plain[VornickBlogEditorPostListViewingTrashKey], Value(false));
}

TEST_F(RestorableStateTest, MalformedValuesAreSkippedOneByOne)
{
    auto news = object(u"BlogCategory", u"title", u"News", blog);
    Dictionary stored {
        { VornickBlogEditorPostListSortDescriptorsKey,
          Value(Array { Value(u"title"),
                        Value(Dictionary { { u"key", Value(u"posts.@count") }, { u"ascending", Value(true) } }),
                        Value(Dictionary { { u"key", Value(u"title") }, { u"ascending", Value(u"yes") } }),
                        Value(Dictionary { { u"key", Value(u"dateFirstPublished") }, { u"ascending", Value(true) } }) }) },
        { VornickBlogEditorPostListSelectedCategoriesKey, Value(Array { Value(u"News"), Value(7), Value(u"Gone") }) },
        { VornickBlogEditorPostListSelectedTagsKey, Value(u"kept") },
        { VornickBlogEditorPostListSelectedPostStatusesKey, Value(Dictionary {}) },
        { VornickBlogEditorPostListSelectedPostTypesKey, Value(Array { Value(u"post"), Value(false) }) },
        { VornickBlogEditorPostListViewingTrashKey, Value(u"YES") },
        { VornickBlogEditorSearchStringKey, Value(12) },
        { VornickBlogEditorFieldsToSearchKey, Value(6) },
    };
    auto state = VornickBlogEditorRestoredStateFromDictionary(stored);
    ASSERT_TRUE(state.sortDescriptors);
    ASSERT_EQ(state.sortDescriptors->size(), 1u);
    EXPECT_EQ(state.sortDescriptors->front().key, u"dateFirstPublished");
    EXPECT_EQ(state.selectedPostTypes, std::vector<std::u16string> { u"post" });
    EXPECT_FALSE(state.viewingTrash);
    EXPECT_FALSE(state.searchString);
    EXPECT_EQ(state.fieldsToSearch, 2);
    EXPECT_TRUE(state.restoredFilterSettings.contains(VornickBlogEditorPostListSelectedCategoriesKey));
    EXPECT_FALSE(state.restoredFilterSettings.contains(VornickBlogEditorPostListSelectedTagsKey));
    EXPECT_FALSE(state.restoredFilterSettings.contains(VornickBlogEditorPostListSelectedPostStatusesKey));

    // A set that is not one leaves its selection alone.
    auto tag = object(u"BlogTag", u"title", u"kept", blog);
    VornickWordPressPostListFilters filters;
    filters.selectedTags = { tag };
    resolveRestoredFilterSettings(state.restoredFilterSettings, *context, blog, filters);
    EXPECT_EQ(filters.selectedCategories, Objects { news });
    EXPECT_EQ(filters.selectedTags, Objects { tag });

    // Search fields whose low bits are both 0 are not taken; no sort descriptor
    // that can be used is none at all.
    for (auto fields : { Value(0), Value(4), Value(u"3"), Value(3.0) })
        EXPECT_FALSE(VornickBlogEditorRestoredStateFromDictionary({ { VornickBlogEditorFieldsToSearchKey, fields } }).fieldsToSearch)
            << fields.description();
    EXPECT_FALSE(VornickBlogEditorRestoredStateFromDictionary({ { VornickBlogEditorPostListSortDescriptorsKey, Value(Array {}) } })
                     .sortDescriptors);
    EXPECT_FALSE(VornickBlogEditorRestoredStateFromDictionary({}).sortDescriptors);
}

TEST_F(RestorableStateTest, InvalidationsCoalesceIntoOneWriteASecond)
{
    auto state = VornickBlogEditorRestorableState::create(path);
    int produced = 0;
    std::u16string search = u"a";
    auto producer = [&] {
        ++produced;
        return searchState(search);
    };
    state->invalidate(u"blogs/Site/Site.brevantonwordpressblog", producer);
    search = u"ab";
    state->invalidate(u"blogs/Site/Site.brevantonwordpressblog", producer);
    RunLoop::main().advanceClock(0.9);
    EXPECT_FALSE(fileExists(path));
    EXPECT_EQ(produced, 0);
    RunLoop::main().advanceClock(0.1);
    EXPECT_EQ(produced, 1);
    auto written = fileContents();
    ASSERT_TRUE(written);
    EXPECT_EQ((*written)[u"blogs/Site/Site.brevantonwordpressblog"][VornickBlogEditorSearchStringKey], Value(u"ab"));
    EXPECT_FALSE(state->hasPendingWrite());

    // Typing on: the next write is a second after the next change, not sooner.
    search = u"abc";
    state->invalidate(u"blogs/Site/Site.brevantonwordpressblog", producer);
    RunLoop::main().advanceClock(0.5);
    search = u"abcd";
    state->invalidate(u"blogs/Site/Site.brevantonwordpressblog", producer);
    RunLoop::main().advanceClock(0.4);
    EXPECT_EQ(produced, 1);
    RunLoop::main().advanceClock(0.1);
    EXPECT_EQ(produced, 2);
    EXPECT_EQ((*fileContents())[u"blogs/Site/Site.brevantonwordpressblog"][VornickBlogEditorSearchStringKey], Value(u"abcd"));
    RunLoop::main().advanceClock(5);
    EXPECT_EQ(produced, 2);

    // A window closing flushes at once.
    search = u"closed";
    state->invalidate(u"blogs/Site/Site.brevantonwordpressblog", producer);
    EXPECT_TRUE(state->flush());
    EXPECT_EQ((*fileContents())[u"blogs/Site/Site.brevantonwordpressblog"][VornickBlogEditorSearchStringKey], Value(u"closed"));
    RunLoop::main().advanceClock(2);
    EXPECT_EQ(produced, 3);

    // A store let go of writes what is pending.
    search = u"last";
    state->invalidate(u"blogs/Site/Site.brevantonwordpressblog", producer);
    state.reset();
    EXPECT_EQ((*fileContents())[u"blogs/Site/Site.brevantonwordpressblog"][VornickBlogEditorSearchStringKey], Value(u"last"));
}

TEST_F(RestorableStateTest, EachBlogKeepsItsStateAcrossRelaunches)
{
    {
        auto state = VornickBlogEditorRestorableState::create(path);
        EXPECT_TRUE(state->restoredStateForBlog(u"blogs/A/A.brevantonwordpressblog").empty());
        state->invalidate(u"blogs/A/A.brevantonwordpressblog", [] { return searchState(u"first"); });
        state->invalidate(u"blogs/B/B.brevantonwordpressblog", [] { return searchState(u"second"); });
        // Reopened before the write: the newest state.
        EXPECT_EQ(state->restoredStateForBlog(u"blogs/A/A.brevantonwordpressblog"), searchState(u"first"));
        EXPECT_TRUE(state->flush());
    }
    {
        auto state = VornickBlogEditorRestorableState::create(path);
        EXPECT_EQ(state->restoredStateForBlog(u"blogs/B/B.brevantonwordpressblog"), searchState(u"second"));
        state->invalidate(u"blogs/A/A.brevantonwordpressblog", [] { return searchState(u"changed"); });
        EXPECT_TRUE(state->flush());
    }
    auto state = VornickBlogEditorRestorableState::create(path);
    EXPECT_EQ(state->restoredStateForBlog(u"blogs/A/A.brevantonwordpressblog"), searchState(u"changed"));
    EXPECT_EQ(state->restoredStateForBlog(u"blogs/B/B.brevantonwordpressblog"), searchState(u"second"));
    EXPECT_TRUE(state->restoredStateForBlog(u"blogs/C/C.brevantonwordpressblog").empty());

    // A producer whose window is gone answers nothing: the state stays.
    state->invalidate(u"blogs/B/B.brevantonwordpressblog", [] { return std::optional<Dictionary>(); });
    EXPECT_TRUE(state->flush());
    EXPECT_EQ(VornickBlogEditorRestorableState::create(path)->restoredStateForBlog(u"blogs/B/B.brevantonwordpressblog"),
              searchState(u"second"));
}

TEST_F(RestorableStateTest, ADamagedFileReadsAsEmptyAndIsReplacedByTheNextWrite)
{
    for (std::string_view damaged : { std::string_view("<?xml version=\"1.0\"?><plist><dict><key>x"), std::string_view("\x00\x01garbage", 9),
                                      std::string_view("<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>") }) {
        ASSERT_TRUE(writeFileAtomically(path, damaged));
        auto state = VornickBlogEditorRestorableState::create(path);
        EXPECT_TRUE(state->restoredStateForBlog(u"blogs/A/A.brevantonwordpressblog").empty());
        EXPECT_NE(VornickLog::generalLog().text().find(u"is damaged"), std::u16string::npos);
        state->invalidate(u"blogs/A/A.brevantonwordpressblog", [] { return searchState(u"new"); });
        EXPECT_TRUE(state->flush());
        EXPECT_EQ((*fileContents())[u"blogs/A/A.brevantonwordpressblog"], Value(searchState(u"new")));
    }
    // A blog's entry that is no dictionary reads as empty too.
    ASSERT_TRUE(writeFileAtomically(path, toUTF8(u"<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>A</key><string>x</string></dict></plist>")));
    EXPECT_TRUE(VornickBlogEditorRestorableState::create(path)->restoredStateForBlog(u"A").empty());
}

TEST_F(RestorableStateTest, AFailedWriteKeepsTheOldFileAndTheStateForTheNextWrite)
{
    ASSERT_TRUE(VornickBlogEditorRestorableState::create(path)->restoredStateForBlog(u"A").empty());
    {
        auto state = VornickBlogEditorRestorableState::create(path);
        state->invalidate(u"A", [] { return searchState(u"old"); });
        ASSERT_TRUE(state->flush());
    }
    FailingFileSystemCalls calls;
    calls.failCall(FileSystemCall::Rename, 0, EIO);
    calls.failCall(FileSystemCall::Write, 1, ENOSPC);
    auto state = VornickBlogEditorRestorableState::create(path, calls);
    state->invalidate(u"A", [] { return searchState(u"new"); });
    Error error;
    EXPECT_FALSE(state->flush(&error));
    EXPECT_EQ(error.code(), EIO);
    EXPECT_EQ((*fileContents())[u"A"], Value(searchState(u"old")));
    auto names = directoryEntryNames(folder);
    ASSERT_TRUE(names);
    for (const auto& name : *names)
        EXPECT_EQ(name.find(".tmp-"), std::string::npos) << name;
    EXPECT_NE(VornickLog::generalLog().text().find(u"FAILED to write the window state"), std::u16string::npos);

    // The timer fires into the second failure, then the next flush writes.
    state->invalidate(u"B", [] { return searchState(u"other"); });
    RunLoop::main().advanceClock(1);
    EXPECT_EQ((*fileContents())[u"A"], Value(searchState(u"old")));
    EXPECT_TRUE(state->hasPendingWrite());
    EXPECT_TRUE(state->flush());
    EXPECT_EQ((*fileContents())[u"A"], Value(searchState(u"new")));
    EXPECT_EQ((*fileContents())[u"B"], Value(searchState(u"other")));
}

TEST_F(RestorableStateTest, AProjectsWindowsShareOneFileBesideItsIndexKeyedByTheBlogsPath)
{
    Error error;
    std::string projectFile = folder + "/Account/project.brevantonwordpressproject";
    ASSERT_TRUE(createDirectory(folder + "/Account"));
    auto project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
        URL::fileURLWithPath(std::string_view(projectFile), false), &error);
    ASSERT_TRUE(project) << error;
    auto& projectContext = *project->index()->managedObjectContext();
    auto site = std::dynamic_pointer_cast<VornickWordPressBlog>(projectContext.insertNewObject(u"Blog"));
    site->setBlogFolderName(u"Site");
    site->setSourceFileName(u"Site.brevantonwordpressblog");
    site->setObjectForKey(project->wordPressAccount(), u"hostingAccount");

    auto key = VornickBlogEditorRestorableState::keyForBlog(*site);
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->ends_with(u"Site/Site.brevantonwordpressblog")) << toUTF8(*key);
    EXPECT_FALSE(key->starts_with(u"/")) << toUTF8(*key);

    auto state = VornickBlogEditorRestorableState::stateForProject(*project);
    EXPECT_EQ(state, VornickBlogEditorRestorableState::stateForProject(*project));
    std::string indexPath = project->index()->filePath();
    EXPECT_EQ(parentDirectory(state->filePath()), parentDirectory(indexPath));
    EXPECT_TRUE(state->filePath().ends_with(".RestorableState.plist"));
    EXPECT_EQ(VornickBlogEditorRestorableState::stateFilePathForIndexFilePath("/d/1234-AB.brevantonindex"), "/d/1234-AB.RestorableState.plist");
    EXPECT_EQ(VornickBlogEditorRestorableState::stateFilePathForIndexFilePath("/d.x/index"), "/d.x/index.RestorableState.plist");

    state->invalidate(*key, [] { return searchState(u"kept"); });
    state.reset();
    EXPECT_EQ(VornickBlogEditorRestorableState::stateForProject(*project)->restoredStateForBlog(*key), searchState(u"kept"));
}

} // namespace
} // namespace brevanton

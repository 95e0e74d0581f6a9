#include "documents/VornickProject.h"

#include "documents/VornickProjectComponent.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/store/ManagedObjectModel.h"
#include "platform/store/PersistentStore.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickFileSnapshot.h"
#include "toolkit/VornickFileTreeEvent.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <unistd.h>

#include <cmath>
#include <cstdlib>

using namespace brevanton;

namespace {

class TestAccount : public VornickProjectComponent {
public:
    std::string className() const override { return "TestAccount"; }
    std::vector<std::u16string> attributesForArchivalRepresentation() const override { return { u"title", u"rating" }; }
};

// The model of the test projects; with `changed`, "title" is a number: a
// change no store migrates in place.
std::shared_ptr<const ManagedObjectModel> testModel(bool changed)
{
    auto model = std::make_shared<ManagedObjectModel>();
    auto& account = model->addEntity(u"Account");
    VornickProjectComponent::addProjectComponentAttributes(account);
    account.addAttribute(u"title", changed ? AttributeType::Integer : AttributeType::String);
    account.addAttribute(u"rating", AttributeType::Double);
    account.setInstanceFactory([] { return std::make_shared<TestAccount>(); });
    auto& post = model->addEntity(u"Post");
    VornickProjectComponent::addProjectComponentAttributes(post);
    post.addAttribute(u"body", AttributeType::String);
    post.setInstanceFactory([] { return std::make_shared<VornickProjectComponent>(); });
    return model;
}

class TestProject : public VornickProject {
public:
    static inline bool useChangedModel = false;

    std::u16string projectUTI() const override { return u"com.Orbendalworks.Brevanton.project.test"; }
    std::u16string rootComponentEntityType() const override { return u"Account"; }
    std::shared_ptr<const ManagedObjectModel> managedObjectModel() const override
    {
        static auto model = testModel(false);
        static auto changed = testModel(true);
        return useChangedModel ? changed : model;
    }
    URL initialIndexingFolderURL() const override { return sourceRootURL().URLByAppendingPathComponent(u"blogs", true); }

    void updateRootComponentFromProjectFileObjectArchive(const VornickObjectArchive* archive) override
    {
        if (archive && archive->objectForKey(u"title"))
            rootComponent()->setValueForKey(*archive->objectForKey(u"title"), u"title");
    }
    // Every post file of the folder becomes a post whose body is the file's text.
    void importChangesFromFileTreeEvent(const VornickFileTreeEvent& event) override
    {
        events.push_back(event.fileURL().absoluteString());
        if (event.kind() != VornickFileTreeEventKind::FileAdded || !event.fileSnapshot()->isDirectory())
            return;
        for (const auto& child : event.fileSnapshot()->allChildSnapshots()) {
            if (child->resolvedURL().pathExtension() != u"post")
                continue;
            auto post = std::static_pointer_cast<VornickProjectComponent>(index()->managedObjectContext()->insertNewObject(u"Post"));
            post->setSourceFileName(child->resolvedURL().lastPathComponent());
            post->setValueForKey(Value(toUTF16(readFile(*child->resolvedURL().fileSystemPath()).value_or(""))), u"body");
        }
    }
    void importChangesSinceLastIndexing() override { ++updates; }

    std::vector<std::u16string> events;
    int updates { 0 };
};

class VornickProjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("project").value();
        TestProject::useChangedModel = false;
    }
    void TearDown() override
    {
        TestProject::useChangedModel = false;
        EXPECT_TRUE(removeItem(m_folder));
    }
    URL projectFileURL() const { return URL::fileURLWithPath(m_folder + "/Prøject ✓/project.brevantontestproject", false); }
    size_t postCount(VornickProject& project)
    {
        return project.index()->managedObjectContext()->executeFetchRequest(FetchRequest(u"Post"), nullptr)->size();
    }

    std::string m_folder;
};

} // namespace

TEST_F(VornickProjectTest, ProjectFileRoundTripKeepsIdentifierAndRootProperties)
{
    UUID identifier;
    std::string indexPath;
    {
        Error error;
        auto project = VornickProject::createWithNewProjectFileURL<TestProject>(projectFileURL(), &error);
        ASSERT_TRUE(project) << toUTF8(error.localizedDescription());
        identifier = project->uniqueIdentifier();
        indexPath = project->index()->filePath();
        EXPECT_EQ(indexPath, std::string(getenv("XDG_DATA_HOME")) + "/com.Orbendalworks.Brevanton/"
                      + toUTF8(identifier.UUIDString()) + ".brevantonindex");
        EXPECT_TRUE(fileExists(indexPath));
        EXPECT_EQ(project->sourceRootURL().path(), toUTF16(m_folder + "/Prøject ✓"));
        EXPECT_TRUE(project->events.empty());

        auto root = project->rootComponent();
        ASSERT_TRUE(root);
        EXPECT_TRUE(root->hasEditsNotYetSavedToSourceFile());
        EXPECT_EQ(root->project(), project);
        EXPECT_EQ(VornickProject::vornickProjectForManagedObjectContext(project->index()->managedObjectContext().get()), project);
        root->setValueForKey(Value(u"Ünïcødé ✓ \"blog\" \U0001F600"), u"title");
        root->setValueForKey(Value(2.5), u"rating");
        ASSERT_TRUE(project->saveComponentsToSourceFilesIfNeeded(&error)) << toUTF8(error.localizedDescription());
        EXPECT_FALSE(root->hasEditsNotYetSavedToSourceFile());
        ASSERT_TRUE(project->index()->commitEditingAndSave(&error));
    }

    auto text = readFile(*projectFileURL().fileSystemPath());
    ASSERT_TRUE(text);
    auto json = readJSON(*text, nullptr);
    ASSERT_TRUE(json);
    EXPECT_EQ((*json)[u"uniqueIdentifier"], Value(identifier.UUIDString()));
    EXPECT_EQ((*json)[u"projectType"], Value(u"com.Orbendalworks.Brevanton.project.test"));
    EXPECT_EQ((*json)[u"title"], Value(u"Ünïcødé ✓ \"blog\" \U0001F600"));

    Error error;
    auto project = VornickProject::createWithContentsOfProjectFileURL<TestProject>(projectFileURL(), &error);
    ASSERT_TRUE(project) << toUTF8(error.localizedDescription());
    EXPECT_EQ(project->uniqueIdentifier(), identifier);
    EXPECT_EQ(project->index()->filePath(), indexPath);
    EXPECT_EQ(project->rootComponent()->valueForKey(u"title"), Value(u"Ünïcødé ✓ \"blog\" \U0001F600"));
    EXPECT_FALSE(project->rootComponent()->hasEditsNotYetSavedToSourceFile());
    // The existing index is brought up to date, not filled again.
    EXPECT_TRUE(project->events.empty());
    EXPECT_EQ(project->updates, 1);
    EXPECT_FALSE(VornickProject::vornickProjectForManagedObjectContext(nullptr));
    (void)removeItem(indexPath);
}

TEST_F(VornickProjectTest, UnreadableOrForeignProjectFilesAreErrorsAndStayUntouched)
{
    ASSERT_TRUE(createDirectory(*projectFileURL().URLByDeletingLastPathComponent().fileSystemPath()));
    std::string path = *projectFileURL().fileSystemPath();
    for (std::string contents : { std::string("{ \"title\": "), std::string("[1, 2]"),
                                  std::string("{ \"projectType\": \"com.Orbendalworks.Brevanton.project.other\" }") }) {
        ASSERT_TRUE(writeFileAtomically(path, contents));
        Error error;
        EXPECT_FALSE(VornickProject::createWithContentsOfProjectFileURL<TestProject>(projectFileURL(), &error)) << contents;
        EXPECT_TRUE(error.is(VornickErrorDomain, VornickProjectFileUnreadableError)) << error.domain() << error.code();
        EXPECT_NE(error.localizedDescription().find(u"project.brevantontestproject"), std::u16string::npos);
        EXPECT_EQ(readFile(path), contents);
    }
    Error error;
    ASSERT_TRUE(removeItem(path));
    EXPECT_FALSE(VornickProject::createWithContentsOfProjectFileURL<TestProject>(projectFileURL(), &error));
    EXPECT_TRUE(error.is(VornickErrorDomain, VornickProjectFileUnreadableError));
    EXPECT_FALSE(fileExists(path));
}

TEST_F(VornickProjectTest, NewIndexIsFilledOnceFromTheFilesAndRebuiltWhenIncompatibleOrUnfinished)
{
    std::string root = m_folder + "/Prøject ✓";
    ASSERT_TRUE(createDirectory(root + "/blogs"));
    ASSERT_TRUE(writeFileAtomically(root + "/blogs/first.post", "Première"));
    ASSERT_TRUE(writeFileAtomically(root + "/blogs/second.post", "Second"));
    ASSERT_TRUE(writeFileAtomically(root + "/blogs/notes.txt", "not a post"));
    // A project file without an identifier: the project gets one, and writes it.
    ASSERT_TRUE(writeFileAtomically(*projectFileURL().fileSystemPath(), "{ \"title\": \"Mine\" }"));

    Error error;
    auto project = VornickProject::createWithContentsOfProjectFileURL<TestProject>(projectFileURL(), &error);
    ASSERT_TRUE(project) << toUTF8(error.localizedDescription());
    ASSERT_EQ(project->events.size(), 1u);
    EXPECT_EQ(project->events[0], URL::fileURLWithPath(root + "/blogs", true).absoluteString());
    EXPECT_EQ(postCount(*project), 2u);
    EXPECT_EQ(project->updates, 0);
    EXPECT_FALSE(project->index()->isNew());
    EXPECT_TRUE(project->rootComponent()->hasEditsNotYetSavedToSourceFile());
    ASSERT_TRUE(project->saveComponentsToSourceFilesIfNeeded(&error));
    UUID identifier = project->uniqueIdentifier();
    std::string indexPath = project->index()->filePath();
    project.reset();

    // Opened again: the same index, not filled again.
    project = VornickProject::createWithContentsOfProjectFileURL<TestProject>(projectFileURL(), &error);
    ASSERT_TRUE(project);
    EXPECT_EQ(project->uniqueIdentifier(), identifier);
    EXPECT_TRUE(project->events.empty());
    EXPECT_EQ(project->updates, 1);
    EXPECT_EQ(postCount(*project), 2u);
    EXPECT_EQ(project->rootComponent()->valueForKey(u"title"), Value(u"Mine"));
    project.reset();

    // A model the index cannot migrate: the index is erased and filled again.
    TestProject::useChangedModel = true;
    ASSERT_TRUE(writeFileAtomically(root + "/blogs/third.post", "Third"));
    ASSERT_TRUE(writeFileAtomically(*projectFileURL().fileSystemPath(),
                                    "{ \"uniqueIdentifier\": \"" + toUTF8(identifier.UUIDString()) + "\" }"));
    project = VornickProject::createWithContentsOfProjectFileURL<TestProject>(projectFileURL(), &error);
    ASSERT_TRUE(project) << toUTF8(error.localizedDescription());
    EXPECT_EQ(project->index()->filePath(), indexPath);
    EXPECT_EQ(project->events.size(), 1u);
    EXPECT_EQ(postCount(*project), 3u);
    project.reset();

    // A first indexing that never finished (the marker is still there) is
    // not trusted: the index is made anew.
    ASSERT_TRUE(writeFileAtomically(indexPath + ".indexing", ""));
    project = VornickProject::createWithContentsOfProjectFileURL<TestProject>(projectFileURL(), &error);
    ASSERT_TRUE(project);
    EXPECT_EQ(project->events.size(), 1u);
    EXPECT_EQ(postCount(*project), 3u);
    EXPECT_FALSE(fileExists(indexPath + ".indexing"));
    project.reset();
    (void)removeItem(indexPath);
}

TEST_F(VornickProjectTest, AnIndexThatCannotBeReadIsSetAsideAndBuiltAgainFromTheFiles)
{
    std::string root = m_folder + "/Prøject ✓";
    ASSERT_TRUE(createDirectory(root + "/blogs"));
    ASSERT_TRUE(writeFileAtomically(root + "/blogs/first.post", "Première"));
    ASSERT_TRUE(writeFileAtomically(root + "/blogs/second.post", "Second"));
    ASSERT_TRUE(writeFileAtomically(*projectFileURL().fileSystemPath(), "{ \"title\": \"Mine\" }"));
    Error error;
    auto project = VornickProject::createWithContentsOfProjectFileURL<TestProject>(projectFileURL(), &error);
    ASSERT_TRUE(project) << error;
    ASSERT_TRUE(project->save(&error)) << error;
    std::string indexPath = project->index()->filePath();
    EXPECT_TRUE(project->index()->rebuildNotice().empty());
    project.reset();

    const std::pair<const char*, std::function<bool()>> damages[] = {
        { "garbage", [&] { return writeFileAtomically(indexPath, std::string(8192, 'x')); } },
        { "cut short", [&] {
             auto bytes = readFile(indexPath);
             return bytes && bytes->size() > 200 && writeFileAtomically(indexPath, bytes->substr(0, 200));
         } },
    };
    for (const auto& [what, damage] : damages) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(damage());
        project = VornickProject::createWithContentsOfProjectFileURL<TestProject>(projectFileURL(), &error);
        ASSERT_TRUE(project) << error;
        std::string notice = toUTF8(project->index()->rebuildNotice());
        EXPECT_NE(notice.find("could not be read"), std::string::npos) << notice;
        EXPECT_NE(notice.find(".unreadable"), std::string::npos) << notice;
        EXPECT_TRUE(fileExists(indexPath + ".unreadable"));
        EXPECT_EQ(project->events.size(), 1u);
        EXPECT_EQ(postCount(*project), 2u);
        project.reset();
    }
    (void)removeItem(indexPath);
    (void)removeItem(indexPath + ".unreadable");
}

TEST_F(VornickProjectTest, NoFileIsWrittenThroughALinkAndKilledWritesLeaveNothingBehind)
{
    std::string outside = m_folder + "/outside";
    ASSERT_TRUE(createDirectory(outside));
    ASSERT_TRUE(writeFileAtomically(outside + "/victim", "outside"));
    Error error;
    auto project = VornickProject::createWithNewProjectFileURL<TestProject>(projectFileURL(), &error);
    ASSERT_TRUE(project) << error;
    std::string root = m_folder + "/Prøject ✓/";
    ASSERT_TRUE(createDirectory(root + "blogs"));
    auto account = project->rootComponent();
    account->setValueForKey(Value(u"Blög"), u"title");

    // A link at the file's name is replaced by the file; a folder that is a link is refused, in words.
    ASSERT_EQ(::symlink((outside + "/victim").c_str(), (root + "blogs/account.json").c_str()), 0);
    ASSERT_TRUE(account->writeArchivalRepresentationToURL(URL::fileURLWithPath(root + "blogs/account.json", false),
                                                          VornickObjectArchiveFormat::JSON, &error)) << error;
    EXPECT_NE(readFile(root + "blogs/account.json")->find("Blög"), std::string::npos);
    ASSERT_EQ(::symlink(outside.c_str(), (root + "blogs/linked").c_str()), 0);
    account->setHasEditsNotYetSavedToSourceFile(true);
    EXPECT_FALSE(account->writeArchivalRepresentationToURL(URL::fileURLWithPath(root + "blogs/linked/victim", false),
                                                           VornickObjectArchiveFormat::JSON, &error));
    EXPECT_NE(toUTF8(error.localizedDescription()).find("is a symbolic link"), std::string::npos) << error;
    EXPECT_TRUE(account->hasEditsNotYetSavedToSourceFile());
    EXPECT_EQ(readFile(outside + "/victim"), "outside");
    EXPECT_EQ(directoryEntryNames(outside)->size(), 1u);

    // What a write killed before its rename left goes at the next opening.
    ASSERT_TRUE(project->save(&error)) << error;
    project.reset();
    std::string leftover = root + "blogs/" + temporaryFileNameFor("account.json");
    ASSERT_TRUE(writeFileAtomically(leftover, "half"));
    project = VornickProject::createWithContentsOfProjectFileURL<TestProject>(projectFileURL(), &error);
    ASSERT_TRUE(project) << error;
    EXPECT_FALSE(fileExists(leftover));
    (void)removeItem(project->index()->filePath());
}

TEST_F(VornickProjectTest, AFirstIndexingCutShortIsErasedAndDoneAgain)
{
    // A new index's filling is not synced until the index is noted filled:
    // an index left before that, with or without the filling's save (as a
    // process that dies leaves it), keeps its marker, and the next opening
    // fills a new index from the files instead of trusting it.
    std::string root = m_folder + "/Prøject ✓";
    ASSERT_TRUE(createDirectory(root + "/blogs"));
    for (const char* name : { "a", "b", "c" })
        ASSERT_TRUE(writeFileAtomically(root + "/blogs/" + name + ".post", name));
    UUID identifier;
    ASSERT_TRUE(writeFileAtomically(*projectFileURL().fileSystemPath(),
                                    "{ \"uniqueIdentifier\": \"" + toUTF8(identifier.UUIDString()) + "\" }"));
    std::string indexPath = VornickProjectIndex::indexFilePathForProjectIdentifier(identifier);
    for (bool savedBeforeTheEnd : { true, false }) {
        Error error;
        {
            auto index = VornickProjectIndex::createForProjectIdentifier(identifier, testModel(false), &error);
            ASSERT_TRUE(index) << toUTF8(error.localizedDescription());
            ASSERT_TRUE(index->isNew());
            EXPECT_TRUE(fileExists(indexPath + ".indexing"));
            for (int i = 0; i < 5; ++i)
                index->managedObjectContext()->insertNewObject(u"Post");
            if (savedBeforeTheEnd) {
                ASSERT_TRUE(index->commitEditingAndSave(&error)) << toUTF8(error.localizedDescription());
            }
        }
        EXPECT_TRUE(fileExists(indexPath + ".indexing"));

        auto project = VornickProject::createWithContentsOfProjectFileURL<TestProject>(projectFileURL(), &error);
        ASSERT_TRUE(project) << toUTF8(error.localizedDescription());
        EXPECT_EQ(project->events.size(), 1u);
        EXPECT_EQ(postCount(*project), 3u);
        EXPECT_FALSE(fileExists(indexPath + ".indexing"));
        project.reset();
        // Filled and finished: trusted from then on.
        project = VornickProject::createWithContentsOfProjectFileURL<TestProject>(projectFileURL(), &error);
        ASSERT_TRUE(project);
        EXPECT_TRUE(project->events.empty());
        EXPECT_EQ(postCount(*project), 3u);
        project.reset();
        ASSERT_TRUE(PersistentStore::destroy(indexPath, &error)) << error;
    }
}

TEST_F(VornickProjectTest, ANewIndexRecordsTheNumbersItsFillingGaveBeforeItIsTrusted)
{
    // A new project's index is trusted at once, with its root component
    // made but not saved: its number is recorded all the same, so that a
    // store opened on the file after a crash never gives it again.
    Error error;
    auto project = VornickProject::createWithNewProjectFileURL<TestProject>(projectFileURL(), &error);
    ASSERT_TRUE(project) << toUTF8(error.localizedDescription());
    std::string indexPath = project->index()->filePath();
    EXPECT_FALSE(fileExists(indexPath + ".indexing"));
    int64_t rootNumber = project->rootComponent()->objectID().number();
    auto store = PersistentStore::open(indexPath, project->managedObjectModel(), &error);
    ASSERT_TRUE(store) << toUTF8(error.localizedDescription());
    NotificationCenter center;
    auto other = ManagedObjectContext::create(store, &center);
    EXPECT_GT(other->insertNewObject(u"Post")->objectID().number(), rootNumber);
    other.reset();
    store.reset();
    project.reset();
    (void)removeItem(indexPath);
}

TEST_F(VornickProjectTest, ComponentFilesAreWrittenAtomicallyAndOnlyWhenNeeded)
{
    Error error;
    auto project = VornickProject::createWithNewProjectFileURL<TestProject>(projectFileURL(), &error);
    ASSERT_TRUE(project);
    auto account = project->rootComponent();
    account->setValueForKey(Value(u"Blög"), u"title");
    URL fileURL = project->sourceRootURL().URLByAppendingPathComponent(u"blogs/Blög/account.json", false);
    std::string path = *fileURL.fileSystemPath();

    EXPECT_TRUE(account->needToWriteArchivalRepresentationToURL(fileURL));
    ASSERT_TRUE(account->writeArchivalRepresentationToURL(fileURL, VornickObjectArchiveFormat::JSON, &error))
        << toUTF8(error.localizedDescription());
    EXPECT_FALSE(account->hasEditsNotYetSavedToSourceFile());
    ASSERT_TRUE(account->sourceFileModificationDate());
    EXPECT_EQ(*account->sourceFileModificationDate(), VornickFileSnapshot::createAsStandaloneSnapshotOfURL(fileURL)->modificationDate());
    EXPECT_FALSE(account->needToWriteArchivalRepresentationToURL(fileURL));
    std::string written = readFile(path).value();
    EXPECT_NE(written.find("Blög"), std::string::npos);

    // A value the archive cannot hold: nothing is written, the edits stay.
    account->setValueForKey(Value(std::nan("")), u"rating");
    account->setHasEditsNotYetSavedToSourceFile(true);
    EXPECT_FALSE(account->writeArchivalRepresentationToURL(fileURL, VornickObjectArchiveFormat::JSON, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFile(path), written);
    EXPECT_TRUE(account->hasEditsNotYetSavedToSourceFile());

    // A folder in the way of the file: the write fails and leaves it.
    account->setValueForKey(Value(1.0), u"rating");
    URL blocked = project->sourceRootURL().URLByAppendingPathComponent(u"blocked", false);
    ASSERT_TRUE(createDirectory(*blocked.fileSystemPath() + "/inside"));
    EXPECT_FALSE(account->writeArchivalRepresentationToURL(blocked, VornickObjectArchiveFormat::JSON, &error));
    EXPECT_TRUE(isDirectory(*blocked.fileSystemPath() + "/inside"));
    EXPECT_TRUE(account->hasEditsNotYetSavedToSourceFile());

    // A file removed behind the project's back must be written again.
    account->setHasEditsNotYetSavedToSourceFile(false);
    ASSERT_TRUE(removeItem(path));
    EXPECT_TRUE(account->needToWriteArchivalRepresentationToURL(fileURL));

    // The base file URL: the source root and the component's file name.
    EXPECT_FALSE(account->sourceFileURL());
    account->setSourceFileName(u"Account Ü.json");
    EXPECT_EQ(account->sourceFileURL()->path(), project->sourceRootURL().path() + u"/Account Ü.json");
    (void)removeItem(project->index()->filePath());
}

TEST_F(VornickProjectTest, ProgressGoesOutOnTheMainQueueWithTheCountsOfTheMoment)
{
    auto project = VornickProject::createWithNewProjectFileURL<TestProject>(projectFileURL(), nullptr);
    ASSERT_TRUE(project);
    std::vector<std::pair<int64_t, int64_t>> progress;
    std::vector<std::u16string> messages;
    auto progressToken = NotificationCenter::defaultCenter().addObserver(
        VornickProjectIndexingProgressNotification, project.get(), nullptr, [&](const Notification& notification) {
            EXPECT_TRUE(RunLoop::isMainThread());
            progress.emplace_back(notification.userInfo.at(u"numberOfFilesIndexed").integerValue(),
                                  notification.userInfo.at(u"numberOfFilesToIndex").integerValue());
            messages.push_back(notification.userInfo.at(u"statusMessage").string());
        });
    // Indexing on the main thread: observers hear while it goes on.
    project->setNumberOfFilesToIndex(120);
    project->setNumberOfFilesIndexed(50);
    project->postIndexingProgressUpdate();
    EXPECT_EQ(progress.size(), 1u);
    // From another thread: on the main queue, with the counts of the moment.
    project->setNumberOfFilesIndexed(100);
    std::thread([&] { project->postIndexingProgressUpdate(); }).join();
    project->setNumberOfFilesIndexed(110);
    EXPECT_EQ(progress.size(), 1u);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return progress.size() == 2; }, 30));
    EXPECT_EQ(progress, (std::vector<std::pair<int64_t, int64_t>> { { 50, 120 }, { 100, 120 } }));
    EXPECT_EQ(messages, (std::vector<std::u16string> { u"Indexing: 50/120 files", u"Indexing: 100/120 files" }));
    NotificationCenter::defaultCenter().removeObserver(progressToken);

    struct Delegate : VornickProjectDelegate {
        int finished { 0 };
        void projectDidFinishUpdatingIndex(VornickProject&) override { ++finished; }
    } delegate;
    int notifications = 0;
    auto finishedToken = NotificationCenter::defaultCenter().addObserver(
        VornickProjectIndexDidFinishUpdatingNotification, project.get(), nullptr, [&](const Notification&) { ++notifications; });
    project->setDelegate(&delegate);
    project->postIndexDidFinishUpdating();
    EXPECT_EQ(delegate.finished, 1);
    EXPECT_EQ(notifications, 1);
    NotificationCenter::defaultCenter().removeObserver(finishedToken);
    project->setDelegate(nullptr);
    (void)removeItem(project->index()->filePath());
}

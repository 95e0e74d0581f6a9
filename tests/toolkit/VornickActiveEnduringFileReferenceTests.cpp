#include "toolkit/VornickActiveEnduringFileReference.h"

#include "platform/foundation/FileUtilities.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class FakeFileTreeWatcher : public VornickFileTreeWatcher {
public:
    URL folderURL;
    VornickFileTreeWatcherDelegate* currentDelegate { nullptr };
    FileEventsHandler handler;
    int starts { 0 };
    int scans { 0 };

    explicit FakeFileTreeWatcher(const URL& url) : folderURL(url) {}
    void setDelegate(VornickFileTreeWatcherDelegate* delegate) override { currentDelegate = delegate; }
    VornickFileTreeWatcherDelegate* delegate() const override { return currentDelegate; }
    void setFileEventsHandler(FileEventsHandler newHandler) override { handler = std::move(newHandler); }
    void startWatchingForFileTreeChanges() override { ++starts; }
    void startOrRestartFileTreeScan() override { ++scans; }
};

class RecordingUpdater : public VornickKnownFileURLsUpdater {
public:
    size_t batches { 0 };
    void updateKnownFileURLsFromFileTreeEvents(const VornickFileTreeEvents&) override { ++batches; }
};

class VornickActiveEnduringFileReferenceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("active-reference").value();
        VornickFileTreeWatcher::setMaker([this](const URL& url, uint64_t eventID) {
            EXPECT_EQ(eventID, 0u);
            auto watcher = std::make_shared<FakeFileTreeWatcher>(url);
            m_made.push_back(watcher);
            return watcher;
        });
        m_updater = std::make_shared<RecordingUpdater>();
        VornickKnownFileURLsUpdater::setShared(m_updater);
    }
    void TearDown() override
    {
        VornickFileTreeWatcher::setMaker(nullptr);
        VornickKnownFileURLsUpdater::setShared(nullptr);
        EXPECT_TRUE(removeItem(m_folder));
    }

    std::string m_folder;
    std::vector<std::shared_ptr<FakeFileTreeWatcher>> m_made;
    std::shared_ptr<RecordingUpdater> m_updater;
};

} // namespace

TEST_F(VornickActiveEnduringFileReferenceTest, MakesOneStartedWatcherForAFolder)
{
    auto reference = VornickEnduringFileReference::enduringReferenceToFileURL(URL::fileURLWithPath(m_folder, true));
    auto active = VornickActiveEnduringFileReference::activeEnduringFileReference(reference);
    EXPECT_TRUE(active->startWatchingAndScanningTheFileTree());
    EXPECT_TRUE(active->startWatchingAndScanningTheFileTree());
    ASSERT_EQ(m_made.size(), 1u);
    auto watcher = m_made[0];
    EXPECT_EQ(active->fileTreeWatcher(), watcher);
    EXPECT_EQ(watcher->folderURL.fileSystemPath(), m_folder);
    EXPECT_EQ(watcher->starts, 1);
    EXPECT_EQ(watcher->scans, 1);
    EXPECT_EQ(watcher->currentDelegate, active.get());
    // The use of the folder is bracketed.
    EXPECT_EQ(reference->useCount(), 0);

    ASSERT_TRUE(watcher->handler);
    watcher->handler({});
    EXPECT_EQ(m_updater->batches, 1u);

    active.reset();
    EXPECT_EQ(watcher->currentDelegate, nullptr);
}

TEST_F(VornickActiveEnduringFileReferenceTest, PlainFilesAndMissingFoldersGetNoWatcher)
{
    ASSERT_TRUE(writeFileAtomically(m_folder + "/file.html", "x"));
    auto file = VornickActiveEnduringFileReference::activeEnduringFileReference(
        VornickEnduringFileReference::enduringReferenceToFileURL(URL::fileURLWithPath(m_folder + "/file.html", false)));
    EXPECT_FALSE(file->startWatchingAndScanningTheFileTree());
    auto missing = VornickActiveEnduringFileReference::activeEnduringFileReference(
        VornickEnduringFileReference::enduringReferenceToFileURL(URL::fileURLWithPath(m_folder + "/gone", true)));
    EXPECT_FALSE(missing->startWatchingAndScanningTheFileTree());
    EXPECT_TRUE(m_made.empty());
    EXPECT_NE(file->description().find(u"fileTreeWatcher=(null)"), std::u16string::npos);
}

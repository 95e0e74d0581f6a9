#include "platform/foundation/UserDefaults.h"

#include "tests/platform/foundation/FailingFileSystemCalls.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileSystemCalls.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/FileWatcher.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace brevanton;

namespace brevanton {

class UserDefaultsTestPeer {
public:
    static void useCalls(UserDefaults& defaults, FileSystemCalls& calls) { defaults.setFileSystemCalls(calls); }
};

} // namespace brevanton

namespace {

class UserDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto folder = createTemporaryDirectory("userdefaults");
        ASSERT_TRUE(folder);
        m_folder = *folder;
        m_path = m_folder + "/prefs/UserDefaults.plist";
    }
    void TearDown() override { EXPECT_TRUE(removeItem(m_folder)); }

    std::string m_folder;
    std::string m_path;
};

TEST_F(UserDefaultsTest, SetValuesWinOverRegisteredDefaultsAndGettersConvert)
{
    UserDefaults defaults(m_path);
    defaults.registerDefaults({ { u"WordPressSyncInterval", Value(5) },
                                { u"AllowJavaScriptExecution", Value(false) },
                                { u"DefaultStyleSheet", Value(u"Clarity") } });
    EXPECT_EQ(defaults.integerForKey(u"WordPressSyncInterval"), 5);
    EXPECT_EQ(defaults.stringForKey(u"DefaultStyleSheet"), u"Clarity");
    EXPECT_FALSE(defaults.boolForKey(u"AllowJavaScriptExecution"));

    defaults.setInteger(0, u"WordPressSyncInterval");
    defaults.setBool(true, u"AllowJavaScriptExecution");
    EXPECT_EQ(defaults.integerForKey(u"WordPressSyncInterval"), 0);
    EXPECT_TRUE(defaults.boolForKey(u"AllowJavaScriptExecution"));
    defaults.removeObjectForKey(u"WordPressSyncInterval");
    EXPECT_EQ(defaults.integerForKey(u"WordPressSyncInterval"), 5); // back to the default
    defaults.setObject(Value(), u"AllowJavaScriptExecution");       // null removes
    EXPECT_FALSE(defaults.boolForKey(u"AllowJavaScriptExecution"));

    // Conversions between numbers and strings; other types read as empty.
    defaults.setObject(Value(u"42"), u"text");
    defaults.setObject(Value(u"YES"), u"yes");
    defaults.setDouble(2.5, u"real");
    EXPECT_EQ(defaults.integerForKey(u"text"), 42);
    EXPECT_DOUBLE_EQ(defaults.doubleForKey(u"text"), 42);
    EXPECT_TRUE(defaults.boolForKey(u"text"));
    EXPECT_TRUE(defaults.boolForKey(u"yes"));
    EXPECT_EQ(defaults.stringForKey(u"real"), u"2.5");
    EXPECT_EQ(defaults.integerForKey(u"real"), 2);
    EXPECT_TRUE(defaults.arrayForKey(u"text").empty());
    EXPECT_TRUE(defaults.dictionaryForKey(u"real").empty());
    EXPECT_TRUE(defaults.dataForKey(u"missing").empty());
    EXPECT_TRUE(defaults.objectForKey(u"missing").isNull());
    EXPECT_EQ(defaults.dictionaryRepresentation().size(), 6u); // three registered, three set

    EXPECT_THROW(defaults.setObject(Value(Array { Value(1), Value() }), u"bad"), InternalInconsistencyException);
    EXPECT_TRUE(defaults.objectForKey(u"bad").isNull());
}

TEST_F(UserDefaultsTest, SetValuesPersistAndRegisteredOnesDoNot)
{
    Data bytes { 0, 1, 2, 255 };
    Date when(1700000000); // XML property lists keep whole seconds
    Dictionary preferences { { u"indent", Value(4) }, { u"rules", Value(Array { Value(u"t"), Value(1.25) }) } };
    {
        UserDefaults defaults(m_path);
        defaults.registerDefaults({ { u"Registered", Value(true) } });
        defaults.setObject(Value(bytes), u"data");
        defaults.setObject(Value(when), u"date");
        defaults.setObject(Value(preferences), u"HTMLFormattingPreferences");
        defaults.setInteger(7, u"integer");
        defaults.setDouble(7.0, u"real");
        defaults.setObject(Value(u"gone"), u"removed");
        defaults.removeObjectForKey(u"removed");
        EXPECT_FALSE(defaults.lastWriteError());
    }
    struct stat info;
    ASSERT_EQ(::stat(m_path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    UserDefaults reread(m_path);
    EXPECT_EQ(reread.dataForKey(u"data"), bytes);
    EXPECT_EQ(reread.objectForKey(u"date"), Value(when));
    EXPECT_EQ(reread.dictionaryForKey(u"HTMLFormattingPreferences"), preferences);
    EXPECT_TRUE(reread.objectForKey(u"integer").isInteger());
    EXPECT_TRUE(reread.objectForKey(u"real").isReal());
    EXPECT_TRUE(reread.objectForKey(u"removed").isNull());
    EXPECT_TRUE(reread.objectForKey(u"Registered").isNull());
    auto contents = readFile(m_path);
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->find("Registered"), std::string::npos);
}

TEST_F(UserDefaultsTest, MalformedAndUnwritableFiles)
{
    ASSERT_TRUE(createDirectory(parentDirectory(m_path)));
    ASSERT_TRUE(writeFileAtomically(m_path, "{ not a property list"));
    UserDefaults defaults(m_path);
    EXPECT_TRUE(defaults.dictionaryRepresentation().empty());
    defaults.setBool(true, u"flag");
    RunLoop::main().runOnce(0);
    UserDefaults reread(m_path);
    EXPECT_TRUE(reread.boolForKey(u"flag")); // the next change replaced the bad file
    // ... but what was in it is kept aside, not destroyed.
    EXPECT_EQ(readFile(m_path + ".unreadable"), "{ not a property list");

    // A folder that cannot be made: the change stays in memory, the failure is reported.
    ASSERT_TRUE(writeFileAtomically(m_folder + "/blocker", "x"));
    UserDefaults blocked(m_folder + "/blocker/sub/UserDefaults.plist");
    ::testing::internal::CaptureStderr();
    blocked.setBool(true, u"flag");
    RunLoop::main().runOnce(0);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("The settings could not be saved to " + m_folder + "/blocker/sub/UserDefaults.plist"),
              std::string::npos)
        << "a failed write is logged";
    EXPECT_TRUE(blocked.boolForKey(u"flag"));
    EXPECT_TRUE(blocked.lastWriteError());
    Error error;
    EXPECT_FALSE(blocked.synchronize(&error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(UserDefaultsTest, ChangesPostTheChangeNotification)
{
    UserDefaults defaults(m_path);
    int posted = 0;
    auto token = NotificationCenter::defaultCenter().addObserver(UserDefaults::DidChangeNotification, &defaults,
                                                                  nullptr, [&](auto&) { ++posted; });
    defaults.setBool(true, u"a");
    defaults.setInteger(3, u"b");
    defaults.removeObjectForKey(u"a");
    EXPECT_EQ(posted, 3);
    defaults.removeObjectForKey(u"never-set"); // no change, no notification
    defaults.registerDefaults({ { u"c", Value(1) } });
    EXPECT_EQ(posted, 3);
}

TEST_F(UserDefaultsTest, TheStandardFileLivesInTheConfigFolder)
{
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    std::string savedValue = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", m_folder.c_str(), 1);
    EXPECT_EQ(UserDefaults::defaultFilePath(), m_folder + "/com.Orbendalworks.Brevanton/UserDefaults.plist");
    if (saved)
        ::setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

TEST_F(UserDefaultsTest, TwoDefaultsOnOneFileKeepEachOthersChangesAndSeeThemCome)
{
    UserDefaults first(m_path);
    UserDefaults second(m_path);
    first.setObject(Value(u"Clarity"), u"DefaultStyleSheet");
    second.setInteger(15, u"WordPressSyncInterval");
    first.setBool(true, u"AllowJavaScriptExecution");
    RunLoop::main().runOnce(0);
    EXPECT_EQ(UserDefaults(m_path).dictionaryRepresentation(),
              (Dictionary { { u"DefaultStyleSheet", Value(u"Clarity") }, { u"WordPressSyncInterval", Value(15) },
                            { u"AllowJavaScriptExecution", Value(true) } }))
        << "each write changed its own key only";

    // The other's change reaches it when the file changes, with the notification.
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return second.boolForKey(u"AllowJavaScriptExecution"); }, 30));
    int posted = 0;
    Dictionary lastInfo;
    auto token = NotificationCenter::defaultCenter().addObserver(UserDefaults::DidChangeNotification, &second, nullptr,
                                                                  [&](const Notification& notification) {
                                                                      ++posted;
                                                                      lastInfo = notification.userInfo;
                                                                  });
    first.setObject(Value(u"Sleek"), u"DefaultStyleSheet");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return second.stringForKey(u"DefaultStyleSheet") == u"Sleek"; }, 30));
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(lastInfo, (Dictionary { { UserDefaults::ChangedKeysKey, Value(Array { Value(u"DefaultStyleSheet") }) },
                                      { UserDefaults::ChangedElsewhereKey, Value(true) } }));
    first.removeObjectForKey(u"AllowJavaScriptExecution");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return second.objectForKey(u"AllowJavaScriptExecution").isNull(); }, 30));
    EXPECT_EQ(posted, 2);
    // Its own write, seen again in the file, changes nothing and posts nothing more.
    second.setInteger(30, u"WordPressSyncInterval");
    EXPECT_EQ(posted, 3);
    EXPECT_EQ(lastInfo, (Dictionary { { UserDefaults::ChangedKeysKey, Value(Array { Value(u"WordPressSyncInterval") }) } }));
    RunLoop::main().runFor(0.2);
    EXPECT_EQ(posted, 3);
    EXPECT_EQ(first.integerForKey(u"WordPressSyncInterval"), 30);
}

// Another program writing the file in place (truncating it and writing it
// in chunks) is heard once its writes settled, with what it wrote last,
// however the writes began; a deletion leaves the values as they were.
TEST_F(UserDefaultsTest, AFileWrittenInPlaceElsewhereIsTakenInOnceWhole)
{
    auto plist = [](int value) {
        auto bytes = writePropertyList(Value(Dictionary { { u"Interval", Value(value) } }), PropertyListFormat::XML, nullptr);
        return std::string(bytes->begin(), bytes->end());
    };
    auto writeInChunks = [](int fd, const std::string& text) {
        size_t half = text.size() / 2;
        ASSERT_EQ(::write(fd, text.data(), half), ssize_t(half));
        RunLoop::main().runFor(0.02);
        ASSERT_EQ(::write(fd, text.data() + half, text.size() - half), ssize_t(text.size() - half));
        RunLoop::main().runFor(0.02);
    };
    ASSERT_TRUE(createDirectory(parentDirectory(m_path)));
    ASSERT_TRUE(writeFileAtomically(m_path, plist(1)));
    RunLoop::main().useManualClock();
    struct RealClock {
        ~RealClock() { RunLoop::main().useRealClock(); }
    } realClock;
    UserDefaults defaults(m_path);
    std::vector<int64_t> heard;
    auto token = NotificationCenter::defaultCenter().addObserver(UserDefaults::DidChangeNotification, &defaults, nullptr,
                                                                  [&](auto&) { heard.push_back(defaults.integerForKey(u"Interval")); });
    // Lets the settle time pass until `count` changes were heard.
    auto hear = [&](size_t count) {
        return RunLoop::main().runUntil([&] {
            RunLoop::main().advanceClock(FileWatcher::SettleTime);
            return heard.size() >= count;
        }, 30);
    };

    // Written, then written again within the settle time, the file kept open.
    int fd = ::open(m_path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    writeInChunks(fd, plist(2));
    RunLoop::main().advanceClock(FileWatcher::SettleTime * 0.6);
    ASSERT_EQ(::ftruncate(fd, 0), 0);
    ASSERT_EQ(::lseek(fd, 0, SEEK_SET), 0);
    writeInChunks(fd, plist(3));
    EXPECT_TRUE(heard.empty()) << "heard before the writes settled";
    ASSERT_TRUE(hear(1));
    ::close(fd);

    // Deleted: the values stay. Made anew in chunks: heard when closed.
    ASSERT_EQ(::unlink(m_path.c_str()), 0);
    RunLoop::main().runFor(0.02);
    EXPECT_EQ(defaults.integerForKey(u"Interval"), 3);
    fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    writeInChunks(fd, plist(4));
    ::close(fd);
    ASSERT_TRUE(hear(2));
    RunLoop::main().advanceClock(FileWatcher::SettleTime * 2);
    RunLoop::main().runFor(0.02);
    EXPECT_EQ(heard, (std::vector<int64_t> { 3, 4 }));
}

TEST_F(UserDefaultsTest, ProcessesWritingAtOnceKeepEveryKeyAndAKilledOneLosesNothingWritten)
{
    ASSERT_TRUE(createDirectory(parentDirectory(m_path)));
    // Both children are forked before this process starts any watcher: a
    // child forked later would inherit the watcher thread's locks as they
    // stood, perhaps held. The one to be killed waits for its turn on a pipe.
    int turn[2];
    ASSERT_EQ(::pipe(turn), 0);
    pid_t killed = ::fork();
    ASSERT_GE(killed, 0);
    if (killed == 0) {
        ::close(turn[1]);
        char byte = 0;
        if (::read(turn[0], &byte, 1) != 1)
            std::_Exit(2);
        UserDefaults defaults(m_path);
        defaults.setObject(Value(u"HTML 4.01 Strict"), u"DefaultHTMLDocumentType");
        RunLoop::main().runOnce(0);
        ::raise(SIGKILL);
        std::_Exit(0);
    }
    ::close(turn[0]);
    pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        ::close(turn[1]);
        UserDefaults defaults(m_path);
        // As the application does: a turn of the run loop after each change.
        for (int index = 0; index < 40; ++index) {
            defaults.setInteger(index, u"child-" + toUTF16(std::to_string(index)));
            RunLoop::main().runOnce(0);
        }
        std::_Exit(defaults.lastWriteError() ? 1 : 0);
    }
    {
        UserDefaults defaults(m_path);
        for (int index = 0; index < 40; ++index) {
            defaults.setInteger(index, u"parent-" + toUTF16(std::to_string(index)));
            RunLoop::main().runOnce(0);
        }
        EXPECT_FALSE(defaults.lastWriteError());
    }
    int status = 0;
    ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(UserDefaults(m_path).dictionaryRepresentation().size(), 80u) << "no process erased the other's keys";

    char byte = 1;
    ASSERT_EQ(::write(turn[1], &byte, 1), 1);
    ::close(turn[1]);
    ASSERT_EQ(::waitpid(killed, &status, 0), killed);
    EXPECT_TRUE(WIFSIGNALED(status));
    UserDefaults reread(m_path);
    EXPECT_EQ(reread.stringForKey(u"DefaultHTMLDocumentType"), u"HTML 4.01 Strict");
    EXPECT_EQ(reread.integerForKey(u"parent-39"), 39);
}

// A change is written off its own path, by the run loop's next turn, the
// changes of one turn in one write; defaults destroyed write what waits.
TEST_F(UserDefaultsTest, ChangesAreWrittenTogetherByTheNextTurnOfTheRunLoop)
{
    FailingFileSystemCalls calls;
    {
        UserDefaults defaults(m_path);
        UserDefaultsTestPeer::useCalls(defaults, calls);
        defaults.setInteger(2, u"SpacesPerIndent");
        defaults.setBool(true, u"AllowJavaScriptExecution");
        defaults.removeObjectForKey(u"SpacesPerIndent");
        defaults.setInteger(3, u"SpacesPerIndent");
        EXPECT_EQ(defaults.integerForKey(u"SpacesPerIndent"), 3) << "read at once";
        EXPECT_EQ(calls.count(FileSystemCall::Rename), 0) << "nothing written on the change's path";
        RunLoop::main().runOnce(0);
        EXPECT_EQ(calls.count(FileSystemCall::Rename), 1);
        EXPECT_GE(calls.count(FileSystemCall::Fsync), 2) << "the file and its folder synced";
        EXPECT_EQ(UserDefaults(m_path).integerForKey(u"SpacesPerIndent"), 3);
        RunLoop::main().runOnce(0);
        EXPECT_EQ(calls.count(FileSystemCall::Rename), 1) << "no change, no write";

        defaults.setObject(Value(u"Sleek"), u"DefaultStyleSheet");
    }
    EXPECT_EQ(calls.count(FileSystemCall::Rename), 2);
    EXPECT_EQ(UserDefaults(m_path).stringForKey(u"DefaultStyleSheet"), u"Sleek");
    RunLoop::main().runOnce(0); // the destroyed defaults' turn does nothing
}

// A write that fails at any of its steps leaves the file as it was (and no
// temporary file beside it), is logged and told, and the next write takes
// the change along.
TEST_F(UserDefaultsTest, AFailedWriteLeavesTheOldFileAndIsReported)
{
    {
        UserDefaults defaults(m_path);
        defaults.setInteger(1, u"SpacesPerIndent");
        ASSERT_TRUE(defaults.synchronize());
    }
    auto before = readFile(m_path);
    ASSERT_TRUE(before);
    for (auto call : { FileSystemCall::Open, FileSystemCall::Write, FileSystemCall::Fsync, FileSystemCall::Rename }) {
        SCOPED_TRACE(std::string(fileSystemCallName(call)));
        FailingFileSystemCalls calls;
        calls.failCall(call, 0, call == FileSystemCall::Write ? ENOSPC : EIO);
        UserDefaults defaults(m_path);
        UserDefaultsTestPeer::useCalls(defaults, calls);
        ::testing::internal::CaptureStderr();
        defaults.setInteger(4, u"SpacesPerIndent");
        RunLoop::main().runOnce(0);
        EXPECT_NE(::testing::internal::GetCapturedStderr().find("The settings could not be saved to " + m_path), std::string::npos);
        EXPECT_TRUE(defaults.lastWriteError());
        EXPECT_EQ(readFile(m_path), before) << "the old file stays";
        size_t entries = 0;
        for (auto& entry : std::filesystem::directory_iterator(parentDirectory(m_path)))
            entries += entry.path().filename().string().find(".tmp-") != std::string::npos;
        EXPECT_EQ(entries, 0u) << "no temporary file left";
        EXPECT_EQ(defaults.integerForKey(u"SpacesPerIndent"), 4) << "kept in memory";

        // The next write takes it along.
        defaults.setBool(true, u"AllowJavaScriptExecution");
        RunLoop::main().runOnce(0);
        EXPECT_FALSE(defaults.lastWriteError());
        UserDefaults reread(m_path);
        EXPECT_EQ(reread.integerForKey(u"SpacesPerIndent"), 4);
        EXPECT_TRUE(reread.boolForKey(u"AllowJavaScriptExecution"));
        defaults.setInteger(1, u"SpacesPerIndent");
        defaults.removeObjectForKey(u"AllowJavaScriptExecution");
        ASSERT_TRUE(defaults.synchronize());
    }
}

// The shared defaults write what waits when the process exits normally.
TEST_F(UserDefaultsTest, TheStandardDefaultsWriteWhatWaitsAtExit)
{
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("XDG_CONFIG_HOME", m_folder.c_str(), 1);
        UserDefaults::standard().setObject(Value(u"HTML 4.01 Strict"), u"DefaultHTMLDocumentType");
        std::exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    UserDefaults reread(m_folder + "/com.Orbendalworks.Brevanton/UserDefaults.plist");
    EXPECT_EQ(reread.stringForKey(u"DefaultHTMLDocumentType"), u"HTML 4.01 Strict");
}

} // namespace

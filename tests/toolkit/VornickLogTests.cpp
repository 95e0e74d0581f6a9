#include "toolkit/VornickLog.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace brevanton {

class VornickLogTestPeer {
public:
    static bool hasScheduledWrite(const VornickLog& log) { return log.hasScheduledWrite(); }
};

} // namespace brevanton

using namespace brevanton;

namespace {

class VornickLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("log").value();
        RunLoop::main().useManualClock();
        drainMainLoop();
    }
    void TearDown() override
    {
        m_observer.reset();
        m_log.reset();
        drainMainLoop();
        RunLoop::main().useRealClock();
        EXPECT_TRUE(removeItem(m_folder));
    }
    static void drainMainLoop()
    {
        while (RunLoop::main().runOnce(0)) { }
    }
    std::shared_ptr<VornickLog> makeLog(const std::string& name = "log.txt")
    {
        m_path = m_folder + "/" + name;
        m_log = VornickLog::create(URL::fileURLWithPath(m_path));
        m_observer = NotificationCenter::defaultCenter().addObserver({}, m_log.get(), nullptr, [this](const Notification& n) {
            m_notifications.push_back({ n.name, n.userInfo.at(u"text").string() });
        });
        return m_log;
    }
    std::string fileContents() { return readFile(m_path).value_or("<none>"); }

    std::string m_folder;
    std::string m_path;
    std::shared_ptr<VornickLog> m_log;
    ObserverToken m_observer;
    std::vector<std::pair<std::string, std::u16string>> m_notifications;
};

} // namespace

TEST_F(VornickLogTest, AppendsLinesWithOneNewline)
{
    auto log = makeLog();
    log->log(u"x");
    log->log(u"y\n");
    log->log(u"");
    log->log("{} items in {}", 3, std::u16string(u"caf\u00e9"));
    log->log(std::string("100% {} taken as it is"));
    EXPECT_EQ(log->text(), u"x\ny\n3 items in caf\u00e9\n100% {} taken as it is\n");
    ASSERT_EQ(m_notifications.size(), 4u);
    EXPECT_EQ(m_notifications[0], std::make_pair(std::string(VornickLogAmendedNotification), std::u16string(u"x\n")));
    EXPECT_EQ(m_notifications[1].second, u"y\n");

    log->clear();
    EXPECT_EQ(log->text(), u"");
    EXPECT_EQ(m_notifications.back(), std::make_pair(std::string(VornickLogChangedNotification), std::u16string()));
}

TEST_F(VornickLogTest, SessionStartsCullOlderSessionsAtLineStartsOnly)
{
    auto log = makeLog();
    log->log(u"start-up");
    log->log(u"== BEGIN Sync Session 1");
    log->log(u"one");
    // Mentioned inside a line, the marker starts nothing.
    log->log(u"quoted: == BEGIN Sync Session fake");
    m_notifications.clear();
    log->log(u"== BEGIN Sync Session 2");
    EXPECT_EQ(log->text(), u"== BEGIN Sync Session 1\none\nquoted: == BEGIN Sync Session fake\n== BEGIN Sync Session 2\n");
    ASSERT_EQ(m_notifications.size(), 1u);
    EXPECT_EQ(m_notifications[0].first, VornickLogChangedNotification);
    EXPECT_EQ(m_notifications[0].second, log->text());

    log->log(u"two");
    log->log(u"== BEGIN Sync Session 3");
    log->log(u"three");
    log->log(u"== BEGIN Sync Session 4");
    EXPECT_EQ(log->text(), u"== BEGIN Sync Session 2\ntwo\n== BEGIN Sync Session 3\nthree\n== BEGIN Sync Session 4\n");

    // A line that merely holds the marker never culls.
    log->log(u"note == BEGIN Sync Session 5");
    EXPECT_TRUE(log->text().starts_with(u"== BEGIN Sync Session 2\n"));
}

TEST_F(VornickLogTest, WritesTheFileOnceAfterTheDelayAndRetriesFailures)
{
    ASSERT_TRUE(writeFileAtomically(m_folder + "/log.txt", "earlier\n"));
    auto log = makeLog();
    EXPECT_EQ(log->text(), u"earlier\n");
    log->log(u"a");
    RunLoop::main().advanceClock(1.0);
    log->log(u"b");
    EXPECT_EQ(fileContents(), "earlier\n");
    RunLoop::main().advanceClock(2.0);
    EXPECT_EQ(fileContents(), "earlier\na\nb\n");
    EXPECT_FALSE(VornickLogTestPeer::hasScheduledWrite(*log));

    // A failing write is retried until it succeeds.
    auto failing = VornickLog::create(URL::fileURLWithPath(m_folder + "/later/log.txt"));
    failing->log(u"kept");
    RunLoop::main().advanceClock(3.0);
    EXPECT_TRUE(VornickLogTestPeer::hasScheduledWrite(*failing));
    ASSERT_TRUE(createDirectory(m_folder + "/later"));
    RunLoop::main().advanceClock(3.0);
    EXPECT_EQ(readFile(m_folder + "/later/log.txt").value_or(""), "kept\n");
    EXPECT_FALSE(VornickLogTestPeer::hasScheduledWrite(*failing));
}

TEST_F(VornickLogTest, BackgroundLinesNotifyOnTheMainThread)
{
    auto log = makeLog();
    std::thread worker([log] { log->log(u"from a worker"); });
    worker.join();
    EXPECT_EQ(log->text(), u"from a worker\n");
    EXPECT_TRUE(m_notifications.empty());
    drainMainLoop();
    ASSERT_EQ(m_notifications.size(), 1u);
    EXPECT_EQ(m_notifications[0].second, u"from a worker\n");
}

TEST_F(VornickLogTest, VersionLineAndGeneralLogLocation)
{
    auto log = makeLog();
    log->logBrevantonVersionAndSystemInfo();
    EXPECT_NE(log->text().find(u"Brevanton"), std::u16string::npos) << log->text().size();
    EXPECT_NE(log->text().find(u"running on"), std::u16string::npos);

    std::string cache = m_folder + "/cache";
    const char* saved = std::getenv("XDG_CACHE_HOME");
    std::string savedValue = saved ? saved : "";
    setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    URL url = VornickLog::generalLogURL();
    if (saved)
        setenv("XDG_CACHE_HOME", savedValue.c_str(), 1);
    else
        unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(url.fileSystemPath().value_or(""), cache + "/com.Orbendalworks.Brevanton/Logs/GeneralLog.txt");
    EXPECT_TRUE(isDirectory(cache + "/com.Orbendalworks.Brevanton/Logs"));
}

TEST_F(VornickLogTest, DebugLinesAreNeitherMadeNorAppendedWhileDebugLoggingIsOff)
{
    bool wasEnabled = debugLoggingEnabled();
    size_t before = VornickLog::generalLog().text().size();
    int made = 0;
    auto line = [&] {
        ++made;
        return std::u16string(u"newExactSelection=<p>");
    };
    setDebugLoggingEnabled(false);
    VornickGeneralDebugLog(line);
    EXPECT_EQ(made, 0);
    EXPECT_EQ(VornickLog::generalLog().text().size(), before);

    setDebugLoggingEnabled(true);
    VornickGeneralDebugLog(line);
    setDebugLoggingEnabled(wasEnabled);
    EXPECT_EQ(made, 1);
    std::u16string text = VornickLog::generalLog().text();
    EXPECT_EQ(text.substr(before), u"newExactSelection=<p>\n");
    drainMainLoop();
}

TEST_F(VornickLogTest, LinesNobodyObservesAreKeptAndTheNextObserverHearsWholeLines)
{
    // Lines logged while nothing observes the log, in each of its forms.
    m_path = m_folder + "/quiet.txt";
    auto log = VornickLog::createAppendingToFile(URL::fileURLWithPath(m_path), 1 << 20);
    log->log(u"first");
    log->log(std::string_view("caf\xc3\xa9 \xff bytes"));
    std::string longTitle(600, 'w');
    log->log("Syncing {} post descriptions for \"{}\"...", 50, std::u16string(u"T\u00eftle ") + toUTF16(longTitle));
    log->log(std::string_view("== BEGIN Sync Session 1\n"));
    log->log("{} after the start", "one");
    std::u16string expected = u"first\ncaf\u00e9 \ufffd bytes\nSyncing 50 post descriptions for \"T\u00eftle " + toUTF16(longTitle)
        + u"\"...\n== BEGIN Sync Session 1\none after the start\n";
    EXPECT_EQ(log->text(), expected);
    log->flush();
    EXPECT_EQ(toUTF16(fileContents()), expected);

    // An observer that comes later hears the next lines as they were appended.
    m_observer = NotificationCenter::defaultCenter().addObserver({}, log.get(), nullptr, [this](const Notification& n) {
        m_notifications.push_back({ n.name, n.userInfo.at(u"text").string() });
    });
    log->log(std::string_view("\xe2\x82\xac sent"));
    log->log(u"kept\n");
    log->log("== BEGIN Sync Session {}", 2);
    ASSERT_EQ(m_notifications.size(), 3u);
    EXPECT_EQ(m_notifications[0], std::make_pair(std::string(VornickLogAmendedNotification), std::u16string(u"\u20ac sent\n")));
    EXPECT_EQ(m_notifications[1].second, u"kept\n");
    EXPECT_EQ(m_notifications[2].first, VornickLogChangedNotification);
    EXPECT_EQ(m_notifications[2].second, u"== BEGIN Sync Session 1\none after the start\n\u20ac sent\nkept\n== BEGIN Sync Session 2\n");
    m_observer.reset();
    log.reset();
}

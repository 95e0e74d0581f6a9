#include "toolkit/VornickBoundedLogFile.h"
#include "toolkit/VornickLog.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

using namespace brevanton;

namespace {

class VornickBoundedLogFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("bounded-log").value();
        m_path = m_folder + "/GeneralLog.txt";
    }
    void TearDown() override { EXPECT_TRUE(removeItem(m_folder)); }

    std::string current() { return readFile(m_path).value_or(""); }
    std::string earlier() { return readFile(VornickEarlierLogFilePath(m_path)).value_or(""); }

    std::string m_folder;
    std::string m_path;
};

std::string numberedLine(int writer, int number)
{
    return "writer " + std::to_string(writer) + " line " + std::to_string(number) + " " + std::string(30, '.') + "\n";
}

} // namespace

TEST_F(VornickBoundedLogFileTest, ALargeLogIsNeitherReadNorRewrittenAndShrinksToItsNewestLines)
{
    // A log grown large before it was bounded.
    std::string large;
    for (int i = 0; large.size() < (size_t(8) << 20); ++i)
        large += numberedLine(0, i);
    ASSERT_TRUE(writeFileAtomically(m_path, large));

    RunLoop::main().useManualClock();
    auto log = VornickLog::createAppendingToFile(URL::fileURLWithPath(m_path), 4096);
    EXPECT_EQ(log->text(), u"");
    log->log(u"this run's first line");
    log->log(u"this run's second line");
    EXPECT_EQ(log->text(), u"this run's first line\nthis run's second line\n");
    EXPECT_EQ(current().size(), large.size()) << "the file was written before the write delay";
    RunLoop::main().advanceClock(3.0);
    RunLoop::main().useRealClock();

    // The newest part, from a line start, with this run's lines last; the log starts again.
    std::string kept = earlier();
    EXPECT_LE(kept.size(), 4096u);
    EXPECT_GT(kept.size(), 3000u);
    EXPECT_TRUE(kept.starts_with("writer 0 line ")) << kept.substr(0, 40);
    EXPECT_TRUE(kept.ends_with("this run's first line\nthis run's second line\n"));
    EXPECT_NE(large.find(kept.substr(0, kept.find("this run's"))), std::string::npos);
    EXPECT_EQ(current(), "");

    // Clearing the text leaves the file's lines.
    log->clear();
    log->log(u"after clearing");
    log->flush();
    EXPECT_EQ(current(), "after clearing\n");
    EXPECT_EQ(log->text(), u"after clearing\n");
    EXPECT_TRUE(earlier().ends_with("this run's second line\n"));
}

TEST_F(VornickBoundedLogFileTest, StaysWithinTwiceItsLimitKeepingTheNewestLinesInOrder)
{
    constexpr size_t limit = 1000;
    std::string all;
    for (int i = 0; i < 400; ++i) {
        std::string lines = numberedLine(1, i);
        if (i % 3 == 0)
            lines += numberedLine(1, ++i);
        all += lines;
        ASSERT_TRUE(VornickAppendToBoundedLogFile(m_path, lines, limit));
        std::string kept = earlier() + current();
        ASSERT_LE(earlier().size(), limit);
        ASSERT_LE(current().size(), limit + lines.size());
        ASSERT_TRUE(all.ends_with(kept)) << "at line " << i;
        ASSERT_GE(kept.size(), std::min(all.size(), limit - numberedLine(1, i).size()));
    }
    EXPECT_EQ(VornickEarlierLogFilePath("/a/b.c/GeneralLog.txt"), "/a/b.c/GeneralLog.old.txt");
    EXPECT_EQ(VornickEarlierLogFilePath("/a/b.c/log"), "/a/b.c/log.old");

    // A file that cannot be opened keeps the lines for the next try.
    auto log = VornickLog::createAppendingToFile(URL::fileURLWithPath(m_folder + "/missing/log.txt"), limit);
    log->log(u"kept for later");
    log->flush();
    ASSERT_TRUE(createDirectory(m_folder + "/missing"));
    log->flush();
    EXPECT_EQ(readFile(m_folder + "/missing/log.txt").value_or(""), "kept for later\n");
}

TEST_F(VornickBoundedLogFileTest, WritersAppendingAtOnceLoseAndTearNoLine)
{
    // Two logs on one file, as two processes have: each opens the file for
    // every write, appends, and moves it away past the limit.
    for (size_t limit : { size_t(1) << 30, size_t(2000) }) {
        ASSERT_TRUE(removeItem(m_folder));
        ASSERT_TRUE(createDirectory(m_folder));
        std::vector<std::thread> writers;
        for (int writer = 0; writer < 4; ++writer) {
            writers.emplace_back([this, writer, limit] {
                auto log = VornickLog::createAppendingToFile(URL::fileURLWithPath(m_path), limit);
                for (int i = 0; i < 300; ++i) {
                    log->log(numberedLine(writer, i));
                    if (i % 7 == 0)
                        log->flush();
                }
                log->flush();
            });
        }
        for (auto& writer : writers)
            writer.join();

        std::string kept = earlier() + current();
        std::set<std::string> lines;
        for (size_t start = 0; start < kept.size();) {
            size_t end = kept.find('\n', start);
            ASSERT_NE(end, std::string::npos);
            std::string line = kept.substr(start, end + 1 - start);
            EXPECT_TRUE(line.starts_with("writer ") && line.ends_with(std::string(30, '.') + "\n")) << line;
            EXPECT_TRUE(lines.insert(line).second) << "twice: " << line;
            start = end + 1;
        }
        // Without a move every line is there; with one, the newest part is
        // (which may hold less than the limit once the log was just moved).
        if (limit == size_t(1) << 30) {
            EXPECT_EQ(lines.size(), 1200u);
        } else {
            EXPECT_LE(earlier().size(), limit);
            EXPECT_GE(kept.size(), limit / 2);
        }
    }
}

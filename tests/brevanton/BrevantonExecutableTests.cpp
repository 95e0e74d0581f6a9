// The brevanton executable, run as a process on copies of the pages under
// tests/data: every page opens, saves, and saves again without a change.
//
// Files under tests/data/hostile/ are opened and saved too; a file there
// that must be refused has a sidecar "<name>.expected" with the outcome of
// opening and of saving it, each an exit status and a text the error output
// holds:
//     open: 0
//     save: 1 is not an HTML or XHTML file
// (lines starting with "#" are comments; a missing line means status 0).
// A refused save leaves the file as it was.
#include "toolkit/VornickDocumentFile.h"

#include "tests/brevanton/BrevantonExecutableTestSupport.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Process.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <map>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace brevanton;

namespace {

// The pages under tests/data, relative to it: documents outside hostile/,
// every file (but sidecars) inside it.
std::vector<std::string> pagesUnderTestData(bool hostile)
{
    std::vector<std::string> pages;
    for (auto& entry : std::filesystem::recursive_directory_iterator(dataFolder)) {
        if (!entry.is_regular_file())
            continue;
        std::string relative = std::filesystem::relative(entry.path(), dataFolder).string();
        bool inHostile = relative.starts_with("hostile/");
        if (inHostile != hostile)
            continue;
        if (hostile ? relative.ends_with(".expected") : !VornickDocumentFile::isDocumentPath(relative))
            continue;
        pages.push_back(relative);
    }
    std::sort(pages.begin(), pages.end());
    return pages;
}

std::string testName(const ::testing::TestParamInfo<std::string>& info)
{
    std::string name;
    for (char c : info.param)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

// What the report says of the pages that stand for a document type, a
// legacy encoding or a WordPress post, and what their saved bytes keep.
struct PageExpectation {
    const char* documentType;
    const char* encoding;
    std::vector<std::string> keptInSavedBytes;
    // The page is broken, and shown from tidy's repaired copy.
    bool shownRepaired { false };
};

const std::map<std::string, PageExpectation>& pageExpectations()
{
    static const std::map<std::string, PageExpectation> expectations {
        { "html-writer/html401-strict.html", { "HTML 4.01 Strict", "UTF-8", {} } },
        { "html-writer/html401-transitional.html", { "HTML 4.01 Transitional", "UTF-8", {} } },
        { "html-writer/html401-frameset.html", { "HTML 4.01 Frameset", "UTF-8", { "<frameset" } } },
        { "html-writer/xhtml10-strict.html", { "XHTML 1.0 Strict", "UTF-8", {} } },
        { "html-writer/xhtml10-transitional.html", { "XHTML 1.0 Transitional", "UTF-8", {} } },
        { "html-writer/xhtml10-frameset.html", { "XHTML 1.0 Frameset", "UTF-8", {} } },
        { "html-writer/xhtml11.xhtml", { "XHTML 1.1 (parsed as XML)", "UTF-8", {} } },
        { "html-writer/html5.html", { "HTML 5", "UTF-8", {} } },
        { "html-pages/legacy-windows-1252.html",
          { "HTML 4.01 Transitional", "windows-1252", { "caf\xE9", "\x80" "2", "\x93The" } } },
        { "html-pages/legacy-latin1-repaired.html",
          { "HTML 5", "windows-1252",
            { "charset=\"iso-8859-1\"", "<title>Caf\xE9 cr\xE8me</title>", "\x93The caf\xE9\x92s menu\x94 \x96", "\x80" "5.", "\x85</p>" },
            true } },
        { "html-pages/legacy-windows-1252-repaired.html",
          { "HTML 4.01 Transitional", "windows-1252",
            { "charset=windows-1252", "Coffee \x80" "2, <b>tea</b> \x80" "1.50</p>", "\x93Quoted\x94 \x91single\x92 \x99" }, true } },
        { "html-pages/charset-declared-twice.html",
          { "HTML 5", "windows-1252",
            { "<meta charset=\"windows-1252\" />", "content=\"text/html; charset=ISO-8859-1\"",
              "Cr\xE8me br\xFBl\xE9" "e \x80 4,50 \x96", "\x93Plats du jour\x94" },
            true } },
        { "html-writer/wordpress-blocks.html",
          { "unknown", "UTF-8", { "<!-- wp:group {\"layout\":{\"type\":\"constrained\"}} -->", "<!-- /wp:paragraph -->" } } },
    };
    return expectations;
}

class BrevantonPage : public BrevantonExecutable, public ::testing::WithParamInterface<std::string> { };
class BrevantonHostileFile : public BrevantonExecutable, public ::testing::WithParamInterface<std::string> { };

} // namespace

TEST_P(BrevantonPage, OpensSavesAndSavesAgainUnchanged)
{
    std::string page = copyOf(GetParam());
    auto original = readFile(page).value();

    auto opened = runBrevanton({ page });
    EXPECT_EQ(opened.exitStatus, 0) << opened.standardError;
    EXPECT_TRUE(opened.standardOutput.starts_with(page + "\n")) << opened.standardOutput;
    EXPECT_TRUE(contains(opened.standardOutput, "\n  size:           " + std::to_string(original.size()) + " bytes"));
    EXPECT_TRUE(contains(opened.standardOutput, "\n  tidy:           ")) << opened.standardOutput;
    EXPECT_FALSE(contains(opened.standardOutput, "not validated"));
    EXPECT_EQ(readFile(page), original) << "opening alone changed the file";

    auto expectation = pageExpectations().find(GetParam());
    if (expectation != pageExpectations().end()) {
        EXPECT_TRUE(contains(opened.standardOutput, std::string("\n  document type:  ") + expectation->second.documentType + "\n"))
            << opened.standardOutput;
        EXPECT_TRUE(contains(opened.standardOutput, std::string("\n  encoding:       ") + expectation->second.encoding + "\n"))
            << opened.standardOutput;
        EXPECT_EQ(contains(opened.standardOutput, "\n  page text:      tidy's repaired copy\n"), expectation->second.shownRepaired)
            << opened.standardOutput;
    }

    auto saved = runBrevanton({ "--save", page });
    EXPECT_EQ(saved.exitStatus, 0) << saved.standardError;
    auto first = readFile(page).value();
    EXPECT_TRUE(contains(saved.standardOutput, "\n  saved:          " + std::to_string(first.size()) + " bytes in "))
        << saved.standardOutput;
    if (expectation != pageExpectations().end()) {
        EXPECT_TRUE(contains(saved.standardOutput, std::string(" bytes in ") + expectation->second.encoding + "\n"));
        for (auto& kept : expectation->second.keptInSavedBytes)
            EXPECT_TRUE(contains(first, kept)) << "the save lost " << kept << "\n" << first;
    }

    // The report says the file is what saving writes exactly when it is.
    EXPECT_EQ(contains(opened.standardOutput, "(identical to the file)"), first == original) << opened.standardOutput;

    // The writer's output is its own fixed point.
    auto again = runBrevanton({ "--save", page });
    EXPECT_EQ(again.exitStatus, 0) << again.standardError;
    EXPECT_TRUE(contains(again.standardOutput, "(identical to the file)")) << again.standardOutput;
    EXPECT_EQ(readFile(page), first) << "a second save changed the file";
}

INSTANTIATE_TEST_SUITE_P(TestData, BrevantonPage, ::testing::ValuesIn(pagesUnderTestData(false)), testName);

TEST_P(BrevantonHostileFile, EndsAsExpected)
{
    struct Outcome {
        int status { 0 };
        std::string message;
    };
    std::map<std::string, Outcome> outcomes;
    if (auto sidecar = readFile(dataFolder + "/" + GetParam() + ".expected")) {
        size_t start = 0;
        while (start < sidecar->size()) {
            size_t end = std::min(sidecar->find('\n', start), sidecar->size());
            std::string line = sidecar->substr(start, end - start);
            start = end + 1;
            size_t colon = line.find(':');
            if (line.starts_with("#") || colon == std::string::npos)
                continue;
            Outcome outcome;
            size_t messageStart = line.find(' ', colon + 2);
            outcome.status = std::stoi(line.substr(colon + 1));
            if (messageStart != std::string::npos)
                outcome.message = line.substr(messageStart + 1);
            outcomes[line.substr(0, colon)] = outcome;
        }
    }

    std::string file = copyOf(GetParam());
    auto original = readFile(file).value();
    auto opened = runBrevanton({ file });
    EXPECT_EQ(opened.exitStatus, outcomes["open"].status) << opened.standardError;
    EXPECT_TRUE(contains(opened.standardError, outcomes["open"].message)) << opened.standardError;

    auto saved = runBrevanton({ "--save", file });
    EXPECT_EQ(saved.exitStatus, outcomes["save"].status) << saved.standardError;
    EXPECT_TRUE(contains(saved.standardError, outcomes["save"].message)) << saved.standardError;
    if (outcomes["save"].status != 0) {
        EXPECT_EQ(readFile(file), original) << "a refused save changed the file";
    } else {
        // What was saved opens and saves again.
        EXPECT_EQ(runBrevanton({ "--save", file }).exitStatus, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(TestData, BrevantonHostileFile, ::testing::ValuesIn(pagesUnderTestData(true)), testName);

TEST_F(BrevantonExecutable, RefusesSpecialLargeAndWriteProtectedFilesAndGoesOnWithTheOthers)
{
    std::string fifo = m_folder + "/pipe.html";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::string folder = m_folder + "/folder.html";
    ASSERT_TRUE(createDirectory(folder));
    std::string huge = m_folder + "/huge.html";
    int fd = ::open(huge.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(VornickMaximumDocumentFileSize + 1)), 0);
    ::close(fd);
    std::string locked = m_folder + "/locked.html";
    ASSERT_TRUE(writeFileAtomically(locked, "<p>Keep me as I am"));
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    std::string good = m_folder + "/good.html";
    ASSERT_TRUE(writeFileAtomically(good, "<p>fine"));

    auto result = runBrevanton({ "--save", fifo, "/dev/zero", folder, huge, locked, good });
    EXPECT_EQ(result.exitStatus, 1);
    const std::string& errors = result.standardError;
    EXPECT_TRUE(contains(errors, "brevanton: " + fifo + ": \u201C" + fifo + "\u201D is not a regular file")) << errors;
    EXPECT_TRUE(contains(errors, "brevanton: /dev/zero: \u201C/dev/zero\u201D is not a regular file")) << errors;
    EXPECT_TRUE(contains(errors, "brevanton: " + folder + ": \u201C" + folder + "\u201D is a folder")) << errors;
    EXPECT_TRUE(contains(errors, "is larger than the 64 MB a document may have")) << errors;
    EXPECT_TRUE(contains(errors, "brevanton: " + locked + ": \u201C" + locked + "\u201D is write-protected")) << errors;
    EXPECT_EQ(readFile(locked), "<p>Keep me as I am");
    EXPECT_TRUE(contains(result.standardOutput, good + "\n")) << result.standardOutput;
    EXPECT_NE(readFile(good), "<p>fine");

    struct stat info;
    ASSERT_EQ(::lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(runBrevanton({}).exitStatus, 2);
}

TEST_F(BrevantonExecutable, ReportsHeadlessWithTheOptionOrWithoutADisplayAndSaysWhichWhenAsked)
{
    std::string page = copyOf("editing/page.html");
    // A display is named (none answers there): --headless keeps the report.
    auto named = runBrevanton({ "--headless", page }, { { "DISPLAY", ":59999" }, { "BREVANTON_ANNOUNCE_MODE", "1" } });
    EXPECT_EQ(named.exitStatus, 0) << named.standardError;
    EXPECT_TRUE(contains(named.standardOutput, "  document type:  HTML 5")) << named.standardOutput;
    EXPECT_TRUE(contains(named.standardError, "brevanton: running headless")) << named.standardError;

    auto none = runBrevanton({ page }, { { "BREVANTON_ANNOUNCE_MODE", "1" } });
    EXPECT_EQ(none.exitStatus, 0) << none.standardError;
    EXPECT_TRUE(contains(none.standardOutput, "  document type:  HTML 5")) << none.standardOutput;
    EXPECT_TRUE(contains(none.standardError, "brevanton: no display: running headless")) << none.standardError;
    // Without being asked the program says nothing of it.
    EXPECT_FALSE(contains(runBrevanton({ page }).standardError, "headless"));
}

TEST_F(BrevantonExecutable, SyncNeedsOneAccountProjectFolder)
{
    // A folder that is not there, and one without a project file: a clear error, no sync.
    for (std::string folder : { m_folder + "/no-such-account", m_folder }) {
        auto result = runBrevanton({ "--sync", folder });
        EXPECT_EQ(result.exitStatus, 1) << result.standardError;
        EXPECT_TRUE(contains(result.standardError, "brevanton: no account project in " + folder)) << result.standardError;
        EXPECT_TRUE(result.standardOutput.empty()) << result.standardOutput;
    }
    auto twoFolders = runBrevanton({ "--sync", m_folder, m_folder });
    EXPECT_EQ(twoFolders.exitStatus, 2);
    EXPECT_TRUE(contains(twoFolders.standardError, "--sync takes one account project folder")) << twoFolders.standardError;
    auto none = runBrevanton({ "--sync" });
    EXPECT_EQ(none.exitStatus, 2);

    // A session type: 3 (exhaustive) or 5 (templates), with --sync only.
    auto exhaustive = runBrevanton({ "--sync", "--type", "3", m_folder + "/no-such-account" });
    EXPECT_EQ(exhaustive.exitStatus, 1) << exhaustive.standardError;
    EXPECT_TRUE(contains(exhaustive.standardError, "brevanton: no account project in")) << exhaustive.standardError;
    for (std::vector<std::string> arguments : { std::vector<std::string> { "--sync", "--type", "4", m_folder },
                                                std::vector<std::string> { "--sync", m_folder, "--type" },
                                                std::vector<std::string> { "--type", "5", m_folder } }) {
        auto refused = runBrevanton(arguments);
        EXPECT_EQ(refused.exitStatus, 2) << refused.standardError;
        EXPECT_TRUE(contains(refused.standardError, "--type")) << refused.standardError;
    }
}

TEST_F(BrevantonExecutable, WithADisplayStartsTheWindowProgramBesideItAndSaysSoWhenItIsMissing)
{
    // The executable alone in a folder of its own (a hard link: it finds the
    // window program beside the file it runs from).
    std::string folder = std::string(BREVANTON_TEST_HOME) + "/lone-executable";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::string lone = folder + "/brevanton";
    if (::link(BREVANTON_EXECUTABLE, lone.c_str()) != 0)
        GTEST_SKIP() << "the build folder does not allow hard links";
    std::string page = copyOf("editing/page.html");
    auto result = runBrevanton({ page }, { { "DISPLAY", ":59999" } }, lone);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_TRUE(contains(result.standardError, "brevanton: the window program " + folder + "/brevanton-windows could not be started"))
        << result.standardError;
    EXPECT_TRUE(result.standardOutput.empty()) << result.standardOutput;
    // Headless, nothing is asked of it.
    EXPECT_EQ(runBrevanton({ "--save", page }, { { "DISPLAY", ":59999" } }, lone).exitStatus, 0);
    std::filesystem::remove_all(folder);
}

TEST_F(BrevantonExecutable, SaveKeepsModeAttributesHardLinksAndLongNames)
{
    std::string page = m_folder + "/page.html";
    ASSERT_TRUE(writeFileAtomically(page, "<title>t</title><p>linked"));
    ASSERT_EQ(::chmod(page.c_str(), 0640), 0);
    Error error;
    bool attributes = setExtendedAttribute(page, "origin", "kept", &error);
    std::string link = m_folder + "/other-name.html";
    ASSERT_EQ(::link(page.c_str(), link.c_str()), 0);
    std::string longName = m_folder + "/" + std::string(250, 'n') + ".html";
    ASSERT_TRUE(writeFileAtomically(longName, "<p>long"));

    auto result = runBrevanton({ "--save", page, longName });
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    auto saved = readFile(page).value();
    EXPECT_TRUE(contains(saved, "<p>linked</p>")) << saved;
    EXPECT_EQ(readFile(link), saved);
    struct stat info;
    ASSERT_EQ(::stat(page.c_str(), &info), 0);
    EXPECT_EQ(info.st_nlink, 2u);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    if (attributes) {
        EXPECT_EQ(getExtendedAttribute(page, "origin"), "kept");
    }
    EXPECT_TRUE(contains(readFile(longName).value(), "<p>long</p>"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_folder), std::filesystem::directory_iterator()), 3);
}

TEST_F(BrevantonExecutable, WithADisplayAnAccountFolderGoesToTheWindowProgramUnlessAReportIsAskedFor)
{
    std::string account = m_folder + "/Account";
    std::filesystem::create_directories(account);
    ASSERT_TRUE(writeFileAtomically(account + "/project.brevantonwordpressproject", "{}"));
    std::string folder = std::string(BREVANTON_TEST_HOME) + "/lone-executable-account";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::string lone = folder + "/brevanton";
    if (::link(BREVANTON_EXECUTABLE, lone.c_str()) != 0)
        GTEST_SKIP() << "the build folder does not allow hard links";
    // The window program is asked for (and is not beside this one).
    auto windows = runBrevanton({ account }, { { "DISPLAY", ":59999" }, { "BREVANTON_ANNOUNCE_MODE", "1" } }, lone);
    EXPECT_EQ(windows.exitStatus, 1);
    EXPECT_TRUE(contains(windows.standardError, "brevanton: opening windows")) << windows.standardError;
    EXPECT_TRUE(contains(windows.standardError, "brevanton: the window program " + folder + "/brevanton-windows could not be started"))
        << windows.standardError;
    // --headless, --reindex and no display keep the report.
    for (std::vector<std::string> arguments : { std::vector<std::string> { "--headless", account },
                                                std::vector<std::string> { "--reindex", account } }) {
        auto report = runBrevanton(arguments, { { "DISPLAY", ":59999" } }, lone);
        EXPECT_EQ(report.exitStatus, 0) << report.standardError;
        EXPECT_TRUE(contains(report.standardOutput, "blogs: 0")) << report.standardOutput;
    }
    auto noDisplay = runBrevanton({ account }, {}, lone);
    EXPECT_EQ(noDisplay.exitStatus, 0) << noDisplay.standardError;
    EXPECT_TRUE(contains(noDisplay.standardOutput, "blogs: 0")) << noDisplay.standardOutput;
    std::filesystem::remove_all(folder);
}

// Another program holding the account (as an open Brevanton does, by the
// lock file in its folder): this one says so and leaves it alone.
TEST_F(BrevantonExecutable, AnAccountHeldByAnotherProgramIsRefusedInWords)
{
    std::string account = m_folder + "/Held";
    std::filesystem::create_directories(account);
    ASSERT_TRUE(writeFileAtomically(account + "/project.brevantonwordpressproject", "{}"));
    int holder = ::open((account + "/.brevanton-project.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    std::string pid = std::to_string(::getpid());
    ASSERT_EQ(::write(holder, pid.data(), pid.size()), static_cast<ssize_t>(pid.size()));

    for (std::vector<std::string> arguments : { std::vector<std::string> { "--sync", account },
                                                std::vector<std::string> { "--headless", account },
                                                std::vector<std::string> { "--reindex", account } }) {
        auto refused = runBrevanton(arguments);
        EXPECT_EQ(refused.exitStatus, 1) << arguments[0];
        EXPECT_TRUE(contains(refused.standardError, "is open in another Brevanton (process " + pid + ")")) << refused.standardError;
    }
    ::close(holder);
    auto report = runBrevanton({ "--headless", account });
    EXPECT_EQ(report.exitStatus, 0) << report.standardError;
    EXPECT_TRUE(contains(report.standardOutput, "blogs: 0")) << report.standardOutput;
}

TEST_F(BrevantonExecutable, ARunAddsItsLinesToTheGeneralLogAndKeepsItBounded)
{
    // A general log grown far past its bound, as runs before it was bounded left it.
    std::string logs = m_folder + "/cache/com.Orbendalworks.Brevanton/Logs";
    ASSERT_TRUE(createDirectory(logs, true));
    std::string earlierLine = "an earlier run's line, kept until it is among the oldest\n";
    std::string large;
    while (large.size() < (size_t(6) << 20))
        large += earlierLine;
    ASSERT_TRUE(writeFileAtomically(logs + "/GeneralLog.txt", large));
    std::string page = m_folder + "/page.html";
    ASSERT_TRUE(writeFileAtomically(page, "<!DOCTYPE html>\n<title>t</title>\n<p>logged"));

    // Two runs at once, each far shorter than the log's write delay.
    std::map<std::string, std::string> environment { { "XDG_CACHE_HOME", m_folder + "/cache" } };
    auto first = std::async(std::launch::async, [&] { return runBrevanton({ "--save", page }, environment); });
    auto second = runBrevanton({ "--headless", page }, environment);
    EXPECT_EQ(first.get().exitStatus, 0);
    EXPECT_EQ(second.exitStatus, 0);

    std::string earlier = readFile(logs + "/GeneralLog.old.txt").value_or("");
    std::string current = readFile(logs + "/GeneralLog.txt").value_or("");
    EXPECT_LE(earlier.size() + current.size(), size_t(2) << 20);
    std::string kept = earlier + current;
    EXPECT_TRUE(kept.starts_with(earlierLine)) << kept.substr(0, 100);
    // Both runs' loads, each line whole.
    size_t loads = 0;
    for (size_t start = 0, end; (end = kept.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string_view line(kept.data() + start, end - start);
        if (contains(line, "webView:didFinishLoadForFrame:")) {
            ++loads;
            EXPECT_TRUE(line.starts_with("-[<VornickContentEditingView: ")) << line;
        }
    }
    EXPECT_GE(loads, 2u) << current;
}

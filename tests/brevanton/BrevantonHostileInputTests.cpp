// Pages built to make the parser, the writer or tidy slow, each opened and
// saved through the brevanton executable: none may hold the program longer
// than tidy's check budget, and each keeps its content (or, where the parser
// cannot keep its nesting, is refused at save and left as it was). The time
// of each save is printed and checked against a bound several times the three
// seconds each should take, which a busy machine keeps too and a wait for tidy
// over the deepest pages (minutes) does not; the three seconds themselves are
// the benchmark's to check.
#include "tests/InstrumentedBuild.h"
#include "tests/brevanton/BrevantonExecutableTestSupport.h"

#include "platform/foundation/FileUtilities.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

using namespace brevanton;

namespace brevanton_hostile_input_tests {
namespace {

// The sanitizers' builds run the program several times slower: the bound
// grows with them, and still tells a wait for tidy past its budget.
constexpr double instrumentedSlowdown = testsRunInstrumented ? 5 : 1;

size_t count(std::string_view text, std::string_view part)
{
    size_t found = 0;
    for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size()))
        ++found;
    return found;
}

std::string repeated(std::string_view part, size_t times)
{
    std::string result;
    result.reserve(part.size() * times);
    for (size_t i = 0; i < times; ++i)
        result += part;
    return result;
}

struct HostilePage {
    const char* name;
    std::string contents;
    // Empty: the save succeeds and the text below is in the saved file so
    // many times; else the save is refused with this message.
    std::string refusal;
    std::string kept;
    size_t keptCount { 0 };
};

std::vector<HostilePage> hostilePages()
{
    std::string head = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>hostile</title></head><body>\n";
    std::string attributes = "<p";
    for (int i = 0; i < 50000; ++i)
        attributes += " data-a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    attributes += ">many attributes</p>\n";
    std::string line = head + "<p>";
    while (line.size() < (size_t(30) << 20))
        line += "word <i>slanted</i> and <b>bold</b> &amp; more ";
    line += "end</p></body></html>";
    return {
        { "nested-divs.html", head + repeated("<div>x", 100000), "nests elements more than 512 levels deep", "", 0 },
        { "unclosed-bold.html", head + repeated("<b>x", 200000), "nests elements more than 512 levels deep", "", 0 },
        { "many-attributes.html", head + attributes + "</body></html>\n", "", "data-a49999=\"49999\"", 1 },
        { "single-line.html", line, "", "<i>slanted</i>", count(line, "<i>slanted</i>") },
        { "srcdoc-frames.html",
          head + repeated("<iframe srcdoc=\"<p>framed <b>text</b></p>\" title=\"f\"></iframe>\n", 10000) + "</body></html>\n", "",
          "<iframe srcdoc=\"<p>framed <b>text</b></p>\" title=\"f\"></iframe>", 10000 },
    };
}

class BrevantonHostileInput : public BrevantonExecutable, public ::testing::WithParamInterface<size_t> { };

} // namespace

TEST_P(BrevantonHostileInput, OpensAndSavesWithinTidysBudgetKeepingTheContent)
{
    setTidyCheckTimeBudget(std::nullopt);
    auto page = hostilePages()[GetParam()];
    std::string path = m_folder + "/" + page.name;
    ASSERT_TRUE(writeFileAtomically(path, page.contents));
    // Temporary files go to a folder of the test's own, which the run leaves empty.
    std::string temporary = m_folder + "/tmp";
    ASSERT_TRUE(createDirectory(temporary));

    auto start = std::chrono::steady_clock::now();
    auto saved = runBrevanton({ "--save", path }, { { "TMPDIR", temporary } });
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("[ hostile ] %s (%zu bytes): opened and saved in %.2f s\n", page.name, page.contents.size(), seconds);
    // Tidy's budget here is a few seconds, its runs over the deepest pages minutes: the bound leaves a busy machine room.
    EXPECT_LT(seconds, 20.0 * instrumentedSlowdown) << "the open and save waited for tidy past its budget";

    auto written = readFile(path).value();
    if (page.refusal.empty()) {
        EXPECT_EQ(saved.exitStatus, 0) << saved.standardError;
        EXPECT_EQ(count(written, page.kept), page.keptCount) << "the save lost content";
    } else {
        EXPECT_EQ(saved.exitStatus, 1);
        EXPECT_TRUE(contains(saved.standardError, page.refusal)) << saved.standardError;
        EXPECT_EQ(written, page.contents) << "a refused save changed the file";
    }
    EXPECT_TRUE(std::filesystem::is_empty(temporary)) << "a temporary file was left behind";
}

INSTANTIATE_TEST_SUITE_P(Generated, BrevantonHostileInput, ::testing::Range(size_t(0), hostilePages().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             std::string name = hostilePages()[info.param].name;
                             name = name.substr(0, name.find('.'));
                             std::erase(name, '-');
                             return name;
                         });

TEST_F(BrevantonExecutable, TidyThatOutrunsItsBudgetIsStoppedAndThePageLoadsAsItIs)
{
    // Tidy takes minutes over this nesting; the parser takes milliseconds.
    setTidyCheckTimeBudget(std::nullopt);
    std::string page = m_folder + "/deep.html";
    std::string contents = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>deep</title></head><body>\n"
        + repeated("<section>x", 60000);
    ASSERT_TRUE(writeFileAtomically(page, contents));
    std::string temporary = m_folder + "/tmp";
    ASSERT_TRUE(createDirectory(temporary));
    auto start = std::chrono::steady_clock::now();
    auto opened = runBrevanton({ page }, { { "TMPDIR", temporary } });
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(opened.exitStatus, 0) << opened.standardError;
    EXPECT_LT(seconds, 20.0) << "the load waited for tidy";
    EXPECT_TRUE(contains(opened.standardOutput, "\n  page text:      the file\n")) << opened.standardOutput;
    EXPECT_TRUE(contains(opened.standardOutput, "\n  validation:     Not Validated: the Check Did Not Finish\n")) << opened.standardOutput;
    EXPECT_TRUE(contains(opened.standardOutput, "\n  tidy:           not validated (the check did not finish), 0 advisories\n"))
        << opened.standardOutput;
    EXPECT_TRUE(std::filesystem::is_empty(temporary)) << "tidy's files were left behind";

    // A page tidy checks in time is validated as ever (in a budget a busy machine keeps too).
    setTidyCheckTimeBudget(20);
    std::string shallow = m_folder + "/shallow.html";
    ASSERT_TRUE(writeFileAtomically(shallow, "<!DOCTYPE html>\n<title>t</title>\n<p>fine"));
    auto checked = runBrevanton({ shallow });
    EXPECT_FALSE(contains(checked.standardOutput, "did not finish")) << checked.standardOutput;
}

TEST_F(BrevantonExecutable, WithoutTidyAPageSavesAtOnceAndSaysItWasNotValidated)
{
    // Tidy is looked for on the PATH: here it finds none.
    std::string page = m_folder + "/page.html";
    std::string contents = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>t</title></head><body>\n<p>fine</p>\n</body></html>\n";
    ASSERT_TRUE(writeFileAtomically(page, contents));
    // A budget of a minute: a wait for a verdict that cannot come would show
    // however busy the machine.
    setTidyCheckTimeBudget(60);
    auto start = std::chrono::steady_clock::now();
    auto saved = runBrevanton({ "--save", page }, { { "PATH", m_folder + "/no-programs" } });
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(saved.exitStatus, 0) << saved.standardError;
    EXPECT_TRUE(contains(saved.standardOutput, "\n  validation:     Not Validated: HTML Tidy Could Not Run\n")) << saved.standardOutput;
    EXPECT_TRUE(contains(saved.standardOutput, "\n  tidy:           not validated (tidy could not run), 0 advisories\n"))
        << saved.standardOutput;
    // Nothing waited for a verdict that could not come.
    EXPECT_LT(seconds, 20.0);
    EXPECT_TRUE(contains(readFile(page).value(), "<p>fine</p>"));
}

} // namespace brevanton_hostile_input_tests

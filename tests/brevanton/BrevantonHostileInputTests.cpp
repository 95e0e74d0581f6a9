// Pages built to make the parser, the writer or tidy slow, each opened and
// saved through the brevanton executable: each keeps its content, every
// level of the deepest nesting included, and the report says which rule decided whether tidy's verdict was waited
// for: the pages nested so deep, or with so many attributes to an element,
// that tidy would take minutes are beyond its work budget, the others are
// checked. The time of each save is printed;
// bounds on it are the benchmark's to check.
#include "tests/brevanton/BrevantonExecutableTestSupport.h"

#include "platform/foundation/FileUtilities.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

using namespace brevanton;

namespace brevanton_hostile_input_tests {
namespace {

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

std::string hostileHead()
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>hostile</title></head><body>\n";
}

std::string manyAttributes()
{
    std::string attributes = "<p";
    for (int i = 0; i < 50000; ++i)
        attributes += " data-a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    return hostileHead() + attributes + ">many attributes</p>\n</body></html>\n";
}

std::string singleLine()
{
    std::string line = hostileHead() + "<p>";
    while (line.size() < (size_t(30) << 20))
        line += "word <i>slanted</i> and <b>bold</b> &amp; more ";
    return line + "end</p></body></html>";
}

struct HostilePage {
    const char* name;
    // Made only by the test that uses it: every test process lists them all.
    std::string (*contents)();
    // The save succeeds and this text is in the saved file so many times
    // (all of them when the count is 0).
    std::string kept;
    size_t keptCount { 0 };
    // Tidy's verdict is not waited for: the page is beyond its work budget.
    bool beyondBudget { false };
};

const std::vector<HostilePage>& hostilePages()
{
    static const std::vector<HostilePage> pages {
        { "nested-divs.html", [] { return hostileHead() + repeated("<div>x", 100000); }, "<div>x", 0, true },
        { "unclosed-bold.html", [] { return hostileHead() + repeated("<b>x", 200000); }, "<b>x", 0, true },
        { "many-attributes.html", manyAttributes, "data-a49999=\"49999\"", 1, true },
        { "single-line.html", singleLine, "<i>slanted</i>", 0 },
        { "srcdoc-frames.html",
          [] {
              return hostileHead() + repeated("<iframe srcdoc=\"<p>framed <b>text</b></p>\" title=\"f\"></iframe>\n", 10000)
                  + "</body></html>\n";
          },
          "<iframe srcdoc=\"<p>framed <b>text</b></p>\" title=\"f\"></iframe>", 10000 },
    };
    return pages;
}

class BrevantonHostileInput : public BrevantonExecutable, public ::testing::WithParamInterface<size_t> { };

} // namespace

TEST_P(BrevantonHostileInput, OpensAndSavesByTidysWorkBudgetKeepingTheContent)
{
    const HostilePage& page = hostilePages()[GetParam()];
    std::string contents = page.contents();
    std::string path = m_folder + "/" + page.name;
    ASSERT_TRUE(writeFileAtomically(path, contents));
    // Temporary files go to a folder of the test's own, which the run leaves empty.
    std::string temporary = m_folder + "/tmp";
    ASSERT_TRUE(createDirectory(temporary));

    auto start = std::chrono::steady_clock::now();
    auto saved = runBrevanton({ "--save", path }, { { "TMPDIR", temporary } }, BREVANTON_EXECUTABLE, brevantonHugeInputRunTimeout);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("[ hostile ] %s (%zu bytes): opened and saved in %.2f s\n", page.name, contents.size(), seconds);
    EXPECT_EQ(contains(saved.standardOutput, "not validated (the page is beyond tidy's work budget)"), page.beyondBudget)
        << saved.standardOutput;

    auto written = readFile(path).value();
    EXPECT_EQ(saved.exitStatus, 0) << saved.standardError;
    EXPECT_EQ(count(written, page.kept), page.keptCount ? page.keptCount : count(contents, page.kept)) << "the save lost content";
    EXPECT_TRUE(std::filesystem::is_empty(temporary)) << "a temporary file was left behind";
}

INSTANTIATE_TEST_SUITE_P(Generated, BrevantonHostileInput, ::testing::Range(size_t(0), hostilePages().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             std::string name = hostilePages()[info.param].name;
                             name = name.substr(0, name.find('.'));
                             std::erase(name, '-');
                             return name;
                         });

TEST_F(BrevantonExecutable, APageBeyondTidysWorkBudgetLoadsAsItIsWithoutItsVerdict)
{
    // Tidy takes minutes over this nesting; the parser takes milliseconds.
    std::string page = m_folder + "/deep.html";
    std::string contents = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>deep</title></head><body>\n"
        + repeated("<section>x", 60000);
    ASSERT_TRUE(writeFileAtomically(page, contents));
    std::string temporary = m_folder + "/tmp";
    ASSERT_TRUE(createDirectory(temporary));
    auto opened = runBrevanton({ page }, { { "TMPDIR", temporary } });
    EXPECT_EQ(opened.exitStatus, 0) << opened.standardError;
    EXPECT_TRUE(contains(opened.standardOutput, "\n  page text:      the file\n")) << opened.standardOutput;
    EXPECT_TRUE(contains(opened.standardOutput, "\n  validation:     Not Validated: the Page Is Beyond HTML Tidy's Work Budget\n"))
        << opened.standardOutput;
    EXPECT_TRUE(contains(opened.standardOutput, "\n  tidy:           not validated (the page is beyond tidy's work budget), 0 advisories\n"))
        << opened.standardOutput;
    EXPECT_TRUE(std::filesystem::is_empty(temporary)) << "tidy's files were left behind";

    // A page within the budget is validated; the same page given a smaller
    // budget is not.
    std::string shallow = m_folder + "/shallow.html";
    ASSERT_TRUE(writeFileAtomically(shallow, "<!DOCTYPE html>\n<title>t</title>\n<p>fine"));
    auto checked = runBrevanton({ shallow });
    EXPECT_FALSE(contains(checked.standardOutput, "not validated")) << checked.standardOutput;
    setTidyCheckWorkBudget(3);
    auto beyond = runBrevanton({ shallow });
    EXPECT_TRUE(contains(beyond.standardOutput, "not validated (the page is beyond tidy's work budget)")) << beyond.standardOutput;
}

TEST_F(BrevantonExecutable, WithoutTidyAPageSavesAtOnceAndSaysItWasNotValidated)
{
    // Tidy is looked for on the PATH: here it finds none.
    std::string page = m_folder + "/page.html";
    std::string contents = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>t</title></head><body>\n<p>fine</p>\n</body></html>\n";
    ASSERT_TRUE(writeFileAtomically(page, contents));
    auto start = std::chrono::steady_clock::now();
    auto saved = runBrevanton({ "--save", page }, { { "PATH", m_folder + "/no-programs" } });
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(saved.exitStatus, 0) << saved.standardError;
    EXPECT_TRUE(contains(saved.standardOutput, "\n  validation:     Not Validated: HTML Tidy Could Not Run\n")) << saved.standardOutput;
    EXPECT_TRUE(contains(saved.standardOutput, "\n  tidy:           not validated (tidy could not run), 0 advisories\n"))
        << saved.standardOutput;
    // Nothing waited for a verdict that could not come (tidy's timeout is 30 s).
    EXPECT_LT(seconds, 20.0);
    EXPECT_TRUE(contains(readFile(page).value(), "<p>fine</p>"));
}

} // namespace brevanton_hostile_input_tests

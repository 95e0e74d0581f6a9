// The paragraph adder against WordPress's own, wpautop(), run with php-cli on
// the Debian package's files (tests/oracles/wordpress/autop.php). The two
// must agree in structure: the same elements in the same order around the
// same text. Blanks, where the tags sit among newlines, and line breaks at the
// very end of a block (which show nothing) are not compared. WordPress does
// not run wpautop() on a post that holds blocks, so block posts must come
// back with no paragraphs added.
#include "html/VornickWordPressAutoParagraphAdder.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>
#include <set>

using namespace brevanton;

namespace {

const char* const wordPressRoot = "/usr/share/wordpress";

std::string oracleScript()
{
    return std::string(BREVANTON_TEST_DATA_DIR) + "/../oracles/wordpress/autop.php";
}

std::string lowercase(std::string text)
{
    for (auto& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool isBlockBoundary(const std::string& token)
{
    static const std::set<std::string> blocks { "p", "div", "li", "ul", "ol", "dl", "dd", "dt", "pre", "blockquote",
                                                "hr", "table", "tr", "td", "th", "h1", "h2", "h3", "h4", "h5", "h6",
                                                "figure", "figcaption", "section", "address", "form" };
    if (token.size() < 3 || token.front() != '<' || token.back() != '>')
        return false;
    std::string name = token.substr(token[1] == '/' ? 2 : 1, token.size() - (token[1] == '/' ? 3 : 2));
    return blocks.contains(name);
}

// The structure of markup: tags (names only), comments, and text with its
// blanks collapsed; "<p></p>" left out, and line breaks that end a block
// (or the text) too, or all of them when `withLineBreaks` is false.
std::vector<std::string> structure(const std::string& html, bool withLineBreaks = true)
{
    std::vector<std::string> tokens;
    auto addText = [&](std::string_view text) {
        std::string collapsed;
        bool blank = false;
        for (char c : text) {
            if (c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\f') {
                blank = true;
                continue;
            }
            if (blank && !collapsed.empty())
                collapsed += ' ';
            blank = false;
            collapsed += c;
        }
        if (!collapsed.empty())
            tokens.push_back(collapsed);
    };
    size_t position = 0;
    while (position < html.size()) {
        size_t lessThan = html.find('<', position);
        if (lessThan == std::string::npos) {
            addText(std::string_view(html).substr(position));
            break;
        }
        addText(std::string_view(html).substr(position, lessThan - position));
        if (html.compare(lessThan, 4, "<!--") == 0) {
            size_t end = html.find("-->", lessThan + 4);
            end = end == std::string::npos ? html.size() : end + 3;
            tokens.push_back(html.substr(lessThan, end - lessThan));
            position = end;
            continue;
        }
        size_t nameStart = lessThan + 1 + (lessThan + 1 < html.size() && html[lessThan + 1] == '/');
        size_t nameEnd = nameStart;
        while (nameEnd < html.size() && (std::isalnum(static_cast<unsigned char>(html[nameEnd])) || html[nameEnd] == '-'))
            ++nameEnd;
        if (nameEnd == nameStart) {
            addText("<");
            position = lessThan + 1;
            continue;
        }
        size_t end = html.find('>', nameEnd);
        end = end == std::string::npos ? html.size() : end + 1;
        tokens.push_back((nameStart > lessThan + 1 ? "</" : "<") + lowercase(html.substr(nameStart, nameEnd - nameStart)) + ">");
        position = end;
    }
    std::vector<std::string> result;
    for (size_t index = 0; index < tokens.size(); ++index) {
        const auto& token = tokens[index];
        if (token == "<br>" && (!withLineBreaks || index + 1 == tokens.size() || isBlockBoundary(tokens[index + 1])))
            continue;
        if (token == "<p>" && index + 1 < tokens.size() && tokens[index + 1] == "</p>") {
            ++index;
            continue;
        }
        result.push_back(token);
    }
    return result;
}

std::string joined(const std::vector<std::string>& tokens)
{
    std::string text;
    for (const auto& token : tokens)
        text += (text.empty() ? "" : " | ") + token;
    return text;
}

std::string ours(const std::string& text)
{
    return toUTF8(VornickWordPressAutoParagraphAdder::addImplicitParagraphsAndLineBreaksToPostBody(toUTF16(text), false));
}

struct ParityCase {
    std::string name;
    std::string text;
};

std::vector<ParityCase> parityCases()
{
    return {
        { "paragraphs", "First paragraph.\n\nSecond paragraph.\n\n\n\nThird." },
        { "line breaks", "Line one\nline two\nline three\n\nNext paragraph\nwith a break" },
        { "surrounding blanks", "  \n\nLead text\n\ntrailing text  \n" },
        { "inline markup", "One <b>two</b>\nthree <a href=\"https://example.com/\">link</a> <em>four</em>\n\nfive <img src=\"x.png\" alt=\"\">" },
        { "explicit paragraph", "<p>Already a paragraph\nwith a break</p>\n\nThen text" },
        { "rule", "above\n<hr />\nbelow" },
        { "headings", "<h2>Title</h2>\nBody text here\n\nMore text\n<h3>Sub</h3>\nEnd" },
        { "blockquote", "Said:\n<blockquote>Quoted words\n\nmore quoted</blockquote>\nAfter" },
        { "list", "Intro\n<ul>\n<li>one</li>\n<li>two</li>\n</ul>\n\nOutro" },
        { "preformatted", "<pre>code line 1\ncode line 2\n\ncode line 4</pre>\n\nProse after" },
        { "shortcode", "[gallery ids=\"1,2,3\"]\n\nCaption text\n[embed]https://example.com/v[/embed]" },
        { "non-ASCII", "Ünïcödé text — with dashes\n\n日本語のテキスト\n二行目\n\n\U0001F600 emoji" },
        { "entities", "Fish &amp; chips\n\n&lt;not a tag&gt;\nnext" },
        { "block post", "<!-- wp:paragraph -->\n<p>A block paragraph</p>\n<!-- /wp:paragraph -->\n\n<!-- wp:more /-->\n\n"
                        "<!-- wp:html -->\n<div>raw\n\nhtml</div>\n<!-- /wp:html -->" },
        // Text inside a division gets paragraphs of its own, ended by the
        // division's end tag; WordPress's adder leaves a lone text bare and
        // at a blank line leaves an end tag without its start tag.
        { "div", "<div>a\n\nb</div>\n\nc" },
        { "text beside a div", "x<div>y</div>z" },
        // A comment is not content: a newline right after it is no line break.
        { "comment", "<!-- a note -->\nText after a comment\n\nAnd more" },
        // WordPress's adder breaks program text at blank lines and puts line
        // breaks into text areas; this one leaves both as they are.
        { "script", "Before\n\n<script>var a = 1;\n\nrun(a);</script>\n\nAfter" },
        { "text area", "Field <textarea>one\ntwo</textarea>" },
        // An element missing from HTML counts as a block here, so text next to
        // it is not joined to its paragraph.
        { "unknown element", "<custom-card>a</custom-card>\n\nb" },
    };
}

// Cases in which this adder differs on purpose, with the reason given above.
const std::set<std::string> knownDifferences { "div", "text beside a div", "comment", "script", "text area", "unknown element" };

class WordPressAutoParagraphParity : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (findExecutable("php").empty())
            GTEST_SKIP() << "php is not installed: the comparison with wpautop() is skipped";
        ASSERT_TRUE(std::filesystem::exists(std::string(wordPressRoot) + "/wp-includes/formatting.php"))
            << "WordPress's files are missing: run scripts/bootstrap";
    }

    nlohmann::json runOracle(const std::vector<ParityCase>& cases)
    {
        nlohmann::json input = nlohmann::json::array();
        for (const auto& testCase : cases)
            input.push_back({ { "name", testCase.name }, { "text", testCase.text } });
        ProcessLaunch launch;
        launch.executable = "php";
        launch.arguments = { oracleScript() };
        launch.standardInput = input.dump();
        launch.timeout = std::chrono::seconds(60);
        Error error;
        auto result = Process::run(launch, &error);
        if (!result) {
            ADD_FAILURE() << toUTF8(error.localizedDescription());
            return {};
        }
        EXPECT_TRUE(result->succeeded()) << result->standardError;
        return nlohmann::json::parse(result->standardOutput);
    }
};

TEST_F(WordPressAutoParagraphParity, ClassicPostsHaveTheStructureWordPressGivesThem)
{
    auto cases = parityCases();
    auto oracle = runOracle(cases);
    ASSERT_TRUE(oracle.contains("cases"));
    for (const auto& testCase : cases) {
        const auto& theirs = oracle["cases"][testCase.name];
        std::string mine = ours(testCase.text);
        if (theirs["hasBlocks"].get<bool>()) {
            // Served as written: no paragraphs may appear.
            EXPECT_EQ(joined(structure(mine, false)), joined(structure(testCase.text, false))) << testCase.name;
            continue;
        }
        std::string wordPress = theirs["autop"].get<std::string>();
        bool same = structure(mine) == structure(wordPress);
        if (knownDifferences.contains(testCase.name)) {
            EXPECT_FALSE(same) << testCase.name << " now agrees with wpautop(): take it off the known differences";
            continue;
        }
        EXPECT_TRUE(same) << testCase.name << "\n ours:      " << joined(structure(mine))
                          << "\n wpautop(): " << joined(structure(wordPress)) << "\n--- ours\n" << mine
                          << "\n--- wpautop()\n" << wordPress;
    }
}

TEST_F(WordPressAutoParagraphParity, BundledBlockPatternsAreLeftAsTheyAre)
{
    auto oracle = runOracle({});
    ASSERT_TRUE(oracle.contains("patterns"));
    ASSERT_FALSE(oracle["patterns"].empty()) << "no block patterns found under " << wordPressRoot;
    for (const auto& [file, content] : oracle["patterns"].items()) {
        std::string text = content.get<std::string>();
        EXPECT_EQ(ours(text), text) << file;
        // The same post with classic text around it: the text gets its
        // paragraphs, the blocks none.
        std::string mixed = "Intro\n\n" + text + "\n\nOutro";
        EXPECT_EQ(ours(mixed), "<p>Intro</p>\n\n" + text + "<p>\n\nOutro</p>") << file;
    }
}

} // namespace

#include "html/VornickMarkdownFilter.h"

#include "toolkit/VornickErrors.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

using namespace brevanton;
using namespace std::chrono_literals;

namespace {

class MarkdownFilter : public ::testing::Test {
protected:
    void SetUp() override { m_folder = *createTemporaryDirectory("h14-markdown"); }
    void TearDown() override { EXPECT_TRUE(removeItem(m_folder)); }

    void writeScript(const std::string& name, std::string_view body)
    {
        std::string path = m_folder + "/" + name;
        EXPECT_TRUE(writeFileAtomically(path, "#!/bin/sh\n" + std::string(body) + "\n"));
        chmod(path.c_str(), 0755);
    }
    Bundle bundle() const { return Bundle(m_folder); }

    std::string m_folder;
};

TEST_F(MarkdownFilter, RendersWithTheInstalledScripts)
{
    Error error;
    auto html = VornickMarkdownFilter::htmlStringFromMarkdownString(u"Some *emphasis* and \"quotes\" -- here.", false, &error);
    ASSERT_TRUE(html) << error;
    EXPECT_NE(html->find(u"<p>Some <em>emphasis</em>"), std::u16string::npos) << toUTF8(*html);
    EXPECT_NE(html->find(u"\"quotes\""), std::u16string::npos);

    auto smart = VornickMarkdownFilter::htmlStringFromMarkdownString(u"Some *emphasis* and \"quotes\" -- here.", true, &error);
    ASSERT_TRUE(smart) << error;
    EXPECT_NE(smart->find(u"<em>emphasis</em>"), std::u16string::npos);
    EXPECT_NE(smart->find(u"&#8220;quotes&#8221;"), std::u16string::npos) << toUTF8(*smart);

    // Empty input still goes through the script, and an empty rendering is a success.
    auto empty = VornickMarkdownFilter::htmlStringFromMarkdownString(u"", true, &error);
    ASSERT_TRUE(empty) << error;
    EXPECT_EQ(empty->find_first_not_of(u"\n"), std::u16string::npos);

    // Text beyond ASCII survives both scripts.
    auto accents = VornickMarkdownFilter::htmlStringFromMarkdownString(u"Caf\u00e9 \u2713 \U0001F600", true, &error);
    ASSERT_TRUE(accents) << error;
    EXPECT_NE(accents->find(u"Caf\u00e9 \u2713 \U0001F600"), std::u16string::npos) << toUTF8(*accents);
}

TEST_F(MarkdownFilter, MissingScriptsAreErrors)
{
    Error error;
    EXPECT_FALSE(VornickMarkdownFilter::htmlStringFromMarkdownString(u"text", false, bundle(), 5s, &error));
    EXPECT_TRUE(error.is(VornickErrorDomain, VornickMarkdownScriptMissingError));
    EXPECT_EQ(error.userInfo().at(VornickMarkdownScriptNameKey).string(), u"Markdown");

    // The first script ran, but the second is missing: still no answer.
    writeScript("Markdown.pl", "cat");
    auto plain = VornickMarkdownFilter::htmlStringFromMarkdownString(u"text", false, bundle(), 5s, &error);
    ASSERT_TRUE(plain);
    EXPECT_EQ(*plain, u"text");
    error = Error();
    EXPECT_FALSE(VornickMarkdownFilter::htmlStringFromMarkdownString(u"text", true, bundle(), 5s, &error));
    EXPECT_TRUE(error.is(VornickErrorDomain, VornickMarkdownScriptMissingError));
    EXPECT_EQ(error.userInfo().at(VornickMarkdownScriptNameKey).string(), u"SmartyPants");

    // A file that is not executable is no script.
    EXPECT_TRUE(writeFileAtomically(m_folder + "/SmartyPants.pl", "#!/bin/sh\ncat\n"));
    chmod((m_folder + "/SmartyPants.pl").c_str(), 0644);
    EXPECT_FALSE(VornickMarkdownFilter::htmlStringFromMarkdownString(u"text", true, bundle(), 5s, &error));
}

TEST_F(MarkdownFilter, FailedRunsAreNeverEmptySuccesses)
{
    Error error;
    writeScript("Markdown.pl", "echo 'cannot render' >&2; exit 3");
    EXPECT_FALSE(VornickMarkdownFilter::htmlStringFromMarkdownString(u"text", false, bundle(), 5s, &error));
    EXPECT_TRUE(error.is(VornickErrorDomain, VornickMarkdownScriptFailedError));
    EXPECT_EQ(error.userInfo().at(VornickMarkdownExitStatusKey).integerValue(), 3);
    EXPECT_EQ(error.userInfo().at(VornickMarkdownStandardErrorKey).string(), u"cannot render\n");

    // Output written before a failure is not an answer either.
    writeScript("Markdown.pl", "echo '<p>partial'; kill -9 $$");
    error = Error();
    EXPECT_FALSE(VornickMarkdownFilter::htmlStringFromMarkdownString(u"text", false, bundle(), 5s, &error));
    EXPECT_TRUE(error.is(VornickErrorDomain, VornickMarkdownScriptFailedError));
    EXPECT_EQ(error.userInfo().at(VornickMarkdownTerminationSignalKey).integerValue(), 9);

    // A failing second script fails the whole run.
    writeScript("Markdown.pl", "cat");
    writeScript("SmartyPants.pl", "exit 1");
    error = Error();
    EXPECT_FALSE(VornickMarkdownFilter::htmlStringFromMarkdownString(u"text", true, bundle(), 5s, &error));
    EXPECT_TRUE(error.is(VornickErrorDomain, VornickMarkdownScriptFailedError));
    EXPECT_EQ(error.userInfo().at(VornickMarkdownScriptNameKey).string(), u"SmartyPants");

    // A script that hangs is stopped at the timeout.
    writeScript("Markdown.pl", "exec sleep 10");
    error = Error();
    EXPECT_FALSE(VornickMarkdownFilter::htmlStringFromMarkdownString(u"text", false, bundle(), 50ms, &error));
    EXPECT_TRUE(error.is(VornickErrorDomain, VornickMarkdownScriptTimedOutError));
}

TEST_F(MarkdownFilter, AsynchronousRunsDeliverOnTheMainLoop)
{
    writeScript("Markdown.pl", "cat");
    writeScript("SmartyPants.pl", "tr a b");
    const Bundle testBundle = bundle();

    // A large input: the call returns at once and the main loop keeps turning.
    std::u16string large;
    while (large.size() < 4 * 1024 * 1024)
        large += u"a paragraph of Markdown text \u00e9\n";
    std::optional<std::u16string> result;
    Error error;
    bool delivered = false;
    bool onMainThread = false;
    VornickMarkdownFilter::beginConvertingMarkdownString(large, true, testBundle, 10s, [&](std::optional<std::u16string> html, Error e) {
        onMainThread = RunLoop::isMainThread();
        result = std::move(html);
        error = std::move(e);
        delivered = true;
    });
    EXPECT_FALSE(delivered);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return delivered; }, 20));
    EXPECT_TRUE(onMainThread);
    ASSERT_TRUE(result) << error;
    std::u16string expected = large;
    std::replace(expected.begin(), expected.end(), u'a', u'b');
    EXPECT_TRUE(*result == expected);

    // Failures come the same way, never as an empty success.
    auto convert = [&](bool smartyPants) {
        delivered = false;
        result.reset();
        error = Error();
        VornickMarkdownFilter::beginConvertingMarkdownString(u"text", smartyPants, testBundle, 5s, [&](std::optional<std::u16string> html, Error e) {
            result = std::move(html);
            error = std::move(e);
            delivered = true;
        });
        EXPECT_FALSE(delivered);
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return delivered; }, 30));
    };
    writeScript("SmartyPants.pl", "exit 2");
    convert(true);
    EXPECT_FALSE(result);
    EXPECT_TRUE(error.is(VornickErrorDomain, VornickMarkdownScriptFailedError));
    convert(false);
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, u"text");
    EXPECT_TRUE(removeItem(m_folder + "/Markdown.pl"));
    convert(false);
    EXPECT_FALSE(result);
    EXPECT_TRUE(error.is(VornickErrorDomain, VornickMarkdownScriptMissingError));
}

} // namespace

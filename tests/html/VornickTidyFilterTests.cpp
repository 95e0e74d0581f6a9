#include "html/VornickHTMLFilePatcher.h"
#include "html/VornickRepairedCopyCheck.h"
#include "html/VornickHTMLStringSyntaxPainterAndMapper.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMParsing.h"
#include "platform/dom/DOMRange.h"
#include "html/VornickTidyFilter.h"
#include "html/VornickTidyValidationAhead.h"
#include "platform/foundation/LoadedDocument.h"
#include "html/VornickWebFrameEditingState.h"
#include "tests/html/TidyRunLog.h"
#include "platform/foundation/DocumentTextDecoding.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>
#include <thread>

#include <algorithm>
#include <filesystem>
#include <functional>

#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace brevanton;

namespace {

class TidyFilter : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = *createTemporaryDirectory("h9-tidy");
        VornickTidyFilter::setTidyExecutablePath(std::nullopt);
        VornickTidyFilter::setAllowUserDefinedAttributesProvider([] { return false; });
    }
    void TearDown() override
    {
        VornickTidyFilter::setTidyExecutablePath(std::nullopt);
        VornickTidyFilter::setAllowUserDefinedAttributesProvider(nullptr);
        VornickTidyFilter::setTimeout(std::chrono::milliseconds(30000));
        EXPECT_TRUE(removeItem(m_folder));
    }
    std::string write(const std::string& name, std::string_view contents, bool executable = false)
    {
        std::string path = m_folder + "/" + name;
        EXPECT_TRUE(writeFileAtomically(path, contents));
        if (executable)
            chmod(path.c_str(), 0755);
        return path;
    }
    URL url(const std::string& path) { return URL::fileURLWithPath(std::string_view(path), false); }
    // Installs a tidy that finds one warning and logs each run; answers how many runs it made so far.
    std::function<long()> installCountingTidy()
    {
        std::string log = m_folder + "/runs.log";
        VornickTidyFilter::setTidyExecutablePath(write("counting", "#!/bin/sh\necho run >> '" + log + "'\ncat >/dev/null\n"
                                                                   "echo 'line 1 column 1 - Warning: <p> proprietary attribute \"x\"' >&2\nexit 1\n", true));
        return [log] {
            auto text = readFile(log).value_or("");
            return long(std::count(text.begin(), text.end(), '\n'));
        };
    }

    std::string m_folder;
};

const VornickValidationAdvisory* findMessage(const std::vector<VornickValidationAdvisory>& advisories, std::u16string_view part)
{
    for (auto& advisory : advisories) {
        if (advisory.message().find(part) != std::u16string::npos)
            return &advisory;
    }
    return nullptr;
}

} // namespace

TEST_F(TidyFilter, ParsesErrorOutput)
{
    std::u16string output = u"line 3 column 5 - Warning: <p> proprietary attribute \"foo\"\n"
                            u"line 1 column 1 - Info: Document content looks like HTML5\n"
                            u"line 7 column 2 - Error: <blink> is not recognized!\n"
                            u"line 9 column 1 - Warning: missing </div>\r\n"
                            u"line 4 column 1 - Warning:\n"
                            u"This document has errors that must be fixed before\n"
                            u"line 2 column 8 Warning trimming empty <p>\n"
                            u"line 12 column 3 - Error: <blink> is not recognized!\n"
                            u"line 13 column 1 - Warning: trimming empty <p>\n";
    auto advisories = VornickTidyFilter::parseTidyStandardErrorOutput(output);
    ASSERT_EQ(advisories.size(), 6u);
    EXPECT_EQ(advisories[0].description(), u"line 3, column 5: Warning: <p> proprietary attribute \"foo\"");
    EXPECT_EQ(advisories[0].attributeName(), u"foo");
    EXPECT_EQ(advisories[1].kind(), VornickValidationAdvisoryKind::Error);
    EXPECT_TRUE(advisories[1].isStructuralIssue());
    EXPECT_EQ(advisories[1].description(), u"line 7, column 2: Error: <blink> is not recognized! (STRUCTURAL)");
    EXPECT_EQ(advisories[2].message(), u"missing </div>");
    EXPECT_TRUE(advisories[2].isStructuralIssue());
    EXPECT_FALSE(advisories[3].isStructuralIssue());
    EXPECT_EQ(advisories[3].line(), 2);
    EXPECT_EQ(advisories[3].offset(), 0u);
    // A message seen before is classified as it was the first time.
    EXPECT_EQ(advisories[4].description(), u"line 12, column 3: Error: <blink> is not recognized! (STRUCTURAL)");
    EXPECT_EQ(advisories[5].message(), advisories[3].message());
    EXPECT_FALSE(advisories[5].isStructuralIssue());

    VornickTidyFilter::setAllowUserDefinedAttributesProvider([] { return true; });
    EXPECT_EQ(VornickTidyFilter::parseTidyStandardErrorOutput(output).size(), 5u);

    // Only the first substitution that applies, in key order, changes a message.
    auto substituted = VornickTidyFilter::parseTidyStandardErrorOutput(
        u"line 5 column 1 - Warning: <x-y> is not approved by W3C; consider fix-bad-comments\n");
    ASSERT_EQ(substituted.size(), 1u);
    EXPECT_EQ(substituted[0].message(), u"<x-y> is not approved by W3C");

    EXPECT_EQ(VornickValidationAdvisory::attributeNameReferencedByMessage(u"<img> lacks \"alt\" attribute"), u"alt");
    EXPECT_EQ(VornickValidationAdvisory::attributeNameReferencedByMessage(u"<a> attribute name \"x<y\" (value=\"1\") is invalid"), u"x<y");
    EXPECT_EQ(VornickValidationAdvisory::attributeNameReferencedByMessage(u"missing </div>"), std::nullopt);
    // Statuses 0 to 3 are their own codes; anything else is not validated.
    EXPECT_EQ(VornickTidyFilter::tidyResultCodeFromTidyTerminationStatus(0), VornickTidyResultCode::NoFindings);
    EXPECT_EQ(VornickTidyFilter::tidyResultCodeFromTidyTerminationStatus(1), VornickTidyResultCode::Warnings);
    EXPECT_EQ(VornickTidyFilter::tidyResultCodeFromTidyTerminationStatus(2), VornickTidyResultCode::Errors);
    EXPECT_EQ(VornickTidyFilter::tidyResultCodeFromTidyTerminationStatus(3), VornickTidyResultCode::NotValidated);
    EXPECT_EQ(VornickTidyFilter::tidyResultCodeFromTidyTerminationStatus(4), VornickTidyResultCode::NotValidated);
    EXPECT_EQ(VornickTidyFilter::tidyResultCodeFromTidyTerminationStatus(7), VornickTidyResultCode::NotValidated);
    EXPECT_EQ(VornickTidyFilter::tidyResultCodeFromTidyTerminationStatus(-1), VornickTidyResultCode::NotValidated);
}

TEST_F(TidyFilter, LeadingComments)
{
    EXPECT_EQ(VornickTidyFilter::leadingCommentTextForHTMLString(u"\n<!DOCTYPE html>\n<!-- one -->  \n<!--two--><html><!-- no -->"),
              u"<!-- one --><!--two-->\n");
    EXPECT_EQ(VornickTidyFilter::leadingCommentTextForHTMLString(u"<!doctype html><!-- a -->"), u"<!-- a -->\n");
    // A comment without its end is not copied, and the scan stops there.
    EXPECT_EQ(VornickTidyFilter::leadingCommentTextForHTMLString(u"<!-- a --><!-- open <p>x</p>"), u"<!-- a -->\n");
    EXPECT_EQ(VornickTidyFilter::leadingCommentTextForHTMLString(u"<html><!-- a -->"), u"");
}

TEST_F(TidyFilter, ValidatesWithTheRealTidy)
{
    ASSERT_FALSE(VornickTidyFilter::tidyExecutablePath().empty());
    std::vector<VornickValidationAdvisory> advisories;
    std::u16string valid = u"<!DOCTYPE html>\n<html lang=en><head><meta charset=utf-8><title>T</title></head>\n"
                           u"<body><p>a <data value=1>b</data> <my-name>c</my-name></p><my-card><div>d</div><p>e</p></my-card><search>s</search>"
                           u"<template><slot></slot></template></body></html>\n";
    VornickTidyResultCode code = VornickTidyFilter::validateHTMLStringNow(valid, advisories);
    EXPECT_TRUE(code == VornickTidyResultCode::NoFindings || code == VornickTidyResultCode::Warnings);
    for (auto& advisory : advisories)
        EXPECT_FALSE(advisory.isStructuralIssue()) << toUTF8(advisory.description());

    // Tidy counts code points and expands tabs; the offset lands on the tag.
    std::u16string broken = u"<!DOCTYPE html>\n<html><head><title>x</title></head><body>\n\t<p>a\U0001F600b<foo>x</foo></p>\n</body></html>\n";
    code = VornickTidyFilter::validateHTMLStringNow(broken, advisories);
    EXPECT_EQ(code, VornickTidyResultCode::Errors);
    auto* unknown = findMessage(advisories, u"<foo> is not recognized!");
    ASSERT_TRUE(unknown);
    EXPECT_TRUE(unknown->isStructuralIssue());
    size_t offset = VornickTidyFilter::offsetForTidyLineAndColumn(broken, unknown->line(), unknown->column());
    EXPECT_EQ(broken.substr(offset, 5), u"<foo>");
}

TEST_F(TidyFilter, FailedRunsAreNotValidated)
{
    std::vector<VornickValidationAdvisory> advisories;
    VornickTidyFilter::setTidyExecutablePath(write("crash", "#!/bin/sh\ncat >/dev/null\nkill -SEGV $$\n", true));
    EXPECT_EQ(VornickTidyFilter::validateHTMLStringNow(u"<p>x", advisories), VornickTidyResultCode::NotValidated);
    VornickTidyFilter::setTidyExecutablePath(write("garbage", "#!/bin/sh\ncat >/dev/null\necho 'Fehler: kaputt' >&2\nexit 2\n", true));
    EXPECT_EQ(VornickTidyFilter::validateHTMLStringNow(u"<p>x", advisories), VornickTidyResultCode::NotValidated);
    VornickTidyFilter::setTidyExecutablePath(m_folder + "/missing-tidy");
    EXPECT_EQ(VornickTidyFilter::validateHTMLStringNow(u"<p>x", advisories), VornickTidyResultCode::NotValidated);
    VornickTidyFilter::setTidyExecutablePath(write("hang", "#!/bin/sh\nexec sleep 10\n", true));
    VornickTidyFilter::setTimeout(std::chrono::milliseconds(150));
    EXPECT_EQ(VornickTidyFilter::validateHTMLStringNow(u"<p>x", advisories), VornickTidyResultCode::NotValidated);
    Error error;
    EXPECT_FALSE(VornickTidyFilter::tidyHTMLString(u"<p>x", false, nullptr, &error));
    EXPECT_TRUE(error.is(VornickErrorDomain, 16));
    // A slow start of the shell (a busy machine) is no hang.
    VornickTidyFilter::setTimeout(std::chrono::milliseconds(30000));

    // Nothing on standard error and status 0: valid.
    VornickTidyFilter::setTidyExecutablePath(write("quiet", "#!/bin/sh\ncat >/dev/null\nexit 0\n", true));
    EXPECT_EQ(VornickTidyFilter::validateHTMLStringNow(u"<p>x", advisories), VornickTidyResultCode::NoFindings);
}

TEST_F(TidyFilter, ReportsComeThroughAPrivateFile)
{
    // Tidy is told where to write its report ("-f FILE"); what it still
    // writes to standard error counts too. No report file outlives its run.
    VornickTidyFilter::setTidyExecutablePath(write("reporting", R"(#!/bin/sh
[ "$1" = -f ] || exit 9
echo "line 1 column 1 - Warning: from the file" > "$2"
echo "line 2 column 1 - Error: from standard error" >&2
cat >/dev/null
exit 2
)", true));
    std::vector<VornickValidationAdvisory> advisories;
    EXPECT_EQ(VornickTidyFilter::validateHTMLStringNow(u"<p>x", advisories), VornickTidyResultCode::Errors);
    ASSERT_EQ(advisories.size(), 2u);
    EXPECT_EQ(advisories[0].message(), u"from the file");
    EXPECT_EQ(advisories[1].message(), u"from standard error");

    // Tidy's home is no folder, so no configuration file can be there, and
    // its report file is in memory: nothing on disk could outlive the run.
    VornickTidyFilter::setTidyExecutablePath(write("leftovers", "#!/bin/sh\necho \"$HOME $(readlink \"$2\")\" >&2\n", true));
    std::u16string listing;
    Error error;
    ASSERT_TRUE(VornickTidyFilter::tidyHTMLString(u"<p>x", false, &listing, &error));
    EXPECT_TRUE(listing.starts_with(u"/dev/null /memfd:")) << toUTF8(listing);

    // A tidy writing a report larger than is ever read is ended at that
    // size, and its run validates nothing, however soon it writes.
    VornickTidyFilter::setTidyExecutablePath(write("runaway", "#!/bin/sh\nexec head -c 80000000 /dev/zero >&3\n", true));
    auto runaway = VornickTidyFilter::runValidation("<p>x");
    EXPECT_FALSE(runaway->ranToCompletion);
    EXPECT_EQ(VornickTidyFilter::validateHTMLStringNow(u"<p>x", advisories), VornickTidyResultCode::NotValidated);
}

TEST_F(TidyFilter, BackgroundValidationReportsOnTheMainQueue)
{
    VornickTidyFilter filter;
    bool called = false;
    VornickTidyResultCode result = VornickTidyResultCode::NoFindings;
    filter.validateHTMLString(u"<!DOCTYPE html><html><head><title>t</title></head><body><p>x</div></body></html>",
                              [&](const std::u16string& string, VornickTidyResultCode code, const std::vector<VornickValidationAdvisory>& advisories) {
                                  EXPECT_TRUE(RunLoop::isMainThread());
                                  EXPECT_FALSE(string.empty());
                                  EXPECT_FALSE(advisories.empty());
                                  result = code;
                                  called = true;
                              });
    EXPECT_EQ(filter.validationQueue().name(), "Source Loupe HTML Validation Queue");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return called; }, 20));
    EXPECT_NE(result, VornickTidyResultCode::NoFindings);
}

TEST_F(TidyFilter, AStoppedBackgroundValidationEndsTidyAtOnceAndNeverCompletes)
{
    // A tidy that takes far longer than anybody waits, and leaves a mark while it runs.
    std::string running = m_folder + "/running";
    VornickTidyFilter::setTidyExecutablePath(write("slow", "#!/bin/sh\ntouch " + running + "\nsleep 120\n", true));
    int completions = 0;
    auto completion = [&](const std::u16string&, VornickTidyResultCode, const std::vector<VornickValidationAdvisory>&) { ++completions; };
    auto started = std::chrono::steady_clock::now();
    {
        VornickTidyFilter filter;
        filter.validateHTMLString(u"<p>first", completion);
        for (int wait = 0; wait < 3000 && !fileExists(running); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_TRUE(fileExists(running));
        filter.validateHTMLString(u"<p>queued", completion);
        filter.stopValidation();
        filter.validationQueue().waitUntilAllOperationsAreFinished();
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
        RunLoop::main().runUntil([] { return false; }, 0.1);
        EXPECT_EQ(completions, 0);

        // Later requests run as ever.
        VornickTidyFilter::setTidyExecutablePath(write("quiet", "#!/bin/sh\ncat >/dev/null\nexit 0\n", true));
        filter.validateHTMLString(u"<p>later", completion);
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return completions == 1; }, 20));

        // A filter that goes stops the validation it was running.
        VornickTidyFilter::setTidyExecutablePath(write("slow", "#!/bin/sh\nsleep 120\n", true));
        filter.validateHTMLString(u"<p>abandoned", completion);
        started = std::chrono::steady_clock::now();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
}

TEST_F(TidyFilter, ARememberedRunAnswersTheNextValidationOfItsTextOnly)
{
    auto runs = installCountingTidy();
    VornickTidyFilter filter;
    auto validate = [&](std::u16string text) {
        std::optional<size_t> found;
        filter.validateHTMLString(std::move(text), [&](const std::u16string&, VornickTidyResultCode code,
                                                      const std::vector<VornickValidationAdvisory>& advisories) {
            EXPECT_EQ(code, VornickTidyResultCode::Warnings);
            found = advisories.size();
        });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return found.has_value(); }, 20));
        return found.value_or(0);
    };

    auto run = VornickTidyFilter::runValidation("<p x>caf\xC3\xA9</p>");
    EXPECT_EQ(runs(), 1);
    std::vector<VornickValidationAdvisory> advisories;
    EXPECT_EQ(VornickTidyFilter::resultOfValidationRun(*run, advisories), VornickTidyResultCode::Warnings);
    EXPECT_EQ(advisories.size(), 1u);
    filter.rememberValidationRun(run);
    EXPECT_EQ(validate(u"<p x>caf\u00E9</p>"), 1u);
    EXPECT_EQ(runs(), 1);
    // Used up: the same text again runs tidy.
    EXPECT_EQ(validate(u"<p x>caf\u00E9</p>"), 1u);
    EXPECT_EQ(runs(), 2);
    // The run just made answers the next request of its text, once.
    EXPECT_EQ(validate(u"<p x>caf\u00E9</p>"), 1u);
    EXPECT_EQ(runs(), 2);
    EXPECT_EQ(validate(u"<p x>caf\u00E9</p>"), 1u);
    EXPECT_EQ(runs(), 3);
    // Another text never takes a remembered run's findings.
    filter.rememberValidationRun(run);
    EXPECT_EQ(validate(u"<p x>cafe</p>"), 1u);
    EXPECT_EQ(runs(), 4);
    // A run that could not happen validated nothing.
    VornickTidyFilter::setTidyExecutablePath(m_folder + "/missing-tidy");
    auto failed = VornickTidyFilter::runValidation("<p>");
    EXPECT_EQ(VornickTidyFilter::resultOfValidationRun(*failed, advisories), VornickTidyResultCode::NotValidated);
}

TEST_F(TidyFilter, ARunReadAlreadyAnswersItsVeryStringAsReadUnlessTheSettingChanged)
{
    auto runs = installCountingTidy();
    auto allowUserDefinedAttributes = std::make_shared<std::atomic<bool>>(true);
    VornickTidyFilter::setAllowUserDefinedAttributesProvider([allowUserDefinedAttributes] { return allowUserDefinedAttributes->load(); });
    VornickTidyFilter filter;
    auto validate = [&](std::shared_ptr<const std::u16string> text) {
        std::optional<std::pair<VornickTidyResultCode, size_t>> found;
        filter.validateHTMLString(std::move(text), [&](const std::u16string&, VornickTidyResultCode code,
                                                      const std::vector<VornickValidationAdvisory>& advisories) {
            found.emplace(code, advisories.size());
        });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return found.has_value(); }, 20));
        return found.value_or(std::pair(VornickTidyResultCode::NotValidated, size_t(99)));
    };

    // The loaded text tidy checked, and the page's source made from it.
    auto loaded = LoadedDocument::create(m_folder + "/page.html", "<meta charset=utf-8><p x>caf\xC3\xA9</p>", FileStamp {}, DocumentTextSyntax::HTML);
    auto copy = std::make_shared<const std::u16string>(u"<meta charset=utf-8><p x>caf\u00E9</p>");
    EXPECT_FALSE(loaded->isSource(copy));
    auto source = loaded->source();
    EXPECT_TRUE(loaded->isSource(source));
    EXPECT_FALSE(loaded->isSource(copy));
    auto run = VornickTidyFilter::runValidation(loaded->decoded().utf8);
    ASSERT_EQ(runs(), 1);

    // Read with user-defined attributes allowed: the warning is dropped.
    auto result = VornickTidyFilter::readValidationRun(*run);
    EXPECT_EQ(result.code, VornickTidyResultCode::NoFindings);
    EXPECT_TRUE(result.advisories.empty());
    filter.rememberValidationRun(run, result, source);
    EXPECT_EQ(validate(source), std::pair(VornickTidyResultCode::NoFindings, size_t(0)));
    EXPECT_EQ(runs(), 1);
    // The setting changed since the read: the report is read again, still without tidy.
    filter.rememberValidationRun(run, result, source);
    allowUserDefinedAttributes->store(false);
    EXPECT_EQ(validate(source), std::pair(VornickTidyResultCode::Warnings, size_t(1)));
    EXPECT_EQ(runs(), 1);
    // An equal string that is not the one checked is compared, and takes the run.
    filter.rememberValidationRun(run, VornickTidyFilter::readValidationRun(*run), source);
    EXPECT_EQ(validate(copy), std::pair(VornickTidyResultCode::Warnings, size_t(1)));
    EXPECT_EQ(runs(), 1);
    // Used up, as any remembered run: the same string again runs tidy once.
    filter.rememberValidationRun(run, VornickTidyFilter::readValidationRun(*run), source);
    EXPECT_EQ(validate(source), std::pair(VornickTidyResultCode::Warnings, size_t(1)));
    EXPECT_EQ(validate(source), std::pair(VornickTidyResultCode::Warnings, size_t(1)));
    EXPECT_EQ(runs(), 2);
}

TEST_F(TidyFilter, TidiesStrings)
{
    std::u16string standardError;
    Error error;
    auto body = VornickTidyFilter::tidyHTMLString(u"<p>a<b>b</p>", true, &standardError, &error);
    ASSERT_TRUE(body);
    EXPECT_EQ(body->rfind(u"<p>a<b>b</b></p>\n", 0), 0u);
    EXPECT_NE(standardError.find(u"missing </b>"), std::u16string::npos);

    auto whole = VornickTidyFilter::tidyHTMLString(u"<!DOCTYPE html>\n<!-- first --> <!-- second -->\n<title>t</title><p>\u00E9", false, nullptr, &error);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->rfind(u"<!-- first --><!-- second -->\n<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(whole->find(u"\u00E9"), std::u16string::npos);

    EXPECT_FALSE(VornickTidyFilter::tidyHTMLString(u"<p>a</b>\u00FF<foo>", false, nullptr, &error));
    EXPECT_TRUE(error.is(VornickErrorDomain, 16));
    EXPECT_EQ(error.userInfo().at(u"status").integerValue(), 2);
}

TEST_F(TidyFilter, StructuralFixOfFiles)
{
    Error error;
    VornickTidyResultCode code = VornickTidyResultCode::NoFindings;
    std::vector<VornickValidationAdvisory> advisories;
    auto source = write("in.html", "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>t</title></head>"
                                   "<body><p>a<b>b</p><p></p><div><span>x</span></div><img src=a.png></body></html>");
    auto destination = m_folder + "/out.html";
    ASSERT_TRUE(VornickTidyFilter::fixStructuralIssuesInHTMLFileAtURL(url(source), url(destination), &code, &advisories, &error))
        << error;
    EXPECT_EQ(code, VornickTidyResultCode::Warnings);
    auto* missing = findMessage(advisories, u"missing </b>");
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->isStructuralIssue());
    auto fixed = *readFile(destination);
    // Structure repaired, content kept: the empty paragraph and the anchor stay.
    EXPECT_NE(fixed.find("<p>a<b>b</b></p>"), std::string::npos) << fixed;
    EXPECT_NE(fixed.find("<p><b></b></p>"), std::string::npos) << fixed;
    EXPECT_NE(fixed.find("<img src=\"a.png\">"), std::string::npos) << fixed;

    // Thousands of warnings: standard error is drained while tidy runs.
    std::string noisy = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>t</title></head><body>";
    for (int i = 0; i < 3000; ++i)
        noisy += "<p foo=1 bar=2>x";
    noisy += "</body></html>";
    auto noisyPath = write("noisy.html", noisy);
    EXPECT_TRUE(VornickTidyFilter::fixStructuralIssuesInHTMLFileAtURL(url(noisyPath), url(destination), &code, nullptr, &error));
    EXPECT_EQ(code, VornickTidyResultCode::Warnings);

    EXPECT_FALSE(VornickTidyFilter::fixStructuralIssuesInHTMLFileAtURL(url(write("none.html", "<p>x")), url(destination), &code, nullptr, &error));
    EXPECT_TRUE(error.is(VornickErrorDomain, 19));
    EXPECT_EQ(code, VornickTidyResultCode::NotValidated);
    EXPECT_FALSE(VornickTidyFilter::fixStructuralIssuesInHTMLFileAtURL(
        url(write("bogus.html", "<meta charset=\"no-such-set\"><p>x")), url(destination), &code, nullptr, &error));
    EXPECT_TRUE(error.is(VornickErrorDomain, 20));
    EXPECT_FALSE(VornickTidyFilter::fixStructuralIssuesInHTMLFileAtURL(
        url(write("koi.html", "<meta charset=\"koi8-r\"><p>x")), url(destination), &code, nullptr, &error));
    EXPECT_TRUE(error.is(VornickErrorDomain, 21));
    // The file's bytes handed over as read are where the declaration is looked for.
    EXPECT_FALSE(VornickTidyFilter::fixStructuralIssuesInHTMLFileAtURL(url(source), url(destination), &code, nullptr, &error, {},
                                                                       std::string_view("<p>x")));
    EXPECT_TRUE(error.is(VornickErrorDomain, 19));
}

TEST_F(TidyFilter, RepairedLatin1CopyIsPatchedInItsEncoding)
{
    auto source = write("latin.html", "<!DOCTYPE html><html><head><meta charset=\"iso-8859-1\"><title>caf\xE9</title></head>"
                                      "<body><p>na\xEFve<b>x</p></body></html>");
    auto destination = m_folder + "/latin-fixed.html";
    Error error;
    VornickTidyResultCode code;
    ASSERT_TRUE(VornickTidyFilter::fixStructuralIssuesInHTMLFileAtURL(url(source), url(destination), &code, nullptr, &error)) << error;
    VornickHTMLFilePatcher patcher;
    bool hadBase = true;
    ASSERT_TRUE(patcher.setBaseURL(*URL::create(std::string_view("file:///site/")), url(destination), &hadBase, &error)) << error;
    EXPECT_FALSE(hadBase);
    auto bytes = *readFile(destination);
    EXPECT_NE(bytes.find("<base href=\"file:///site/\">"), std::string::npos);
    EXPECT_NE(bytes.find("<meta charset=\"iso-8859-1\">"), std::string::npos) << bytes;
    EXPECT_EQ(bytes.find("\xC3"), std::string::npos);
    EXPECT_EQ(decodeDocumentText(bytes, DocumentTextSyntax::HTML).encoding, u"windows-1252");
}

// Tidy reads a file in the encoding the page reads it in (an ISO-8859-1
// label is windows-1252, as on the web), and whatever it names the encoding
// it writes, the copy keeps the file's declarations as written and reads as
// the page does.
TEST_F(TidyFilter, RepairedCopiesReadAsThePageAndKeepItsEncodingDeclarations)
{
    struct Case {
        const char* name;
        std::string declaration;
        std::string body;
        std::string text;
    };
    const Case cases[] = {
        { "latin.html", "<meta charset=\"iso-8859-1\">", "\x80 \x93q\x94 caf\xE9", "\u20AC \u201Cq\u201D caf\u00E9" },
        { "cp1252.html", "<meta charset=\"windows-1252\">", "\x80 \x93q\x94 caf\xE9", "\u20AC \u201Cq\u201D caf\u00E9" },
        { "label.html", "<meta charset=latin1>", "\x85 \x99", "\u2026 \u2122" },
        { "ascii.html", "<meta charset=\"us-ascii\">", "\x80 \xA0x", "\u20AC \u00A0x" },
        { "equiv.html", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">", "\x96 \xFF",
          "\u2013 \u00FF" },
        { "utf16.html", "<meta charset=\"utf-16\">", "\xE2\x82\xAC", "\u20AC" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string original = "<!DOCTYPE html><html><head>" + c.declaration + "<title>t</title></head><body><p>" + c.body
                               + "<b>x</p></body></html>";
        auto source = write(c.name, original);
        auto destination = m_folder + "/fixed-" + c.name;
        Error error;
        VornickTidyResultCode code;
        std::vector<VornickValidationAdvisory> advisories;
        ASSERT_TRUE(VornickTidyFilter::fixStructuralIssuesInHTMLFileAtURL(url(source), url(destination), &code, &advisories, &error))
            << error;
        // The bytes are read in the page's encoding: none is "invalid".
        EXPECT_FALSE(findMessage(advisories, u"invalid character code"));
        auto bytes = *readFile(destination);
        EXPECT_NE(bytes.find(c.declaration), std::string::npos) << bytes;
        auto page = decodeDocumentText(original, DocumentTextSyntax::HTML);
        EXPECT_EQ(decodeDocumentText(bytes, DocumentTextSyntax::HTML).encoding, page.encoding);
        EXPECT_NE(page.utf8.find(c.text), std::string::npos);
        // The copy, parsed as the page is, has all of the page's text.
        auto loss = VornickRepairedCopyLoss(page, DocumentTextSyntax::HTML, destination);
        EXPECT_FALSE(loss) << *loss << "\n" << bytes;
    }
}

TEST_F(TidyFilter, AdvisoriesFindTheirNodeInTheDocument)
{
    std::u16string html = u"<!DOCTYPE html>\n<html><head><title>t</title></head><body>\n\t<p>\U0001F600 <foo>x</foo></p>\n</body></html>\n";
    std::vector<VornickValidationAdvisory> advisories;
    VornickTidyFilter::validateHTMLStringNow(html, advisories);
    auto* unknown = findMessage(advisories, u"<foo> is not recognized!");
    ASSERT_TRUE(unknown);
    std::shared_ptr<const VornickDOMToNSRangeMap> map;
    VornickHTMLStringSyntaxPainterAndMapper painter;
    painter.paintAndMapHTMLString(html, nullptr, nullptr, true,
        [&](std::shared_ptr<const AttributedString>, std::shared_ptr<const VornickDOMToNSRangeMap> painted) { map = painted; });
    auto document = parseHTMLDocument(toUTF8(html));
    auto range = VornickResolveDOMRange(*unknown, html, *map, *document);
    ASSERT_TRUE(range);
    auto selected = range->startContainer()->childAt(range->startOffset());
    ASSERT_TRUE(selected);
    EXPECT_EQ(selected->nodeName(), u"FOO");
    VornickValidationAdvisory outside(VornickValidationAdvisoryKind::Error, 0, 99, 1, u"x", true);
    EXPECT_EQ(VornickResolveDOMRange(outside, html, *map, *document), nullptr);
}

TEST_F(TidyFilter, ARunStartedAheadIsKeptByItsDocumentAndRunsOnItsDecodedText)
{
    // Each tidy run adds a line to "runs" and reports what it read.
    std::string runs = m_folder + "/runs";
    VornickTidyFilter::setTidyExecutablePath(
        write("counting", "#!/bin/sh\necho run >> '" + runs + "'\necho \"line 1 column 1 - Warning: read $(cat)\" >&2\nexit 1\n", true));
    auto lines = [&] {
        auto text = readFile(runs).value_or("");
        return std::count(text.begin(), text.end(), '\n');
    };
    auto document = [](std::string bytes) {
        return LoadedDocument::create("/nowhere/page.html", std::move(bytes), FileStamp {}, DocumentTextSyntax::HTML);
    };

    // Nothing started ahead: nothing to take.
    EXPECT_FALSE(VornickTidyValidationAheadOf(*document("<p>x"), {}));

    // The run is of the text decoded from the bytes (windows-1252 here), in
    // UTF-8.
    auto page = document("<meta charset=windows-1252><p>caf\xe9");
    VornickStartTidyValidationAhead(*page);
    auto run = VornickTidyValidationAheadOf(*page, {});
    ASSERT_TRUE(run);
    EXPECT_TRUE(run->ranToCompletion);
    EXPECT_EQ(run->text, "<meta charset=windows-1252><p>caf\u00e9");
    EXPECT_NE(run->report.find("caf\u00e9"), std::string::npos);
    EXPECT_EQ(lines(), 1);
    // Asked again, it is the same run: tidy ran once.
    EXPECT_EQ(VornickTidyValidationAheadOf(*page, {}), run);
    EXPECT_EQ(lines(), 1);

    // A text with a byte-order mark, or an empty one, runs nothing.
    auto marked = document("\xef\xbb\xbf<p>x");
    VornickStartTidyValidationAhead(*marked);
    EXPECT_FALSE(VornickTidyValidationAheadOf(*marked, {}));
    auto empty = document("");
    VornickStartTidyValidationAhead(*empty);
    EXPECT_FALSE(VornickTidyValidationAheadOf(*empty, {}));
    EXPECT_EQ(lines(), 1);

    // A run nobody takes is stopped and waited for when its document goes.
    VornickTidyFilter::setTidyExecutablePath(write("slow", "#!/bin/sh\nsleep 120\n", true));
    auto started = std::chrono::steady_clock::now();
    {
        auto untaken = document("<p>untaken");
        VornickStartTidyValidationAhead(*untaken);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));

    // Stopping the taker's wait stops the run ahead.
    auto stopped = document("<p>stopped");
    VornickStartTidyValidationAhead(*stopped);
    std::stop_source stop;
    stop.request_stop();
    started = std::chrono::steady_clock::now();
    auto stoppedRun = VornickTidyValidationAheadOf(*stopped, stop.get_token());
    ASSERT_TRUE(stoppedRun);
    EXPECT_TRUE(stoppedRun->stopped);
    EXPECT_FALSE(stoppedRun->ranToCompletion);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
}

TEST_F(TidyFilter, ARepairStartedAheadIsTakenOnceAndItsCopyGoesWithItsDocumentUnlessTaken)
{
    std::string path = write("broken.html", "<!DOCTYPE html><html><head><meta charset=utf-8><title>t</title></head>"
                                            "<body><p>one</b> two</body></html>");
    auto document = [&path] { return LoadedDocument::create(path, readFile(path).value_or(""), FileStamp {}, DocumentTextSyntax::HTML); };
    auto copies = [] {
        size_t count = 0;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(applicationFolder(XDGFolder::Cache, true).value_or("/nonexistent"), error))
            count += entry.path().filename().string().starts_with("Vornick.");
        return count;
    };
    size_t copiesBefore = copies();

    // Nothing started ahead: nothing to take.
    EXPECT_FALSE(VornickTakeTidyRepairAhead(*document(), {}));

    // The repair of the file, taken once; its copy is the taker's.
    auto page = document();
    VornickStartTidyRepairAhead(*page);
    auto repair = VornickTakeTidyRepairAhead(*page, {});
    ASSERT_TRUE(repair && repair->copy);
    EXPECT_TRUE(repair->succeeded);
    EXPECT_TRUE(std::any_of(repair->advisories.begin(), repair->advisories.end(), [](const auto& advisory) { return advisory.isStructuralIssue(); }));
    EXPECT_FALSE(VornickTakeTidyRepairAhead(*page, {}));
    page.reset();
    auto copy = *repair->copy->fileSystemPath();
    EXPECT_NE(readFile(copy).value_or("").find("two"), std::string::npos);
    EXPECT_TRUE(removeItem(copy));

    // A repair nobody takes leaves no copy once its document goes.
    auto untaken = document();
    VornickStartTidyRepairAhead(*untaken);
    untaken.reset();
    EXPECT_EQ(copies(), copiesBefore);

    // A stop requested of the taker while it waits reaches the repair as it
    // is requested: tidy ends, and the repair taken did not succeed.
    std::string running = m_folder + "/repairing";
    VornickTidyFilter::setTidyExecutablePath(write("slow", "#!/bin/sh\ntouch " + running + "\nsleep 120\n", true));
    auto stoppedPage = document();
    VornickStartTidyRepairAhead(*stoppedPage);
    std::stop_source stop;
    std::thread stopper([stop, running]() mutable {
        for (int wait = 0; wait < 3000 && !fileExists(running); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        stop.request_stop();
    });
    auto started = std::chrono::steady_clock::now();
    auto stopped = VornickTakeTidyRepairAhead(*stoppedPage, stop.get_token());
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
    EXPECT_TRUE(fileExists(running));
    ASSERT_TRUE(stopped);
    EXPECT_FALSE(stopped->succeeded);
    if (stopped->copy) {
        EXPECT_TRUE(removeItem(*stopped->copy->fileSystemPath()));
    }
    stoppedPage.reset();
    EXPECT_EQ(copies(), copiesBefore);
}

// A page's check and repair are one tidy run when tidy reads the file's
// bytes as they are; otherwise the repair runs beside the check.
TEST_F(TidyFilter, TheCheckStartedAheadWritesTheRepairWhenTidyReadsTheBytesAsTheyAre)
{
    brevanton::testing::TidyRunLog tidy;
    ASSERT_TRUE(tidy.install(m_folder));
    VornickTidyFilter::setTidyExecutablePath(tidy.executable());
    struct Case {
        const char* name;
        std::string bytes;
        size_t runs;
        bool repaired;
    };
    const std::string body = "<title>t</title><p>one</b> two &copy 2026<table><tr><td>x</table></span>";
    const Case cases[] = {
        { "UTF-8", "<!DOCTYPE html><meta charset=utf-8>" + body + "<p>caf\xc3\xa9", 1, true },
        { "windows-1252", "<!DOCTYPE html><meta charset=windows-1252>" + body + "<p>caf\xe9", 2, true },
        // The text tidy checks is not the bytes: the file is repaired apart.
        { "UTF-8 that does not decode", "<!DOCTYPE html><meta charset=utf-8>" + body + "<p>caf\xff", 2, true },
        { "no declaration", "<!DOCTYPE html>" + body, 1, false },
    };
    for (const auto& [name, bytes, runs, repaired] : cases) {
        SCOPED_TRACE(name);
        tidy.clear();
        std::string path = write("page.html", bytes);
        auto page = LoadedDocument::create(path, bytes, FileStamp {}, DocumentTextSyntax::HTML);
        VornickStartTidyValidationAhead(*page);
        VornickStartTidyRepairAhead(*page);
        auto check = VornickTidyValidationAheadOf(*page, {});
        ASSERT_TRUE(check && check->ranToCompletion);
        auto repair = VornickTakeTidyRepairAhead(*page, {});
        page.reset();
        EXPECT_EQ(tidy.started().size(), runs) << tidy.startedText();
        ASSERT_TRUE(repair);
        EXPECT_EQ(repair->succeeded, repaired);
        if (!repaired)
            continue;
        // Made by the check, the repair's findings are the check's; its copy
        // is the one a repair of the file alone makes.
        auto copy = *repair->copy->fileSystemPath();
        auto checked = VornickTidyFilter::readValidationRun(*check);
        if (runs == 1) {
            ASSERT_EQ(repair->advisories.size(), checked.advisories.size());
            for (size_t i = 0; i < checked.advisories.size(); ++i)
                EXPECT_EQ(repair->advisories[i].description(), checked.advisories[i].description());
            EXPECT_EQ(repair->result, checked.code);
        }
        std::string alone = m_folder + "/alone.html";
        ASSERT_TRUE(VornickTidyFilter::fixStructuralIssuesInHTMLFileAtURL(url(path), url(alone), nullptr, nullptr, nullptr));
        EXPECT_EQ(readFile(copy).value_or("copy"), readFile(alone).value_or("alone"));
        EXPECT_TRUE(removeItem(copy));
    }
}

// A repair runs on a thread of its own below the check's priority, its tidy
// too, and hands over what it made or what it threw.
TEST_F(TidyFilter, RepairsRunBelowTheChecksPriorityAndHandOverWhatTheyMakeOrThrow)
{
    auto currentThreadNice = [] { return ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid())); };
    int lowered = std::min(currentThreadNice() + VornickTidyFilter::RepairThreadNiceIncrement, 19);
    std::string niceFile = m_folder + "/nice";
    VornickTidyFilter::setTidyExecutablePath(write("nice-tidy", "#!/bin/sh\ncut -d' ' -f19 /proc/$$/stat > '" + niceFile + "'\n", true));
    std::string path = write("page.html", "<meta charset=utf-8><p>x</b>");
    auto page = LoadedDocument::create(path, readFile(path).value_or(""), FileStamp {}, DocumentTextSyntax::HTML);
    VornickStartTidyRepairAhead(*page);
    auto repair = VornickTakeTidyRepairAhead(*page, {});
    ASSERT_TRUE(repair && repair->copy);
    (void)removeItem(*repair->copy->fileSystemPath());
    EXPECT_EQ(std::stoi(readFile(niceFile).value_or("-100")), lowered);

    EXPECT_EQ(VornickTidyFilter::startRepairThread<int>(currentThreadNice).get(), lowered);
    auto failed = VornickTidyFilter::startRepairThread<int>([]() -> int { throw std::runtime_error("no copy"); });
    EXPECT_THROW(failed.get(), std::runtime_error);
}

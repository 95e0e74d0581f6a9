#include "toolkit/VornickWorkspaceExtensions.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace brevanton;

namespace {

// Runs the lookup with a stand-in xdg-mime (or none) first on PATH and a
// private XDG data folder.
class BrowserLookup : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("browser-lookup").value();
        ASSERT_TRUE(createDirectory(m_folder + "/bin"));
        ASSERT_TRUE(createDirectory(m_folder + "/data/applications"));
        m_savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        const char* data = std::getenv("XDG_DATA_HOME");
        m_savedDataHome = data ? std::optional<std::string>(data) : std::nullopt;
        ::setenv("PATH", (m_folder + "/bin").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (m_folder + "/data").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", (m_folder + "/none").c_str(), 1);
    }
    void TearDown() override
    {
        ::setenv("PATH", m_savedPath.c_str(), 1);
        m_savedDataHome ? ::setenv("XDG_DATA_HOME", m_savedDataHome->c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
        ::unsetenv("XDG_DATA_DIRS");
        EXPECT_TRUE(removeItem(m_folder));
    }
    void installXdgMime(const std::string& body)
    {
        std::string path = m_folder + "/bin/xdg-mime";
        ASSERT_TRUE(writeFileAtomically(path, "#!/bin/sh\n" + body + "\n"));
        ::chmod(path.c_str(), 0755);
    }
    std::string m_folder;
    std::string m_savedPath;
    std::optional<std::string> m_savedDataHome;
};

} // namespace

TEST_F(BrowserLookup, NameFromTheDesktopEntryOfTheDefaultHandler)
{
    installXdgMime("[ \"$*\" = \"query default x-scheme-handler/http\" ] && echo testbrowser.desktop");
    ASSERT_TRUE(writeFileAtomically(m_folder + "/data/applications/testbrowser.desktop",
                                    "[Desktop Entry]\nName[de]=Testnavigator\nName=Test Browser\n[Desktop Action new]\nName=New Window\n"));
    EXPECT_EQ(vornick_defaultWebBrowserDisplayName(), std::optional<std::u16string>(u"Test Browser"));

    // Without its desktop entry, the handler's name.
    EXPECT_TRUE(removeItem(m_folder + "/data/applications/testbrowser.desktop"));
    EXPECT_EQ(vornick_defaultWebBrowserDisplayName(), std::optional<std::u16string>(u"testbrowser"));
}

TEST_F(BrowserLookup, NothingWithoutAHandlerOrAWayToAsk)
{
    EXPECT_EQ(vornick_defaultWebBrowserDisplayName(), std::nullopt);
    installXdgMime("exit 0");
    EXPECT_EQ(vornick_defaultWebBrowserDisplayName(), std::nullopt);
    installXdgMime("echo broken.desktop; exit 4");
    EXPECT_EQ(vornick_defaultWebBrowserDisplayName(), std::nullopt);
}

TEST_F(BrowserLookup, OnlyWebAddressesAreHandedToXdgOpen)
{
    EXPECT_FALSE(vornick_openURLInWebBrowser(*URL::create(std::string_view("https://site.example/")))) << "no xdg-open to launch";

    // A stand-in xdg-open that records its arguments.
    std::string record = m_folder + "/opened";
    std::string path = m_folder + "/bin/xdg-open";
    ASSERT_TRUE(writeFileAtomically(path, "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + record + "'\n"));
    ::chmod(path.c_str(), 0755);

    for (const char* refused : { "file:///etc/passwd", "javascript:alert(1)", "ftp://site.example/x", "x-program:run", "https:relative" })
        EXPECT_FALSE(vornick_openURLInWebBrowser(*URL::create(std::string_view(refused)))) << refused;
    EXPECT_TRUE(vornick_openURLInWebBrowser(*URL::create(std::string_view("HTTPS://site.example/post?a=1&b=2"))));
    // The file is there before the stand-in has written to it: its whole line is waited for.
    std::string expected = "HTTPS://site.example/post?a=1&b=2\n";
    RunLoop::main().runUntil([&] { return readFile(record).value_or("") == expected; }, 30);
    RunLoop::main().runFor(0.2);
    EXPECT_EQ(readFile(record).value_or(""), expected) << "one argument, never through a shell";

    std::vector<std::u16string> opened;
    vornick_setWebBrowserOpenerForTesting([&](const URL& url) { opened.push_back(url.absoluteString()); });
    EXPECT_TRUE(vornick_openURLInWebBrowser(*URL::create(std::string_view("http://site.example/"))));
    EXPECT_FALSE(vornick_openURLInWebBrowser(*URL::create(std::string_view("file:///tmp/x"))));
    vornick_setWebBrowserOpenerForTesting({});
    EXPECT_EQ(opened, std::vector<std::u16string> { u"http://site.example/" });
}

TEST_F(BrowserLookup, MailGoesToXdgEmailAsArgumentsWithPlainAddressesOnly)
{
    // A stand-in xdg-email that records its arguments, one a line.
    std::string record = m_folder + "/mailed";
    std::string path = m_folder + "/bin/xdg-email";
    ASSERT_TRUE(writeFileAtomically(path, "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + record + "'\n"));
    ::chmod(path.c_str(), 0755);

    VornickMailMessage message;
    message.recipients = { u"support@site.example", u"--help@site.example", u"two words@site.example", u"nobody" };
    message.subject = u"Brevanton Help; $(true)";
    message.body = u"Hey,\nthe log: `ls` \u00e9";
    message.attachmentPaths = { "/tmp/General Log.txt" };
    ASSERT_TRUE(vornick_composeMail(message));
    std::string expected = "--utf8\n--subject\nBrevanton Help; $(true)\n--body\nHey,\nthe log: `ls` \xc3\xa9\n"
                           "--attach\n/tmp/General Log.txt\nsupport@site.example\n";
    RunLoop::main().runUntil([&] { return readFile(record).value_or("") == expected; }, 30);
    RunLoop::main().runFor(0.2);
    EXPECT_EQ(readFile(record).value_or(""), expected)
        << "an address that could pass for an option, or holds a blank, is left out";

    // A body whose mailto address would not fit in one argument is refused,
    // before anything is launched.
    std::vector<std::vector<std::string>> composed;
    vornick_setMailComposerForTesting([&](const VornickMailMessage&, const std::vector<std::string>& arguments) { composed.push_back(arguments); });
    message.body = std::u16string(50 * 1024, u' ');
    EXPECT_FALSE(vornick_mailBodyFitsInOneArgument(message.body));
    EXPECT_FALSE(vornick_composeMail(message));
    message.body = std::u16string(100 * 1024, u'a');
    EXPECT_TRUE(vornick_mailBodyFitsInOneArgument(message.body));
    EXPECT_TRUE(vornick_composeMail(message));
    vornick_setMailComposerForTesting({});
    ASSERT_EQ(composed.size(), 1u);
}

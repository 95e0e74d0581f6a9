// `brevanton --sync` against a site that refuses the login or fails: what
// the program prints, its exit status and the sync log file it leaves, as
// earlier sessions are culled from the log. The site is a scripted
// server on 127.0.0.1.
#include "tests/brevanton/BrevantonExecutableTestSupport.h"
#include "tests/platform/net/LoopbackHTTPServer.h"

#include "platform/foundation/Text.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <random>

namespace brevanton {
namespace {

using testserver::LoopbackHTTPServer;
using testserver::TestHTTPRequest;
using testserver::TestHTTPResponse;

struct RefusingSite {
    const char* name;
    int status; // 0: nobody listens at the site's address
    const char* body;
    // Part of the failed step and its message, as the program prints them,
    // and of the advice under them.
    const char* failure;
    const char* advice;
    bool xmlrpc { false };
};

// Named in the test's listing by its name, not its bytes.
void PrintTo(const RefusingSite& site, std::ostream* out)
{
    *out << site.name;
}

class BrevantonSyncFailure : public BrevantonExecutable, public ::testing::WithParamInterface<RefusingSite> {
protected:
    void SetUp() override
    {
        BrevantonExecutable::SetUp();
        const RefusingSite& site = GetParam();
        m_server = std::make_unique<LoopbackHTTPServer>([&site](const TestHTTPRequest& request) {
            TestHTTPResponse response;
            if (request.target == "/" || request.target.starts_with("/?")) {
                response.headers.emplace_back("Content-Type", "text/html");
                response.body = "<html><head><link rel='https://api.w.org/' href='/wp-json/'></head><body></body></html>";
                return response;
            }
            response.status = site.status;
            response.headers.emplace_back("Content-Type", "application/json");
            response.body = site.body;
            return response;
        });
        Error error;
        auto project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(m_folder + "/" + toUTF8(VornickWordPressProjectFileName), false), &error);
        ASSERT_TRUE(project) << error;
        auto account = project->wordPressAccount();
        account->setRootURLString(toUTF16(m_server->url("/")));
        account->setUseXMLRPC(site.xmlrpc);
        account->setLoginID(u"editor");
        std::mt19937_64 random(std::random_device {}());
        ASSERT_TRUE(account->setPassword(toUTF16(std::to_string(random())), &error)) << error;
        ASSERT_TRUE(project->save(&error)) << error;
        m_syncLogPath = *project->syncLogURL().fileSystemPath();
        if (!site.status)
            m_server.reset();
    }
    void TearDown() override
    {
        m_server.reset();
        BrevantonExecutable::TearDown();
    }

    std::unique_ptr<LoopbackHTTPServer> m_server;
    std::string m_syncLogPath;
};

TEST_P(BrevantonSyncFailure, PrintsTheFailedStepsMessageAndWritesTheWholeSessionToTheLogEveryTime)
{
    const RefusingSite& site = GetParam();
    // The log holds three earlier sessions, longer than what a run adds:
    // each run culls the oldest.
    std::string earlier;
    for (int session = 1; session <= 3; ++session) {
        earlier += "\n== BEGIN Sync Session (Earlier " + std::to_string(session) + ") ==\n";
        for (int line = 0; line < 500; ++line)
            earlier += "Earlier line " + std::to_string(line) + "\n";
    }
    ASSERT_TRUE(writeFileAtomically(m_syncLogPath, earlier));
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        auto result = runBrevanton({ "--sync", m_folder });
        EXPECT_EQ(result.exitStatus, 1) << result.standardError;
        const std::string& output = result.standardOutput;
        size_t failed = output.find("User-Requested Sync failed: ");
        ASSERT_NE(failed, std::string::npos) << output;
        std::string failedLines = output.substr(failed, output.find("sync log:", failed) - failed);
        EXPECT_TRUE(contains(failedLines, site.failure)) << failedLines;
        EXPECT_TRUE(contains(failedLines, site.advice)) << failedLines;
        EXPECT_FALSE(contains(failedLines, "HTTP Error ???") || contains(failedLines, "HTTP Error 200")) << failedLines;
        EXPECT_FALSE(contains(failedLines, "plugin")) << failedLines;

        // The printed log is this run's session, from its first line.
        size_t logStart = output.find("sync log:\n");
        ASSERT_NE(logStart, std::string::npos) << output;
        std::string printedLog = output.substr(logStart + 10);
        size_t begin = printedLog.find("== BEGIN Sync Session (User-Requested Sync) ==");
        EXPECT_EQ(printedLog.find_first_not_of('\n'), begin) << printedLog;
        EXPECT_EQ(printedLog.find("== BEGIN", begin + 1), std::string::npos) << printedLog;
        size_t end = printedLog.find("== END Sync Session (User-Requested Sync) state=Failed ==");
        ASSERT_NE(end, std::string::npos) << printedLog;
        std::string session = printedLog.substr(begin, printedLog.find('\n', end) + 1 - begin);

        // The log file holds it too, after the earlier sessions it keeps.
        auto file = readFile(m_syncLogPath);
        ASSERT_TRUE(file) << m_syncLogPath;
        std::string fileText(file->begin(), file->end());
        EXPECT_TRUE(fileText.ends_with(session)) << fileText;
        size_t sessions = 0;
        for (size_t at = fileText.find("== BEGIN"); at != std::string::npos; at = fileText.find("== BEGIN", at + 1))
            ++sessions;
        EXPECT_EQ(sessions, 3u);
        EXPECT_FALSE(contains(fileText, "(Earlier " + std::to_string(run) + ")")) << fileText;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sites, BrevantonSyncFailure,
    ::testing::Values(RefusingSite { "WrongPassword", 401,
                                     R"({"code":"incorrect_password","message":"The password you entered is incorrect.","data":{"status":401}})",
                                     "Get Site List: WordPress rejected the password.", "Enter the password again" },
                      RefusingSite { "ServerError", 500, R"({"code":"internal_server_error","message":"Critical error.","data":{"status":500}})",
                                     "500", "try again later" },
                      RefusingSite { "SiteDown", 0, "", "could not connect to 127.0.0.1:", "Check the site address and the network" },
                      RefusingSite { "SiteDownOverXMLRPC", 0, "", "could not connect to 127.0.0.1:", "Check the site address and the network", true }),
    [](const ::testing::TestParamInfo<RefusingSite>& info) { return std::string(info.param.name); });

} // namespace
} // namespace brevanton

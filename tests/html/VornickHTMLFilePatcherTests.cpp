#include "html/VornickHTMLFilePatcher.h"
#include "platform/foundation/FileUtilities.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class HTMLFilePatcher : public ::testing::Test {
protected:
    void SetUp() override { m_folder = *createTemporaryDirectory("h9-patcher"); }
    void TearDown() override { removeItem(m_folder); }

    // Patches a file holding `contents`; answers the file's new contents.
    std::string patch(std::string_view contents, bool* hadBase = nullptr, bool* result = nullptr, Error* error = nullptr)
    {
        std::string path = m_folder + "/page.html";
        writeFileAtomically(path, contents);
        VornickHTMLFilePatcher patcher;
        bool ok = patcher.setBaseURL(*URL::create(std::string_view("file:///Users/me/site/")),
                                     URL::fileURLWithPath(std::string_view(path), false), hadBase, error);
        if (result)
            *result = ok;
        return *readFile(path);
    }

    std::string m_folder;
};

} // namespace

TEST_F(HTMLFilePatcher, InsertsTheBaseElementAfterTheHeadStartTag)
{
    bool hadBase = true;
    EXPECT_EQ(patch("<html><head lang=\"en\"><title>t</title></head><body>x</body></html>", &hadBase),
              "<html><head lang=\"en\"><base href=\"file:///Users/me/site/\"><title>t</title></head><body>x</body></html>");
    EXPECT_FALSE(hadBase);
    // A head whose end tag is left out still gets one.
    EXPECT_EQ(patch("<!DOCTYPE html><HEAD><title>t</title><body><p>x"),
              "<!DOCTYPE html><HEAD><base href=\"file:///Users/me/site/\"><title>t</title><body><p>x");
    // A ">" inside an attribute of the head start tag is not its end.
    EXPECT_EQ(patch("<head data-x=\"a>b\"></head>"), "<head data-x=\"a>b\"><base href=\"file:///Users/me/site/\"></head>");
}

TEST_F(HTMLFilePatcher, LeavesFilesWithABaseOrWithoutAHeadAlone)
{
    bool hadBase = false;
    bool result = false;
    std::string withBase = "<html><head><title>t</title><base href=\"http://x/\"></head></html>";
    EXPECT_EQ(patch(withBase, &hadBase, &result), withBase);
    EXPECT_TRUE(hadBase);
    EXPECT_TRUE(result);
    std::string baseFirst = "<base href=\"http://x/\"><head></head>";
    EXPECT_EQ(patch(baseFirst, &hadBase), baseFirst);
    EXPECT_TRUE(hadBase);
    std::string headless = "<p>no head</p>";
    EXPECT_EQ(patch(headless, &hadBase, &result), headless);
    EXPECT_FALSE(hadBase);
    EXPECT_TRUE(result);

    Error error;
    std::string invalid = "<head></head>\xFF\xFE";
    EXPECT_EQ(patch(invalid, nullptr, &result, &error), invalid);
    EXPECT_FALSE(result);
    EXPECT_FALSE(error.isEmpty());
}

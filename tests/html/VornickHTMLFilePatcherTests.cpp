#include "html/VornickHTMLFilePatcher.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class HTMLFilePatcher : public ::testing::Test {
protected:
    void SetUp() override { m_folder = *createTemporaryDirectory("h9-patcher"); }
    void TearDown() override { EXPECT_TRUE(removeItem(m_folder)); }

    // Patches a file holding `contents`; answers the file's new contents.
    std::string patch(std::string_view contents, bool* hadBase = nullptr, bool* result = nullptr, Error* error = nullptr,
                      std::optional<URL> baseURL = std::nullopt)
    {
        std::string path = m_folder + "/page.html";
        EXPECT_TRUE(writeFileAtomically(path, contents));
        VornickHTMLFilePatcher patcher;
        bool ok = patcher.setBaseURL(baseURL ? *baseURL : *URL::create(std::string_view("file:///Users/me/site/")),
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

TEST_F(HTMLFilePatcher, TheBaseURLIsAnAttributeValue)
{
    // A folder name may hold quotes, ampersands and what reads as a reference.
    auto folder = URL::fileURLWithPath(std::string_view("/Users/me/R&copy; \"x\" <y>/"), true);
    auto patched = patch("<head></head>", nullptr, nullptr, nullptr, folder);
    auto document = DOMDocument::parseHTML(std::string_view(patched), "UTF-8");
    ASSERT_TRUE(document);
    auto base = document->getElementsByTagName(u"base")->item(0);
    ASSERT_TRUE(base) << patched;
    EXPECT_EQ(toUTF8(*base->attributeValue(u"href")), toUTF8(folder.absoluteString())) << patched;
    EXPECT_EQ(base->attributeList().size(), 1u) << patched;
}

TEST_F(HTMLFilePatcher, DeclaredLabelsAreReadAsTheWebReadsThem)
{
    // A UTF-8 file that declares UTF-16 and a windows-1252 file that declares Latin-1.
    EXPECT_EQ(patch("<head><meta charset=\"utf-16\"><title>M\xC3\xBCnchen</title></head>"),
              "<head><base href=\"file:///Users/me/site/\"><meta charset=\"utf-16\"><title>M\xC3\xBCnchen</title></head>");
    EXPECT_EQ(patch("<head><meta charset=\"iso-8859-1\"><title>\x93" "Caf\xE9\x94 \x81</title></head>"),
              "<head><base href=\"file:///Users/me/site/\"><meta charset=\"iso-8859-1\"><title>\x93" "Caf\xE9\x94 \x81</title></head>");
}

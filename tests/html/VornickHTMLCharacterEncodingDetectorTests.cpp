#include "html/VornickHTMLCharacterEncodingDetector.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace brevanton {
namespace {

std::optional<std::u16string> detect(std::string_view bytes)
{
    VornickHTMLCharacterEncodingDetector detector;
    return detector.detectIANACharacterEncodingDeclarationInHTMLData(bytes);
}

TEST(VornickHTMLCharacterEncodingDetector, FindsBothFormsOfDeclaration)
{
    EXPECT_EQ(detect("<!DOCTYPE html><html><head><meta charset=\"UTF-8\"><title>x</title>"), u"UTF-8");
    EXPECT_EQ(detect("<html><head><META HTTP-EQUIV='Content-Type' CONTENT='Text/HTML; Charset=ISO-8859-1'>"), u"iso-8859-1");
    EXPECT_EQ(detect("<meta content=\"text/html;charset=Shift_JIS\" http-equiv=\"content-type\">"), u"shift_jis");
    // The content form alone still answers when nothing later stops the scan.
    EXPECT_EQ(detect("<meta name=\"x\" content=\"text/html; charset=koi8-r\"><p>"), u"koi8-r");
    EXPECT_EQ(detect("<meta charset=utf-8><meta charset=\"latin1\">"), u"utf-8");
    EXPECT_EQ(detect("<!-- <meta charset=\"big5\"> --><meta charset=\"euc-kr\">"), u"euc-kr");
    EXPECT_EQ(detect("<title><meta charset=\"big5\"></title><meta charset='gbk'>"), u"gbk");
    EXPECT_FALSE(detect("<html><head><title>none</title></head>"));
    EXPECT_FALSE(detect("<meta http-equiv=\"Content-Type\" content=\"text/plain; charset=utf-8\">"));
    EXPECT_FALSE(detect(""));
    // An empty charset declares nothing and does not end the search.
    EXPECT_EQ(detect("<meta charset=\"\"><meta charset=\"utf-8\">"), u"utf-8");
    EXPECT_FALSE(detect("<meta charset=''><title>x</title>"));
    EXPECT_FALSE(detect("<meta charset=\"  \"><title>x</title>"));
    // Spaces around the name are not part of it.
    EXPECT_EQ(detect("<meta charset=\" utf-8 \">"), u"utf-8");
    EXPECT_EQ(detect("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8 \">"), u"utf-8");

    std::string padded = "<html><!--" + std::string(1100, 'x') + "--><meta charset=\"utf-8\">";
    EXPECT_FALSE(detect(padded));
}

// What the page's own decoding reads in these elements.
TEST(VornickHTMLCharacterEncodingDetector, AnElementDeclaresByItsOwnAttributesOnly)
{
    // An element's charset declares before its content, wherever written.
    EXPECT_EQ(detect("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\" charset=\"utf-8\">"), u"utf-8");
    EXPECT_EQ(detect("<meta content=\"text/html; charset=koi8-r\" charset=\"utf-8\" http-equiv=\"Content-Type\">"), u"utf-8");
    EXPECT_EQ(detect("<meta charset=\"\" http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">"), u"koi8-r");
    // A stray quote starts an attribute name: the tag reads on to its ">".
    EXPECT_EQ(detect("<meta name=x \"<div charset=big5><meta charset=\"utf-8\">"), u"big5");
    EXPECT_EQ(detect("<meta http-equiv=Content-Type \"<div content=\"text/html; charset=big5\">"), u"big5");
    // A declaration the first 1024 bytes cut off before its ">" still declares.
    std::string cut = "<html><!--" + std::string(940, 'x') + "--><meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\" name=\"cut\">";
    ASSERT_LT(cut.find("koi8-r\""), 1024u);
    ASSERT_GT(cut.size(), 1024u);
    EXPECT_EQ(detect(cut), u"koi8-r");
}

TEST(VornickHTMLCharacterEncodingDetector, ByteOrderMarksAndNonASCIIBytesDoNotHideTheDeclaration)
{
    EXPECT_EQ(detect("\xEF\xBB\xBF<html><head><meta charset=\"utf-8\">"), u"utf-8");
    EXPECT_EQ(detect("<html lang=\"fr\"><!-- caf\xC3\xA9 --><head><meta charset=\"utf-8\">"), u"utf-8");
    EXPECT_EQ(detect("<title>caf\xE9</title><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"),
              u"windows-1252");
}

TEST(VornickHTMLCharacterEncodingDetector, ReadsTheBeginningOfAFile)
{
    namespace fs = std::filesystem;
    fs::path path = fs::temp_directory_path() / ("brevanton-encoding-" + std::to_string(getpid()) + ".html");
    std::ofstream(path) << "<html><head><meta charset=\"ISO-8859-2\"></head><body>" << std::string(5000, 'a') << "</body></html>";
    EXPECT_EQ(VornickHTMLCharacterEncodingDetector::detectIANACharacterEncodingDeclarationInHTMLFileAtURL(URL::fileURLWithPath(path.string(), false)),
              u"ISO-8859-2");
    fs::remove(path);
    EXPECT_FALSE(VornickHTMLCharacterEncodingDetector::detectIANACharacterEncodingDeclarationInHTMLFileAtURL(URL::fileURLWithPath(path.string(), false)));

    EXPECT_EQ(VornickHTMLCharacterEncodingDetector::characterSetFromContentValue(u"text/html; charset=UTF-8"), u"utf-8");
    EXPECT_FALSE(VornickHTMLCharacterEncodingDetector::characterSetFromContentValue(u"text/html; charset="));
    EXPECT_FALSE(VornickHTMLCharacterEncodingDetector::characterSetFromContentValue(u"text/html"));
}

} // namespace
} // namespace brevanton

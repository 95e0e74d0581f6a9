#include "html/VornickHTMLEncodingDeclarations.h"

#include "platform/foundation/FileReading.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace brevanton;

namespace {

TEST(HTMLEncodingDeclarations, AreFoundInTheHeadAsWrittenInOrder)
{
    std::string head = "<html><head><META Charset='latin1'><meta name=x content=\"text/html; charset=utf-8\">"
                       "<meta content=\"text/html; charset=iso-8859-1\" http-equiv=content-type><!-- <meta charset=a> -->"
                       "<title>\xE9</title></head><body><meta charset=\"utf-8\"></body>";
    auto found = VornickHTMLEncodingDeclarationsInData(head);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_FALSE(found[0].isContentType);
    EXPECT_EQ(found[0].written, "'latin1'");
    EXPECT_EQ(head.substr(found[0].location, found[0].written.size()), found[0].written);
    EXPECT_TRUE(found[1].isContentType);
    EXPECT_EQ(found[1].written, "\"text/html; charset=iso-8859-1\"");
    EXPECT_EQ(head.substr(found[1].location, found[1].written.size()), found[1].written);
}

TEST(HTMLEncodingDeclarations, AreRestoredOneForOneOrNotAtAll)
{
    std::string original = "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
                           "<meta charset=latin1><title>caf\xE9</title></head><body><p>\x80</p></body>";
    std::string copy = "<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=us-ascii\">\n"
                       "<meta charset=\"us-ascii\">\n<title>caf&eacute;</title>\n</head>\n<body>\n<p>&euro;</p>\n</body>\n";
    auto restored = VornickHTMLDataWithEncodingDeclarationsOf(copy, original);
    ASSERT_TRUE(restored);
    EXPECT_EQ(*restored, "<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\n"
                         "<meta charset=latin1>\n<title>caf&eacute;</title>\n</head>\n<body>\n<p>&euro;</p>\n</body>\n");
    // Nothing to change.
    EXPECT_FALSE(VornickHTMLDataWithEncodingDeclarationsOf(*restored, original));
    // Another number of declarations, or another kind in the same place.
    EXPECT_FALSE(VornickHTMLDataWithEncodingDeclarationsOf("<head><meta charset=\"us-ascii\"></head>", original));
    EXPECT_FALSE(VornickHTMLDataWithEncodingDeclarationsOf("<head><meta charset=a><meta charset=b></head>", original));
    // A declaration written with bytes other than ASCII would not read the same in the copy's encoding.
    EXPECT_FALSE(VornickHTMLDataWithEncodingDeclarationsOf("<meta charset=\"us-ascii\">", "<meta charset=\"latin\xE9\">"));
    // No declarations at all.
    EXPECT_FALSE(VornickHTMLDataWithEncodingDeclarationsOf("<p>x", "<p>y"));
    EXPECT_FALSE(VornickHTMLDataWithEncodingDeclarationsOf("", ""));
}

// Tidy keeps the first META element that declares an encoding and drops the
// others, of either kind.
TEST(HTMLEncodingDeclarations, ElementsTidyDroppedArePutBackAfterTheFirst)
{
    std::string original = "<head><meta charset=\"utf-8\">\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\" />"
                           "<meta charset=latin1><title>t</title></head><body><p>x</p></body>";
    std::string copy = "<head>\n<meta charset=\"us-ascii\">\n<title>t</title>\n</head>\n<body>\n<p>x</p>\n</body>\n";
    auto restored = VornickHTMLDataWithEncodingDeclarationsOf(copy, original);
    ASSERT_TRUE(restored);
    EXPECT_EQ(*restored, "<head>\n<meta charset=\"utf-8\">\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\" />"
                         "\n<meta charset=latin1>\n<title>t</title>\n</head>\n<body>\n<p>x</p>\n</body>\n");
    EXPECT_FALSE(VornickHTMLDataWithEncodingDeclarationsOf(*restored, original));
    // Nothing but the dropped element to put back.
    restored = VornickHTMLDataWithEncodingDeclarationsOf("<head><meta charset=\"utf-8\"><title>t</title>", original);
    ASSERT_TRUE(restored);
    EXPECT_EQ(VornickHTMLEncodingDeclarationsInData(*restored).size(), 3u);

    // The copy's first element declares otherwise than the original's first.
    EXPECT_FALSE(VornickHTMLDataWithEncodingDeclarationsOf(
        "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=us-ascii\"><title>t</title>", original));
    EXPECT_FALSE(VornickHTMLDataWithEncodingDeclarationsOf(
        "<head><meta charset=\"us-ascii\" http-equiv=\"Content-Type\" content=\"text/html; charset=us-ascii\"><title>t</title>",
        "<head><meta charset=\"utf-8\"><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"><title>t</title>"));
    // What would be put back is not ASCII, or is no whole tag.
    EXPECT_FALSE(VornickHTMLDataWithEncodingDeclarationsOf("<meta charset=\"us-ascii\"><title>t</title>",
                                                          "<meta charset=\"utf-8\"><meta charset=utf-8 name=\"caf\xC3\xA9\"><title>t</title>"));
    EXPECT_FALSE(VornickHTMLDataWithEncodingDeclarationsOf("<meta charset=\"us-ascii\"><title>t</title>",
                                                          "<meta charset=\"utf-8\"><meta charset=\"utf-8"));
    // No element of the copy to put them after.
    EXPECT_FALSE(VornickHTMLDataWithEncodingDeclarationsOf("<title>t</title>", original));
}

// Every test file, hostile ones included: what is found is the file's own
// bytes, and a file's declarations put back into itself change nothing.
TEST(HTMLEncodingDeclarations, AreReadSafelyFromEveryTestFile)
{
    size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(BREVANTON_TEST_DATA_DIR)) {
        if (!entry.is_regular_file())
            continue;
        SCOPED_TRACE(entry.path().string());
        auto bytes = readFilePrefix(entry.path().string(), size_t(1) << 20);
        ASSERT_TRUE(bytes);
        for (const auto& declaration : VornickHTMLEncodingDeclarationsInData(*bytes)) {
            ASSERT_LE(declaration.location + declaration.written.size(), bytes->size());
            EXPECT_EQ(bytes->substr(declaration.location, declaration.written.size()), declaration.written);
        }
        EXPECT_FALSE(VornickHTMLDataWithEncodingDeclarationsOf(*bytes, *bytes));
        ++files;
    }
    EXPECT_GT(files, 20u);
}

} // namespace

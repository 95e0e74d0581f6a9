#include "html/VornickHTMLMetaEncodingAttributes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace brevanton;

namespace meta_encoding_attributes {

// One element's attributes as the bytes spell them: tag, then "charset",
// "content" and "pragma" when they are there.
std::vector<std::string> described(std::string_view bytes, size_t stopAfter = SIZE_MAX)
{
    std::vector<std::string> elements;
    VornickHTMLReadMetaEncodingAttributes(bytes, [&](const VornickHTMLMetaEncodingAttributes& meta) {
        std::string element(bytes.substr(meta.tagLocation, meta.tagEnd - meta.tagLocation));
        for (const auto* value : { &meta.charset, &meta.content }) {
            if (*value) {
                EXPECT_EQ(bytes.substr((*value)->location, (*value)->written.size()), (*value)->written);
                element += " | " + std::string((*value)->unquoted());
            }
        }
        if (meta.httpEquivContentType)
            element += " | pragma";
        elements.push_back(element);
        return elements.size() < stopAfter;
    });
    return elements;
}

TEST(HTMLMetaEncodingAttributes, AreReadAsWrittenFromEachMetaElementInOrder)
{
    EXPECT_EQ(described("<html><head><META Charset='latin1'><meta name=viewport content=\"width=1\">"
                        "<meta HTTP-EQUIV=content-type content=text/html;charset=utf-8 /><meta name=x><p charset=big5>"
                        "<!-- <meta charset=a> --><title><meta charset=b></title><body><meta charset=\"\"></body>"),
              (std::vector<std::string> { "<META Charset='latin1'> | latin1", "<meta name=viewport content=\"width=1\"> | width=1",
                                          "<meta HTTP-EQUIV=content-type content=text/html;charset=utf-8 /> | text/html;charset=utf-8 | pragma",
                                          "<meta charset=\"\"> | " }));
    // Of attributes written twice the first counts, as in the parsed element.
    EXPECT_EQ(described("<meta charset=a charset=b content=c content=d http-equiv=\"Content-Type\" http-equiv=refresh>"
                        "<meta http-equiv=refresh http-equiv=content-type content=e>"),
              (std::vector<std::string> { "<meta charset=a charset=b content=c content=d http-equiv=\"Content-Type\" http-equiv=refresh> | a | c | pragma",
                                          "<meta http-equiv=refresh http-equiv=content-type content=e> | e" }));
    EXPECT_TRUE(described("").empty());
    EXPECT_TRUE(described("<meta><meta name=a http-equiv=content-type>").empty());
}

TEST(HTMLMetaEncodingAttributes, ATagThatBreaksOffEndsWhereItsAttributesDo)
{
    // Cut off by the end of the bytes (a prefix of a file).
    EXPECT_EQ(described("<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\" "),
              (std::vector<std::string> { "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\"  | text/html; charset=koi8-r | pragma" }));
    // Broken off by a stray quote, where an HTML parser reads on in the tag
    // (the stray quote starts an attribute name): it goes on to the next
    // tag's end.
    EXPECT_EQ(described("<meta name=x \"<div charset=big5></title charset=gbk><meta charset=utf-8>"),
              (std::vector<std::string> { "<meta name=x \"<div charset=big5> | big5", "<meta charset=utf-8> | utf-8" }));
    EXPECT_EQ(described("<meta http-equiv=content-type \"</title content=x>"),
              (std::vector<std::string> { "<meta http-equiv=content-type \"</title content=x> | x | pragma" }));
    // An unterminated quoted value runs to the end, and is not complete.
    std::string unterminated = "<meta charset=\"utf-8><title>x</title>";
    VornickHTMLReadMetaEncodingAttributes(unterminated, [&](const VornickHTMLMetaEncodingAttributes& meta) {
        EXPECT_EQ(meta.tagEnd, unterminated.size());
        EXPECT_FALSE(meta.charset->isComplete());
        return true;
    });
}

TEST(HTMLMetaEncodingAttributes, TheScanStopsWhereTheReaderSaysSo)
{
    std::string bytes = "<meta charset=a><meta charset=b><meta charset=c>";
    EXPECT_EQ(described(bytes, 1), (std::vector<std::string> { "<meta charset=a> | a" }));
    EXPECT_EQ(described(bytes, 2).size(), 2u);
}

} // namespace meta_encoding_attributes

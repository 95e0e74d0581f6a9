#include "platform/net/HTTPHeaderFields.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(HTTPHeaderFields, NamesIgnoreCaseAndRepeatedFieldsJoin)
{
    HTTPHeaderFields fields;
    fields.add(u"Set-Cookie", u"a=1");
    fields.add(u"set-cookie", u"b=2");
    fields.set(u"Content-Type", u"text/html");
    fields.set(u"CONTENT-TYPE", u"application/json");
    EXPECT_EQ(fields.value(u"SET-COOKIE"), u"a=1, b=2");
    EXPECT_EQ(fields.value(u"content-type"), u"application/json");
    EXPECT_EQ(fields.count(), 3u);
    Dictionary dictionary = fields.dictionary();
    EXPECT_EQ(dictionary.size(), 2u);
    EXPECT_EQ(dictionary.at(u"Set-Cookie"), Value(u"a=1, b=2"));
    EXPECT_EQ(dictionary.at(u"CONTENT-TYPE"), Value(u"application/json"));
    fields.remove(u"set-COOKIE");
    EXPECT_FALSE(fields.contains(u"Set-Cookie"));
}

TEST(HTTPHeaderFields, ContentTypeAndParameters)
{
    ContentType plain = parseContentType(u"text/html");
    EXPECT_EQ(plain.mimeType, u"text/html");
    EXPECT_EQ(plain.charset, u"");

    ContentType withCharset = parseContentType(u" Text/HTML ; Charset=\"ISO-8859-1\" ; q=1");
    EXPECT_EQ(withCharset.mimeType, u"text/html");
    EXPECT_EQ(withCharset.charset, u"ISO-8859-1");

    // A semicolon inside a quoted value does not end the parameter.
    EXPECT_EQ(headerParameter(u"attachment; filename=\"a;b \\\"c\\\".txt\"; size=3", u"filename"), u"a;b \"c\".txt");
    EXPECT_EQ(headerParameter(u"attachment; size=3", u"filename"), std::nullopt);
}

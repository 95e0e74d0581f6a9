#include "platform/foundation/DocumentTextDecoding.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TextEncoding.h"
#include "platform/foundation/TextEncodingLabels.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

TEST(TextEncodingLabels, LabelsNameTheEncodingsOfTheWeb)
{
    const std::pair<std::u16string_view, std::u16string_view> labels[] = {
        { u"iso-8859-1", u"windows-1252" }, { u"latin1", u"windows-1252" }, { u"US-ASCII", u"windows-1252" },
        { u"  ascii\n", u"windows-1252" },  { u"iso-8859-9", u"windows-1254" }, { u"utf8", u"UTF-8" },
        { u"unicode-1-1-utf-8", u"UTF-8" }, { u"utf-16", u"UTF-16LE" },         { u"ucs-2", u"UTF-16LE" },
        { u"csUnicode", u"UTF-16LE" },      { u"iso-10646-ucs-2", u"UTF-16LE" }, { u"unicodefffe", u"UTF-16BE" },
        { u"x-sjis", u"Shift_JIS" },        { u"gb2312", u"GBK" },               { u"ks_c_5601-1987", u"EUC-KR" },
        { u"x-x-big5", u"Big5" },           { u"iso-2022-kr", u"replacement" },  { u"x-mac-ukrainian", u"x-mac-cyrillic" },
    };
    for (auto [label, encoding] : labels)
        EXPECT_EQ(textEncodingForLabel(label), std::u16string(encoding)) << std::string(label.begin(), label.end());
    for (std::u16string_view unlisted : { u"utf16", u"utf-32", u"utf-7", u"bocu-1", u"", u"latin-1", u"utf-8\u00A0" })
        EXPECT_FALSE(textEncodingForLabel(unlisted)) << std::string(unlisted.begin(), unlisted.end());
}

TEST(TextEncodingLabels, EveryEncodingOfTheTableExceptTheUnbuildableOnesHasAConverter)
{
    for (std::u16string_view label : { u"866", u"l2", u"l3", u"l4", u"cyrillic", u"arabic", u"greek", u"hebrew", u"logical",
                                       u"l6", u"iso-8859-13", u"iso-8859-14", u"l9", u"koi8-r", u"koi8-u", u"mac", u"dos-874",
                                       u"cp1250", u"cp1251", u"cp1252", u"cp1253", u"cp1254", u"cp1255", u"cp1256", u"cp1257",
                                       u"cp1258", u"x-mac-cyrillic", u"gbk", u"gb18030", u"big5", u"euc-jp", u"iso-2022-jp",
                                       u"sjis", u"euc-kr", u"utf-16be", u"utf-16le" }) {
        auto encoding = textEncodingForLabel(label);
        ASSERT_TRUE(encoding);
        EXPECT_TRUE(isKnownTextEncoding(*encoding)) << std::string(encoding->begin(), encoding->end());
    }
}

TEST(TextEncodingLabels, Windows1252IsTheStandardsTable)
{
    // Bytes 0x80-0x9F; the five the standard leaves undefined map to C1 controls.
    const char16_t table[32] = { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178 };
    std::string bytes;
    for (int byte = 0; byte < 256; ++byte)
        bytes += static_cast<char>(byte);
    auto text = decodeText(bytes, u"windows-1252", nullptr);
    ASSERT_TRUE(text);
    ASSERT_EQ(text->size(), 256u);
    for (int byte = 0; byte < 256; ++byte) {
        char16_t expected = byte >= 0x80 && byte < 0xA0 ? table[byte - 0x80] : static_cast<char16_t>(byte);
        EXPECT_EQ((*text)[byte], expected) << byte;
    }
    EXPECT_EQ(encodeText(*text, u"windows-1252", nullptr), bytes) << "every byte is written back as it was";
}

TEST(DocumentTextDecoding, FindsTheEncodingInTheStandardsOrder)
{
    auto decode = [](std::string_view bytes, std::u16string_view transport = {}) {
        return decodeDocumentText(bytes, DocumentTextSyntax::HTML, transport);
    };
    auto latin = decode("<meta charset=latin1><p>\x93" "caf\xE9\x94");
    EXPECT_EQ(latin.encoding, u"windows-1252");
    EXPECT_EQ(latin.utf8, "<meta charset=latin1><p>\xE2\x80\x9C" "caf\xC3\xA9\xE2\x80\x9D");
    EXPECT_FALSE(latin.byteOrderMark);

    // A byte-order mark wins over the transport, the transport over the page.
    auto marked = decode("\xEF\xBB\xBF<meta charset=latin1>\xC3\xA9", u"windows-1251");
    EXPECT_EQ(marked.encoding, u"UTF-8");
    EXPECT_TRUE(marked.byteOrderMark);
    EXPECT_EQ(marked.utf8, "<meta charset=latin1>\xC3\xA9");
    EXPECT_EQ(decode("<meta charset=latin1>\xE9", u"koi8-r").encoding, u"KOI8-R");
    EXPECT_EQ(decode("<meta charset=latin1>\xE9", u"utf-7").encoding, u"windows-1252") << "an unlisted transport label is no answer";

    // Declarations that declare nothing usable are passed over.
    EXPECT_EQ(decode("<!-- <meta charset=koi8-r> --><meta charset=utf-7><meta charset=\"iso-8859-2\">").encoding, u"ISO-8859-2");
    EXPECT_EQ(decode("<meta content=\"text/html; charset=koi8-r\"><meta http-equiv=Content-Type content='text/html;charset=cp1251'>")
                  .encoding,
              u"windows-1251")
        << "a content charset counts only with its http-equiv";
    EXPECT_EQ(decode("<meta charset=replacement>abc").utf8, "<meta charset=replacement>abc") << "never one U+FFFD for the file";
    EXPECT_EQ(decode("<meta charset=x-user-defined>").encoding, u"windows-1252");
    EXPECT_EQ(decode("<meta charset=ucs-2>\xC3\xA9").encoding, u"UTF-8");
    EXPECT_EQ(decode(std::string(1100, ' ') + "<meta charset=koi8-r>\xE9").encoding, u"windows-1252")
        << "only the first 1024 bytes are looked at";

    // Without a declaration: UTF-8 when it is well-formed UTF-8.
    for (std::string_view utf8 : { "caf\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xED\x9F\xBF", "\xF4\x8F\xBF\xBF" })
        EXPECT_EQ(decode(utf8).encoding, u"UTF-8") << utf8;
    for (std::string_view other : { "caf\xE9", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\xF5\x80\x80\x80" })
        EXPECT_EQ(decode(other).encoding, u"windows-1252") << other;
    // A declared UTF-8 file with bad bytes keeps the rest.
    EXPECT_EQ(decode("<meta charset=utf-8>a\xFF" "b").utf8, "<meta charset=utf-8>a\xEF\xBF\xBD" "b");
}

TEST(DocumentTextDecoding, UTF16WithAndWithoutByteOrderMark)
{
    auto little = decodeDocumentText(std::string("\xFF\xFE<\0p\0>\0\xAC\x20", 10), DocumentTextSyntax::HTML);
    EXPECT_EQ(little.encoding, u"UTF-16LE");
    EXPECT_TRUE(little.byteOrderMark);
    EXPECT_EQ(little.utf8, "<p>\xE2\x82\xAC");
    auto big = decodeDocumentText(std::string("\xFE\xFF\0<\0p\0>", 8), DocumentTextSyntax::HTML);
    EXPECT_EQ(big.encoding, u"UTF-16BE");
    EXPECT_EQ(big.utf8, "<p>");

    // XML: UTF-16 by its first characters, else the declaration.
    auto xml = decodeDocumentText(std::string("<\0?\0x\0m\0l\0 \0?\0>\0", 16), DocumentTextSyntax::XML);
    EXPECT_EQ(xml.encoding, u"UTF-16LE");
    EXPECT_FALSE(xml.byteOrderMark);
    EXPECT_EQ(xml.utf8, "<?xml ?>");
    EXPECT_EQ(decodeDocumentText("<?xml version='1.0' encoding='latin1'?><a>\x80</a>", DocumentTextSyntax::XML).encoding,
              u"windows-1252");
    EXPECT_EQ(decodeDocumentText("<?xml version=\"1.0\" encoding=\"UTF-16\"?><a/>", DocumentTextSyntax::XML).encoding, u"UTF-8")
        << "a UTF-16 declaration in bytes read as ASCII";
}

// Only bytes the chosen encoding cannot decode count as replaced: a genuine
// U+FFFD in the file, or a legacy page that decodes, does not.
TEST(DocumentTextDecoding, SaysWhenBytesBecameReplacementCharacters)
{
    auto html = DocumentTextSyntax::HTML;
    auto latin1AsUTF8 = decodeDocumentText("<meta charset=utf-8><p>Cr\xE8me", html);
    EXPECT_EQ(latin1AsUTF8.encoding, u"UTF-8");
    EXPECT_TRUE(latin1AsUTF8.replacedUndecodableBytes);
    EXPECT_EQ(latin1AsUTF8.utf8, "<meta charset=utf-8><p>Cr\xEF\xBF\xBDme");
    EXPECT_FALSE(decodeDocumentText("<p>\xEF\xBF\xBD genuine", html).replacedUndecodableBytes);
    EXPECT_FALSE(decodeDocumentText("<p>Cr\xE8me", html).replacedUndecodableBytes) << "undeclared: windows-1252";
    EXPECT_FALSE(decodeDocumentText("<meta charset=iso-8859-1><p>\x80\xE8", html).replacedUndecodableBytes);
    EXPECT_TRUE(decodeDocumentText(std::string("\xFF\xFE<\0p\0>\0\x00\xD8", 10), html).replacedUndecodableBytes)
        << "an unpaired UTF-16 surrogate";
    EXPECT_TRUE(decodeDocumentText("<?xml version='1.0' encoding='utf-8'?><a>\xE8</a>", DocumentTextSyntax::XML).replacedUndecodableBytes);
}

// The decoding to UTF-16 takes its own path for UTF-8 (one pass that checks
// and converts): its answers must be those of the decoding to UTF-8.
TEST(DocumentTextDecoding, UTF16AnswersAsTheUTF8Decoding)
{
    const std::pair<std::string, std::u16string_view> cases[] = {
        { "<p>plain \xE2\x82\xAC and \xF0\x9F\x98\x80", {} },
        { "\xEF\xBB\xBF<p>marked", {} },
        { "\xEF\xBB\xBF<p>marked Cr\xE8me", {} },
        { "<p>Cr\xE8me", {} },
        { "<meta charset=utf-8><p>Cr\xE8me", {} },
        { "<p>\xED\xA0\x80 a surrogate, \xC0\xAF overlong, \xF4\x90\x80\x80 past the last", u"utf-8" },
        { "<p>truncated \xE2\x82", u"utf-8" },
        { "<meta charset=iso-8859-1><p>\x80\xE8", {} },
        { "<p>\xC3\xA9", u"windows-1252" },
        { std::string("\xFF\xFE<\0p\0>\0\xAC\x20", 10), {} },
        { "", {} },
    };
    for (auto& [bytes, transport] : cases) {
        auto utf8 = decodeDocumentText(bytes, DocumentTextSyntax::HTML, transport);
        auto utf16 = decodeDocumentTextAsUTF16(bytes, DocumentTextSyntax::HTML, transport);
        EXPECT_EQ(utf16.text, toUTF16(utf8.utf8)) << bytes;
        EXPECT_EQ(utf16.encoding, utf8.encoding) << bytes;
        EXPECT_EQ(utf16.byteOrderMark, utf8.byteOrderMark) << bytes;
        EXPECT_EQ(utf16.replacedUndecodableBytes, utf8.replacedUndecodableBytes) << bytes;
    }
}

} // namespace
} // namespace brevanton

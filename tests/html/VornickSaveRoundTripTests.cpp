// Opening and saving files as the program does (decoding, parsing, writing
// in the document's encoding), then opening and saving the result again:
// nothing of the page may be lost, and the second save changes nothing.
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickHTMLWriter.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/DocumentTextDecoding.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <filesystem>

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

bool isXMLName(const std::string& name)
{
    return DOMDocument::isXMLPath(toUTF16(name));
}

std::shared_ptr<DOMDocument> open(std::string_view bytes, bool xml)
{
    auto syntax = xml ? DocumentTextSyntax::XML : DocumentTextSyntax::HTML;
    Error error;
    auto document = DOMDocument::parseDecoded(decodeDocumentText(bytes, syntax), syntax, {}, &error);
    EXPECT_TRUE(document) << error;
    return document;
}

std::string save(DOMDocument& document)
{
    VornickHTMLWriter writer(*VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences(), 0,
                             VornickNewlineConvention::LF);
    Error error;
    auto data = writer.htmlDataFromDocument(document, &error);
    EXPECT_TRUE(data) << error;
    return data.value_or(std::string());
}

struct RoundTrip {
    std::shared_ptr<DOMDocument> opened;
    std::string firstSave;
    std::shared_ptr<DOMDocument> reopened;
    std::string secondSave;
};

RoundTrip roundTrip(const std::string& path)
{
    RoundTrip trip;
    auto bytes = readFile(path);
    EXPECT_TRUE(bytes) << path;
    bool xml = isXMLName(path);
    trip.opened = open(bytes.value_or(std::string()), xml);
    if (!trip.opened)
        return trip;
    trip.firstSave = save(*trip.opened);
    trip.reopened = open(trip.firstSave, xml);
    if (!trip.reopened)
        return trip;
    trip.secondSave = save(*trip.reopened);
    EXPECT_EQ(trip.firstSave, trip.secondSave) << path << ": the second save changed the file";
    return trip;
}

RoundTrip roundTripOf(const std::string& name)
{
    return roundTrip(std::string(BREVANTON_TEST_DATA_DIR) + "/save-roundtrip/" + name);
}

std::u16string bodyText(const RoundTrip& trip, bool reopened = false)
{
    auto& document = reopened ? trip.reopened : trip.opened;
    return document && document->body() ? document->body()->textContent() : std::u16string();
}

std::shared_ptr<DOMElement> firstElement(DOMDocument& document, std::u16string_view tag)
{
    auto elements = document.getElementsByTagName(tag);
    return elements->length() ? downcast<DOMElement>(elements->item(0)) : nullptr;
}

// The text of both openings contains `expected`.
void expectKept(const RoundTrip& trip, std::u16string_view expected)
{
    EXPECT_NE(bodyText(trip).find(expected), std::u16string::npos) << toUTF8(bodyText(trip));
    EXPECT_NE(bodyText(trip, true).find(expected), std::u16string::npos) << toUTF8(bodyText(trip, true));
}

TEST(SaveRoundTrip, LatinLabelsReadAsWindows1252AndWriteBackInIt)
{
    auto trip = roundTripOf("latin1-label-windows-1252-bytes.html");
    ASSERT_TRUE(trip.reopened);
    EXPECT_EQ(trip.opened->characterSet(), u"windows-1252");
    expectKept(trip, u"\u201CLe Petit Caf\u00E9\u201D");
    expectKept(trip, u"Soup of the day\u2026 only \u20AC5.50 \u2013 ask for Fran\u00E7ois\u2019s bread.");
    expectKept(trip, u"Caf\u00E9 cr\u00E8me    \u20AC3.10");
    EXPECT_EQ(firstElement(*trip.reopened, u"a")->getAttribute(u"title"), u"\u201CToday\u2019s menu\u201D");
    // The declared label stays; the bytes are written in the encoding it means.
    EXPECT_NE(trip.firstSave.find("charset=iso-8859-1"), std::string::npos);
    EXPECT_NE(trip.firstSave.find("\x93Le Petit Caf\xE9\x94"), std::string::npos) << trip.firstSave;
    EXPECT_EQ(trip.firstSave.find("&#65533;"), std::string::npos);

    auto ascii = roundTripOf("us-ascii-label.html");
    ASSERT_TRUE(ascii.reopened);
    expectKept(ascii, u"Version 2.1 \u2013 \u201Cfaster\u201D export, na\u00EFve users\u2019 guide.");
    EXPECT_EQ(firstElement(*ascii.reopened, u"input")->getAttribute(u"value"), u"\u00A9 2004 M\u00FCller GmbH");

    // The five bytes windows-1252 leaves to C1 controls come back as they were.
    auto undefined = roundTripOf("latin1-undefined-bytes.html");
    ASSERT_TRUE(undefined.reopened);
    expectKept(undefined, u"[\u0081] [\u008D] [\u008F] [\u0090] [\u009D] and \u20AC \u0178");
}

TEST(SaveRoundTrip, UTF16LabelsInAPageReadAsASCIIMeanUTF8AndUnlistedLabelsAreIgnored)
{
    for (const char* label : { "utf-16", "ucs-2", "unicode", "utf-32", "utf-7", "bocu-1" }) {
        SCOPED_TRACE(label);
        auto trip = roundTripOf(std::string("utf8-declared-") + label + ".html");
        ASSERT_TRUE(trip.reopened);
        EXPECT_EQ(trip.opened->characterSet(), u"UTF-8");
        expectKept(trip, u"Gr\u00FC\u00DFe aus M\u00FCnchen: \u201C\u00D6ffnungszeiten\u201D 9\u201317 Uhr, Preis 12 \u20AC \u2026 "
                         u"\u65E5\u672C\u8A9E\u306E\u30C6\u30AD\u30B9\u30C8");
        EXPECT_EQ(firstElement(*trip.reopened, u"meta")->getAttribute(u"charset"), toUTF16(label));
        EXPECT_FALSE(trip.firstSave.starts_with("\xEF\xBB\xBF")) << "no byte-order mark the file did not have";
        EXPECT_NE(trip.firstSave.find("Gr\xC3\xBC\xC3\x9F" "e"), std::string::npos);
    }
}

TEST(SaveRoundTrip, ByteOrderMarksAreKept)
{
    for (const char* name : { "utf16le-bom.html", "utf16be-bom.html" }) {
        SCOPED_TRACE(name);
        auto trip = roundTripOf(name);
        ASSERT_TRUE(trip.reopened);
        bool little = std::string(name).find("le") != std::string::npos;
        EXPECT_EQ(trip.opened->characterSet(), little ? u"UTF-16LE" : u"UTF-16BE");
        EXPECT_TRUE(trip.firstSave.starts_with(little ? "\xFF\xFE" : "\xFE\xFF"));
        EXPECT_EQ(trip.reopened->characterSet(), trip.opened->characterSet());
        expectKept(trip, u"Ελληνικά, русский, 中文 and \u201Cquotes\u201D \u2013 all in one page \U0001F600.");
        EXPECT_EQ(trip.reopened->title(), u"Υπηρεσίες");

        // Encoding the written text apart from the write keeps the mark too.
        VornickHTMLWriter writer(*VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences(), 0,
                                 VornickNewlineConvention::LF);
        auto text = writer.htmlStringFromDocument(*trip.reopened);
        EXPECT_EQ(writer.documentDataFromWrittenString(*trip.reopened, text), trip.secondSave);
        auto body = writer.htmlDataFromElement(*trip.reopened->body());
        ASSERT_TRUE(body);
        EXPECT_FALSE(body->starts_with("\xFF\xFE") || body->starts_with("\xFE\xFF")) << "a fragment has no mark";
    }

    auto utf8 = roundTripOf("utf8-bom.html");
    ASSERT_TRUE(utf8.reopened);
    EXPECT_TRUE(utf8.firstSave.starts_with("\xEF\xBB\xBF<!DOCTYPE html>"));
    expectKept(utf8, u"na\u00EFve caf\u00E9");

    // UTF-16 XHTML stays UTF-16, declaration and all.
    auto xhtml = roundTripOf("utf16le-bom.xhtml");
    ASSERT_TRUE(xhtml.reopened);
    EXPECT_EQ(xhtml.reopened->characterSet(), u"UTF-16LE");
    EXPECT_TRUE(xhtml.firstSave.starts_with(std::string("\xFF\xFE<\0?\0x\0m\0l\0", 12)));
    EXPECT_EQ(xhtml.reopened->xmlDeclaration(), u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>");
    expectKept(xhtml, u"この説明書をよくお読みください。");
}

TEST(SaveRoundTrip, XHTMLKeepsItsDeclarationAndInternalSubset)
{
    auto trip = roundTripOf("standalone-internal-subset.xhtml");
    ASSERT_TRUE(trip.reopened);
    EXPECT_TRUE(trip.firstSave.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n")) << trip.firstSave;
    EXPECT_NE(trip.firstSave.find("\"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\" [\n"
                                  "  <!ENTITY product \"Widget Pro\">\n  <!ENTITY version \"3.2\">\n]>"),
              std::string::npos)
        << trip.firstSave;
    expectKept(trip, u"This manual covers Widget Pro version 3.2.");

    auto latin = roundTripOf("latin1-standalone.xhtml");
    ASSERT_TRUE(latin.reopened);
    EXPECT_TRUE(latin.firstSave.starts_with("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"no\"?>\n"));
    expectKept(latin, u"Le caf\u00E9 co\u00FBte 3\u00A0\u20AC.");
    EXPECT_EQ(latin.reopened->title(), u"Fran\u00E7ais");
}

TEST(SaveRoundTrip, XMLDeclarationFollowsAChangedEncoding)
{
    auto document = open("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>\n"
                         "<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>t</title></head><body><p>caf\xE9</p></body></html>",
                         true);
    ASSERT_TRUE(document);
    document->setCharacterSet(u"UTF-8");
    auto saved = save(*document);
    EXPECT_TRUE(saved.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>")) << saved;
    EXPECT_NE(saved.find("caf\xC3\xA9"), std::string::npos);
}

TEST(SaveRoundTrip, ControlCharactersGivenAsReferencesStayReferences)
{
    auto trip = roundTripOf("control-references.html");
    ASSERT_TRUE(trip.reopened);
    EXPECT_EQ(firstElement(*trip.reopened, u"textarea")->textContent(), u"Line one\r\nLine two");
    EXPECT_EQ(firstElement(*trip.reopened, u"input")->getAttribute(u"value"), u"a\rb\tc\u0005d");
    EXPECT_EQ(firstElement(*trip.reopened, u"pre")->textContent(), u"\rfirst line of pre");
    expectKept(trip, u"Bell \u0007 and escape \u001B from a terminal dump, DEL \u007F.");
    EXPECT_EQ(trip.firstSave.find('\r'), std::string::npos);
}

TEST(SaveRoundTrip, LegacyScriptsReadBackAsTheyWere)
{
    auto trip = roundTripOf("legacy-script.html");
    ASSERT_TRUE(trip.reopened);
    auto scripts = trip.reopened->getElementsByTagName(u"script");
    ASSERT_EQ(scripts->length(), 2u);
    EXPECT_EQ(scripts->item(0)->textContent(),
              u"<!--\ndocument.write(\"<script src=\\\"http://ads.example.com/banner.js\\\"></script>\");\n//-->");
    EXPECT_EQ(scripts->item(1)->textContent(), u"<!-- hide from old browsers\nvar s = \"</scr\" + \"ipt>\";\n// -->");
    // The page after the scripts is still the page.
    EXPECT_TRUE(trip.reopened->getElementById(u"news"));
    EXPECT_EQ(trip.reopened->getElementsByTagName(u"p")->length(), 2u);
}

TEST(SaveRoundTrip, NothingFollowsPlaintext)
{
    auto trip = roundTripOf("plaintext.html");
    ASSERT_TRUE(trip.reopened);
    auto plaintext = firstElement(*trip.reopened, u"plaintext");
    ASSERT_TRUE(plaintext);
    EXPECT_EQ(plaintext->textContent(), u"\n2004-03-01 12:00 <b>start</b> & done\n</body></html> is part of the log\n");
    EXPECT_TRUE(trip.firstSave.ends_with("</body></html> is part of the log\n")) << trip.firstSave;
}

TEST(SaveRoundTrip, EmptyClassAttributesAndNULInNamesAreWrittenAsTheParserReadsThem)
{
    auto trip = roundTripOf("empty-class.html");
    ASSERT_TRUE(trip.reopened);
    EXPECT_TRUE(firstElement(*trip.reopened, u"p")->hasAttribute(u"class"));
    EXPECT_TRUE(firstElement(*trip.reopened, u"div")->hasAttribute(u"class"));
    EXPECT_NE(trip.firstSave.find("<p class=\"\">Marked by an empty class.</p>"), std::string::npos) << trip.firstSave;

    auto nul = roundTripOf("nul-in-tag-name.html");
    ASSERT_TRUE(nul.reopened);
    EXPECT_EQ(nul.firstSave.find('\0'), std::string::npos);
    EXPECT_NE(nul.firstSave.find("<x\xEF\xBF\xBDy data-\xEF\xBF\xBDk=\"v\">inside</x\xEF\xBF\xBDy>"), std::string::npos) << nul.firstSave;
    expectKept(nul, u"before inside after");
}

// XHTML read as XML is loaded whole or not at all: references inside internal
// entities and content nested past the XML parser's default depth limit stay.
TEST(SaveRoundTrip, XHTMLIsLoadedWhole)
{
    auto entities = roundTripOf("internal-entity-ampersand.xhtml");
    ASSERT_TRUE(entities.reopened);
    expectKept(entities, u"Widgets <Pro> by Acme & Co");
    expectKept(entities, u"Ask Acme & Co for a quote.");
    expectKept(entities, u"\u00A9 2009 Acme & Co \u2014 \"All rights reserved\"");
    EXPECT_EQ(entities.reopened->title(), u"Acme & Co price list");

    auto deep = roundTripOf("deep-outline.xhtml");
    ASSERT_TRUE(deep.reopened);
    expectKept(deep, u"Level 250");
    expectKept(deep, u"Deepest note: keep everything.");
    expectKept(deep, u"After the outline.");
    EXPECT_EQ(deep.reopened->getElementsByTagName(u"div")->length(), 300u);
}

// Every page the project keeps for its tests survives two saves.
TEST(SaveRoundTrip, EveryTestPageIsStableAfterTheFirstSave)
{
    size_t pages = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(BREVANTON_TEST_DATA_DIR)) {
        auto extension = entry.path().extension().string();
        if (extension != ".html" && extension != ".htm" && extension != ".xhtml")
            continue;
        SCOPED_TRACE(entry.path().string());
        // A page with bytes its encoding cannot decode is never saved.
        if (auto opened = open(readFile(entry.path().string()).value_or(""), isXMLName(entry.path().string()));
            opened && opened->hasReplacedUndecodableBytes())
            continue;
        auto trip = roundTrip(entry.path().string());
        ASSERT_TRUE(trip.reopened);
        ++pages;
    }
    EXPECT_GE(pages, 30u);
}

} // namespace

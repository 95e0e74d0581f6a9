#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMXMLProlog.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

TEST(DOMControlCharacters, RawControlsInHTMLAreKeptAsTheStandardKeepsThem)
{
    auto document = DOMDocument::parseHTML(std::string_view("<p title='a\x01\xC2\x81'>x\x05\xC2\x9D\x7Fy<!--\x02-->\tz</p>"), "UTF-8");
    auto paragraph = downcast<DOMElement>(document->body()->firstChild());
    EXPECT_EQ(paragraph->getAttribute(u"title"), u"a\u0001\u0081");
    EXPECT_EQ(paragraph->firstChild()->textContent(), u"x\u0005\u009D\u007Fy");
    EXPECT_EQ(downcast<DOMCharacterData>(paragraph->firstChild()->nextSibling())->data(), u"\u0002");
    EXPECT_EQ(paragraph->lastChild()->textContent(), u"\tz");

    // Characters of the last private-use plane stay what they are, and so do controls beside them.
    auto privateUse = DOMDocument::parseHTML(std::string_view("<p>\xF4\x8F\xBC\x85\x05</p>"), "UTF-8");
    EXPECT_EQ(privateUse->body()->textContent(), u"\U0010FF05\u0005");
}

TEST(DOMXMLProlog, DeclarationAndInternalSubsetAsWritten)
{
    auto prolog = scanXMLProlog("<?xml version=\"1.0\"\r\n standalone='no'?>\r\n<!-- about ] this -->\n<?pi x?>"
                                "<!DOCTYPE doc SYSTEM \"a[b].dtd\" [\r\n<!ENTITY e \"x]y\">\n<!-- ] -->\n<?p ]?>\n]>\n<doc/>");
    EXPECT_EQ(prolog.declaration, u"<?xml version=\"1.0\"\n standalone='no'?>");
    EXPECT_EQ(prolog.internalSubset, u"\n<!ENTITY e \"x]y\">\n<!-- ] -->\n<?p ]?>\n");

    EXPECT_TRUE(scanXMLProlog("<?xml-stylesheet href='s.css'?><!DOCTYPE a [<!ENTITY e 'f'>]><a/>").declaration.empty());
    EXPECT_TRUE(scanXMLProlog("<!DOCTYPE a><a>[x]</a>").internalSubset.empty());
    EXPECT_TRUE(scanXMLProlog("<!DOCTYPE a [<!ENTITY e 'unclosed").internalSubset.empty());

    auto document = DOMDocument::parseXML("<?xml version=\"1.0\" standalone=\"no\"?>\n<!DOCTYPE a [<!ENTITY e \"f\">]><a>&e;</a>");
    ASSERT_TRUE(document);
    EXPECT_EQ(document->xmlDeclaration(), u"<?xml version=\"1.0\" standalone=\"no\"?>");
    EXPECT_EQ(document->doctype()->internalSubset(), u"<!ENTITY e \"f\">");
    EXPECT_EQ(document->documentElement()->textContent(), u"f");
    auto copy = downcast<DOMDocument>(document->cloneNode(true));
    EXPECT_EQ(copy->xmlDeclaration(), document->xmlDeclaration());
    EXPECT_EQ(copy->doctype()->internalSubset(), u"<!ENTITY e \"f\">");
}

} // namespace

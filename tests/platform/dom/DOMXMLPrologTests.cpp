#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMXMLProlog.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

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

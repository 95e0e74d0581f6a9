#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(DOMSerializer, EscapesTextAndAttributesByContext)
{
    auto document = DOMDocument::createHTMLDocument();
    auto body = document->body();
    auto a = document->createElement(u"a");
    a->setAttribute(u"title", u"say \"hi\" & <bye>\u00A0'");
    a->appendChild(document->createTextNode(u"1 < 2 & \"3\" > 0\u00A0"));
    body->appendChild(a);
    EXPECT_EQ(a->outerHTML(), u"<a title=\"say &quot;hi&quot; &amp; &lt;bye&gt;&nbsp;'\">1 &lt; 2 &amp; \"3\" &gt; 0&nbsp;</a>");

    // Raw text elements keep their text.
    auto script = document->createElement(u"script");
    script->appendChild(document->createTextNode(u"if (a < b && c) {}"));
    body->appendChild(script);
    auto style = document->createElement(u"style");
    style->appendChild(document->createTextNode(u"p > a { }"));
    body->appendChild(style);
    EXPECT_EQ(script->outerHTML(), u"<script>if (a < b && c) {}</script>");
    EXPECT_EQ(style->outerHTML(), u"<style>p > a { }</style>");
}

TEST(DOMSerializer, VoidElementsCommentsAndDoctype)
{
    auto document = DOMDocument::parseHTML(std::u16string_view(
        u"<!DOCTYPE html><html><head></head><body>a<br>b<img src=x.png alt=''><hr><!--c--><p></p></body></html>"));
    EXPECT_EQ(document->body()->innerHTML(), u"a<br>b<img src=\"x.png\" alt=\"\"><hr><!--c--><p></p>");
    EXPECT_EQ(document->innerHTML(),
              u"<!DOCTYPE html><html><head></head><body>a<br>b<img src=\"x.png\" alt=\"\"><hr><!--c--><p></p></body></html>");
    // Children given to a void element are not serialized.
    auto br = document->createElement(u"br");
    br->appendChild(document->createTextNode(u"lost"));
    EXPECT_EQ(br->outerHTML(), u"<br>");
    EXPECT_EQ(br->innerHTML(), u"");
    auto pi = document->createProcessingInstruction(u"php", u"echo 1;");
    EXPECT_EQ(pi->nodeName(), u"php");
    document->body()->appendChild(pi);
    EXPECT_NE(document->body()->innerHTML().find(u"<?php echo 1;>"), std::u16string::npos);
}

TEST(DOMSerializer, XMLTreesKeepNamesAndCDATA)
{
    auto document = DOMDocument::parseXML("<root><Item a=\"1&#160;&amp;\"><![CDATA[x<y]]></Item><br/>&#160;&lt;</root>");
    ASSERT_TRUE(document);
    // A no-break space stays a character: XML knows no "&nbsp;".
    EXPECT_EQ(document->documentElement()->innerHTML(),
              u"<Item a=\"1\u00A0&amp;\"><![CDATA[x<y]]></Item><br></br>\u00A0&lt;");
}

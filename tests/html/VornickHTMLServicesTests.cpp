// The answers the HTML layer gives the DOM operations, on the documents the
// editor makes from its own templates.
#include "html/VornickHTMLServices.h"

#include "dom/VornickElementExtensions.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

using Names = std::vector<std::u16string>;

// A new document of the kind, as the editor makes it from its template.
std::shared_ptr<DOMDocument> newDocument(std::u16string_view templateName)
{
    auto path = Bundle::main().pathForResource(templateName, u"html");
    if (!path)
        return nullptr;
    auto bytes = readFile(*path);
    if (!bytes)
        return nullptr;
    if (templateName.find(u"XHTML") != std::u16string_view::npos)
        return DOMDocument::parseXML(*bytes);
    return DOMDocument::parseHTML(std::string_view(*bytes));
}

std::u16string attributes(const DOMElement& element)
{
    std::u16string text;
    for (auto& attribute : element.attributeList())
        text += attribute.name + u"=\"" + attribute.value + u"\" ";
    return text;
}

TEST(VornickHTMLServices, NewElementsGetTheAttributesTheirDocumentsSpecificationRequires)
{
    VornickInstallHTMLServices();

    // HTML 5 requires only src of an image; what the element has stays.
    auto html5 = newDocument(u"New HTML 5");
    ASSERT_TRUE(html5);
    auto spec = vornick_htmlSpecForDocType(*html5);
    ASSERT_TRUE(spec);
    auto img = html5->createElement(u"img");
    img->setAttribute(u"alt", u"A cat");
    EXPECT_EQ(vornick_addMissingRequiredAttributesForHTMLSpec(*img, spec.get()), Names { u"src" });
    EXPECT_EQ(attributes(*img), u"alt=\"A cat\" src=\"\" ");
    EXPECT_TRUE(vornick_addMissingRequiredAttributesForHTMLSpec(*img, spec.get()).empty()) << "nothing twice";
    auto link = html5->createElement(u"LINK");
    link->setAttribute(u"rel", u"stylesheet");
    EXPECT_EQ(vornick_addMissingRequiredAttributesForHTMLSpec(*link, spec.get()), Names { u"href" });
    auto paragraph = html5->createElement(u"p");
    EXPECT_TRUE(vornick_addMissingRequiredAttributesForHTMLSpec(*paragraph, spec.get()).empty());
    EXPECT_FALSE(paragraph->hasAttributes());
    auto custom = html5->createElement(u"my-widget");
    EXPECT_TRUE(vornick_addMissingRequiredAttributesForHTMLSpec(*custom, spec.get()).empty()) << "no entry";
    // An SVG element that shares a name with an HTML one is not an HTML element.
    auto svgLink = html5->createElementNS(u"http://www.w3.org/2000/svg", u"link");
    EXPECT_TRUE(vornick_addMissingRequiredAttributesForHTMLSpec(*svgLink, spec.get()).empty());
    EXPECT_FALSE(svgLink->hasAttributes());

    // HTML 4.01 Strict requires alt as well, and rows and cols of a text area.
    auto strict = newDocument(u"New HTML 4.01 Strict");
    ASSERT_TRUE(strict);
    spec = vornick_htmlSpecForDocType(*strict);
    img = strict->createElement(u"IMG");
    EXPECT_EQ(vornick_addMissingRequiredAttributesForHTMLSpec(*img, spec.get()), (Names { u"alt", u"src" }));
    auto textArea = strict->createElement(u"textarea");
    textArea->setAttribute(u"ROWS", u"4");
    EXPECT_EQ(vornick_addMissingRequiredAttributesForHTMLSpec(*textArea, spec.get()), Names { u"cols" });
    EXPECT_EQ(textArea->getAttribute(u"rows"), u"4");

    // XHTML 1.1, read as XML: a map needs an id; a new root element needs
    // the XHTML namespace declared, never an empty one, which would take the
    // whole page out of its namespace when it is read back.
    auto xhtml = newDocument(u"New XHTML 1.1");
    ASSERT_TRUE(xhtml);
    spec = vornick_htmlSpecForDocType(*xhtml);
    EXPECT_TRUE(vornick_addMissingRequiredAttributesForHTMLSpec(*xhtml->documentElement(), spec.get()).empty());
    auto map = xhtml->createElementNS(u"http://www.w3.org/1999/xhtml", u"map");
    EXPECT_EQ(vornick_addMissingRequiredAttributesForHTMLSpec(*map, spec.get()), Names { u"id" });
    auto root = xhtml->createElementNS(u"http://www.w3.org/1999/xhtml", u"html");
    EXPECT_EQ(vornick_addMissingRequiredAttributesForHTMLSpec(*root, spec.get()), Names { u"xmlns" });
    EXPECT_EQ(root->getAttribute(u"xmlns"), u"http://www.w3.org/1999/xhtml");

    EXPECT_THROW(vornick_addMissingRequiredAttributesForHTMLSpec(*map, nullptr), InternalInconsistencyException);
}

} // namespace
} // namespace brevanton

#include "html/VornickElementAttributeCompletionSet.h"

#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickHTMLAttributeSpec.h"
#include "html/VornickHTMLElementSpec.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

TEST(VornickElementAttributeCompletionSet, OffersTheSpecificationsAttributesThenTheElementsOwn)
{
    VornickInstallHTMLServices();
    auto document = DOMDocument::parseHTML(std::string_view("<!DOCTYPE html><html><body><a href=x DATA-Thing=1 Title=t>x</a></body></html>"));
    ASSERT_TRUE(document);
    auto anchor = downcast<DOMElement>(document->getElementsByTagName(u"a")->item(0));
    auto spec = vornick_htmlSpecForDocType(*document);
    ASSERT_TRUE(spec && anchor);
    auto set = vornick_attributeCompletionSet(*anchor);

    // A global attribute and one of the anchor's own map to their specifications.
    auto title = std::any_cast<std::shared_ptr<VornickHTMLAttributeSpec>>(set.objectForCompletionString(u"title"));
    ASSERT_TRUE(title);
    EXPECT_EQ(title->name(), u"title");
    auto href = std::any_cast<std::shared_ptr<VornickHTMLAttributeSpec>>(set.objectForCompletionString(u"href"));
    ASSERT_TRUE(href);
    EXPECT_EQ(href->name(), u"href");
    // An attribute the specification does not know is offered by its lower-case name.
    EXPECT_EQ(std::any_cast<std::u16string>(set.objectForCompletionString(u"data-thing")), u"data-thing");
    // In order: the global attributes first, the element's own unknown ones last.
    auto all = set.rankedMatchesForSearchString(u"");
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.front().completionString(), spec->globalAttributeSpecs().front()->name());
    EXPECT_EQ(all.back().completionString(), u"data-thing");
}

} // namespace

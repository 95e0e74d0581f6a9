#include "dom/VornickDocumentStyleSheets.h"

#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

namespace brevanton {

// Stand-ins for the application layer's classes.
class VornickStyleSheetReference {
public:
    explicit VornickStyleSheetReference(std::u16string name) : name(std::move(name)) {}
    std::u16string name;
};

class VornickStyleSheet {
public:
    std::u16string name;
};

namespace {

class RecordingServices final : public VornickStyleSheetReferenceServices {
public:
    std::shared_ptr<VornickStyleSheetReference> referenceWithStyleSheetLinkElement(const std::shared_ptr<DOMElement>& link) const override
    {
        return std::make_shared<VornickStyleSheetReference>(u"link " + link->getAttribute(u"href"));
    }
    // Each "/* sheet NAME */" marks one copy.
    std::vector<std::shared_ptr<VornickStyleSheetReference>> findStyleSheetReferencesInCSSString(
        std::u16string_view css, const std::shared_ptr<DOMText>&) const override
    {
        std::vector<std::shared_ptr<VornickStyleSheetReference>> found;
        for (size_t at = css.find(u"/* sheet "); at != std::u16string_view::npos; at = css.find(u"/* sheet ", at + 1)) {
            size_t start = at + 9;
            found.push_back(std::make_shared<VornickStyleSheetReference>(
                u"copy " + std::u16string(css.substr(start, css.find(u' ', start) - start))));
        }
        return found;
    }
    std::shared_ptr<VornickStyleSheet> styleSheetForStyleSheetReference(const std::shared_ptr<VornickStyleSheetReference>& reference,
                                                                        const DOMDocument&) const override
    {
        auto sheet = std::make_shared<VornickStyleSheet>();
        sheet->name = reference->name;
        return sheet;
    }
};

std::vector<std::u16string> names(const DOMDocument& document)
{
    std::vector<std::u16string> result;
    for (auto& reference : vornick_styleSheetReferences(document))
        result.push_back(reference->name);
    return result;
}

TEST(VornickDocumentStyleSheets, HeadReferencesInOrder)
{
    auto document = DOMDocument::parseHTML(
        u"<html><head>"
        u"<style>/* sheet Base */ p {} /* sheet Print */</style>"
        u"<link rel=StyleSheet href=site.css>"
        u"<link rel=\"alternate stylesheet\" href=alt.css><link rel=stylesheet href=\"\"><link rel=icon href=i.png>"
        u"<style type=\"text/less\">/* sheet Less */</style><style type=TEXT/CSS></style>"
        u"<style type=text/css>/* sheet Last */</style>"
        u"</head><body><link rel=stylesheet href=body.css></body></html>");
    EXPECT_TRUE(names(*document).empty()) << "nothing without services";

    VornickSetStyleSheetReferenceServices(std::make_shared<RecordingServices>());
    EXPECT_EQ(names(*document), (std::vector<std::u16string> { u"copy Base", u"copy Print", u"link site.css", u"copy Last" }));
    EXPECT_EQ(vornick_primaryStyleSheetReference(*document)->name, u"copy Base");
    EXPECT_EQ(vornick_primaryStyleSheet(*document)->name, u"copy Base");

    auto plain = DOMDocument::parseHTML(u"<html><head><title>t</title></head><body></body></html>");
    EXPECT_EQ(vornick_primaryStyleSheetReference(*plain), nullptr);
    EXPECT_EQ(vornick_primaryStyleSheet(*plain), nullptr);
    VornickSetStyleSheetReferenceServices(nullptr);
}

} // namespace
} // namespace brevanton

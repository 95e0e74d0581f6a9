// Tidy's work counted from the page alone, and the budget it is held to.
#include "html/VornickTidyCheckBudget.h"

#include "platform/dom/DOMDocument.h"
#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace vornick_tidy_check_budget_tests {
namespace {

DecodedDocumentText decoded(std::string_view markup, DocumentTextSyntax syntax = DocumentTextSyntax::HTML)
{
    return decodeDocumentText(markup, syntax);
}

uint64_t work(std::string_view markup, DocumentTextSyntax syntax = DocumentTextSyntax::HTML)
{
    return VornickTidyCheckWorkOfDocument(*DOMDocument::parseDecoded(decoded(markup, syntax), syntax));
}

std::string repeated(std::string_view part, size_t times)
{
    std::string result;
    for (size_t i = 0; i < times; ++i)
        result += part;
    return result;
}

struct RestoreBudget {
    ~RestoreBudget() { UserDefaults::standard().removeObjectForKey(VornickTidyCheckWorkBudgetDefaultsKey); }
};

} // namespace

TEST(TidyCheckBudget, WorkIsTheSumOfEveryElementsDepthAndAttributePairs)
{
    // html 1, head and body 2 each, their children 3: text and comments
    // count nothing, the attributes of an element each pair of them.
    EXPECT_EQ(work("<p>one<p>two"), 1u + 2 + 2 + 3 + 3);
    EXPECT_EQ(work("<!DOCTYPE html><!-- c --><p class=a>a long text"), 1u + 2 + 2 + 3);
    EXPECT_EQ(work("<p class=a id=b title=c>x"), 1u + 2 + 2 + 3 + 3);
    std::string attributes;
    for (int i = 0; i < 1000; ++i)
        attributes += " data-a" + std::to_string(i) + "=x";
    EXPECT_EQ(work("<p" + attributes + ">x"), 1u + 2 + 2 + 3 + 1000 * 999 / 2);
    // A chain of n nested elements grows with n squared, as tidy's time
    // does; as many elements side by side only linearly.
    EXPECT_EQ(work("<div>" + repeated("<div>", 99)), 5u + 100 * 101 / 2 + 2 * 100);
    EXPECT_EQ(work(repeated("<hr>", 100)), 5u + 3 * 100);
    EXPECT_EQ(work("<r><a/><b><c/></b></r>", DocumentTextSyntax::XML), 1u + 2 + 2 + 3);
    // The count stops once past its limit.
    auto deep = DOMDocument::parseDecoded(decoded(repeated("<div>", 10000)), DocumentTextSyntax::HTML);
    EXPECT_LT(VornickTidyCheckWorkOfDocument(*deep, 1000), 2000u);
}

TEST(TidyCheckBudget, APageBeyondTheBudgetIsToldWhyAndTheSettingMovesIt)
{
    RestoreBudget restore;
    std::string page = "<!DOCTYPE html><title>t</title><p>one<p>two";
    auto document = DOMDocument::parseDecoded(decoded(page), DocumentTextSyntax::HTML);
    auto levels = VornickTidyCheckWorkOfDocument(*document);

    // Unset, unusable: 100 million levels.
    for (auto value : { Value(), Value(u"many"), Value(-1.0) }) {
        if (value.isNull())
            UserDefaults::standard().removeObjectForKey(VornickTidyCheckWorkBudgetDefaultsKey);
        else
            UserDefaults::standard().setObject(value, VornickTidyCheckWorkBudgetDefaultsKey);
        EXPECT_EQ(VornickTidyCheckWorkBudget(), VornickDefaultTidyCheckWorkBudget);
        EXPECT_FALSE(VornickTidyCheckBeyondBudget(*document));
    }
    // The page's own levels are within; one less is beyond, for the document
    // and for its text alike.
    UserDefaults::standard().setDouble(static_cast<double>(levels), VornickTidyCheckWorkBudgetDefaultsKey);
    EXPECT_FALSE(VornickTidyCheckBeyondBudget(*document));
    UserDefaults::standard().setDouble(static_cast<double>(levels - 1), VornickTidyCheckWorkBudgetDefaultsKey);
    auto beyond = VornickTidyCheckBeyondBudget(*document);
    ASSERT_TRUE(beyond);
    EXPECT_EQ(*beyond, "the page's elements and attributes count more than " + std::to_string(levels - 1)
                           + " element levels, tidy's work budget");
    EXPECT_EQ(VornickTidyCheckBeyondBudget(decoded(page), DocumentTextSyntax::HTML), beyond);
    // XML that is not well-formed has nothing to count.
    EXPECT_FALSE(VornickTidyCheckBeyondBudget(decoded("<r><a></r>", DocumentTextSyntax::XML), DocumentTextSyntax::XML));

    // A deep page's work is counted over every level it keeps: 600 nested
    // elements in the body are 3 to 602 levels deep, beside HTML, HEAD and BODY.
    auto deep = repeated("<div>", 600);
    ASSERT_EQ(work(deep), 181'505u);
    UserDefaults::standard().setDouble(181'505, VornickTidyCheckWorkBudgetDefaultsKey);
    EXPECT_FALSE(VornickTidyCheckBeyondBudget(decoded(deep), DocumentTextSyntax::HTML));
    UserDefaults::standard().setDouble(181'504, VornickTidyCheckWorkBudgetDefaultsKey);
    EXPECT_TRUE(VornickTidyCheckBeyondBudget(decoded(deep), DocumentTextSyntax::HTML));
}

} // namespace vornick_tidy_check_budget_tests

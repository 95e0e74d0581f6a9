#include "toolkit/VornickJSONResources.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace brevanton;

namespace {

class VornickJSONResourcesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char directory[] = "/tmp/brevanton-resources-XXXXXX";
        ASSERT_NE(mkdtemp(directory), nullptr);
        m_folder = directory;
        write("strings.json", "[\"a\", \"b\\u00e9\"]");
        write("mixed.json", "[\"a\", 1]");
        write("patterns.json", "[\"^wp-\", \"caf\\u00e9$\"]");
        write("badpattern.json", "[\"ok\", \"(unclosed\"]");
        write("map.json", "{\"h1\": \"Heading\", \"p\": \"Paragraph\"}");
        write("notmap.json", "{\"h1\": \"Heading\", \"p\": [\"Paragraph\"]}");
        write("broken.json", "[1, ");
        write("named.list", "[\"full name\"]");
        write("named.list.json", "[\"with json\"]");
        std::filesystem::create_directory(m_folder + "/folder");
        write("folder.json", "[\"beside a folder\"]");
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    void write(const std::string& name, const std::string& text) { std::ofstream(m_folder + "/" + name) << text; }
    Bundle bundle() const { return Bundle(m_folder); }

    std::string m_folder;
};

} // namespace

TEST_F(VornickJSONResourcesTest, ReadsResourcesByFullNameThenWithTheJSONExtension)
{
    Bundle resources = bundle();
    EXPECT_EQ(vornick_arrayOfStringsFromJSONResource(u"named.list", resources), std::vector<std::u16string>({ u"full name" }));
    EXPECT_EQ(vornick_arrayOfStringsFromJSONResource(u"strings", resources), std::vector<std::u16string>({ u"a", u"b\u00e9" }));
    EXPECT_EQ(vornick_arrayOfStringsFromJSONResource(u"folder", resources), std::vector<std::u16string>({ u"beside a folder" }));
    EXPECT_EQ(vornick_JSONResourceNamed(u"absent", resources), std::nullopt);
    EXPECT_EQ(vornick_JSONResourceNamed(u"broken", resources), std::nullopt);
}

TEST_F(VornickJSONResourcesTest, AnswersNothingWhenTheShapeIsWrong)
{
    Bundle resources = bundle();
    EXPECT_EQ(vornick_arrayFromJSONResource(u"mixed", resources)->size(), 2u);
    EXPECT_EQ(vornick_arrayOfStringsFromJSONResource(u"mixed", resources), std::nullopt);
    EXPECT_EQ(vornick_dictionaryFromJSONResource(u"strings", resources), std::nullopt);
    EXPECT_EQ(vornick_arrayFromJSONResource(u"map", resources), std::nullopt);

    auto map = vornick_dictionaryMappingStringsToStringsFromJSONResource(u"map", resources);
    ASSERT_TRUE(map.has_value());
    EXPECT_EQ(map->at(u"h1"), u"Heading");
    EXPECT_TRUE(vornick_dictionaryFromJSONResource(u"notmap", resources).has_value());
    EXPECT_EQ(vornick_dictionaryMappingStringsToStringsFromJSONResource(u"notmap", resources), std::nullopt);
}

TEST_F(VornickJSONResourcesTest, CompilesPatternsWithTheGivenOptions)
{
    Bundle resources = bundle();
    auto patterns = vornick_arrayOfRegularExpressionsFromJSONResource(u"patterns", RegularExpression::CaseInsensitive, resources);
    ASSERT_TRUE(patterns.has_value());
    ASSERT_EQ(patterns->size(), 2u);
    EXPECT_TRUE((*patterns)[0].hasMatch(u"WP-block"));
    EXPECT_EQ(vornick_arrayOfRegularExpressionsFromJSONResource(u"badpattern", 0, resources), std::nullopt);
}

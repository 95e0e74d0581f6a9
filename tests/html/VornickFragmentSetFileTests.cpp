#include "html/VornickFragmentSet.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "toolkit/VornickErrors.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace brevanton;

namespace {

class SnippetSetFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto folder = createTemporaryDirectory("brevanton-snippet-sets");
        ASSERT_TRUE(folder);
        m_folder = *folder;
        for (const auto& entry : std::filesystem::directory_iterator(std::string(BREVANTON_TEST_DATA_DIR) + "/snippet-sets"))
            std::filesystem::copy_file(entry.path(), m_folder + "/" + entry.path().filename().string());
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::string path(const std::string& name) const { return m_folder + "/" + name; }
    URL url(const std::string& name) const { return URL::fileURLWithPath(path(name)); }
    std::string contents(const std::string& name) const { return readFile(path(name)).value_or(""); }
    void write(const std::string& name, std::string_view text) const { ASSERT_TRUE(writeFileAtomically(path(name), text)); }

    std::shared_ptr<VornickFragmentSet> read(const std::string& name)
    {
        Error error;
        auto set = VornickFragmentSet::fragmentSetWithContentsOfURL(url(name), &error);
        EXPECT_TRUE(set) << error;
        return set;
    }

    std::string m_folder;
};

// Everything a file holds of a set, as text, for comparing two sets.
std::string describe(const VornickFragmentSet& set)
{
    std::string text = toUTF8(set.title()) + "|" + std::to_string(static_cast<int>(set.documentType())) + "|";
    if (set.allowedBodyElements()) {
        text += "[";
        for (const auto& name : *set.allowedBodyElements())
            text += toUTF8(name) + ",";
        text += "]";
    } else
        text += "any";
    for (const auto& group : set.groups()) {
        text += "\n# " + toUTF8(group->title());
        for (const auto& snippet : group->fragmentDescriptions()) {
            for (const auto& field : { snippet->identifier(), snippet->displayName(), snippet->tabTrigger(),
                                       snippet->keyboardShortcutShorthand(), snippet->markupString(), snippet->blockSourceString() })
                text += "\n  " + toUTF8(field);
        }
    }
    return text;
}

std::shared_ptr<VornickGeneralFragmentDescription> snippet(const char16_t* identifier, const char16_t* name, const char16_t* trigger,
                                                            const char16_t* markup, const char16_t* blockSource = u"")
{
    return std::make_shared<VornickGeneralFragmentDescription>(identifier, name, trigger, u"", markup, blockSource);
}

TEST_F(SnippetSetFile, ASetWrittenByTheProgramReadsBackEqualAndWritesTheSameBytesAgain)
{
    auto set = VornickFragmentSet::createWithTitle(u"Caf\u00E9 \"Notes\"");
    set->setDocumentType(VornickHTMLDocumentType::XHTML10Strict);
    set->setAllowedBodyElements(std::set<std::u16string> { u"P", u"em", u"blockquote" });
    auto text = VornickFragmentGroup::create(u"Text");
    text->addFragmentDescription(snippet(u"quote", u"Quote \U0001F4AC", u"bq", u"<blockquote>\n\t<p>{content}</p>\n</blockquote>"));
    text->addFragmentDescription(std::make_shared<VornickGeneralFragmentDescription>(u"em", u"Emphasis", u"", u"@E", u"<em>{content}</em>", u""));
    set->addGroup(text);
    auto blocks = VornickFragmentGroup::create(u"");
    blocks->addFragmentDescription(snippet(u"core/quote", u"Quote Block", u"qb", u"<blockquote class=\"wp-block-quote\">{content}</blockquote>",
                                           u"<!-- wp:quote -->\\n{content}\\n<!-- /wp:quote -->"));
    set->addGroup(blocks);
    set->addGroup(VornickFragmentGroup::create(u"Empty"));

    Error error;
    ASSERT_TRUE(set->writeToURL(url("Written.brevantonsnippets"), &error)) << error;
    auto first = contents("Written.brevantonsnippets");
    EXPECT_TRUE(first.ends_with("}\n"));
    // Keys are sorted and the format is named.
    EXPECT_LT(first.find("\"allowedBodyElements\""), first.find("\"documentType\""));
    EXPECT_LT(first.find("\"documentType\" : \"XHTML 1.0 Strict\""), first.find("\"formatVersion\" : 1"));
    EXPECT_LT(first.find("\"formatVersion\""), first.find("\"groups\""));
    EXPECT_LT(first.find("\"blockSource\""), first.find("\"displayName\""));

    auto back = read("Written.brevantonsnippets");
    ASSERT_TRUE(back);
    EXPECT_NE(back, set);
    EXPECT_EQ(describe(*back), describe(*set));
    ASSERT_TRUE(back->writeToURL(url("Again.brevantonsnippets"), &error)) << error;
    EXPECT_EQ(contents("Again.brevantonsnippets"), first);
}

TEST_F(SnippetSetFile, AnEmptyListOfAllowedElementsStaysAListAndNoListStaysNone)
{
    // The writer leaves out empty arrays of dictionaries; an empty list must
    // not come back as "no restriction".
    auto locked = VornickFragmentSet::createWithTitle(u"Locked");
    locked->setAllowedBodyElements(std::set<std::u16string> {});
    auto open = VornickFragmentSet::createWithTitle(u"Open");
    Error error;
    ASSERT_TRUE(locked->writeToURL(url("Locked.brevantonsnippets"), &error)) << error;
    ASSERT_TRUE(open->writeToURL(url("Open.brevantonsnippets"), &error)) << error;

    auto lockedBack = read("Locked.brevantonsnippets");
    ASSERT_TRUE(lockedBack);
    ASSERT_TRUE(lockedBack->allowedBodyElements());
    EXPECT_TRUE(lockedBack->allowedBodyElements()->empty());
    EXPECT_FALSE(lockedBack->bodyElementIsAllowed(u"P"));

    auto openBack = read("Open.brevantonsnippets");
    ASSERT_TRUE(openBack);
    EXPECT_FALSE(openBack->allowedBodyElements());
    EXPECT_TRUE(openBack->bodyElementIsAllowed(u"P"));
    EXPECT_TRUE(openBack->groups().empty());
}

TEST_F(SnippetSetFile, KeysThisVersionDoesNotKnowAreWrittenBackAsTheyWere)
{
    auto set = read("Future.brevantonsnippets");
    ASSERT_TRUE(set);
    EXPECT_EQ(set->title(), u"Field Notes");
    EXPECT_EQ(set->documentType(), VornickHTMLDocumentType::Unknown);
    ASSERT_EQ(set->groups().size(), 1u);
    ASSERT_EQ(set->groups()[0]->fragmentDescriptions().size(), 1u);
    EXPECT_EQ(set->groups()[0]->fragmentDescriptions()[0]->keyboardShortcutShorthand(), u"@N");

    Error error;
    ASSERT_TRUE(set->writeToURL(url("Saved.brevantonsnippets"), &error)) << error;
    auto original = readJSON(contents("Future.brevantonsnippets"), &error);
    auto saved = readJSON(contents("Saved.brevantonsnippets"), &error);
    ASSERT_TRUE(original && saved) << error;
    // Every key, at every level, with its value and type: booleans stay
    // booleans, empty texts and containers and nulls stay.
    EXPECT_EQ(*saved, *original) << contents("Saved.brevantonsnippets");
    EXPECT_NE(contents("Saved.brevantonsnippets").find("\"pinned\" : true"), std::string::npos);

    // A known type set later replaces the unknown one.
    set->setDocumentType(VornickHTMLDocumentType::HTML5);
    ASSERT_TRUE(set->writeToURL(url("Typed.brevantonsnippets"), &error)) << error;
    auto typed = readJSON(contents("Typed.brevantonsnippets"), &error);
    ASSERT_TRUE(typed);
    EXPECT_EQ((*typed)[u"documentType"].stringValue(), u"HTML 5");
}

TEST_F(SnippetSetFile, AFileThatCannotBeReadIsAnErrorNeverAnEmptySet)
{
    struct Case {
        const char* text;
        int64_t code;
        int64_t line;              // 0: no line
        const char* mentions;      // in the description
    };
    const Case cases[] = {
        { "", VornickSnippetSetFileMalformedError, 1, "line 1" },
        { "{\n  \"formatVersion\" : 1,\n  \"title\" : \"Cut\n", VornickSnippetSetFileMalformedError, 3, "line 3" },
        { "{\n  \"formatVersion\" : 1,\n  \"groups\" : [ { \"title\" : \"A\" }, ]\n}\n", VornickSnippetSetFileMalformedError, 3, "line 3" },
        { "\xFF\xFE{ binary", VornickSnippetSetFileMalformedError, 1, "line 1" },
        { "[ ]", VornickSnippetSetFileMalformedError, 0, "no snippet set object" },
        { "{ \"name\" : \"package\", \"version\" : \"1.0\" }", VornickSnippetSetFileMalformedError, 0, "formatVersion" },
        { "{ \"formatVersion\" : \"1\" }", VornickSnippetSetFileMalformedError, 0, "not a version number" },
        { "{ \"formatVersion\" : 2, \"title\" : \"Next\" }", VornickSnippetSetFileFormatTooNewError, 0, "newer version" },
        { "{ \"formatVersion\" : 1, \"title\" : 7 }", VornickSnippetSetFileMalformedError, 0, "\u201Ctitle\u201D is not a string" },
        { "{ \"formatVersion\" : 1, \"groups\" : { } }", VornickSnippetSetFileMalformedError, 0, "\u201Cgroups\u201D is not an array" },
        { "{ \"formatVersion\" : 1, \"allowedBodyElements\" : [ \"p\", 3 ] }", VornickSnippetSetFileMalformedError, 0,
          "allowedBodyElements[1]" },
        { "{ \"formatVersion\" : 1, \"groups\" : [ { \"snippets\" : [ { \"markup\" : \"<p>\" }, { \"markup\" : [ ] } ] } ] }",
          VornickSnippetSetFileMalformedError, 0, "\u201Cgroups[0].snippets[1].markup\u201D is not a string" },
        { "{ \"formatVersion\" : 1, \"groups\" : [ 5 ] }", VornickSnippetSetFileMalformedError, 0, "groups[0]" },
        // What could not be written back unchanged is not read either.
        { "{ \"formatVersion\" : 1, \"extra\" : { \"\" : 1 } }", VornickSnippetSetFileMalformedError, 0, "empty key" },
        { "{ \"formatVersion\" : 1, \"huge\" : 1e400 }", VornickSnippetSetFileMalformedError, 0, "" },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.text);
        write("Bad.brevantonsnippets", test.text);
        Error error;
        EXPECT_FALSE(VornickFragmentSet::fragmentSetWithContentsOfURL(url("Bad.brevantonsnippets"), &error));
        EXPECT_EQ(error.domain(), VornickErrorDomain);
        EXPECT_EQ(error.code(), test.code) << error;
        auto description = toUTF8(error.localizedDescription());
        EXPECT_NE(description.find("Bad.brevantonsnippets"), std::string::npos) << description;
        EXPECT_NE(description.find(test.mentions), std::string::npos) << description;
        if (test.line) {
            EXPECT_EQ(error.userInfo()[VornickFragmentSetFileLineKey].integerValue(), test.line) << description;
        }
        // Nothing was registered or written.
        EXPECT_EQ(contents("Bad.brevantonsnippets"), test.text);
    }

    // Nesting beyond what the writer takes.
    std::string deep = "{ \"formatVersion\" : 1, \"deep\" : " + std::string(40, '[') + std::string(40, ']') + " }";
    write("Deep.brevantonsnippets", deep);
    Error error;
    EXPECT_FALSE(VornickFragmentSet::fragmentSetWithContentsOfURL(url("Deep.brevantonsnippets"), &error));
    EXPECT_NE(toUTF8(error.localizedDescription()).find("32 levels"), std::string::npos) << error;

    // Neither a folder nor a missing file reads as a set.
    EXPECT_FALSE(VornickFragmentSet::fragmentSetWithContentsOfURL(URL::fileURLWithPath(m_folder, true), &error));
    EXPECT_FALSE(VornickFragmentSet::fragmentSetWithContentsOfURL(url("Missing.brevantonsnippets"), &error));
    EXPECT_EQ(error.domain(), POSIXErrorDomain);
}

TEST_F(SnippetSetFile, OnlyLocalFilesAreReadOrWritten)
{
    auto remote = URL::create(std::string_view("https://example.org/Site.brevantonsnippets"));
    ASSERT_TRUE(remote);
    Error error;
    EXPECT_FALSE(VornickFragmentSet::fragmentSetWithContentsOfURL(*remote, &error));
    EXPECT_EQ(error.code(), VornickSnippetSetNotReadableError);
    EXPECT_FALSE(VornickFragmentSet::createWithTitle(u"T")->writeToURL(*remote, &error));
}

} // namespace

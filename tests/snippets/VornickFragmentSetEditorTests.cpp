#include "snippets/VornickFragmentSetEditor.h"

#include "html/VornickFragmentGroup.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/URL.h"
#include "platform/views/Alert.h"
#include "platform/views/Button.h"
#include "platform/views/TextField.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace brevanton;

namespace {

constexpr const char* siteSet = R"({
  "formatVersion" : 1,
  "groups" : [ { "snippets" : [
    { "blockSource" : "", "displayName" : "Emphasis", "identifier" : "emphasis", "keyboardShortcut" : "", "markup" : "<em>{content}</em>", "tabTrigger" : "em" },
    { "blockSource" : "", "displayName" : "Quote", "identifier" : "quote", "keyboardShortcut" : "", "markup" : "<blockquote>{content}</blockquote>", "tabTrigger" : "bq" }
  ], "title" : "Inline" } ],
  "title" : "Site"
})";

class FragmentSetEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto folder = createTemporaryDirectory("brevanton-snippet-editor");
        ASSERT_TRUE(folder);
        m_folder = *folder;
    }
    void TearDown() override
    {
        VornickFragmentSetEditor::closeAllEditors();
        AlertDriver::shared().reset();
        for (int turns = 0; turns < 10 && RunLoop::main().runOnce(0); ++turns) {
        }
        std::filesystem::remove_all(m_folder);
    }

    // The editor of a set read from a file of these contents.
    std::shared_ptr<VornickFragmentSetEditor> open(const std::string& contents)
    {
        m_path = m_folder + "/Site.brevantonsnippets";
        EXPECT_TRUE(writeFileAtomically(m_path, contents));
        m_set = VornickFragmentSet::fragmentSetWithContentsOfURL(URL::fileURLWithPath(std::string_view(m_path)));
        std::shared_ptr<VornickFragmentSetEditor> opened;
        VornickFragmentSetEditor::openEditorForFragmentSet(m_set, [&](const auto& editor) { opened = editor; });
        return opened;
    }
    // The outline's rows, snippets indented.
    static std::vector<std::u16string> rows(VornickFragmentSetEditor& editor)
    {
        std::vector<std::u16string> titles;
        auto& outline = *editor.outlineView();
        for (long row = 0; row < outline.numberOfRows(); ++row) {
            auto title = editor.objectValue(outline, VornickFragmentSetEditor::NameColumn, outline.itemAtRow(row)).string();
            titles.push_back(outline.levelForRow(row) ? u"  " + title : title);
        }
        return titles;
    }
    // The snippets' names as the file has them, in order.
    std::vector<std::u16string> namesInFile() const
    {
        auto contents = readFile(m_path);
        auto set = contents ? VornickFragmentSet::createWithJSONData(*contents, nullptr) : nullptr;
        std::vector<std::u16string> names;
        for (const auto& group : set ? set->groups() : VornickFragmentSet::Groups())
            for (const auto& snippet : group->fragmentDescriptions())
                names.push_back(group->title() + u"/" + snippet->displayName());
        return names;
    }
    static std::shared_ptr<VornickGeneralFragmentDescription> snippet(std::u16string markup)
    {
        return std::make_shared<VornickGeneralFragmentDescription>(u"", u"New Snippet", u"", u"", std::move(markup), u"");
    }

    std::string m_folder;
    std::string m_path;
    std::shared_ptr<VornickFragmentSet> m_set;
};

// Each change is written at once; undo and redo write too.
TEST_F(FragmentSetEditor, EveryChangeAndItsUndoIsSavedToTheSetsFile)
{
    auto editor = open(siteSet);
    ASSERT_TRUE(editor);
    EXPECT_EQ(rows(*editor), (std::vector<std::u16string> { u"Inline", u"  Emphasis", u"  Quote" }));
    auto& undo = *editor->window()->undoManager();
    using Names = std::vector<std::u16string>;
    const Names original { u"Inline/Emphasis", u"Inline/Quote" };

    editor->selectFragmentDescription(m_set->groups()[0]->fragmentDescriptions()[0]);
    editor->undoableAddFragmentDescription(true, snippet(u"<p>{content}</p>"));
    EXPECT_EQ(undo.undoActionName(), u"Add Snippet");
    EXPECT_EQ(namesInFile(), (Names { u"Inline/Emphasis", u"Inline/Quote", u"Inline/New Snippet" }));
    EXPECT_EQ(editor->selectedFragmentDescription()->markupString(), u"<p>{content}</p>");
    EXPECT_EQ(editor->window()->firstResponder(), editor->nameField()) << "brought forward for naming";
    EXPECT_TRUE(editor->nameField()->selectsWholeText());

    // Typed into the fields: the file follows each change.
    editor->nameField()->editTextAsUser(u"Paragraph");
    editor->markupField()->editTextAsUser(u"<p class=\"x\">{content}</p>");
    EXPECT_EQ(namesInFile(), (Names { u"Inline/Emphasis", u"Inline/Quote", u"Inline/Paragraph" }));
    EXPECT_NE(readFile(m_path)->find(R"(<p class=\"x\">{content}</p>)"), std::string::npos);
    EXPECT_EQ(rows(*editor).back(), u"  Paragraph");

    // Undoing the addition takes the renamed snippet away; redo brings it back.
    undo.undo();
    EXPECT_EQ(namesInFile(), original);
    undo.redo();
    EXPECT_EQ(namesInFile(), (Names { u"Inline/Emphasis", u"Inline/Quote", u"Inline/Paragraph" }));

    // Another one, while the name field has the keyboard: typing names the new one.
    editor->addButton()->performClick();
    EXPECT_TRUE(editor->nameField()->selectsWholeText());
    undo.undo();

    // Deleting puts it back where it was on undo.
    editor->selectFragmentDescription(m_set->groups()[0]->fragmentDescriptions()[0]);
    editor->removeButton()->performClick();
    EXPECT_EQ(undo.undoActionName(), u"Delete Snippet");
    EXPECT_EQ(namesInFile(), (Names { u"Inline/Quote", u"Inline/Paragraph" }));
    EXPECT_EQ(editor->selectedFragmentDescription()->displayName(), u"Quote");
    undo.undo();
    EXPECT_EQ(namesInFile(), (Names { u"Inline/Emphasis", u"Inline/Quote", u"Inline/Paragraph" }));
    EXPECT_FALSE(editor->window()->isDocumentEdited());
}

TEST_F(FragmentSetEditor, ASnippetForASetWithoutGroupsComesInANewGroupThatUndoTakesAway)
{
    auto editor = open(R"({ "formatVersion" : 1, "groups" : [ ], "title" : "Empty" })");
    ASSERT_TRUE(editor);
    editor->addButton()->performClick();
    EXPECT_EQ(rows(*editor), (std::vector<std::u16string> { u"Snippets", u"  New Snippet" }));
    EXPECT_EQ(namesInFile(), (std::vector<std::u16string> { u"Snippets/New Snippet" }));
    editor->window()->undoManager()->undo();
    EXPECT_TRUE(rows(*editor).empty());
    EXPECT_TRUE(m_set->groups().empty());
    EXPECT_TRUE(namesInFile().empty());

    // A set made in memory has no file to write to: no editor.
    std::shared_ptr<VornickFragmentSetEditor> opened = editor;
    VornickFragmentSetEditor::openEditorForFragmentSet(VornickFragmentSet::createWithTitle(u"Loose"), [&](const auto& made) { opened = made; });
    EXPECT_FALSE(opened);
    EXPECT_EQ(VornickFragmentSetEditor::openEditors().size(), 1u);
}

TEST_F(FragmentSetEditor, AFailedWriteLeavesTheFileAsItWasKeepsTheChangeAndSaysSo)
{
    auto editor = open(siteSet);
    ASSERT_TRUE(editor);
    auto before = readFile(m_path);
    // The file's folder goes away under the editor.
    std::string moved = m_folder + "-moved";
    std::filesystem::rename(m_folder, moved);
    editor->addButton()->performClick();
    std::filesystem::rename(moved, m_folder);

    EXPECT_EQ(readFile(m_path), before);
    ASSERT_TRUE(editor->saveFailureAlert());
    EXPECT_EQ(editor->saveFailureAlert()->messageText(), u"The snippet set \u201CSite\u201D could not be saved.");
    EXPECT_TRUE(editor->window()->isDocumentEdited());
    EXPECT_EQ(rows(*editor).back(), u"  New Snippet") << "the change stays in the window";

    // Save writes it once the file can be written again.
    ASSERT_TRUE(editor->performAction("saveDocument:", nullptr));
    EXPECT_EQ(namesInFile(), (std::vector<std::u16string> { u"Inline/Emphasis", u"Inline/Quote", u"Inline/New Snippet" }));
    EXPECT_FALSE(editor->window()->isDocumentEdited());
}

} // namespace

#include "publishing/VornickAttachmentPointSettingsUIController.h"

#include "tests/publishing/AttachmentPointSettingsTestSupport.h"
#include "tests/views/HelpPagesOpened.h"

#include "platform/store/PersistentStore.h"
#include "platform/views/Button.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "toolkit/VornickObjectArchive.h"
#include "platform/views/Sound.h"
#include "platform/views/TokenField.h"
#include "publishing/VornickAttachmentPointSettingsModule.h"

#include <gtest/gtest.h>

#include <random>

namespace brevanton {
namespace {

using Selectors = std::map<std::u16string, std::u16string>;
using Strings = std::vector<std::u16string>;

class VornickAttachmentPointSettingsUIControllerTests : public ::testing::Test {
protected:
    std::shared_ptr<TestBlogProject> project = makeTestBlogProject();
    std::shared_ptr<VornickWordPressBlog> blog = makeWordPressBlog(*project, u"Site");
    FakeBlogEditor editor { blog };
    VornickAttachmentPointSettingsUIController controller;

    // Shows the sheet for the editor, as the editor does.
    void show(const Strings& failed = {}, const Strings& needed = {})
    {
        controller.setBlogEditor(&editor);
        controller.setDefaultAttachmentPointLocators(VornickAttachmentPointSettingsUIController::defaultAttachmentPointLocatorsOfBlog(*blog));
        ASSERT_TRUE(controller.showForWindow(editor.window, failed, needed));
    }

    std::shared_ptr<VornickAttachmentPointSettingsModule> row(const std::u16string& identifier)
    {
        for (const auto& module : controller.modules()) {
            if (module->attachmentPointDescription() && module->attachmentPointDescription()->identifier == identifier)
                return module;
        }
        ADD_FAILURE() << "no row for the identifier";
        return std::make_shared<VornickAttachmentPointSettingsModule>();
    }

    static void toggle(VornickAttachmentPointSettingsModule& module) { module.headingCheckBox()->performClick(); }
    static std::u16string text(const std::shared_ptr<TextField>& field) { return field->attributedStringValue().string(); }
    static std::u16string selectorOf(VornickAttachmentPointSettingsModule& module)
    {
        return module.attachmentPointLocator() ? module.attachmentPointLocator()->selector() : u"(off)";
    }
};

TEST_F(VornickAttachmentPointSettingsUIControllerTests, TheEditorsBlogGivesTheRowsAndTheStoredSet)
{
    storeLocatorSet(*blog, { { u"title", u".my-title" } }, u"twentytwentythree");
    controller.setBlogEditor(&editor);
    ASSERT_EQ(controller.attachmentPointDescriptions().size(), 6u);
    EXPECT_EQ(controller.attachmentPointDescriptions().back().identifier, u"categories");
    ASSERT_TRUE(controller.attachmentPointLocatorForIdentifier(u"title"));
    EXPECT_EQ(controller.attachmentPointLocatorForIdentifier(u"title")->selector(), u".my-title");
    EXPECT_FALSE(controller.attachmentPointLocatorForIdentifier(u"body"));
    EXPECT_EQ(controller.attachmentPointLocatorSet()->identifier(), std::optional<std::u16string>(u"twentytwentythree"));

    controller.setDefaultAttachmentPointLocators(VornickAttachmentPointSettingsUIController::defaultAttachmentPointLocatorsOfBlog(*blog));
    auto tags = controller.defaultAttachmentPointLocatorForIdentifier(u"TAGS");
    ASSERT_TRUE(tags) << "defaults are found ignoring case";
    EXPECT_EQ(tags->selector(), u".taxonomy-post_tag") << "the first candidate is the default";
    EXPECT_FALSE(controller.defaultAttachmentPointLocatorForIdentifier(u"excerpt"));

    // Data that does not decode gives a new empty set.
    FakeBlogEditor other { makeWordPressBlog(*project, u"Other") };
    other.blog()->setPostAttachmentPointData(Data { '[', '1', ']' });
    controller.setBlogEditor(&other);
    EXPECT_TRUE(controller.attachmentPointLocatorSet()->locatorsByIdentifier().empty());
    EXPECT_FALSE(controller.attachmentPointLocatorSet()->identifier());
}

TEST_F(VornickAttachmentPointSettingsUIControllerTests, RowsShowFailuresNeedsAndTheLocatorOrTheDisabledDefault)
{
    storeLocatorSet(*blog, { { u"title", u"[itemprop:{headline,!hidden}]" }, { u"date", u".entry date" } });
    show({ u"date", u"tags" }, { u"title", u"date" });
    ASSERT_EQ(controller.modules().size(), 6u);
    EXPECT_EQ(controller.modules()[0]->attachmentPointDescription()->identifier, u"featuredImage") << "rows in the class's order";
    EXPECT_EQ(editor.window->attachedSheet(), controller.sheetWindow());
    EXPECT_FALSE(controller.edited());

    auto title = row(u"title");
    EXPECT_EQ(title->headingCheckBox()->title(), u"Title");
    EXPECT_EQ(title->headingCheckBox()->state(), OnState);
    EXPECT_TRUE(title->attributeNameTextField()->isEnabled());
    EXPECT_EQ(text(title->attributeNameTextField()), u"itemprop");
    EXPECT_EQ(text(title->requiredValuesTokenField()), u"headline");
    EXPECT_EQ(text(title->forbiddenValuesTokenField()), u"hidden");
    EXPECT_TRUE(title->attachmentNeededForCurrentPost());
    EXPECT_FALSE(title->attachmentFailed());

    auto date = row(u"date");
    EXPECT_TRUE(date->attachmentFailed() && date->attachmentNeededForCurrentPost());
    EXPECT_EQ(date->headingCheckBox()->state(), OffState) << "a malformed stored selector opens switched off";
    EXPECT_FALSE(date->attributeNameTextField()->isEnabled());
    EXPECT_FALSE(date->requiredValuesTokenField()->isEnabled());
    EXPECT_EQ(text(date->attributeNameTextField()), u"class") << "showing the default's parameters";
    EXPECT_EQ(text(date->requiredValuesTokenField()), u"wp-block-post-date");

    auto tags = row(u"tags");
    EXPECT_TRUE(tags->attachmentFailed());
    EXPECT_EQ(tags->headingCheckBox()->state(), OffState);

    // Without a default that parses, a switched-off row shows nothing.
    controller.setDefaultAttachmentPointLocators({ std::make_shared<VornickAttachmentPointLocator>(u"body", u"[x") });
    controller.updateStackViewContentsWithFailedAttachmentPoints({}, {});
    EXPECT_EQ(text(row(u"body")->attributeNameTextField()), u"");
    EXPECT_EQ(text(row(u"body")->requiredValuesTokenField()), u"");
}

TEST_F(VornickAttachmentPointSettingsUIControllerTests, EditsRebuildTheSelectorAndMarkTheSheetEdited)
{
    show();
    auto tags = row(u"tags");
    tags->attributeNameTextField()->editTextAsUser(u"rel");
    EXPECT_EQ(selectorOf(*tags), u"(off)") << "an edit on a row that is off changes nothing";
    EXPECT_FALSE(controller.edited());

    toggle(*tags);
    EXPECT_TRUE(controller.edited());
    EXPECT_EQ(selectorOf(*tags), u".taxonomy-post_tag") << "switching on copies the default";
    EXPECT_NE(tags->attachmentPointLocator(), controller.defaultAttachmentPointLocatorForIdentifier(u"tags"));
    EXPECT_TRUE(tags->attributeNameTextField()->isEnabled());

    tags->attributeNameTextField()->editTextAsUser(u"rel");
    EXPECT_EQ(selectorOf(*tags), u"[rel:{taxonomy-post_tag}]");
    tags->requiredValuesTokenField()->editTextAsUser(u"tag");
    tags->forbiddenValuesTokenField()->editTextAsUser(u"category, nav");
    EXPECT_EQ(selectorOf(*tags), u"[rel:{tag,!category,!nav}]");
    tags->requiredValuesTokenField()->editTextAsUser(u"");
    EXPECT_EQ(selectorOf(*tags), u"[rel:{!category,!nav}]");
    tags->attributeNameTextField()->editTextAsUser(u"class");
    tags->requiredValuesTokenField()->editTextAsUser(u"tags");
    tags->forbiddenValuesTokenField()->editTextAsUser(u"");
    EXPECT_EQ(selectorOf(*tags), u".tags") << "one class and nothing forbidden is the short form";

    toggle(*tags);
    EXPECT_EQ(tags->attachmentPointLocator(), nullptr);
    EXPECT_FALSE(tags->attributeNameTextField()->isEnabled());
}

TEST_F(VornickAttachmentPointSettingsUIControllerTests, NamesAndValuesOutsideTheLanguageAreRefusedAsTyped)
{
    show();
    auto title = row(u"title");
    toggle(*title);
    ASSERT_EQ(selectorOf(*title), u".wp-block-post-title");
    controller.setEdited(false);
    size_t beeps = Sound::playedSoundNames().size();

    for (const char16_t* name : { u"", u"data x", u"a:b", u"rel}", u"x=y" }) {
        title->attributeNameTextField()->editTextAsUser(name);
        EXPECT_EQ(selectorOf(*title), u".wp-block-post-title");
        EXPECT_EQ(text(title->attributeNameTextField()), u"class") << "the field shows the kept name again";
    }
    for (const char16_t* values : { u"a b", u"x,!y", u"a}]", u"q\"", u"c:d" }) {
        title->requiredValuesTokenField()->editTextAsUser(values);
        title->forbiddenValuesTokenField()->editTextAsUser(values);
        EXPECT_EQ(selectorOf(*title), u".wp-block-post-title");
    }
    EXPECT_EQ(text(title->requiredValuesTokenField()), u"wp-block-post-title");
    EXPECT_EQ(text(title->forbiddenValuesTokenField()), u"");
    EXPECT_FALSE(controller.edited());
    EXPECT_EQ(Sound::playedSoundNames().size(), beeps + 15) << "each refusal beeps";
    EXPECT_TRUE(title->attachmentPointLocator()->attributeParameters());
}

TEST_F(VornickAttachmentPointSettingsUIControllerTests, TypedGrammarValuesRoundTripThroughTheStoredSet)
{
    // Random names and values drawn from the language's characters (and a
    // few from outside it, which the row must refuse).
    std::mt19937 random(33);
    const std::u16string nameCharacters = u"abcxyz-_.0129\u00e9\u00df";
    const std::u16string valueCharacters = u"abz09-_.()#%&*/;?@\\\u00e9\u4e2d\u00bf";
    const std::u16string foreign = u" :!{}[]\"'";
    auto draw = [&](const std::u16string& from, size_t maxLength) {
        std::u16string result;
        size_t length = 1 + random() % maxLength;
        for (size_t i = 0; i < length; ++i)
            result += from[random() % from.size()];
        return result;
    };
    show();
    auto body = row(u"body");
    toggle(*body);
    for (int round = 0; round < 200; ++round) {
        std::u16string name = draw(nameCharacters, 8);
        Strings required, forbidden;
        for (size_t i = random() % 4; i > 0; --i)
            required.push_back(draw(valueCharacters, 6));
        for (size_t i = random() % 3; i > 0; --i)
            forbidden.push_back(draw(valueCharacters, 6));
        body->attributeNameTextField()->editTextAsUser(name);
        body->requiredValuesTokenField()->setTokens({});
        body->requiredValuesTokenField()->textDidChange();
        body->forbiddenValuesTokenField()->setTokens(forbidden);
        body->forbiddenValuesTokenField()->textDidChange();
        body->requiredValuesTokenField()->setTokens(required);
        body->requiredValuesTokenField()->textDidChange();
        auto parameters = body->attachmentPointLocator()->attributeParameters();
        ASSERT_TRUE(parameters) << round;
        EXPECT_EQ(parameters->attributeName, name) << round;
        EXPECT_EQ(parameters->requiredValues, required) << round;
        EXPECT_EQ(parameters->forbiddenValues, forbidden) << round;

        std::u16string bad = draw(valueCharacters, 3) + foreign[random() % foreign.size()] + draw(valueCharacters, 3);
        std::u16string before = selectorOf(*body);
        body->attributeNameTextField()->editTextAsUser(bad);
        body->forbiddenValuesTokenField()->editTextAsUser(u"ok," + bad);
        EXPECT_EQ(selectorOf(*body), before) << round;
    }
    std::u16string last = selectorOf(*body);
    controller.acceptSettings();
    EXPECT_EQ(storedSelectors(*blog), (Selectors { { u"body", last } }));
}

TEST_F(VornickAttachmentPointSettingsUIControllerTests, AcceptStoresTheRowsThatAreOnAndKeepsTheTheme)
{
    storeLocatorSet(*blog, { { u"title", u".old-title" }, { u"excerpt", u".entry-summary" }, { u"date", u"[broken" } }, u"twentytwentythree");
    show();
    toggle(*row(u"tags"));
    controller.acceptSettings();

    EXPECT_EQ(storedSelectors(*blog), (Selectors { { u"title", u".old-title" }, { u"tags", u".taxonomy-post_tag" } }))
        << "a point the class no longer offers and a malformed stored selector are not saved again";
    auto data = blog->postAttachmentPointData();
    ASSERT_TRUE(data);
    auto set = VornickAttachmentPointLocatorSet::createWithData(*data);
    ASSERT_TRUE(set);
    EXPECT_EQ(set->identifier(), std::optional<std::u16string>(u"twentytwentythree"));
    EXPECT_TRUE(blog->hasEditsNotYetSavedToSourceFile());
    EXPECT_EQ(editor.settingsChanges, 1);

    EXPECT_EQ(editor.window->attachedSheet(), nullptr) << "the sheet ended";
    EXPECT_FALSE(controller.sheetWindow()->isVisible());
    EXPECT_EQ(controller.blogEditor(), nullptr);
    EXPECT_FALSE(controller.edited());
}

TEST_F(VornickAttachmentPointSettingsUIControllerTests, SwitchingEveryRowOffClearsTheStoredSettings)
{
    storeLocatorSet(*blog, { { u"title", u".old-title" }, { u"body", u".old-body" } }, u"theme");
    show();
    toggle(*row(u"title"));
    toggle(*row(u"body"));
    controller.acceptSettings();
    EXPECT_FALSE(blog->postAttachmentPointData()) << "every point falls back to the default selectors";
    EXPECT_EQ(editor.settingsChanges, 1);
}

TEST_F(VornickAttachmentPointSettingsUIControllerTests, CancelStoresNothingAndTheControllerIsReused)
{
    storeLocatorSet(*blog, { { u"title", u".old-title" } });
    auto stored = blog->postAttachmentPointData();
    show();
    toggle(*row(u"title"));
    row(u"body")->headingCheckBox()->performClick();
    controller.cancelEdits();
    EXPECT_EQ(blog->postAttachmentPointData(), stored);
    EXPECT_EQ(editor.settingsChanges, 0);
    EXPECT_EQ(editor.window->attachedSheet(), nullptr);
    EXPECT_EQ(controller.blogEditor(), nullptr);

    show();
    EXPECT_EQ(row(u"title")->headingCheckBox()->state(), OnState) << "each showing refills the rows from the blog";
    EXPECT_EQ(row(u"body")->headingCheckBox()->state(), OffState);
    EXPECT_FALSE(controller.showForWindow(editor.window, {}, {})) << "one sheet at a time";
    controller.sheetWindow()->contentView()->tryToPerform(VornickAttachmentPointSettingsUIController::CancelEditsAction, nullptr);
    EXPECT_FALSE(controller.isSheetShown());
}

TEST_F(VornickAttachmentPointSettingsUIControllerTests, TheSheetFollowsTheStacksHeightAndOpensItsHelp)
{
    show();
    auto sheet = controller.sheetWindow();
    auto stack = controller.stackView();
    double rowsHeight = 0;
    for (const auto& module : controller.modules())
        rowsHeight += module->view()->frame().height();
    double wanted = 2 * stack->padding() + rowsHeight + 5 * stack->spacing();
    EXPECT_EQ(stack->frame().height(), wanted) << "the sheet took the rows' height before showing";

    Rect before = sheet->frame();
    controller.wantsToResizeToFitContents(*stack, Size { stack->frame().width(), wanted + 0.5 });
    EXPECT_EQ(sheet->frame(), before) << "less than a point changes nothing";
    // A taller row: the stack asks for more, and the sheet grows by the difference.
    auto first = controller.modules().front()->view();
    first->setFrameSize(Size { first->frame().width(), first->frame().height() + 30 });
    stack->performStackLayout();
    EXPECT_EQ(sheet->frame(), Rect(before.origin, Size { before.width(), before.height() + 30 }));
    EXPECT_EQ(stack->frame().height(), wanted + 30);

    brevanton::testing::HelpPagesOpened opened;
    controller.showHelpTopic();
    EXPECT_EQ(opened.paths(), opened.onlyPageOf(u"attachment-point-settings"));
    controller.cancelEdits();
}

TEST_F(VornickAttachmentPointSettingsUIControllerTests, ATitleSelectorSetInTheSheetIsInTheBlogFileAndUsedOnReopening)
{
    show();
    auto title = row(u"title");
    toggle(*title);
    title->attributeNameTextField()->editTextAsUser(u"itemprop");
    title->requiredValuesTokenField()->editTextAsUser(u"headline");
    controller.acceptSettings();
    ASSERT_EQ(storedSelectors(*blog), (Selectors { { u"title", u"[itemprop:{headline}]" } }));

    Error error;
    ASSERT_TRUE(project->saveComponentsToSourceFilesIfNeeded(&error)) << error;
    ASSERT_TRUE(project->index()->commitEditingAndSave(&error)) << error;
    ASSERT_TRUE(project->save(&error)) << error;
    EXPECT_FALSE(blog->hasEditsNotYetSavedToSourceFile());
    auto archive = VornickObjectArchive::createWithContentsOfURL(*blog->sourceFileURL(), &error);
    ASSERT_TRUE(archive) << error;
    const Value* set = archive->objectForKey(u"postAttachmentPointSet");
    ASSERT_TRUE(set);
    EXPECT_EQ((*set)[u"attachmentPoints"][u"title"].stringValue(), u"[itemprop:{headline}]");

    // Reopened with its index rebuilt from the files alone.
    URL projectFile = project->projectFileURL();
    std::string indexPath = project->index()->filePath();
    controller.setBlogEditor(nullptr);
    blog.reset();
    project.reset();
    ASSERT_TRUE(PersistentStore::destroy(indexPath, &error)) << error;
    auto reopened = VornickProject::createWithContentsOfProjectFileURL<TestBlogProject>(projectFile, &error);
    ASSERT_TRUE(reopened) << error;
    auto blogs = vornick_allEntitiesOfKind(*reopened->index()->managedObjectContext(), u"Blog");
    ASSERT_TRUE(blogs && blogs->size() == 1);
    FakeBlogEditor reopenedEditor { std::dynamic_pointer_cast<VornickBlog>(blogs->front()) };
    VornickAttachmentPointSettingsUIController fresh;
    fresh.setBlogEditor(&reopenedEditor);
    auto locator = fresh.attachmentPointLocatorForIdentifier(u"title");
    ASSERT_TRUE(locator);
    EXPECT_EQ(locator->selector(), u"[itemprop:{headline}]");
}

} // namespace
} // namespace brevanton

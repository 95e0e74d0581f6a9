#include "ScriptedOpenPanel.h"
#include "UndoableEditChecks.h"

#include "app/VornickApplicationDelegate.h"
#include "app/VornickKnownResourceFolders.h"
#include "app/VornickWindow.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickEmbeddedWebView.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickWebFrameEditingState.h"
#include "editing/VornickElementEditorUIController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Application.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/Menu.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

namespace brevanton::testing {
namespace {

// A host that stages inserted files into a "media" folder beside the
// document, or fails to.
class StagingHost : public EditingRecorder {
public:
    std::vector<URL> staged;
    bool fails { false };
    std::string mediaFolder;

    std::optional<URL> vornickContentEditingViewFindReferencedFileInBlogMediaLibraryOrStageIntoBlogMediaLibrary(
        VornickContentEditingView&, const URL& url) override
    {
        staged.push_back(url);
        if (fails)
            return std::nullopt;
        return URL::fileURLWithPath(mediaFolder + "/" + toUTF8(url.lastPathComponent()));
    }
};

class MediaInsertionTest : public UndoableEditTest, protected ScriptedOpenPanel {
protected:
    void SetUp() override
    {
        UndoableEditTest::SetUp();
        installApplicationDelegate(path("defaults.plist"));
        ASSERT_TRUE(writeFileAtomically(path("sound.mp3"), "ID3"));
        ASSERT_TRUE(writeFileAtomically(path("clip.mp4"), "...."));
        host.mediaFolder = m_folder + "/media";
    }
    void TearDown() override
    {
        removeApplicationDelegate();
        UndoableEditTest::TearDown();
    }
    // Answers the open panel with a file of the test folder, or cancels it.
    void choose(const std::optional<std::string>& name)
    {
        answerOpenPanel(name ? std::optional<URL>(url(*name)) : std::nullopt);
    }

    StagingHost host;
};

TEST_F(MediaInsertionTest, TheOpenPanelAsksForTheKindInTheDocumentsMediaFolder)
{
    loadBody("<p>one</p>");
    auto window = VornickWindow::create(Rect(0, 0, 800, 600));
    window->contentView()->addSubview(view);
    VornickContentEditingViewTestPeer::chooseImageToInsertUsingCompletionBlock(*view, nullptr);
    VornickContentEditingViewTestPeer::chooseVideoToInsertUsingCompletionBlock(*view, nullptr);
    VornickContentEditingViewTestPeer::chooseAudioFileToInsertUsingCompletionBlock(*view, nullptr);
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].allowedFileTypes, std::vector<std::u16string> { u"public.image" });
    EXPECT_EQ(requests[0].messageToUser, u"Please choose an image file.");
    EXPECT_EQ(requests[1].allowedFileTypes, std::vector<std::u16string> { u"public.movie" });
    EXPECT_EQ(requests[1].messageToUser, u"Please choose a movie file.");
    EXPECT_EQ(requests[2].allowedFileTypes, std::vector<std::u16string> { u"public.audio" });
    EXPECT_EQ(requests[2].messageToUser, u"Please choose an audio file.");
    EXPECT_EQ(requests[0].documentWindow.lock(), window);
    ASSERT_TRUE(requests[0].initialDirectoryURL);
    EXPECT_EQ(requests[0].initialDirectoryURL->path(), URL::fileURLWithPath(m_folder, true).path());

    // The documents of the folder keep their images in "images/".
    auto folders = std::make_shared<VornickKnownResourceFolders>();
    folders->addRelativeURLString(u"image", u"images/");
    appDelegate->setKnownResourceFoldersForDocumentFilesInFolder(folders, URL::fileURLWithPath(m_folder, true));
    VornickContentEditingViewTestPeer::chooseImageToInsertUsingCompletionBlock(*view, nullptr);
    VornickContentEditingViewTestPeer::chooseAudioFileToInsertUsingCompletionBlock(*view, nullptr);
    ASSERT_EQ(requests.size(), 5u);
    EXPECT_EQ(requests[3].initialDirectoryURL->path(), URL::fileURLWithPath(m_folder + "/images", true).path());
    EXPECT_EQ(requests[4].initialDirectoryURL->path(), URL::fileURLWithPath(m_folder, true).path());
    view->removeFromSuperview();
}

TEST_F(MediaInsertionTest, TheChosenImageReplacesTheSelectionWhenItArrivesAsOneUndoStep)
{
    loadBody("<p>one two three</p>");
    auto text = textNode(u"one");
    select(rangeIn(text, 0, 3));
    VornickContentEditingViewTestPeer::chooseImageAndReplaceSelection(*view, nullptr);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(element(u"IMG"));

    // The selection moves while the panel is up: the image goes where it is
    // when the file arrives.
    select(rangeIn(text, 8, 13));
    checkUndoableStep(
        *view, [&] { choose("picture.png"); },
        [&] {
            ASSERT_TRUE(element(u"IMG"));
            EXPECT_EQ(element(u"IMG")->getAttribute(u"src"), u"picture.png");
            EXPECT_EQ(toUTF8(element(u"P")->textContent()), "one two ");
        },
        { u"Insert Image" });
}

TEST_F(MediaInsertionTest, MediaBetweenBlocksGetsAParagraphInTheSameStep)
{
    loadBody("<p>one</p><p>two</p>");
    for (const char* kind : { "image", "video", "audio" }) {
        SCOPED_TRACE(kind);
        select(rangeIn(body(), 1, 1));
        std::string tag = std::string(kind) == "image" ? "IMG" : std::string(kind) == "video" ? "VIDEO" : "AUDIO";
        checkUndoableStep(
            *view,
            [&] {
                if (tag == "IMG")
                    VornickContentEditingViewTestPeer::chooseImageAndReplaceSelection(*view, nullptr);
                else if (tag == "VIDEO")
                    VornickContentEditingViewTestPeer::chooseVideoAndReplaceSelectionUsingElementKind(*view, u"VIDEO");
                else
                    VornickContentEditingViewTestPeer::chooseAudioFileAndReplaceSelectionUsingElementKind(*view, u"AUDIO");
                choose(tag == "IMG" ? "picture.png" : tag == "VIDEO" ? "clip.mp4" : "sound.mp3");
            },
            [&] {
                auto media = element(toUTF16(tag));
                ASSERT_TRUE(media);
                ASSERT_EQ(toUTF8(media->parentNode()->nodeName()), "P");
                EXPECT_EQ(media->parentNode()->previousSibling(), element(u"P"));
                EXPECT_EQ(media->parentNode()->childCount(), 1u);
            },
            { tag == "IMG" ? u"Insert Image" : tag == "VIDEO" ? u"Insert Video" : u"Insert Audio Player" });
        // The attribute editor follows the element into its paragraph.
        auto controller = VornickContentEditingViewTestPeer::of(*view).elementEditorUIController;
        ASSERT_TRUE(controller->targetObject());
        EXPECT_EQ(controller->targetObject()->element(), element(toUTF16(tag)));
        EXPECT_TRUE(controller->targetObject()->element()->isConnected());
        view->undoManager()->undo();
        endEvent();
    }
    EXPECT_EQ(bodyHTML(), "<p>one</p><p>two</p>\n");
}

TEST_F(MediaInsertionTest, CancellingInsertsNothingExceptAFigureOrPictureWithoutImage)
{
    loadBody("<p>one</p>");
    select(rangeIn(body(), 1, 1));
    endEvent();
    std::string before = documentSnapshot(*document());
    VornickContentEditingViewTestPeer::chooseImageAndReplaceSelection(*view, nullptr);
    choose(std::nullopt);
    VornickContentEditingViewTestPeer::chooseVideoAndReplaceSelectionUsingElementKind(*view, u"VIDEO");
    choose(std::nullopt);
    VornickContentEditingViewTestPeer::chooseAudioFileAndReplaceSelectionUsingElementKind(*view, u"AUDIO");
    choose(std::nullopt);
    EXPECT_EQ(documentSnapshot(*document()), before);
    endEvent();
    EXPECT_FALSE(view->undoManager()->canUndo());

    VornickContentEditingViewTestPeer::chooseImageAndReplaceSelectionWithFigure(*view, nullptr);
    choose(std::nullopt);
    ASSERT_TRUE(element(u"FIGURE"));
    EXPECT_FALSE(element(u"IMG"));
    VornickContentEditingViewTestPeer::chooseImageAndReplaceSelectionWithPicture(*view, nullptr);
    choose(std::nullopt);
    ASSERT_TRUE(element(u"PICTURE"));
}

TEST_F(MediaInsertionTest, FilesAreStagedAudioIncludedAndAFailedStagingChangesNothing)
{
    loadBody("<p>one</p>");
    view->setDelegate(&host);
    select(rangeIn(body(), 1, 1));
    VornickContentEditingViewTestPeer::chooseAudioFileAndReplaceSelectionUsingElementKind(*view, u"AUDIO");
    choose("sound.mp3");
    ASSERT_EQ(host.staged.size(), 1u);
    EXPECT_EQ(host.staged[0].lastPathComponent(), u"sound.mp3");
    ASSERT_TRUE(element(u"AUDIO"));
    EXPECT_EQ(element(u"AUDIO")->getAttribute(u"src"), u"media/sound.mp3");

    select(rangeIn(body(), 0, 0));
    VornickContentEditingViewTestPeer::chooseVideoAndReplaceSelectionUsingElementKind(*view, u"video");
    choose("clip.mp4");
    ASSERT_TRUE(element(u"VIDEO"));
    EXPECT_EQ(element(u"VIDEO")->getAttribute(u"src"), u"media/clip.mp4");
    VornickContentEditingViewTestPeer::chooseImageAndReplaceSelectionWithPicture(*view, nullptr);
    choose("picture.png");
    EXPECT_EQ(downcast<DOMElement>(*element(u"PICTURE")->firstChild()).getAttribute(u"src"), u"media/picture.png");

    host.fails = true;
    endEvent();
    std::string before = documentSnapshot(*document());
    VornickContentEditingViewTestPeer::chooseImageAndReplaceSelection(*view, nullptr);
    choose("picture.png");
    VornickContentEditingViewTestPeer::chooseImageAndReplaceSelectionWithFigure(*view, nullptr);
    choose("picture.png");
    VornickContentEditingViewTestPeer::chooseAudioFileAndReplaceSelectionUsingElementKind(*view, u"AUDIO");
    choose("sound.mp3");
    EXPECT_EQ(documentSnapshot(*document()), before);
    EXPECT_EQ(host.staged.size(), 6u);

    // A file that went away before it arrived changes nothing either.
    host.fails = false;
    VornickContentEditingViewTestPeer::chooseImageAndReplaceSelection(*view, nullptr);
    choose("missing.png");
    EXPECT_EQ(documentSnapshot(*document()), before);
    view->setDelegate(&recorder);
}

TEST_F(MediaInsertionTest, NothingHappensWithoutADocumentOrOnceTheViewIsGone)
{
    // No page loaded: no panel.
    VornickContentEditingViewTestPeer::chooseImageAndReplaceSelection(*view, nullptr);
    EXPECT_TRUE(requests.empty());

    loadBody("<p>one</p>");
    select(rangeIn(body(), 1, 1));
    VornickContentEditingViewTestPeer::chooseImageAndReplaceSelection(*view, nullptr);
    view->setDelegate(nullptr);
    view.reset();
    choose("picture.png");
}

// Applying a media element of the document's specification goes through the
// open panel like the media commands; only a figure or picture around a
// selection wraps it, and an image inside a picture is selected and edited.
TEST_F(MediaInsertionTest, ApplyingAMediaElementChoosesItsFileFirst)
{
    loadBody("<p>one two</p>");
    view->setDelegate(&host);
    auto documentSpec = vornick_HTMLSpec(*view->mainFrame());
    ASSERT_TRUE(documentSpec);
    auto apply = [&](const std::u16string& tag, const std::shared_ptr<DOMRange>& range) {
        auto spec = documentSpec->elementSpecForTagName(tag);
        EXPECT_TRUE(spec) << toUTF8(tag);
        return spec && view->undoableApplyDescribedElement(true, *spec, range);
    };
    struct Case {
        std::u16string tag;
        std::string file;
        std::u16string inserted;
        std::u16string stepName;
    };
    for (const auto& media : { Case { u"img", "picture.png", u"IMG", u"Insert Image" },
                               Case { u"figure", "picture.png", u"FIGURE", u"Insert Figure" },
                               Case { u"picture", "picture.png", u"PICTURE", u"Insert Picture" },
                               Case { u"video", "clip.mp4", u"VIDEO", u"Insert Video" },
                               Case { u"audio", "sound.mp3", u"AUDIO", u"Insert Audio Player" } }) {
        SCOPED_TRACE(toUTF8(media.tag));
        size_t asked = requests.size();
        select(rangeIn(textNode(u"one"), 3, 3));
        checkUndoableStep(
            *view,
            [&] {
                EXPECT_TRUE(apply(media.tag, view->effectiveOperationRange()));
                // Nothing changes before the file arrives.
                EXPECT_FALSE(element(media.inserted));
                ASSERT_EQ(requests.size(), asked + 1);
                choose(media.file);
            },
            [&] {
                auto inserted = element(media.inserted);
                ASSERT_TRUE(inserted);
                auto referencing = media.inserted == u"IMG" || media.inserted == u"VIDEO" || media.inserted == u"AUDIO"
                                       ? inserted
                                       : downcast<DOMElement>(inserted->firstElementChild());
                ASSERT_TRUE(referencing);
                EXPECT_EQ(referencing->getAttribute(u"src"), u"media/" + toUTF16(media.file));
                ASSERT_TRUE(VornickContentEditingViewTestPeer::of(*view).elementEditorUIController->targetObject());
            },
            { media.stepName });
        view->undoManager()->undo();
        endEvent();
    }
    // Every file was staged, the audio file too.
    EXPECT_EQ(host.staged.size(), 5u);

    // A figure around a selection wraps it without asking for a file.
    size_t asked = requests.size();
    select(rangeIn(textNode(u"one"), 0, 3));
    ASSERT_TRUE(apply(u"figure", view->effectiveOperationRange()));
    EXPECT_EQ(requests.size(), asked);
    ASSERT_TRUE(element(u"FIGURE"));
    EXPECT_EQ(toUTF8(element(u"FIGURE")->textContent()).substr(0, 3), "one");
    view->undoManager()->undo();
    endEvent();

    // An image inside a picture is selected and opened in the editor.
    select(rangeIn(textNode(u"one"), 0, 0));
    VornickContentEditingViewTestPeer::chooseImageAndReplaceSelectionWithPicture(*view, nullptr);
    choose("picture.png");
    endEvent();
    auto picture = element(u"PICTURE");
    ASSERT_TRUE(picture);
    select(rangeIn(picture, 0, 0));
    asked = requests.size();
    ASSERT_TRUE(apply(u"img", view->effectiveOperationRange()));
    EXPECT_EQ(requests.size(), asked);
    EXPECT_EQ(VornickContentEditingViewTestPeer::of(*view).elementEditorUIController->targetObject()->element(), element(u"IMG"));
    EXPECT_EQ(vornick_exactlySelectedNode(*view->effectiveOperationRange()), element(u"IMG"));
    view->setDelegate(&recorder);
}

TEST_F(MediaInsertionTest, TheMenuCommandRunsThroughTheResponderChain)
{
    loadBody("<p>one</p><p>two</p>");
    auto window = VornickWindow::create(Rect(0, 0, 800, 600));
    window->contentView()->addSubview(view);
    window->makeKeyAndOrderFront();
    window->makeFirstResponder(view->embeddedWebView());
    auto menu = Menu::create(u"Main");
    auto item = MenuItem::create(u"Image...", "chooseImageAndReplaceSelection:", u"i");
    item->setKeyEquivalentModifierMask(ModifierFlag::Command | ModifierFlag::Option);
    menu->addItem(item);
    Application::shared().setMainMenu(menu);

    select(rangeIn(body(), 1, 1));
    EventSynthesizer events;
    events.pressKey(window, u'i', ModifierFlag::Command | ModifierFlag::Option);
    ASSERT_EQ(requests.size(), 1u);
    choose("picture.png");
    ASSERT_TRUE(element(u"IMG"));
    EXPECT_EQ(element(u"IMG")->parentNode()->previousSibling(), element(u"P"));

    Application::shared().setMainMenu(nullptr);
    view->removeFromSuperview();
}

} // namespace
} // namespace brevanton::testing

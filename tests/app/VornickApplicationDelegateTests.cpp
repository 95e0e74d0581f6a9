#include "app/VornickApplicationDefaults.h"
#include "app/VornickApplicationDelegate.h"
#include "app/VornickBundledStyleSheet.h"
#include "app/VornickKnownResourceFolders.h"

#include "html/VornickBlockModeHelper.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Application.h"
#include "platform/views/Event.h"
#include "platform/views/Menu.h"
#include "toolkit/VornickActiveEnduringFileReference.h"
#include "toolkit/VornickEnduringFileReference.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace brevanton;

namespace {

class VornickApplicationDelegateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("vornick-app-delegate").value();
        m_defaults = std::make_unique<UserDefaults>(m_folder + "/defaults.plist");
        m_delegate = VornickApplicationDelegate::create(*m_defaults, Bundle::main());
        ASSERT_TRUE(writeFileAtomically(m_folder + "/page.html", "<p>x"));
    }
    void TearDown() override
    {
        VornickFileTreeWatcher::setMaker(nullptr);
        VornickKnownFileURLsUpdater::setShared(nullptr);
        Application::shared().resetForTesting();
        m_delegate.reset();
        EXPECT_TRUE(removeItem(m_folder));
    }

    URL fileURL(const std::string& name) const { return URL::fileURLWithPath(m_folder + "/" + name, false); }

    std::string m_folder;
    std::unique_ptr<UserDefaults> m_defaults;
    std::shared_ptr<VornickApplicationDelegate> m_delegate;
};

TEST_F(VornickApplicationDelegateTest, StartUpRegistersTheDefaultsAndLoadsTheBuiltInSheets)
{
    EXPECT_TRUE(m_defaults->objectForKey(u"DefaultStyleSheet").isNull());
    EXPECT_EQ(m_delegate->activeDefaultHTMLFormattingPreferences(), nullptr) << "nothing registered yet";
    m_delegate->applicationDidFinishLaunching();

    EXPECT_EQ(m_defaults->objectForKey(u"DefaultStyleSheet").stringValue(), u"Clarity");
    EXPECT_EQ(m_defaults->integerForKey(u"DefaultHTMLDocumentType"), 8);
    EXPECT_EQ(m_defaults->integerForKey(u"WordPressSyncInterval"), 5);
    EXPECT_TRUE(m_defaults->boolForKey(u"CreateNewDocumentOnLaunchOrActivate"));
    EXPECT_FALSE(m_defaults->boolForKey(u"AllowJavaScriptExecution"));
    EXPECT_FALSE(m_defaults->objectForKey(VornickEmbedSourceLoupeDefaultsKey).isNull());
    EXPECT_FALSE(m_defaults->objectForKey(VornickUseExplicitEmphasisDefaultsKey).isNull());
    EXPECT_EQ(VornickApplicationRegisteredDefaults().size(), 18u);

    auto preferences = m_delegate->activeDefaultHTMLFormattingPreferences();
    ASSERT_NE(preferences, nullptr);
    EXPECT_EQ(preferences->spacesPerIndent(), 4u);

    const auto& sheets = m_delegate->bundledStyleSheets();
    ASSERT_GE(sheets.size(), 2u);
    for (size_t index = 1; index < sheets.size(); ++index)
        EXPECT_LT(compareIgnoringCase(sheets[index - 1]->title(), sheets[index]->title()), 0);
    EXPECT_NE(m_delegate->bundledStyleSheetWithTitle(u"Clarity"), nullptr);
    EXPECT_EQ(m_delegate->bundledStyleSheetWithTitle(u"clarity"), nullptr);

    EXPECT_NE(VornickFileTreeWatcher::createToWatchFileTreeAtURL(URL::fileURLWithPath(m_folder, true), 0), nullptr)
        << "the file tree watcher maker is installed";
}

TEST_F(VornickApplicationDelegateTest, ReadPermissionsAreGrantedForReadableFilesAndRecordedPerClient)
{
    int viewA = 0, viewB = 0;
    EXPECT_TRUE(m_delegate->acquireReadPermissionsForURL(fileURL("page.html"), &viewA));
    EXPECT_TRUE(m_delegate->clientHasReadPermissionsForURL(&viewA, fileURL("page.html")));
    EXPECT_FALSE(m_delegate->clientHasReadPermissionsForURL(&viewB, fileURL("page.html")));

    EXPECT_FALSE(m_delegate->acquireReadPermissionsForURL(fileURL("missing.html"), &viewA));
    EXPECT_FALSE(m_delegate->acquireReadPermissionsForURL(*URL::create(u"http://example.com/a.css"), &viewA));
    if (::geteuid() != 0) {
        ASSERT_TRUE(writeFileAtomically(m_folder + "/secret.html", "x"));
        ::chmod((m_folder + "/secret.html").c_str(), 0);
        EXPECT_FALSE(m_delegate->acquireReadPermissionsForURL(fileURL("secret.html"), &viewA)) << "unreadable";
    }

    // A policy that denies one file.
    ASSERT_TRUE(writeFileAtomically(m_folder + "/denied.css", "x"));
    m_delegate->setFileAccessPolicy([](const URL& url) { return !url.absoluteString().ends_with(u"denied.css"); });
    EXPECT_FALSE(m_delegate->acquireReadPermissionsForURL(fileURL("denied.css"), &viewB));
    // The view is not looked at: any view asks for the same.
    auto& view = *reinterpret_cast<VornickContentEditingView*>(&viewA);
    EXPECT_EQ(m_delegate->requestFileReferenceForAccessToResourceURL(view, fileURL("denied.css"), fileURL("page.html")),
              nullptr);
    auto granted = m_delegate->requestFileReferenceForAccessToResourceURL(view, fileURL("page.html"), fileURL("page.html"));
    ASSERT_NE(granted, nullptr);
    EXPECT_TRUE(granted->resolveAndUse([&](const URL& url) { EXPECT_EQ(url.fileSystemPath(), m_folder + "/page.html"); }));

    EXPECT_TRUE(m_delegate->acquireReadPermissionsForURL(fileURL("page.html"), &viewB));
    m_delegate->releaseAllReadPermissionsForClient(&viewA);
    EXPECT_EQ(m_delegate->numberOfReadPermissionsOfClient(&viewA), 0u);
    EXPECT_FALSE(m_delegate->clientHasReadPermissionsForURL(&viewA, fileURL("page.html")));
    EXPECT_TRUE(m_delegate->clientHasReadPermissionsForURL(&viewB, fileURL("page.html"))) << "other clients keep theirs";
}

TEST_F(VornickApplicationDelegateTest, TheFileChooserIsAskedAndItsAnswerBecomesAReference)
{
    std::shared_ptr<VornickEnduringFileReference> received;
    bool called = false;
    auto completion = [&](std::shared_ptr<VornickEnduringFileReference> reference) {
        called = true;
        received = std::move(reference);
    };
    m_delegate->chooseFileOfAllowedTypes({ u"css" }, std::nullopt, nullptr, std::nullopt, completion);
    EXPECT_TRUE(called) << "without a chooser the choice is cancelled";
    EXPECT_EQ(received, nullptr);

    VornickApplicationDelegate::FileChooserRequest asked;
    m_delegate->setFileChooser([&](const VornickApplicationDelegate::FileChooserRequest& request,
                                   VornickApplicationDelegate::FileChooserCompletion done) {
        asked = request;
        RunLoop::main().perform([done, url = fileURL("page.html")] { done(url); });
    });
    called = false;
    m_delegate->chooseFileOfAllowedTypes({ u"html", u"htm" }, URL::fileURLWithPath(m_folder, true), nullptr,
                                         std::nullopt, completion);
    EXPECT_EQ(asked.messageToUser, u"Please select a file.");
    EXPECT_EQ(asked.allowedFileTypes, (std::vector<std::u16string> { u"html", u"htm" }));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return called; }, 30));
    ASSERT_NE(received, nullptr);
    bool used = false;
    EXPECT_TRUE(received->resolveAndUse([&](const URL& url) {
        used = true;
        EXPECT_EQ(url.fileSystemPath(), m_folder + "/page.html");
    }));
    EXPECT_TRUE(used);

    m_delegate->setFileChooser([&](const auto& request, auto done) {
        asked = request;
        done(std::nullopt);
    });
    m_delegate->chooseFileOfAllowedTypes({}, std::nullopt, nullptr, u"Choose a style sheet.", completion);
    EXPECT_EQ(asked.messageToUser, u"Choose a style sheet.");
    EXPECT_EQ(received, nullptr) << "cancelled";
}

// A helper of an editor that uses explicit emphasis whatever the defaults say.
class ExplicitEmphasisHelper final : public VornickBlockModeHelper {
public:
    bool useExplicitEmphasis() const override { return true; }
};

TEST_F(VornickApplicationDelegateTest, EmphasisKeyEquivalentsMoveWithTheExplicitEmphasisSetting)
{
    auto items = std::vector<std::shared_ptr<MenuItem>> {
        MenuItem::create(u"Emphasized", "toggleEmphasized:", u"i"),
        MenuItem::create(u"Strongly Emphasized", "toggleStronglyEmphasized:", u"b"),
        MenuItem::create(u"Italics", "toggleItalics:"),
        MenuItem::create(u"Boldface", "toggleBoldface:"),
        MenuItem::create(u"Underline", "underline:", u"u"),
    };
    auto keys = [&] {
        std::vector<std::u16string> result;
        for (auto& item : items)
            result.push_back(item->keyEquivalent());
        return result;
    };
    auto validate = [&](const VornickBlockModeHelper* helper) {
        for (auto& item : items)
            EXPECT_TRUE(m_delegate->validateEmphasisMenuItem(*item, helper));
    };

    ExplicitEmphasisHelper helper;
    validate(&helper);
    EXPECT_EQ(keys(), (std::vector<std::u16string> { u"", u"", u"i", u"b", u"u" }));
    EXPECT_EQ(items[2]->keyEquivalentModifierMask(), ModifierFlag::Command);

    // Without a view the user default decides: not set, no explicit emphasis.
    validate(nullptr);
    EXPECT_EQ(keys(), (std::vector<std::u16string> { u"i", u"b", u"", u"", u"u" }));
    EXPECT_EQ(items[0]->keyEquivalentModifierMask(), ModifierFlag::Command);
    m_defaults->setBool(true, VornickUseExplicitEmphasisDefaultsKey);
    validate(nullptr);
    EXPECT_EQ(keys(), (std::vector<std::u16string> { u"", u"", u"i", u"b", u"u" }));
}

TEST_F(VornickApplicationDelegateTest, WorkingOfflineIsKeptAndAnnouncedOnlyWhenItChanges)
{
    int announced = 0;
    auto token = NotificationCenter::defaultCenter().addObserver(VornickWorkingOfflineDidChangeNotification, m_delegate.get(), nullptr,
                                                                 [&](const Notification&) { ++announced; });
    EXPECT_FALSE(m_delegate->workingOffline());
    m_delegate->setWorkingOffline(false);
    EXPECT_EQ(announced, 0);
    m_delegate->setWorkingOffline(true);
    m_delegate->setWorkingOffline(true);
    EXPECT_EQ(announced, 1);
    EXPECT_TRUE(m_defaults->boolForKey(u"WorkingOffline"));
}

TEST_F(VornickApplicationDelegateTest, AnswersOfServicesThatDoNotExistYet)
{
    EXPECT_TRUE(m_delegate->recentTitledPasteboardURLs().empty());
    EXPECT_EQ(m_delegate->knownResourceFoldersForDocumentFilesInFolder(URL::fileURLWithPath(m_folder, true)), nullptr);
    EXPECT_EQ(VornickApplicationDelegate::shared(), nullptr);
    Application::shared().setDelegate(m_delegate);
    EXPECT_EQ(VornickApplicationDelegate::shared(), m_delegate);

    VornickKnownResourceFolders folders;
    EXPECT_TRUE(folders.relativeURLStringsForResourceFileKind(u"image").empty());
    folders.addRelativeURLString(u"image", u"images");
    folders.addRelativeURLString(u"image", u"images");
    EXPECT_EQ(folders.relativeURLStringsForResourceFileKind(u"image"), (std::vector<std::u16string> { u"images" }));
    EXPECT_THROW(folders.relativeURLStringsForResourceFileKind(u"font"), InternalInconsistencyException);
}

TEST_F(VornickApplicationDelegateTest, KnownFilesFollowAWatchedFolder)
{
    m_delegate->applicationDidFinishLaunching();
    ASSERT_TRUE(createDirectory(m_folder + "/site/images"));
    ASSERT_TRUE(writeFileAtomically(m_folder + "/site/index.html", "x"));
    auto active = VornickActiveEnduringFileReference::activeEnduringFileReference(
        VornickEnduringFileReference::enduringReferenceToFileURL(URL::fileURLWithPath(m_folder + "/site", true)));
    ASSERT_TRUE(active->startWatchingAndScanningTheFileTree());

    auto known = [&](const std::string& path) { return m_delegate->knownFilePaths().contains(toUTF16(m_folder + "/site/" + path)); };
    auto settle = [&](const std::function<bool()>& condition) {
        return RunLoop::main().runUntil([&] {
            m_delegate->knownFileURLsUpdateQueue().waitUntilAllOperationsAreFinished();
            return condition();
        }, 30);
    };
    EXPECT_TRUE(settle([&] { return known("index.html") && known("images"); })) << "the scan";
    EXPECT_EQ(m_delegate->knownFileURLsUpdateQueue().name(), "knownFileURLsUpdateQueue");

    ASSERT_TRUE(writeFileAtomically(m_folder + "/site/images/logo.png", "x"));
    EXPECT_TRUE(settle([&] { return known("images/logo.png"); }));
    ASSERT_TRUE(removeItem(m_folder + "/site/images"));
    EXPECT_TRUE(settle([&] { return !known("images") && !known("images/logo.png"); })) << "a removed folder takes its files";
    EXPECT_TRUE(known("index.html"));
}

} // namespace

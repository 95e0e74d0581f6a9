#include "app/VornickApplicationDelegate.h"

#include "toolkit/VornickURLExtensions.h"

#include "app/VornickApplicationDefaults.h"
#include "app/VornickBundledStyleSheet.h"
#include "app/VornickInotifyFileTreeWatcher.h"
#include "app/VornickKnownResourceFolders.h"
#include "app/VornickPasteboardInspector.h"
#include "app/VornickPasteboardMonitor.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Application.h"
#include "platform/views/Event.h"
#include "platform/views/Menu.h"
#include "toolkit/VornickEnduringFileReference.h"
#include "toolkit/VornickFileTreeEvent.h"
#include "toolkit/VornickURLExtensions.h"
#include "toolkit/VornickWorkspaceExtensions.h"

#include <unistd.h>

namespace brevanton {

namespace {

// Hands event batches to a delegate for as long as it lives.
class KnownFileURLsUpdater final : public VornickKnownFileURLsUpdater {
public:
    explicit KnownFileURLsUpdater(std::weak_ptr<VornickApplicationDelegate> delegate)
        : m_delegate(std::move(delegate)) {}

    void updateKnownFileURLsFromFileTreeEvents(const VornickFileTreeEvents& events) override
    {
        if (auto delegate = m_delegate.lock())
            delegate->updateKnownFileURLsFromFileTreeEvents(events);
    }

private:
    std::weak_ptr<VornickApplicationDelegate> m_delegate;
};

std::optional<std::string> readableFilePath(const URL& url)
{
    if (!url.isFileURL())
        return std::nullopt;
    auto path = url.fileSystemPath();
    if (!path || ::access(path->c_str(), R_OK) != 0)
        return std::nullopt;
    return path;
}

// The key of a file URL: its path.
std::u16string fileKey(const URL& url)
{
    auto path = url.fileSystemPath();
    return path ? toUTF16(*path) : url.absoluteString();
}

bool isSameOrBelow(std::u16string_view key, std::u16string_view folderKey)
{
    if (key.size() < folderKey.size() || key.compare(0, folderKey.size(), folderKey) != 0)
        return false;
    return key.size() == folderKey.size() || key[folderKey.size()] == u'/' || folderKey.ends_with(u'/');
}

} // namespace

std::shared_ptr<VornickApplicationDelegate> VornickApplicationDelegate::create(UserDefaults& defaults,
                                                                               const Bundle& bundle)
{
    static std::once_flag lookupInstalled;
    std::call_once(lookupInstalled, [] {
        VornickApplicationEnvironment::installLookup([]() -> std::shared_ptr<VornickApplicationEnvironment> { return shared(); });
    });
    auto delegate = std::shared_ptr<VornickApplicationDelegate>(new VornickApplicationDelegate(defaults, bundle));
    std::weak_ptr<VornickApplicationDelegate> weak = delegate;
    delegate->m_settingsObservation = NotificationCenter::defaultCenter().addObserver(
        UserDefaults::DidChangeNotification, &defaults, nullptr, [weak](const Notification& notification) {
            if (auto self = weak.lock())
                self->applySettingsChangedElsewhere(notification);
        });
    return delegate;
}

std::shared_ptr<VornickApplicationDelegate> VornickApplicationDelegate::create()
{
    return create(UserDefaults::standard(), Bundle::main());
}

VornickApplicationDelegate::VornickApplicationDelegate(UserDefaults& defaults, const Bundle& bundle)
    : m_userDefaults(defaults)
    , m_bundle(bundle)
{
    setActionHandler("showOrHidePasteboardInspector:", [this](ActionSender* sender) { showOrHidePasteboardInspector(sender); });
}

VornickApplicationDelegate::~VornickApplicationDelegate()
{
    // Updates already queued end before the state they write goes away.
    std::unique_ptr<OperationQueue> queue;
    {
        std::lock_guard lock(m_knownFileURLsMutex);
        queue = std::move(m_knownFileURLsUpdateQueue);
    }
    if (queue)
        queue->waitUntilAllOperationsAreFinished();
}

std::shared_ptr<VornickApplicationDelegate> VornickApplicationDelegate::shared()
{
    return std::dynamic_pointer_cast<VornickApplicationDelegate>(Application::shared().delegate());
}

bool VornickApplicationDelegate::openReferencedURL(const URL& url, const std::shared_ptr<Window>&)
{
    return vornick_openURLWithDesktop(url);
}

bool VornickApplicationDelegate::workingOffline() const
{
    return m_userDefaults.boolForKey(VornickWorkingOfflineDefaultsKey);
}

void VornickApplicationDelegate::setWorkingOffline(bool workingOffline)
{
    if (workingOffline == this->workingOffline())
        return;
    m_userDefaults.setBool(workingOffline, VornickWorkingOfflineDefaultsKey);
    NotificationCenter::defaultCenter().post(VornickWorkingOfflineDidChangeNotification, this);
}

void VornickApplicationDelegate::applicationDidFinishLaunching()
{
    if (!m_pasteboardMonitor)
        m_pasteboardMonitor = VornickPasteboardMonitor::create();
    VornickRegisterApplicationDefaults(m_userDefaults);
    m_bundledStyleSheets = VornickBundledStyleSheet::loadBundledStyleSheets(m_bundle);
    VornickInstallFileTreeWatcherMaker();
    VornickKnownFileURLsUpdater::setShared(
        std::make_shared<KnownFileURLsUpdater>(std::static_pointer_cast<VornickApplicationDelegate>(shared_from_this())));
    showAppIcon();
}

std::vector<VornickTitledURL> VornickApplicationDelegate::recentTitledPasteboardURLs() const
{
    if (!m_pasteboardMonitor)
        return {};
    return m_pasteboardMonitor->recentTitledPasteboardURLs();
}

void VornickApplicationDelegate::showOrHidePasteboardInspector(ActionSender*)
{
    VornickPasteboardInspector::sharedPasteboardInspector()->showOrHideWindow();
}

// Read permissions

void VornickApplicationDelegate::setFileAccessPolicy(FileAccessPolicy policy)
{
    m_fileAccessPolicy = std::move(policy);
}

bool VornickApplicationDelegate::acquireReadPermissionsForURL(const URL& url, const void* client)
{
    if (!readableFilePath(url))
        return false;
    if (m_fileAccessPolicy && !m_fileAccessPolicy(url))
        return false;
    m_readPermissions[client].insert(fileKey(url));
    return true;
}

void VornickApplicationDelegate::releaseAllReadPermissionsForClient(const void* client)
{
    m_readPermissions.erase(client);
}

bool VornickApplicationDelegate::clientHasReadPermissionsForURL(const void* client, const URL& url) const
{
    auto found = m_readPermissions.find(client);
    return found != m_readPermissions.end() && found->second.contains(fileKey(url));
}

size_t VornickApplicationDelegate::numberOfReadPermissionsOfClient(const void* client) const
{
    auto found = m_readPermissions.find(client);
    return found == m_readPermissions.end() ? 0 : found->second.size();
}

std::shared_ptr<VornickEnduringFileReference> VornickApplicationDelegate::requestFileReferenceForAccessToResourceURL(
    VornickContentEditingView&, const URL& resourceURL, const URL& /*referencingDocumentURL*/)
{
    if (!readableFilePath(resourceURL))
        return nullptr;
    if (m_fileAccessPolicy && !m_fileAccessPolicy(resourceURL))
        return nullptr;
    return VornickEnduringFileReference::enduringReferenceToFileURL(resourceURL);
}

// Choosing files

void VornickApplicationDelegate::setFileChooser(FileChooser chooser)
{
    m_fileChooser = std::move(chooser);
}

void VornickApplicationDelegate::chooseFileOfAllowedTypes(
    std::vector<std::u16string> allowedFileTypes, std::optional<URL> initialDirectoryURL,
    const std::shared_ptr<Window>& documentWindow, std::optional<std::u16string> messageToUser,
    std::function<void(std::shared_ptr<VornickEnduringFileReference>)> completionBlock)
{
    FileChooserRequest request;
    request.allowedFileTypes = std::move(allowedFileTypes);
    request.initialDirectoryURL = std::move(initialDirectoryURL);
    request.documentWindow = documentWindow;
    request.messageToUser = messageToUser ? std::move(*messageToUser) : u"Please select a file.";
    auto complete = [completionBlock = std::move(completionBlock)](std::optional<URL> chosen) {
        if (!completionBlock)
            return;
        completionBlock(chosen ? VornickEnduringFileReference::enduringReferenceToFileURL(*chosen) : nullptr);
    };
    if (!m_fileChooser) {
        complete(std::nullopt);
        return;
    }
    m_fileChooser(request, std::move(complete));
}

// Menus

bool VornickApplicationDelegate::validateEmphasisMenuItem(MenuItem& item, const VornickBlockModeHelper* blockModeHelper)
{
    bool explicitEmphasis = blockModeHelper ? blockModeHelper->useExplicitEmphasis()
                                            : m_userDefaults.boolForKey(VornickUseExplicitEmphasisDefaultsKey);
    const auto& action = item.action();
    std::u16string key;
    if (action == "toggleEmphasized:")
        key = explicitEmphasis ? u"" : u"i";
    else if (action == "toggleStronglyEmphasized:")
        key = explicitEmphasis ? u"" : u"b";
    else if (action == "toggleItalics:")
        key = explicitEmphasis ? u"i" : u"";
    else if (action == "toggleBoldface:")
        key = explicitEmphasis ? u"b" : u"";
    else
        return true;
    item.setKeyEquivalentModifierMask(key.empty() ? 0 : ModifierFlag::Command);
    item.setKeyEquivalent(std::move(key));
    return true;
}

std::shared_ptr<VornickKnownResourceFolders> VornickApplicationDelegate::knownResourceFoldersForDocumentFilesInFolder(
    const URL& folder) const
{
    auto found = m_knownResourceFolders.find(vornick_normalizedUniqueKeyString(folder));
    return found == m_knownResourceFolders.end() ? nullptr : found->second;
}

void VornickApplicationDelegate::setKnownResourceFoldersForDocumentFilesInFolder(std::shared_ptr<VornickKnownResourceFolders> folders,
                                                                                 const URL& folder)
{
    auto key = vornick_normalizedUniqueKeyString(folder);
    if (folders)
        m_knownResourceFolders[key] = std::move(folders);
    else
        m_knownResourceFolders.erase(key);
}

std::shared_ptr<VornickHTMLFormattingPreferences> VornickApplicationDelegate::activeDefaultHTMLFormattingPreferences()
    const
{
    if (&m_userDefaults == &UserDefaults::standard())
        return VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferences();
    return VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferencesInDefaults(m_userDefaults);
}

// Style sheets

std::shared_ptr<VornickBundledStyleSheet> VornickApplicationDelegate::bundledStyleSheetWithTitle(
    std::u16string_view title) const
{
    for (const auto& sheet : m_bundledStyleSheets) {
        if (sheet->title() == title)
            return sheet;
    }
    return nullptr;
}

// Known file URLs

OperationQueue& VornickApplicationDelegate::knownFileURLsUpdateQueue()
{
    std::lock_guard lock(m_knownFileURLsMutex);
    if (!m_knownFileURLsUpdateQueue)
        m_knownFileURLsUpdateQueue = std::make_unique<OperationQueue>("knownFileURLsUpdateQueue");
    return *m_knownFileURLsUpdateQueue;
}

void VornickApplicationDelegate::updateKnownFileURLsFromFileTreeEvents(const VornickFileTreeEvents& events)
{
    // The destructor waits for queued updates, so `this` outlives them.
    knownFileURLsUpdateQueue().addOperation([this, events] { applyFileTreeEvents(events); });
}

void VornickApplicationDelegate::applyFileTreeEvents(const VornickFileTreeEvents& events)
{
    std::lock_guard lock(m_knownFileURLsMutex);
    for (const auto& event : events) {
        if (!event)
            continue;
        auto key = fileKey(event->fileURL());
        switch (event->kind()) {
        case VornickFileTreeEventKind::FileAdded:
            m_knownFilePaths.insert(key);
            break;
        case VornickFileTreeEventKind::FileRemoved:
            std::erase_if(m_knownFilePaths, [&](const std::u16string& known) { return isSameOrBelow(known, key); });
            break;
        case VornickFileTreeEventKind::FileChanged:
        case VornickFileTreeEventKind::TreeMustBeRescanned:
            break;
        }
    }
}

std::set<std::u16string> VornickApplicationDelegate::knownFilePaths() const
{
    std::lock_guard lock(m_knownFileURLsMutex);
    return m_knownFilePaths;
}

} // namespace brevanton

namespace brevanton {

void VornickApplicationDelegate::setCurrentAuthorizationFlow(std::shared_ptr<VornickAuthorizationFlowSession> flow)
{
    m_currentAuthorizationFlow = std::move(flow);
    if (!m_currentAuthorizationFlow) {
        m_authorizationRedirectListener.reset();
        return;
    }
    if (m_authorizationRedirectListener)
        return;
    Error error;
    m_authorizationRedirectListener = URLHandoffListener::start(
        [this](const std::string& address) {
            auto url = URL::create(address);
            return url && resumeAuthorizationFlowWithURL(*url);
        },
        &error);
    if (!m_authorizationRedirectListener)
        consoleLog(u"The browser's answer to this sign-in can reach the program only while it runs in this process: " + error.localizedDescription());
}

bool VornickApplicationDelegate::resumeAuthorizationFlowWithURL(const URL& url)
{
    auto flow = m_currentAuthorizationFlow;
    if (!flow || !flow->resumeExternalUserAgentFlowWithURL(url))
        return false;
    if (m_currentAuthorizationFlow == flow)
        setCurrentAuthorizationFlow(nullptr);
    return true;
}

} // namespace brevanton

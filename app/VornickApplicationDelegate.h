// VornickApplicationDelegate: the application's delegate. It does the
// start-up duties (registered defaults, the built-in style sheets, the
// services the lower layers wait for) and serves documents and editors: file
// read permissions, the media file info cache, file choosing, the default
// formatting preferences and the known file URLs.
//
// There is no sandbox here: a read permission is granted when the file is
// readable and the file-access policy allows it, and is recorded per client
// until the client releases its permissions. Main thread, except where noted.
#pragma once

#include "app/VornickContentEditingViewFileEntitlementDelegate.h"
#include "app/VornickMediaFileInfoCache.h"
#include "app/VornickTitledURL.h"
#include "html/VornickHTMLDocumentType.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/URLHandoff.h"
#include "platform/views/Responder.h"
#include "toolkit/VornickApplicationEnvironment.h"
#include "toolkit/VornickAuthorizationFlowSession.h"
#include "toolkit/VornickFileTreeWatcher.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class Bundle;
class MenuItem;
class OperationQueue;
class UserDefaults;
class VornickBlockModeHelper;
class VornickBundledStyleSheet;
class VornickHTMLFormattingPreferences;
class VornickKnownResourceFolders;
class VornickPasteboardMonitor;
class VornickPreferencesController;
class VornickStyleSheet;
class Window;

// Posted (no object) when a setting of validation changed: every open
// document validates its source again.
inline constexpr const char* VornickValidationPreferencesDidChangeNotification = "VornickValidationPreferencesDidChangeNotification";

class VornickApplicationDelegate : public Responder,
                                   public VornickContentEditingViewFileEntitlementDelegate,
                                   public VornickApplicationEnvironment {
public:
    // Whether the program may read the file at a URL; the default allows every file.
    using FileAccessPolicy = std::function<bool(const URL&)>;

    struct FileChooserRequest {
        std::vector<std::u16string> allowedFileTypes;
        std::optional<URL> initialDirectoryURL;
        std::weak_ptr<Window> documentWindow;
        std::u16string messageToUser;
    };
    // Gets the chosen file's URL, or nullopt when the user cancelled.
    using FileChooserCompletion = std::function<void(std::optional<URL>)>;
    // Lets the user choose one file (no folders) and calls the completion,
    // at once or later on the main run loop.
    using FileChooser = std::function<void(const FileChooserRequest&, FileChooserCompletion)>;

    // A delegate reading and registering the defaults in `defaults` and
    // finding resources in `bundle`; both must outlive it.
    static std::shared_ptr<VornickApplicationDelegate> create(UserDefaults&, const Bundle&);
    // create(UserDefaults::standard(), Bundle::main()).
    static std::shared_ptr<VornickApplicationDelegate> create();
    ~VornickApplicationDelegate() override;

    // The delegate of Application::shared() when it is one of these; null
    // otherwise. The first delegate made installs it as the lookup of
    // VornickApplicationEnvironment::current().
    static std::shared_ptr<VornickApplicationDelegate> shared();

    // Start-up, in this order: registers the defaults, loads the built-in
    // style sheets sorted by title, installs the style sheet reference
    // services, the file tree watcher maker and the known file URL updater,
    // and shows the application icon the user chose.
    void applicationDidFinishLaunching();

    UserDefaults& userDefaults() const override { return m_userDefaults; }

    // The user default "WorkingOffline": no blog syncs while it is on.
    bool workingOffline() const override;

    // Opens a URL a document refers to (a link the user opened) with the
    // desktop: http(s) in the web browser, mailto in the mail program. Any
    // other URL is refused (false). `documentWindow` is the document's window.
    bool openReferencedURL(const URL&, const std::shared_ptr<Window>& documentWindow);
    // Stores the setting and, when it changed, posts
    // VornickWorkingOfflineDidChangeNotification.
    void setWorkingOffline(bool);

    // Read permissions.
    void setFileAccessPolicy(FileAccessPolicy);
    // Grants `client` read access to a readable local file the policy allows.
    bool acquireReadPermissionsForURL(const URL&, const void* client);
    // Forgets every permission `client` acquired.
    void releaseAllReadPermissionsForClient(const void* client);
    bool clientHasReadPermissionsForURL(const void* client, const URL&) const;
    size_t numberOfReadPermissionsOfClient(const void* client) const;

    VornickMediaFileInfoCache& mediaFileInfoCache() { return m_mediaFileInfoCache; }

    // A reference to the resource when the program may read it; null otherwise.
    std::shared_ptr<VornickEnduringFileReference> requestFileReferenceForAccessToResourceURL(
        VornickContentEditingView&, const URL& resourceURL, const URL& referencingDocumentURL) override;

    // The recently copied URLs, oldest first: empty while there is no pasteboard monitor.
    std::vector<VornickTitledURL> recentTitledPasteboardURLs() const;

    // Until a chooser is set, every choice is cancelled.
    void setFileChooser(FileChooser);
    // Asks the chooser for one file of the allowed types (message "Please
    // select a file." when none is given) and gives the completion block an
    // enduring reference to it, or null when the choice was cancelled.
    void chooseFileOfAllowedTypes(std::vector<std::u16string> allowedFileTypes,
                                  std::optional<URL> initialDirectoryURL,
                                  const std::shared_ptr<Window>& documentWindow,
                                  std::optional<std::u16string> messageToUser,
                                  std::function<void(std::shared_ptr<VornickEnduringFileReference>)> completionBlock);

    // Gives the Command-I and Command-B key equivalents to the emphasis
    // items or to the italics and boldface items, as the editing view's
    // block-mode helper (or, without a view, the user default
    // "UseExplicitEmphasis") says explicit emphasis is used. Items of other
    // actions are left alone. Always true.
    bool validateEmphasisMenuItem(MenuItem&, const VornickBlockModeHelper* blockModeHelperOfView);

    // The resource folders kept for the documents of a folder; null when none are.
    std::shared_ptr<VornickKnownResourceFolders> knownResourceFoldersForDocumentFilesInFolder(const URL&) const;
    void setKnownResourceFoldersForDocumentFilesInFolder(std::shared_ptr<VornickKnownResourceFolders>, const URL& folder);
    void registerAddedResourceFileReference(const URL&, std::u16string_view /*kind*/, const URL& /*documentURL*/) {}

    // The user's default formatting preferences; null (logged) when the
    // defaults hold none.
    std::shared_ptr<VornickHTMLFormattingPreferences> activeDefaultHTMLFormattingPreferences() const;

    // Built-in style sheets, sorted by title ignoring case (loaded at start-up).
    const std::vector<std::shared_ptr<VornickBundledStyleSheet>>& bundledStyleSheets() const
    {
        return m_bundledStyleSheets;
    }
    std::shared_ptr<VornickBundledStyleSheet> bundledStyleSheetWithTitle(std::u16string_view) const;

    // Known file URLs: the files and folders seen in watched folder trees.
    // Queues the update on "knownFileURLsUpdateQueue" and returns at once.
    // Thread-safe; the destructor waits for the queued updates.
    void updateKnownFileURLsFromFileTreeEvents(const VornickFileTreeEvents&);
    OperationQueue& knownFileURLsUpdateQueue();
    // The paths of the known files and folders.
    std::set<std::u16string> knownFilePaths() const;

    // --- Authorisation in the web browser
    // Holds the authorisation flow in progress (replacing an earlier one).
    // While one is held, the program listens for the address the browser
    // hands back to another `brevanton` process (URLHandoff).
    void setCurrentAuthorizationFlow(std::shared_ptr<VornickAuthorizationFlowSession>) override;
    const std::shared_ptr<VornickAuthorizationFlowSession>& currentAuthorizationFlow() const { return m_currentAuthorizationFlow; }
    // A URL the desktop handed the program (its "brvn" scheme): resumes the
    // flow in progress with it, which then ends. False when no flow took it.
    bool resumeAuthorizationFlowWithURL(const URL&);

    // --- Preferences (VornickApplicationDelegatePreferences.cpp)
    // Settings another process wrote (UserDefaults reads them when the file
    // changes) reach the open windows as the panes' controls make them:
    // the icon, validation, the source pane's place, the sync interval.
    // The built-in sheet whose title the user default "DefaultStyleSheet"
    // holds, or the sheet of the file whose path it holds; null when neither.
    std::shared_ptr<VornickStyleSheet> defaultStyleSheet() const;
    // Stores a built-in sheet's title or another sheet's file path; null removes the choice.
    void setDefaultStyleSheet(const std::shared_ptr<VornickStyleSheet>&);
    // The user default "DefaultHTMLDocumentType" as a type from 1 to 8 (HTML
    // 5 when unset or invalid); it may hold the registered number or a name.
    VornickHTMLDocumentType defaultHTMLDocumentType() const;
    // Stores the type's persistable name; values outside 1-8 are ignored.
    void setDefaultHTMLDocumentType(int64_t);
    // Every open document validates its source again
    // (VornickValidationPreferencesDidChangeNotification).
    void tickleValidationInAllDocumentWindows();
    // The setting is read as each editing view is made (no script runs in
    // the pages shown here): nothing changes in open windows.
    void updateJavaScriptExecutionAllowanceInAllDocumentWindows() {}
    // The user default "AppIcon": 1 the classic icon, 0 (unset) the standard one.
    int64_t appIconVersion() const;
    // 1 stores 1 and shows the image "AppIcon1" as the application's icon;
    // any other value removes the default and shows the standard "AppIcon".
    void setAppIconVersion(int64_t);
    // The preferences window's controller, made on first use (with debug
    // logging on, its window built but not shown).
    const std::shared_ptr<VornickPreferencesController>& preferencesController();

    // --- Pasteboard monitor and inspector
    // The monitor made when launching finished; null before.
    VornickPasteboardMonitor* pasteboardMonitor() const { return m_pasteboardMonitor.get(); }
    // Shows the shared pasteboard inspector when it is hidden, hides it when shown.
    void showOrHidePasteboardInspector(ActionSender* sender);

private:
    VornickApplicationDelegate(UserDefaults&, const Bundle&);
    // Shows the icon "AppIcon" asks for.
    void showAppIcon();
    // A setting another process changed has the effects the panes' controls have.
    void applySettingsChangedElsewhere(const Notification&);
    void applyFileTreeEvents(const VornickFileTreeEvents&);

    UserDefaults& m_userDefaults;
    const Bundle& m_bundle;
    FileAccessPolicy m_fileAccessPolicy;
    std::map<const void*, std::set<std::u16string>> m_readPermissions;
    VornickMediaFileInfoCache m_mediaFileInfoCache;
    FileChooser m_fileChooser;
    std::shared_ptr<VornickAuthorizationFlowSession> m_currentAuthorizationFlow;
    std::unique_ptr<URLHandoffListener> m_authorizationRedirectListener;
    // By the folder URL's normalized unique key string.
    std::map<std::u16string, std::shared_ptr<VornickKnownResourceFolders>> m_knownResourceFolders;
    std::vector<std::shared_ptr<VornickBundledStyleSheet>> m_bundledStyleSheets;

    mutable std::mutex m_knownFileURLsMutex;
    std::unique_ptr<OperationQueue> m_knownFileURLsUpdateQueue;
    std::set<std::u16string> m_knownFilePaths;

    // --- Pasteboard monitor and inspector
    std::shared_ptr<VornickPasteboardMonitor> m_pasteboardMonitor;

    std::shared_ptr<VornickPreferencesController> m_preferencesController;
    ObserverToken m_settingsObservation;
};

} // namespace brevanton

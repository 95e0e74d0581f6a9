// How the content editing view reports to its host: the delegate (every
// operation optional), the file entitlement delegate that grants access to
// resource files, the notifications it posts and the loading states.
#pragma once

#include "app/VornickContentEditingViewFileEntitlementDelegate.h"
#include "platform/foundation/URL.h"
#include "platform/views/Event.h"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace brevanton {

class DOMElement;
class VornickAttachmentPoint;
class VornickAttachmentPointLocator;
class VornickContentEditingView;
class VornickFragmentDescription;
class VornickResourceLoadAttempt;
class WebFrame;

enum class VornickContentLoadingState : int {
    NotStarted = 0,
    InProgress = 1,
    Succeeded = 2,
    PartlyFailed = 3,
    Failed = 4,
};

using VornickResourceLoadAttempts = std::vector<std::shared_ptr<VornickResourceLoadAttempt>>;

// Every operation is optional: the defaults do nothing, and those with a
// result answer "not handled" (an empty optional), as a delegate that does
// not respond would.
class VornickContentEditingViewDelegate {
public:
    virtual ~VornickContentEditingViewDelegate() = default;
    virtual void vornickContentEditingViewDidChangeContent(VornickContentEditingView&, WebFrame*, VornickAttachmentPoint*) {}
    virtual void vornickContentEditingViewDidChangeEffectiveOperationRange(VornickContentEditingView&) {}
    virtual void vornickContentEditingViewDidChangeFocusedWebFrame(VornickContentEditingView&) {}
    virtual void vornickContentEditingViewDidChangeStyleSheetSetInFocusedWebFrame(VornickContentEditingView&) {}
    virtual void vornickContentEditingViewDidRewireReferencesForDocumentURLChange(VornickContentEditingView&) {}
    virtual void vornickContentEditingViewEndLoading(VornickContentEditingView&, VornickContentLoadingState,
                                                     const VornickResourceLoadAttempts&) {}
    virtual void vornickContentEditingViewFailedResourceLoadAttemptsOutsidePageLoad(VornickContentEditingView&,
                                                                                    const VornickResourceLoadAttempts&) {}
    virtual std::optional<std::u16string> vornickContentEditingViewPlaceholderContentStringForEmptiedAttachmentPoint(
        VornickContentEditingView&, VornickAttachmentPoint&)
    {
        return std::nullopt;
    }
    virtual std::optional<std::vector<std::shared_ptr<VornickAttachmentPointLocator>>>
    vornickContentEditingViewDefaultAttachmentPointLocatorsForIdentifier(VornickContentEditingView&, const std::u16string&)
    {
        return std::nullopt;
    }
    // The file to reference in place of a file the user inserts: its copy in
    // the media library (found or made), the file itself when it needs no
    // staging, or none when it could not be staged.
    virtual std::optional<URL> vornickContentEditingViewFindReferencedFileInBlogMediaLibraryOrStageIntoBlogMediaLibrary(
        VornickContentEditingView&, const URL& url)
    {
        return url;
    }
    // Answers whether the delegate handles link clicks at all.
    virtual bool respondsToUserClickedLinkElement() const { return false; }
    virtual void vornickContentEditingViewUserClickedLinkElement(VornickContentEditingView&, const std::shared_ptr<DOMElement>&,
                                                                const URL&, ModifierFlags) {}
    // A snippet made from the selection: the delegate files it in a group of
    // the user's snippet set, shows it for editing and answers the description it keeps.
    virtual std::shared_ptr<VornickFragmentDescription> vornickContentEditingViewAddNewFragmentDescriptionToASuitableGroupAndBringForwardForEditing(
        VornickContentEditingView&, const std::shared_ptr<VornickFragmentDescription>&)
    {
        return nullptr;
    }
};


// Posted on the default centre with the view as object.
inline constexpr const char* VornickContentEditingViewDidEndLoadingNotification = "VornickContentEditingViewDidEndLoadingNotification";
// userObjects "webFrame" (std::shared_ptr<WebFrame>) and
// "attachmentPointBeingInjected" (std::shared_ptr<VornickAttachmentPoint>),
// each present only when not null.
inline constexpr const char* VornickContentEditingViewDidChangeContentNotification = "VornickContentEditingViewDidChangeContentNotification";
inline constexpr const char* VornickContentEditingViewDidChangeEffectiveOperationRangeNotification
    = "VornickContentEditingViewDidChangeEffectiveOperationRangeNotification";
inline constexpr const char* VornickContentEditingViewDidChangeFocusedWebFrameNotification
    = "VornickContentEditingViewDidChangeFocusedWebFrameNotification";
inline constexpr const char* VornickContentEditingViewLastGeneratedHTMLForFocusedWebFrameDidChangeNotification
    = "VornickContentEditingViewLastGeneratedHTMLForFocusedWebFrameDidChangeNotification";
inline constexpr const char* VornickContentEditingViewValidationResultsForFocusedWebFrameDidChangeNotification
    = "VornickContentEditingViewValidationResultsForFocusedWebFrameDidChangeNotification";

} // namespace brevanton

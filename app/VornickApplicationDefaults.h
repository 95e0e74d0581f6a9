// The user defaults the application registers at start-up, and the names of
// the defaults that the editor reads.
#pragma once

#include "html/VornickDocumentHTMLSpec.h"
#include "platform/foundation/Value.h"

namespace brevanton {

class UserDefaults;

inline constexpr const char16_t* VornickEmbedSourceLoupeDefaultsKey = u"EmbedSourceLoupe";
inline constexpr const char16_t* VornickUseExplicitEmphasisDefaultsKey = u"UseExplicitEmphasis";
inline constexpr const char16_t* VornickDefaultStyleSheetDefaultsKey = u"DefaultStyleSheet";
inline constexpr const char16_t* VornickAllowJavaScriptExecutionDefaultsKey = u"AllowJavaScriptExecution";
// Minutes between automatic blog syncs; 0 or less turns them off.
inline constexpr const char16_t* VornickWordPressSyncIntervalDefaultsKey = u"WordPressSyncInterval";
inline constexpr const char16_t* VornickWorkingOfflineDefaultsKey = u"WorkingOffline";

// Posted (no object) by whoever sets the sync interval default; every blog
// synchronizer plans its next automatic sync again.
inline constexpr const char* VornickWordPressSyncIntervalPreferenceDidChangeNotification
    = "VornickWordPressSyncIntervalPreferenceDidChangeNotification";

// Posted (no object) when the user moved the source pane: every document
// window puts its pane where "EmbedSourceLoupe" now says.
inline constexpr const char* VornickSourceLoupeEmbeddingPreferenceDidChangeNotification
    = "VornickSourceLoupeEmbeddingPreferenceDidChangeNotification";

// The sync interval in minutes as every reader takes it: the stored
// "WordPressSyncInterval" when it is a number from 0 (off) to 1440 (a day),
// else 5, the registered value; 0 (off) where nothing registered it.
int64_t VornickWordPressSyncInterval(const UserDefaults&);

// The registered defaults, the initial formatting preferences included.
Dictionary VornickApplicationRegisteredDefaults();
void VornickRegisterApplicationDefaults(UserDefaults&);

} // namespace brevanton

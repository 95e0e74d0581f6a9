// The user defaults the application registers at start-up, and the names of
// the defaults that the editor reads.
#pragma once

#include "html/VornickDocumentHTMLSpec.h"
#include "platform/foundation/Value.h"
#include "toolkit/VornickApplicationEnvironment.h"

namespace brevanton {

class UserDefaults;

inline constexpr const char16_t* VornickEmbedSourceLoupeDefaultsKey = u"EmbedSourceLoupe";
inline constexpr const char16_t* VornickUseExplicitEmphasisDefaultsKey = u"UseExplicitEmphasis";
inline constexpr const char16_t* VornickDefaultStyleSheetDefaultsKey = u"DefaultStyleSheet";
inline constexpr const char16_t* VornickAllowJavaScriptExecutionDefaultsKey = u"AllowJavaScriptExecution";
inline constexpr const char16_t* VornickWorkingOfflineDefaultsKey = u"WorkingOffline";

// Posted (no object) when the user moved the source pane: every document
// window puts its pane where "EmbedSourceLoupe" now says.
inline constexpr const char* VornickSourceLoupeEmbeddingPreferenceDidChangeNotification
    = "VornickSourceLoupeEmbeddingPreferenceDidChangeNotification";

// The registered defaults, the initial formatting preferences included.
Dictionary VornickApplicationRegisteredDefaults();
void VornickRegisterApplicationDefaults(UserDefaults&);

} // namespace brevanton

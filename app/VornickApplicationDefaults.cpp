#include "app/VornickApplicationDefaults.h"

#include "html/VornickHTMLFormattingPreferences.h"
#include "platform/foundation/UserDefaults.h"

namespace brevanton {

Dictionary VornickApplicationRegisteredDefaults()
{
    Dictionary defaults;
    defaults[u"CreateNewDocumentOnLaunchOrActivate"] = Value(true);
    defaults[u"StartNewDocumentsInShowStructureMode"] = Value(false);
    defaults[u"BringDocumentWindowForwardOnDrop"] = Value(true);
    defaults[u"ShowSuggestedURLsAutomatically"] = Value(true);
    defaults[u"ShowURLAttributeEditorWhenCreatingALink"] = Value(true);
    defaults[u"AllowUserDefinedAttributes"] = Value(false);
    defaults[u"PlayEnterAndExitElementSounds"] = Value(true);
    defaults[VornickHTMLFormattingPreferencesDefaultsKey] =
        Value(VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences()->propertyList());
    defaults[VornickDefaultStyleSheetDefaultsKey] = Value(u"Clarity");
    defaults[VornickDefaultHTMLDocumentTypeDefaultsKey] = Value(8);
    defaults[u"LeftAngleBracketTriggersInsertOrWrapIn"] = Value(true);
    defaults[u"AllowJavaScriptExecution"] = Value(false);
    defaults[u"CloseBlogPostEditorOnPublish"] = Value(true);
    defaults[u"OpenBlogPostInBrowserOnPublish"] = Value(true);
    defaults[VornickWordPressSyncIntervalDefaultsKey] = Value(5);
    defaults[u"ClearViewOn"] = Value(false);
    // The source pane beside the page; 0 puts it in a window of its own.
    defaults[VornickEmbedSourceLoupeDefaultsKey] = Value(1);
    defaults[VornickUseExplicitEmphasisDefaultsKey] = Value(false);
    return defaults;
}

void VornickRegisterApplicationDefaults(UserDefaults& defaults)
{
    defaults.registerDefaults(VornickApplicationRegisteredDefaults());
}

} // namespace brevanton

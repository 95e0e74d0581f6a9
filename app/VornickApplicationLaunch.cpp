#include "app/VornickApplicationLaunch.h"

#include "app/VornickApplicationDelegate.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickHTMLServices.h"
#include "platform/foundation/TypeIdentifiers.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Application.h"

#include <malloc.h>

namespace brevanton {

VornickApplicationLaunch::VornickApplicationLaunch()
    : m_typeTableReader([] { static_cast<void>(typeIdentifierForFilenameExtension(u"html")); })
{
    VornickInstallHTMLServices();
    VornickUsersDefaultHTMLFormattingPreferences::registerInitialDefaults(UserDefaults::standard());
    m_applicationDelegate = VornickApplicationDelegate::create();
    Application::shared().setDelegate(m_applicationDelegate);
    m_applicationDelegate->applicationDidFinishLaunching();
}

VornickApplicationLaunch::~VornickApplicationLaunch()
{
    // A thread still joinable when it goes would end the program abnormally.
    if (m_typeTableReader.joinable())
        m_typeTableReader.join();
}

void VornickTuneMemoryAllocation()
{
    // A parse frees its working memory while the document's nodes are allocated:
    // with 16 MB kept at the top of the heap, the pages freed there serve the
    // nodes instead of going back to the system and returning as fresh,
    // zeroed pages (a fifth fewer page faults opening a 1 MB page). Keeping
    // large blocks in the heap as well would save as many faults but raise
    // the peak of a 50 MB page by a quarter.
    mallopt(M_TOP_PAD, 16 << 20);
}

} // namespace brevanton

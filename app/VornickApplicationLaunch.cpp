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
    // A parse frees gumbo's blocks (a megabyte each) while the document's
    // nodes are allocated: kept in the heap, the same pages serve both.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
}

} // namespace brevanton

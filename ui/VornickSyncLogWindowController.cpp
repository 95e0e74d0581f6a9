#include "ui/VornickSyncLogWindowController.h"

namespace brevanton {

std::shared_ptr<VornickSyncLogWindowController> VornickSyncLogWindowController::create()
{
    return std::shared_ptr<VornickSyncLogWindowController>(new VornickSyncLogWindowController);
}

void VornickSyncLogWindowController::windowDidLoad()
{
    VornickLogWindowController::windowDidLoad();
    setWindowTitle(u"Sync Log");
    setLogDescription(u"This log describes the last few sync sessions.  If you encounter any trouble with publishing or sync, please "
                      u"email it and a description of the problem to " + supportEmailAddress() + u".");
}

std::u16string VornickSyncLogWindowController::emailSubject() const
{
    return u"Brevanton WordPress Sync Help";
}

std::u16string VornickSyncLogWindowController::emailBodyHeader() const
{
    return vornick_logEmailBodyHeader(u"I'm having a problem syncing with my WordPress account.", u"Here's my Sync Log.  Help!");
}

std::u16string VornickSyncLogWindowController::attachedLogFileName() const
{
    return u"Sync Log.txt";
}

} // namespace brevanton

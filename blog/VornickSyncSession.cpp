#include "blog/VornickSyncSession.h"

#include "blog/VornickSyncStep.h"
#include "toolkit/VornickLog.h"

namespace brevanton {

VornickSyncSession::VornickSyncSession(VornickSyncSessionType type)
    : VornickSyncStepContainer(u"root", defaultSessionTitleForType(type))
    , m_type(type)
{
}

std::u16string VornickSyncSession::defaultSessionTitleForType(VornickSyncSessionType type)
{
    switch (type) {
    case VornickSyncSessionType::Automatic: return u"Automatic Sync";
    case VornickSyncSessionType::Manual: return u"User-Requested Sync";
    case VornickSyncSessionType::ExhaustiveManual: return u"User-Requested Sync (Exhaustive)";
    case VornickSyncSessionType::UploadPostChanges: return u"Upload Posts/Pages";
    case VornickSyncSessionType::TemplateDownload: return u"Download Templates";
    }
    return u"Unknown Session Type";
}

int64_t VornickSyncSession::errorCodeGettingBlogs() const
{
    auto step = stepWithName<VornickSyncStep>(u"getBlogs");
    return step ? step->error().code() : 0;
}

bool VornickSyncSession::failedDueToInvalidLoginID() const
{
    return errorCodeGettingBlogs() == 48;
}

bool VornickSyncSession::failedDueToInvalidPassword() const
{
    return errorCodeGettingBlogs() == 49;
}

std::shared_ptr<VornickLog> VornickSyncSession::syncLog() const
{
    return nullptr;
}

} // namespace brevanton

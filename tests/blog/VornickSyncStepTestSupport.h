// Records the sync step status notifications of a test, in the order they
// were posted, and runs the main queue until none is left.
#pragma once

#include "blog/VornickSyncStep.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

#include <string>
#include <utility>
#include <vector>

namespace brevanton {

struct RecordedSyncStepStatus {
    std::u16string name;
    VornickSyncStepState state;
    double progress;
    std::u16string statusMessage;
    const void* object;
};

class SyncStepStatusRecorder {
public:
    SyncStepStatusRecorder()
    {
        drainMainQueue();
        m_token = NotificationCenter::defaultCenter().addObserver(VornickSyncStepStatusDidChangeNotification, nullptr,
            nullptr, [this](const Notification& notification) {
                const Dictionary& info = notification.userInfo;
                auto message = info.find(std::u16string_view(u"statusMessage"));
                auto name = info.find(std::u16string_view(u"name"));
                m_posted.push_back({ name == info.end() ? u"" : name->second.string(),
                    static_cast<VornickSyncStepState>(info.at(u"state").integerValue()),
                    info.at(u"progress").doubleValue(),
                    message == info.end() ? u"" : message->second.string(), notification.object });
            });
    }

    static void drainMainQueue()
    {
        while (RunLoop::main().runOnce(0)) { }
    }

    // Runs the main queue and answers what was posted since the last call.
    std::vector<RecordedSyncStepStatus> take()
    {
        drainMainQueue();
        return std::exchange(m_posted, {});
    }

    // "name:state" of each notification, e.g. "b:2 blog:1 root:1".
    std::string takeSummary()
    {
        std::string summary;
        for (auto& status : take()) {
            if (!summary.empty())
                summary += ' ';
            summary += std::string(status.name.begin(), status.name.end()) + ":" + std::to_string(static_cast<int>(status.state));
        }
        return summary;
    }

private:
    std::vector<RecordedSyncStepStatus> m_posted;
    ObserverToken m_token;
};

} // namespace brevanton

// The system calls of FileSystemCalls, every one recorded, with chosen ones
// failed (or preceded by an action) instead of made.
#pragma once

#include "platform/foundation/FileSystemCalls.h"

#include <functional>
#include <vector>

namespace brevanton {

class FailingFileSystemCalls : public FileSystemCalls {
public:
    // Before the `ordinal`-th call (from 0) of kind `call`: `action` runs
    // and answers the error the call fails with, or 0 to have it made.
    void onCall(FileSystemCall call, int ordinal, std::function<int()> action)
    {
        m_rules.push_back({ call, ordinal, std::move(action) });
    }
    void failCall(FileSystemCall call, int ordinal, int error)
    {
        onCall(call, ordinal, [error] { return error; });
    }

    // Every call asked for, in order (one interrupted and made again counts twice).
    const std::vector<FileSystemCall>& calls() const { return m_calls; }
    // How many calls of a kind were asked for.
    int count(FileSystemCall call) const
    {
        int count = 0;
        for (auto made : m_calls)
            count += made == call;
        return count;
    }

protected:
    int errorBeforeCall(FileSystemCall call) override
    {
        int ordinal = count(call);
        m_calls.push_back(call);
        for (auto& rule : m_rules) {
            if (rule.call == call && rule.ordinal == ordinal)
                return rule.action();
        }
        return 0;
    }

private:
    struct Rule {
        FileSystemCall call;
        int ordinal;
        std::function<int()> action;
    };
    std::vector<Rule> m_rules;
    std::vector<FileSystemCall> m_calls;
};

} // namespace brevanton

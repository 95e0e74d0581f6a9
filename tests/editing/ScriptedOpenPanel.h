// An application delegate whose open panel the test answers: each request
// is recorded and its completion waits in `pending` until the test chooses.
#pragma once

#include "ApplicationDelegateTestSupport.h"

#include "platform/foundation/URL.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton::testing {

class ScriptedOpenPanel {
protected:
    // Makes a delegate with its defaults in the file and installs it.
    void installApplicationDelegate(const std::string& defaultsPath)
    {
        appDelegate.install(defaultsPath);
        appDelegate->setFileChooser([this](const VornickApplicationDelegate::FileChooserRequest& request,
                                           VornickApplicationDelegate::FileChooserCompletion completion) {
            requests.push_back(request);
            pending = std::move(completion);
        });
    }
    void removeApplicationDelegate() { appDelegate.remove(); }
    // Answers the waiting open panel with the file, or cancels it.
    void answerOpenPanel(const std::optional<URL>& file)
    {
        ASSERT_TRUE(pending) << "no open panel";
        auto completion = std::move(pending);
        pending = nullptr;
        completion(file);
    }

    TestApplicationDelegate appDelegate;
    std::vector<VornickApplicationDelegate::FileChooserRequest> requests;
    VornickApplicationDelegate::FileChooserCompletion pending;
};

} // namespace brevanton::testing

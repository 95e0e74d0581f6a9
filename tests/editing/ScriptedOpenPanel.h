// An application delegate whose open panel the test answers: each request
// is recorded and its completion waits in `pending` until the test chooses.
#pragma once

#include "app/VornickApplicationDelegate.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Application.h"

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
        m_defaults = std::make_unique<UserDefaults>(defaultsPath);
        appDelegate = VornickApplicationDelegate::create(*m_defaults, Bundle::main());
        Application::shared().setDelegate(appDelegate);
        appDelegate->setFileChooser([this](const VornickApplicationDelegate::FileChooserRequest& request,
                                           VornickApplicationDelegate::FileChooserCompletion completion) {
            requests.push_back(request);
            pending = std::move(completion);
        });
    }
    void removeApplicationDelegate()
    {
        Application::shared().reset();
        appDelegate.reset();
    }
    // Answers the waiting open panel with the file, or cancels it.
    void answerOpenPanel(const std::optional<URL>& file)
    {
        ASSERT_TRUE(pending) << "no open panel";
        auto completion = std::move(pending);
        pending = nullptr;
        completion(file);
    }

    std::unique_ptr<UserDefaults> m_defaults;
    std::shared_ptr<VornickApplicationDelegate> appDelegate;
    std::vector<VornickApplicationDelegate::FileChooserRequest> requests;
    VornickApplicationDelegate::FileChooserCompletion pending;
};

} // namespace brevanton::testing

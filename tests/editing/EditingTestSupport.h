// The editing view tests' shared fixture: a private copy of the test pages,
// a view built and loaded from one of them, and a recorder of what the view
// tells its delegate and posts, in order.
#pragma once

#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickContentEditingView.h"
#include "editing/VornickEmbeddedWebView.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickTidyFilter.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/web/WebFrame.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace brevanton::testing {

class EditingRecorder : public VornickContentEditingViewDelegate {
public:
    std::vector<std::string> events;
    std::vector<ObserverToken> tokens;
    VornickContentEditingView* view { nullptr };

    void observe(VornickContentEditingView& observed)
    {
        view = &observed;
        static const char* const names[] = {
            VornickContentEditingViewDidEndLoadingNotification,
            VornickContentEditingViewDidChangeContentNotification,
            VornickContentEditingViewDidChangeEffectiveOperationRangeNotification,
            VornickContentEditingViewDidChangeFocusedWebFrameNotification,
            VornickContentEditingViewLastGeneratedHTMLForFocusedWebFrameDidChangeNotification,
            VornickContentEditingViewValidationResultsForFocusedWebFrameDidChangeNotification,
        };
        for (const char* name : names) {
            tokens.push_back(NotificationCenter::defaultCenter().addObserver(name, &observed, nullptr, [this](const Notification& note) {
                std::string entry = "note " + note.name.substr(std::string("VornickContentEditingView").size());
                if (note.name == VornickContentEditingViewDidChangeContentNotification)
                    entry += note.userObjects.count("webFrame") ? " frame" : " no-frame";
                events.push_back(entry);
            }));
        }
    }
    void clear() { events.clear(); }
    size_t count(const std::string& event) const { return std::count(events.begin(), events.end(), event); }
    long indexOf(const std::string& event) const
    {
        auto found = std::find(events.begin(), events.end(), event);
        return found == events.end() ? -1 : found - events.begin();
    }

    void vornickContentEditingViewDidChangeContent(VornickContentEditingView& changed, WebFrame*, VornickAttachmentPoint*) override
    {
        events.push_back(std::string("delegate change") + (VornickContentEditingViewTestPeer::htmlUpdateIsScheduled(changed) ? " timer-armed" : ""));
    }
    void vornickContentEditingViewDidChangeFocusedWebFrame(VornickContentEditingView&) override { events.push_back("delegate focus"); }
    void vornickContentEditingViewEndLoading(VornickContentEditingView&, VornickContentLoadingState state,
                                             const VornickResourceLoadAttempts& failed) override
    {
        events.push_back("delegate end " + std::to_string(static_cast<int>(state)) + " failed " + std::to_string(failed.size()));
    }
};

class EditingViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VornickInstallHTMLServices();
        auto folder = createTemporaryDirectory("brevanton-editing");
        ASSERT_TRUE(folder);
        m_folder = *folder;
        for (const auto& entry : std::filesystem::directory_iterator(std::string(BREVANTON_TEST_DATA_DIR) + "/editing"))
            std::filesystem::copy_file(entry.path(), m_folder + "/" + entry.path().filename().string());
        view = VornickContentEditingView::create(Rect(0, 0, 800, 600));
        view->setDelegate(&recorder);
        recorder.observe(*view);
    }
    void TearDown() override
    {
        if (view)
            view->setDelegate(nullptr);
        view.reset();
        recorder.tokens.clear();
        if (RunLoop::main().isUsingManualClock())
            RunLoop::main().useRealClock();
        std::filesystem::remove_all(m_folder);
    }

    std::string path(const std::string& name) const { return m_folder + "/" + name; }
    URL url(const std::string& name) const { return URL::fileURLWithPath(path(name)); }
    std::string contents(const std::string& name) const { return readFile(path(name)).value_or(""); }

    // Loads synchronously; the test fails when the load does.
    void load(const std::string& name)
    {
        Error error;
        ASSERT_TRUE(view->loadContentFromURL(url(name), &error)) << toUTF8(error.localizedDescription());
    }
    // Runs the main loop until the focused frame was validated.
    bool waitForValidation()
    {
        return RunLoop::main().runUntil([this] { return view->tidyStatusForFocusedWebFrame() != VornickFrameValidationStatus::Pending; }, 20);
    }
    // Runs the main loop until the source jobs of a load are done.
    bool waitForSource(const WebFrame& frame)
    {
        return RunLoop::main().runUntil(
            [&frame] { return vornick_lastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(frame); }, 30);
    }

    std::shared_ptr<DOMDocument> document() const { return view->mainFrameDocument(); }
    std::shared_ptr<DOMElement> element(const std::u16string& tag, unsigned index = 0) const
    {
        auto list = document()->getElementsByTagName(tag);
        return list && list->length() > index ? downcast<DOMElement>(list->item(index)) : nullptr;
    }

    std::string m_folder;
    EditingRecorder recorder;
    std::shared_ptr<VornickContentEditingView> view;
};

} // namespace brevanton::testing

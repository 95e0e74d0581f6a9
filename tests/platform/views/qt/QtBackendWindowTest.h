// A fixture for the Qt backend's tests: the backend installed, and one
// 300 by 200 window showing a content view of the test's kind, ordered in.
#pragma once

#include "platform/views/Application.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "tests/platform/views/qt/QtTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace brevanton::testing {

template<typename ContentView>
class QtBackendWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qtApplication();
        backend = std::make_unique<QtWindowBackend>();
        window = Window::create(Rect(100, 200, 300, 200));
        view = std::make_shared<ContentView>(Rect(0, 0, 300, 200));
        window->setContentView(view);
        prepareWindow();
        window->makeKeyAndOrderFront();
    }
    // What a test sets on the window before it is ordered in.
    virtual void prepareWindow() { }
    void TearDown() override
    {
        window->close();
        window.reset();
        backend.reset();
        Application::shared().resetForTesting();
    }
    QtWindowWidget* widget() const { return backend->widgetForWindow(*window); }

    std::unique_ptr<QtWindowBackend> backend;
    std::shared_ptr<Window> window;
    std::shared_ptr<ContentView> view;
};

} // namespace brevanton::testing

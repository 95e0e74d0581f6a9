// An editor window of the shell on the offscreen Qt platform, driven by real
// Qt events: opens the test pages (copied to a folder of its own) or pages
// a test writes, and reads where the caret is and what is shown.
#pragma once

#include "tests/platform/views/qt/QtTestSupport.h"

#include "app/VornickWindow.h"
#include "editing/VornickContentEditingView.h"
#include "editing/VornickEmbeddedWebView.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickTidyFilter.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Application.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebFrameView.h"
#include "shell/VornickApplicationShell.h"
#include "shell/VornickEditorWindow.h"

#include <gtest/gtest.h>

#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace brevanton::testing {

class EditorWindowSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        brevanton::testing::qtApplication();
        VornickInstallHTMLServices();
        auto folder = createTemporaryDirectory("brevanton-navigation");
        ASSERT_TRUE(folder);
        m_folder = *folder;
        for (const auto& entry : std::filesystem::directory_iterator(std::string(BREVANTON_TEST_DATA_DIR) + "/editing"))
            std::filesystem::copy_file(entry.path(), m_folder + "/" + entry.path().filename().string());
        static int argc = 1;
        static char name[] = "brevanton";
        static char* argv[] = { name, nullptr };
        shell = std::make_unique<VornickApplicationShell>(argc, argv);
    }
    void TearDown() override
    {
        editor.reset();
        shell.reset();
        Application::shared().resetForTesting();
        std::filesystem::remove_all(m_folder);
    }

    void open(const std::string& name)
    {
        Error error;
        editor = shell->openFile(m_folder + "/" + name, &error);
        ASSERT_TRUE(editor) << toUTF8(error.localizedDescription());
        ASSERT_TRUE(RunLoop::main().runUntil(
            [this] { return editor->editingView()->loadingState() != VornickContentLoadingState::InProgress; }, 30));
        settle();
    }
    void openPage(const std::string& name, const std::string& contents)
    {
        ASSERT_TRUE(writeFileAtomically(m_folder + "/" + name, contents));
        open(name);
    }
    void settle()
    {
        for (int turns = 0; turns < 100 && RunLoop::main().runOnce(0); ++turns) {
        }
        QCoreApplication::processEvents();
    }
    QtWindowWidget* widget() const { return shell->backend().widgetForWindow(*editor->window()); }
    std::shared_ptr<VornickEmbeddedWebView> webView() const { return editor->editingView()->embeddedWebView(); }
    ClipView& clip() const { return *webView()->mainFrame()->frameView()->clipView(); }
    std::shared_ptr<DOMDocument> document() const { return editor->editingView()->mainFrameDocument(); }
    std::shared_ptr<DOMRange> selection() const { return editor->editingView()->effectiveOperationRange(); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(widget(), key, modifiers);
        settle();
    }
    // Clicks a few points into the start of a node's first line.
    void clickInto(const DOMNode& node)
    {
        Rect box = webView()->lineBoxRects(node).front();
        Point base = webView()->convertPointToView(Point { box.minX() + 1, box.midY() }, nullptr);
        QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(static_cast<int>(base.x), static_cast<int>(widget()->height() - base.y)));
        settle();
    }
    // The caret's (or the selection's focus's) box in the page.
    Rect caretBox(bool atEnd = false) const
    {
        auto range = selection();
        auto* node = atEnd ? range->endNode() : range->startNode();
        return webView()->mainFrame()->layout().caretRect(*node, atEnd ? range->endOffset() : range->startOffset());
    }
    bool shown(const Rect& box) const
    {
        Rect visible = clip().documentVisibleRect();
        return box.minY() >= visible.minY() && box.maxY() <= visible.maxY();
    }
    // Keeps a picture where BREVANTON_TEST_SCREENSHOTS_DIR says, when it is set.
    static void saveScreenshot(const QImage& picture, const char* name)
    {
        if (const char* folder = std::getenv("BREVANTON_TEST_SCREENSHOTS_DIR"))
            picture.save(QString::fromUtf8(folder) + "/" + QString::fromUtf8(name));
    }
    UndoManager& undoManager() const { return *editor->window()->undoManager(); }

    std::unique_ptr<VornickApplicationShell> shell;
    std::shared_ptr<VornickEditorWindow> editor;
    std::string m_folder;
};

} // namespace brevanton::testing

// The pointer tests' fixture: a page built from a body string, shown in a
// document window with its overlay, and the points of nodes on it in the
// window's coordinates, for synthesized mouse events sent through the
// application as the window system would send them.
#pragma once

#include "UndoableEditChecks.h"

#include "app/VornickWindow.h"
#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickContentOverlayView.h"
#include "platform/views/Application.h"
#include "platform/views/EventSynthesizer.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

namespace brevanton::testing {

class PointerTest : public UndoableEditTest {
protected:
    void TearDown() override
    {
        if (window) {
            window->close();
            window.reset();
        }
        Application::shared().resetForTesting();
        UndoableEditTest::TearDown();
    }

    // Shows the view as it stands in a key document window with the page's focus.
    void putInWindow(Rect frame = Rect(0, 0, 800, 600))
    {
        window = VornickWindow::create(frame);
        view->setFrame(Rect(0, 0, 800, 600));
        window->contentView()->addSubview(view);
        window->makeKeyAndOrderFront();
        ASSERT_TRUE(window->makeFirstResponder(view->embeddedWebView()));
    }

    // Loads the body into the view shown in a key document window, and runs
    // the turn that makes its overlay window.
    void show(const std::string& bodyMarkup)
    {
        loadBody(bodyMarkup);
        ASSERT_NO_FATAL_FAILURE(putInWindow(Rect(100, 100, 800, 600)));
        drain();
        view->setTargetRange(nullptr);
        view->undoManager()->removeAllActions();
    }
    void drain()
    {
        for (int turns = 0; turns < 100 && RunLoop::main().runOnce(0); ++turns) {
        }
    }

    // A node's box in the web view's coordinates.
    Rect boxOf(const DOMNode& node) const { return view->embeddedWebView()->boundingBox(node); }
    // A point of the web view in the window's coordinates.
    Point inWindow(Point inWebView) const { return view->embeddedWebView()->convertPointToView(inWebView, nullptr); }
    // A point of the web view in the editing view's coordinates.
    Point inView(Point inWebView) const { return view->convertPointFromView(inWebView, view->embeddedWebView().get()); }
    Point leftOf(const DOMNode& node, double dx = 2) const
    {
        Rect box = boxOf(node);
        return inWindow(Point { box.minX() + dx, box.midY() });
    }

    // Makes the element with the id the page's only attachment point.
    void attachTo(const std::u16string& id)
    {
        struct ByIdLocator : VornickAttachmentPointLocator {
            std::u16string id;
            std::shared_ptr<DOMElement> locateElementInDocument(DOMDocument& document) const override { return document.getElementById(id); }
        };
        auto locator = std::make_shared<ByIdLocator>();
        locator->id = id;
        view->setAttachmentPointLocatorSet(std::make_shared<VornickAttachmentPointLocatorSet>(
            std::map<std::u16string, std::shared_ptr<VornickAttachmentPointLocator>> { { id, locator } }));
        ASSERT_TRUE(VornickContentEditingViewTestPeer::attachToPoint(*view, id, VornickAttachmentType::SingleElement, nullptr));
        view->setTargetRange(nullptr);
    }

    std::shared_ptr<DOMElement> byId(const std::u16string& id) const { return document()->getElementById(id); }
    std::shared_ptr<DOMNode> selectedNode() const
    {
        auto range = view->effectiveOperationRange();
        return range ? vornick_exactlySelectedNode(*range) : nullptr;
    }

    std::shared_ptr<VornickWindow> window;
    EventSynthesizer events;
};

} // namespace brevanton::testing

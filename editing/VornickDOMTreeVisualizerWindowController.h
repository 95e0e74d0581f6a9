// The DOM tree visualizer: a window that draws a DOM subtree of an editing
// view's page as a tree of boxes and marks the view's effective operation
// range in it, following the range as it changes.
#pragma once

#include "platform/foundation/NotificationCenter.h"

#include <memory>
#include <string>

namespace brevanton {

class DOMNode;
class VornickContentEditingView;
class VornickDOMTreeView;
class VornickDOMTreeViewDOMRangeIndicator;
class Window;

class VornickDOMTreeVisualizerWindowController {
public:
    // The window is made from the named window description: only
    // "VornickDOMTreeVisualizerWindow" is known.
    explicit VornickDOMTreeVisualizerWindowController(const std::string& windowNibName = "VornickDOMTreeVisualizerWindow");
    ~VornickDOMTreeVisualizerWindowController();

    const std::shared_ptr<Window>& window() const { return m_window; }
    const std::shared_ptr<VornickDOMTreeView>& treeView() const { return m_treeView; }
    VornickDOMTreeViewDOMRangeIndicator& rangeIndicator() const { return *m_rangeIndicator; }

    // The view whose DOM is drawn (not owned).
    std::shared_ptr<VornickContentEditingView> contentEditingView() const { return m_contentEditingView.lock(); }
    void setContentEditingView(const std::shared_ptr<VornickContentEditingView>&);
    void setRootNode(const std::shared_ptr<DOMNode>&);
    void showWindow();
    void close();

private:
    void updateRangeIndicator();

    std::shared_ptr<Window> m_window;
    std::shared_ptr<VornickDOMTreeView> m_treeView;
    std::unique_ptr<VornickDOMTreeViewDOMRangeIndicator> m_rangeIndicator;
    std::weak_ptr<VornickContentEditingView> m_contentEditingView;
    ObserverToken m_operationRangeObservation;
};

} // namespace brevanton

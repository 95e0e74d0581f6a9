#include "editing/VornickDOMTreeVisualizerWindowController.h"

#include "editing/VornickContentEditingView.h"
#include "editing/VornickDOMRangeIndicator.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/views/Application.h"
#include "platform/views/ScrollView.h"
#include "ui/VornickDOMTreeView.h"

namespace brevanton {

VornickDOMTreeVisualizerWindowController::VornickDOMTreeVisualizerWindowController(const std::string& windowNibName)
    : m_rangeIndicator(std::make_unique<VornickDOMTreeViewDOMRangeIndicator>())
{
    BREVANTON_ASSERT(windowNibName == "VornickDOMTreeVisualizerWindow", "Unknown window nib name");
    m_window = std::make_shared<Window>(Rect(100, 100, 900, 600), WindowStyle::Standard);
    Application::shared().addWindow(m_window);
    m_window->setTitle(u"DOM Tree");
    m_treeView = std::make_shared<VornickDOMTreeView>(Rect(0, 0, 900, 600));
    m_window->setContentView(m_treeView);
    m_rangeIndicator->setView(m_treeView);
    std::weak_ptr<VornickDOMTreeView> weakTree = m_treeView;
    m_rangeIndicator->setDOMNodeBoundsGetter([weakTree](const DOMNode& node) {
        auto tree = weakTree.lock();
        return tree ? tree->boxOfNode(node) : Rect();
    });
    auto* indicator = m_rangeIndicator.get();
    m_treeView->setDecoration([indicator](const Rect& dirtyRect, GraphicsContext& context) { indicator->draw(dirtyRect, context); });
}

VornickDOMTreeVisualizerWindowController::~VornickDOMTreeVisualizerWindowController()
{
    if (m_treeView)
        m_treeView->setDecoration(nullptr);
}

void VornickDOMTreeVisualizerWindowController::setContentEditingView(const std::shared_ptr<VornickContentEditingView>& view)
{
    m_contentEditingView = view;
    m_rangeIndicator->setContentEditingView(view);
    m_operationRangeObservation = ObserverToken();
    if (!view)
        return;
    m_operationRangeObservation = NotificationCenter::defaultCenter().addObserver(
        VornickContentEditingViewDidChangeEffectiveOperationRangeNotification, view.get(), nullptr,
        [this](const Notification&) { updateRangeIndicator(); });
}

void VornickDOMTreeVisualizerWindowController::setRootNode(const std::shared_ptr<DOMNode>& node)
{
    m_treeView->setRootNode(node);
    updateRangeIndicator();
}

void VornickDOMTreeVisualizerWindowController::updateRangeIndicator()
{
    auto view = contentEditingView();
    m_rangeIndicator->setDOMRange(view ? view->effectiveOperationRange() : nullptr);
    m_treeView->setNeedsDisplay(true);
}

void VornickDOMTreeVisualizerWindowController::showWindow()
{
    m_window->orderFront();
}

void VornickDOMTreeVisualizerWindowController::close()
{
    m_operationRangeObservation = ObserverToken();
    m_window->close();
}

} // namespace brevanton

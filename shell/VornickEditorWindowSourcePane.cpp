// Where an editor window shows the source: beside the page in its split
// view, or in the source loupe's window of its own.
#include "shell/VornickEditorWindow.h"

#include "app/VornickApplicationDefaults.h"
#include "app/VornickApplicationDelegate.h"
#include "app/VornickGeneralPreferencePane.h"
#include "app/VornickWindow.h"
#include "editing/VornickContentEditingView.h"
#include "editing/VornickSourceLoupe.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/SplitView.h"
#include "platform/views/Window.h"

#include <cmath>

namespace brevanton {

bool VornickEditorWindow::sourcePaneGoesBesidePage()
{
    auto delegate = VornickApplicationDelegate::shared();
    const UserDefaults& defaults = delegate ? delegate->userDefaults() : UserDefaults::standard();
    return defaults.objectForKey(VornickEmbedSourceLoupeDefaultsKey).isNull() || defaults.integerForKey(VornickEmbedSourceLoupeDefaultsKey) != 0;
}

std::shared_ptr<Window> VornickEditorWindow::detachedSourceWindow() const
{
    auto loupe = m_editingView ? m_editingView->sourceLoupe() : nullptr;
    return loupe && !m_sourceBesidePage ? loupe->window() : nullptr;
}

bool VornickEditorWindow::sourcePaneShown() const
{
    auto pane = sourcePane();
    if (!pane)
        return false;
    if (m_sourceBesidePage)
        return !pane->isHidden();
    auto window = detachedSourceWindow();
    return window && window->isVisible();
}

void VornickEditorWindow::placeSourcePane(bool besidePage, bool shown)
{
    auto loupe = m_editingView->sourceLoupe();
    auto pane = sourcePane();
    if (!loupe || !pane)
        return;
    m_sourceBesidePage = besidePage;
    // Embedded in the document window: its split view shows it.
    loupe->setEmbedded(besidePage);
    Rect bounds = m_splitView->bounds();
    if (besidePage) {
        if (auto window = loupe->window(); window->isVisible())
            window->orderOut();
        if (pane->superview() != m_splitView) {
            pane->removeFromSuperview();
            m_splitView->addSubview(pane);
        }
        pane->setHidden(!shown);
        if (shown) {
            double pageWidth = std::floor(bounds.width() * pageShare);
            m_editingView->setFrame(Rect(0, 0, pageWidth, bounds.height()));
            pane->setFrame(Rect(pageWidth + 1, 0, bounds.width() - pageWidth - 1, bounds.height()));
        }
        m_splitView->adjustSubviews();
    } else {
        if (pane->superview() == m_splitView)
            pane->removeFromSuperview();
        // The page alone fills the split view.
        if (m_editingView->frame() != Rect(0, 0, bounds.width(), bounds.height())) {
            m_editingView->setFrame(Rect(0, 0, bounds.width(), bounds.height()));
            m_splitView->adjustSubviews();
        }
        pane->setHidden(false);
        auto window = loupe->window();
        // Beside the document window, as tall as it, as wide as the pane was.
        Rect frame = m_window->frame();
        double width = std::max(320.0, std::floor(frame.width() * (1 - pageShare)));
        loupe->placeWindowBeside(*m_window, width);
        if (window->contentView() != pane) {
            pane->setFrame(Rect(0, 0, width, frame.height()));
            window->setContentView(pane);
        }
        window->setTitle(m_window->title() + u" \u2014 Source");
        if (shown)
            window->orderFront();
        else if (window->isVisible())
            window->orderOut();
    }
    if (shown)
        loupe->updateSourceFromActiveContentEditingView();
}

void VornickEditorWindow::showOrHideSourcePane()
{
    placeSourcePane(m_sourceBesidePage, !sourcePaneShown());
}

void VornickEditorWindow::observeSourcePanePreference()
{
    std::weak_ptr<VornickEditorWindow> weak = weak_from_this();
    m_sourcePanePreferenceObservation = NotificationCenter::defaultCenter().addObserver(
        VornickSourceLoupeEmbeddingPreferenceDidChangeNotification, nullptr, nullptr, [weak](const Notification&) {
            auto editor = weak.lock();
            if (!editor)
                return;
            bool besidePage = sourcePaneGoesBesidePage();
            if (besidePage != editor->m_sourceBesidePage)
                editor->placeSourcePane(besidePage, editor->sourcePaneShown());
        });
}

void VornickEditorWindow::closeDetachedSourceWindow()
{
    if (auto window = detachedSourceWindow(); window && window->isVisible())
        window->orderOut();
}

} // namespace brevanton

// VornickSourceLoupe: the view of the HTML source the editor will write, for
// the active editing view's focused frame: embedded as the editing view's
// footer pane, or detached in a window of its own. A model: the source is
// shown in a source code view that follows the editing view's notifications.
#pragma once

#include "platform/foundation/NotificationCenter.h"

#include <memory>

namespace brevanton {

class ScrollView;
class View;
class VornickContentEditingView;
class VornickHTMLSourceCodeView;
class Window;

class VornickSourceLoupe : public std::enable_shared_from_this<VornickSourceLoupe> {
public:
    // Whether the user default "EmbedSourceLoupe" asks for an embedded loupe.
    static bool wantsToBeEmbedded();

    VornickSourceLoupe();
    ~VornickSourceLoupe();

    bool embedded() const { return m_embedded; }
    void setEmbedded(bool);
    // Not owned; the editing view clears it before it goes away.
    VornickContentEditingView* activeContentEditingView() const { return m_activeContentEditingView; }
    void setActiveContentEditingView(VornickContentEditingView*);

    // The pane (the footer when embedded, the window's content when detached).
    const std::shared_ptr<View>& view() const { return m_view; }
    const std::shared_ptr<VornickHTMLSourceCodeView>& sourceCodeView() const { return m_sourceCodeView; }
    // The pane's scroll view, whose document view is the source code view.
    const std::shared_ptr<ScrollView>& scrollView() const { return m_scrollView; }
    // The detached loupe's window, made on first use.
    std::shared_ptr<Window> window();
    // Puts the detached loupe's window beside the document window, as tall as
    // it and `width` wide, moved inside the screen where it has no room there.
    void placeWindowBeside(const Window& documentWindow, double width);

    // Embedded: the footer is open; detached: the window is visible.
    bool isShown() const;
    void showOrHide();

    // Shows the focused frame's current source.
    void updateSourceFromActiveContentEditingView();
    void updateForDocumentEditedStateChangeInContentEditingView(VornickContentEditingView&);
    void updateForPopoverShowOrHideInContentEditingView(VornickContentEditingView&);
    void updateForScroll(VornickContentEditingView&);

    unsigned sourceUpdateCount() const { return m_sourceUpdateCount; }
    bool documentEditedMark() const { return m_documentEditedMark; }

private:
    // Lines are not wrapped: the source code view is as wide and as tall as
    // its text needs, and at least as large as the part of the pane it fills.
    void fitSourceCodeViewToText();

    bool m_embedded { false };
    VornickContentEditingView* m_activeContentEditingView { nullptr };
    std::shared_ptr<View> m_view;
    std::shared_ptr<VornickHTMLSourceCodeView> m_sourceCodeView;
    std::shared_ptr<ScrollView> m_scrollView;
    ObserverToken m_clipFrameObservation;
    std::shared_ptr<Window> m_window;
    ObserverToken m_sourceObservation;
    unsigned m_sourceUpdateCount { 0 };
    bool m_documentEditedMark { false };
};

} // namespace brevanton

// VornickHeadMetadataEditingUIController: the header pane of the editing
// view, showing and editing the focused frame's title, with its document
// type and character encoding. A model: the pane is a view holding a title
// field and two labels.
#pragma once

#include <memory>
#include <string>

namespace brevanton {

class TextField;
class View;
class VornickContentEditingView;
class WebFrame;

class VornickHeadMetadataEditingUIController {
public:
    static constexpr double naturalHeaderHeight = 88;

    VornickHeadMetadataEditingUIController();
    ~VornickHeadMetadataEditingUIController();

    // Not owned; the editing view clears it before it goes away.
    void setContentEditingView(VornickContentEditingView* view) { m_contentEditingView = view; }
    VornickContentEditingView* contentEditingView() const { return m_contentEditingView; }

    const std::shared_ptr<View>& view() const { return m_view; }
    const std::shared_ptr<TextField>& titleTextField() const { return m_titleTextField; }
    const std::shared_ptr<TextField>& documentTypeField() const { return m_documentTypeField; }
    const std::shared_ptr<TextField>& characterEncodingField() const { return m_characterEncodingField; }

    std::shared_ptr<WebFrame> focusedWebFrame() const { return m_focusedWebFrame.lock(); }
    // Refreshes the title, the document type and the encoding.
    void setFocusedWebFrame(const std::shared_ptr<WebFrame>&);
    void updateCharacterEncodingDisplay();
    void updateTitleTextField();
    void updateDocumentTypeDisplay();
    // Makes the title field the first responder (when the pane is in a window).
    void focusTitleTextField();
    bool titleTextFieldHasFocus() const;
    // Sets the typed title as one undoable edit.
    void commitTitleTextField();

private:
    VornickContentEditingView* m_contentEditingView { nullptr };
    std::shared_ptr<View> m_view;
    std::shared_ptr<TextField> m_titleTextField;
    std::shared_ptr<TextField> m_documentTypeField;
    std::shared_ptr<TextField> m_characterEncodingField;
    std::weak_ptr<WebFrame> m_focusedWebFrame;
};

} // namespace brevanton

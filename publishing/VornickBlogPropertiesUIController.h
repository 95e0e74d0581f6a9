// VornickBlogPropertiesUIController: the popover of a blog's properties
// ("VornickBlogPropertiesUI", built in code): the snippet set its posts use,
// chosen with a snippet set picker whose delegate this controller is, and a
// button that opens the chosen set for editing. Only a snippet set file
// reference (or none) is taken as the blog's set; any other object leaves
// it unchanged.
#pragma once

#include "editing/VornickObjectPicker.h"
#include "platform/views/Popover.h"

#include <memory>
#include <optional>

namespace brevanton {

class Button;
class PopUpButton;
class View;
class VornickBlog;
class VornickBlogPostViewHost;
class VornickEnduringFileReference;
class VornickFragmentSetPicker;

class VornickBlogPropertiesUIController : public VornickObjectPickerDelegate,
                                          public std::enable_shared_from_this<VornickBlogPropertiesUIController> {
public:
    static std::shared_ptr<VornickBlogPropertiesUIController> create();
    ~VornickBlogPropertiesUIController() override;

    virtual std::u16string nibName() const { return u"VornickBlogPropertiesUI"; }
    const std::shared_ptr<Popover>& popover() const { return m_popover; }
    const std::shared_ptr<VornickFragmentSetPicker>& fragmentSetPicker() const { return m_fragmentSetPicker; }
    const std::shared_ptr<PopUpButton>& fragmentSetPickerPopUpButton() const { return m_popUpButton; }
    const std::shared_ptr<Button>& fragmentSetPickerOpenButton() const { return m_openButton; }
    // Not held beyond the showing; the editor outlives it.
    VornickBlogPostViewHost* blogEditor() const { return m_blogEditor; }
    void setBlogEditor(VornickBlogPostViewHost* editor) { m_blogEditor = editor; }
    std::shared_ptr<VornickBlog> blog() const;

    // Fills the chooser, then shows the popover below the rectangle of the
    // view (its bounds when none is given).
    void showForBlogEditor(VornickBlogPostViewHost*, const std::shared_ptr<View>& emergingFromView, std::optional<Rect> rectInView = std::nullopt);
    virtual void populateControls();
    // The blog's snippet set reference, resolved against its project's folder.
    std::shared_ptr<VornickEnduringFileReference> fragmentSetFileReference() const;
    // Opens the blog's snippet set in the snippet set editor.
    void openSelectedFragmentSetForEditing();

    // --- The picker's delegate
    VornickPickerObject selectedObjectForPicker(VornickObjectPicker&) override;
    void pickerProposeNewSelectedObject(VornickObjectPicker&, const VornickPickerObject&) override;
    bool pickerCanOpenObject(VornickObjectPicker&, const VornickPickerObject&) override;
    void pickerOpenObject(VornickObjectPicker&, const VornickPickerObject&) override;
    std::shared_ptr<Window> windowForOtherObjectChooserSheet() override;

protected:
    VornickBlogPropertiesUIController() = default;
    void build();
    std::shared_ptr<View> m_contentView;

private:
    void openFragmentSetReference(const std::shared_ptr<VornickEnduringFileReference>&);

    std::shared_ptr<Popover> m_popover;
    std::shared_ptr<VornickFragmentSetPicker> m_fragmentSetPicker;
    std::shared_ptr<PopUpButton> m_popUpButton;
    std::shared_ptr<Button> m_openButton;
    VornickBlogPostViewHost* m_blogEditor { nullptr };
};

} // namespace brevanton

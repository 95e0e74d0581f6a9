// VornickWordPressColorChooserController: one colour of a block (text or
// background) chosen from WordPress's palette, picked in a colour well, or
// cleared: a label, the palette, the hex well and a Clear button in one
// view, made once.
//
// The well is labelled with the chosen description's hex string, or with
// its CSS name when the palette has no colour of that name (a theme's own
// slug); a value that is no "#" hex shows no colour under its label.
// Descriptions are told apart by identity: setting the one shown changes
// nothing, setting none always clears the controls. The chooser is the
// sender its owner names when it acts on a change.
#pragma once

#include "platform/views/Responder.h"
#include "ui/VornickColorDescriptionList.h"

#include <functional>
#include <memory>

namespace brevanton {

class Button;
class TextField;
class View;
class VornickWordPressColorPaletteView;
class VornickWordPressHexColorWell;

class VornickWordPressColorChooserController : public ActionSender,
                                               public std::enable_shared_from_this<VornickWordPressColorChooserController> {
public:
    using Description = VornickColorDescriptionList::Description;
    using ColorChangeHandler = std::function<void(const Description&)>;

    static constexpr const char* TakeColorFromAction = "takeColorFrom:";
    static constexpr const char* ClearToNoColorAction = "clearToNoColor:";

    // A chooser with its view made and wired.
    static std::shared_ptr<VornickWordPressColorChooserController> create();

    const std::shared_ptr<View>& view() const { return m_view; }
    const std::shared_ptr<TextField>& labelTextField() const { return m_labelTextField; }
    const std::shared_ptr<VornickWordPressColorPaletteView>& paletteView() const { return m_paletteView; }
    const std::shared_ptr<VornickWordPressHexColorWell>& colorWell() const { return m_colorWell; }
    const std::shared_ptr<Button>& clearColorButton() const { return m_clearColorButton; }

    const Description& colorDescription() const { return m_colorDescription; }
    // Shows the description (or none) without calling the change handler.
    void setColorDescription(Description);
    // Called with the new description (or none) after each change the user makes.
    void setColorChangeHandler(ColorChangeHandler handler) { m_colorChangeHandler = std::move(handler); }

    // The action of the palette and the well: takes the colour the sender shows.
    void takeColorFrom(ActionSender*);
    // The action of the Clear button.
    void clearToNoColor(ActionSender*);

    // The well's label for a description: its hex string, or its CSS name
    // when the palette has none of that name; nothing without a description.
    static std::optional<std::u16string> labelTextForColorDescription(const Description&);

    static constexpr double viewWidth = 241;
    static constexpr double viewHeight = 70;

private:
    VornickWordPressColorChooserController() = default;
    void loadView();
    void changed();

    std::shared_ptr<View> m_view;
    std::shared_ptr<TextField> m_labelTextField;
    std::shared_ptr<VornickWordPressColorPaletteView> m_paletteView;
    std::shared_ptr<VornickWordPressHexColorWell> m_colorWell;
    std::shared_ptr<Button> m_clearColorButton;
    Description m_colorDescription;
    ColorChangeHandler m_colorChangeHandler;
};

} // namespace brevanton

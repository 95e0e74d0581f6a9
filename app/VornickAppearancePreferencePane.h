// VornickAppearancePreferencePane: the "Appearance" pane. Two radio buttons
// choose the application's icon (their tags are the icon versions: 0 the
// standard icon, 1 the classic one); the choice shows at once.
#pragma once

#include "app/VornickPreferencePane.h"
#include "platform/foundation/NotificationCenter.h"

namespace brevanton {

class Button;

class VornickAppearancePreferencePane final : public VornickPreferencePane {
public:
    VornickAppearancePreferencePane() = default;
    ~VornickAppearancePreferencePane() override;

    std::u16string paneIdentifier() const override { return u"AppearancePrefs"; }
    std::u16string paneName() const override { return u"Appearance"; }
    std::u16string paneToolTip() const override { return u"Configure Brevanton appearance settings."; }
    std::shared_ptr<Image> paneIcon() const override;

    // The sender's tag is the version.
    void changeAppIcon(const Button& sender);

    const std::shared_ptr<Button>& revisedIconRadioButton() const { return m_revisedIconRadioButton; }
    const std::shared_ptr<Button>& classicIconRadioButton() const { return m_classicIconRadioButton; }

protected:
    std::shared_ptr<View> makePaneView() override;

private:
    void showIconVersion(int64_t);

    std::shared_ptr<View> m_view;
    std::shared_ptr<Button> m_revisedIconRadioButton;
    std::shared_ptr<Button> m_classicIconRadioButton;
    // The icon another process chose shows at once.
    ObserverToken m_settingsObservation;
};

} // namespace brevanton

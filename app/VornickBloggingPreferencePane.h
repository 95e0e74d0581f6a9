// VornickBloggingPreferencePane: the "Blogging" pane. Its pop-up sets how
// often open accounts sync on their own: never, or every 1, 5, 15, 30 or 60
// minutes (the user default "WordPressSyncInterval"; a valid stored value
// not in that list is shown as an item of its own). A choice is stored and
// posted as VornickWordPressSyncIntervalPreferenceDidChangeNotification, so
// the synchronizers of open accounts plan their next sync at once.
#pragma once

#include "app/VornickPreferencePane.h"

#include <cstdint>
#include <vector>

namespace brevanton {

class PopUpButton;
class UserDefaults;

class VornickBloggingPreferencePane final : public VornickPreferencePane {
public:
    VornickBloggingPreferencePane();
    ~VornickBloggingPreferencePane() override;

    std::u16string paneIdentifier() const override { return u"BloggingPrefs"; }
    std::u16string paneName() const override { return u"Blogging"; }
    std::u16string paneToolTip() const override { return u"Configure Brevanton blogging settings."; }
    std::shared_ptr<Image> paneIcon() const override;

    // The intervals offered, in minutes (0: never).
    static const std::vector<int64_t>& offeredSyncIntervals();

    // Posts the change to every synchronizer.
    void blogSyncIntervalChanged();
    void showHelpTopic();

    // The interval pop-up, once the view is made.
    const std::shared_ptr<PopUpButton>& syncIntervalPopUpButton() const { return m_syncIntervalPopUpButton; }

protected:
    std::shared_ptr<View> makePaneView() override;

private:
    static UserDefaults& defaults();
    void selectStoredSyncInterval();
    void syncIntervalChosen();

    std::shared_ptr<View> m_view;
    std::shared_ptr<PopUpButton> m_syncIntervalPopUpButton;
};

} // namespace brevanton

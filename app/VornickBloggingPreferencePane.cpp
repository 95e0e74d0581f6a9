#include "app/VornickBloggingPreferencePane.h"

#include "app/VornickApplicationDefaults.h"
#include "app/VornickApplicationDelegate.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/BezierPath.h"
#include "platform/views/Button.h"
#include "platform/views/Image.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/TextField.h"
#include "views/VornickHelpAnchors.h"
#include "views/VornickHelpExtensions.h"

#include <algorithm>

namespace brevanton {

namespace {

constexpr const char16_t* iconName = u"BrevantonBloggingPrefs";
constexpr const char* intervalChosenAction = "blogSyncIntervalChanged:";
constexpr const char* helpAction = "showHelpTopic:";

std::u16string intervalTitle(int64_t minutes)
{
    if (minutes == 0)
        return u"Never";
    if (minutes == 1)
        return u"Every Minute";
    return u"Every " + toUTF16(std::to_string(minutes)) + u" Minutes";
}

// A speech balloon with two arrows turning round: posts kept in step.
void registerIcon()
{
    VornickPreferencePane::registerPaneIcon(iconName, [](GraphicsContext& context) {
        Color blue = Color::sRGB255(44, 118, 204);
        context.fillRoundedRect(Rect(2, 4, 28, 22), 6, blue);
        BezierPath tail;
        tail.moveToPoint({ 8, 25 });
        tail.lineToPoint({ 6, 31 });
        tail.lineToPoint({ 14, 25 });
        tail.closePath();
        context.fillPath(tail, blue);
        BezierPath arrows;
        arrows.setLineWidth(2);
        arrows.appendBezierPathWithArcWithCenter({ 16, 15 }, 6, 200, 340);
        arrows.moveToPoint({ 22, 10 });
        arrows.lineToPoint({ 22, 14 });
        arrows.lineToPoint({ 18, 13 });
        arrows.moveToPoint({ 10, 20 });
        arrows.appendBezierPathWithArcWithCenter({ 16, 15 }, 6, 20, 160);
        context.strokePath(arrows, Color::white());
    });
}

} // namespace

VornickBloggingPreferencePane::VornickBloggingPreferencePane()
{
    registerIcon();
}

VornickBloggingPreferencePane::~VornickBloggingPreferencePane()
{
    if (m_view) {
        m_view->removeActionHandler(intervalChosenAction);
        m_view->removeActionHandler(helpAction);
    }
}

std::shared_ptr<Image> VornickBloggingPreferencePane::paneIcon() const
{
    return Image::imageNamed(iconName);
}

const std::vector<int64_t>& VornickBloggingPreferencePane::offeredSyncIntervals()
{
    static const std::vector<int64_t> minutes = { 0, 1, 5, 15, 30, 60 };
    return minutes;
}

UserDefaults& VornickBloggingPreferencePane::defaults()
{
    auto delegate = VornickApplicationDelegate::shared();
    return delegate ? delegate->userDefaults() : UserDefaults::standard();
}

std::shared_ptr<View> VornickBloggingPreferencePane::makePaneView()
{
    m_view = std::make_shared<View>(Rect(0, 0, 460, 120));
    auto label = TextField::labelWithString(u"Sync blogs automatically:");
    label->setFrame(Rect(20, 74, 180, 20));
    m_view->addSubview(label);
    m_syncIntervalPopUpButton = std::make_shared<PopUpButton>(Rect(204, 70, 180, 26));
    m_syncIntervalPopUpButton->setTarget(m_view);
    m_syncIntervalPopUpButton->setAction(intervalChosenAction);
    m_view->addSubview(m_syncIntervalPopUpButton);
    auto note = TextField::labelWithString(u"Open accounts look for changes on their sites this often.");
    note->setFrame(Rect(20, 44, 420, 20));
    m_view->addSubview(note);
    auto help = std::make_shared<Button>(Rect(416, 12, 28, 24), u"?");
    help->setTarget(m_view);
    help->setAction(helpAction);
    m_view->addSubview(help);
    m_view->setActionHandler(intervalChosenAction, [this](ActionSender*) { syncIntervalChosen(); });
    m_view->setActionHandler(helpAction, [this](ActionSender*) { showHelpTopic(); });
    selectStoredSyncInterval();
    return m_view;
}

void VornickBloggingPreferencePane::selectStoredSyncInterval()
{
    int64_t stored = VornickWordPressSyncInterval(defaults());
    std::vector<int64_t> minutes = offeredSyncIntervals();
    if (std::find(minutes.begin(), minutes.end(), stored) == minutes.end())
        minutes.insert(std::upper_bound(minutes.begin(), minutes.end(), stored), stored);
    m_syncIntervalPopUpButton->removeAllItems();
    for (int64_t value : minutes)
        m_syncIntervalPopUpButton->addItemWithTitle(intervalTitle(value))->setTag(static_cast<long>(value));
    auto& menu = m_syncIntervalPopUpButton->menu();
    m_syncIntervalPopUpButton->selectItemAtIndex(menu->indexOfItem(menu->itemWithTag(static_cast<long>(stored)).get()));
}

void VornickBloggingPreferencePane::syncIntervalChosen()
{
    auto item = m_syncIntervalPopUpButton->selectedItem();
    if (!item)
        return;
    defaults().setInteger(item->tag(), VornickWordPressSyncIntervalDefaultsKey);
    blogSyncIntervalChanged();
}

void VornickBloggingPreferencePane::blogSyncIntervalChanged()
{
    NotificationCenter::defaultCenter().post(VornickWordPressSyncIntervalPreferenceDidChangeNotification, nullptr);
}

void VornickBloggingPreferencePane::showHelpTopic()
{
    vornick_openHelpAnchor(VornickHelpAnchor::BloggingPreferences);
}

} // namespace brevanton

#include "app/VornickAppearancePreferencePane.h"

#include "app/VornickApplicationDelegate.h"
#include "app/VornickApplicationIcons.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/BezierPath.h"
#include "platform/views/Button.h"
#include "platform/views/Image.h"
#include "platform/views/ImageView.h"
#include "platform/views/TextField.h"

namespace brevanton {

namespace {

constexpr const char16_t* iconName = u"NSColorPanel";
constexpr const char* changeIconAction = "changeAppIcon:";

// A colour wheel: six slices round a white centre.
void registerIcon()
{
    VornickPreferencePane::registerPaneIcon(iconName, [](GraphicsContext& context) {
        const Color colours[] = { Color::sRGB255(230, 50, 50), Color::sRGB255(240, 160, 30), Color::sRGB255(240, 220, 40),
                                  Color::sRGB255(60, 180, 70), Color::sRGB255(40, 110, 220), Color::sRGB255(150, 60, 200) };
        for (int slice = 0; slice < 6; ++slice) {
            BezierPath wedge;
            wedge.moveToPoint({ 16, 16 });
            wedge.appendBezierPathWithArcWithCenter({ 16, 16 }, 14, slice * 60.0, slice * 60.0 + 60);
            wedge.closePath();
            context.fillPath(wedge, colours[slice]);
        }
        BezierPath centre;
        centre.appendBezierPathWithOvalInRect(Rect(12, 12, 8, 8));
        context.fillPath(centre, Color::white());
    });
}

} // namespace

VornickAppearancePreferencePane::~VornickAppearancePreferencePane()
{
    if (m_view)
        m_view->removeActionHandler(changeIconAction);
}

std::shared_ptr<Image> VornickAppearancePreferencePane::paneIcon() const
{
    registerIcon();
    return Image::imageNamed(iconName);
}

std::shared_ptr<View> VornickAppearancePreferencePane::makePaneView()
{
    VornickRegisterApplicationIcons();
    m_view = std::make_shared<View>(Rect(0, 0, 420, 170));
    auto title = TextField::labelWithString(u"Application icon:");
    title->setFrame(Rect(20, 134, 380, 20));
    m_view->addSubview(title);
    auto place = [&](std::u16string name, const char16_t* imageName, long version, double x) {
        auto picture = std::make_shared<ImageView>(Rect(x + 38, 50, 64, 64));
        picture->setImage(Image::imageNamed(imageName));
        m_view->addSubview(picture);
        auto radio = std::make_shared<Button>(Rect(x, 20, 140, 22), std::move(name));
        radio->setButtonType(ButtonType::Radio);
        radio->setTag(version);
        radio->setTarget(m_view);
        radio->setAction(changeIconAction);
        m_view->addSubview(radio);
        return radio;
    };
    m_revisedIconRadioButton = place(u"Standard", VornickStandardAppIconImageName, 0, 50);
    m_classicIconRadioButton = place(u"Classic", VornickClassicAppIconImageName, 1, 230);
    m_view->setActionHandler(changeIconAction, [this](ActionSender* sender) {
        if (auto* button = dynamic_cast<Button*>(sender))
            changeAppIcon(*button);
    });
    auto delegate = VornickApplicationDelegate::shared();
    showIconVersion(delegate ? delegate->appIconVersion() : 0);
    if (delegate) {
        std::weak_ptr<View> weakView = m_view;
        m_settingsObservation = NotificationCenter::defaultCenter().addObserver(
            UserDefaults::DidChangeNotification, &delegate->userDefaults(), nullptr, [this, weakView](const Notification&) {
                auto delegate = VornickApplicationDelegate::shared();
                if (weakView.lock() && delegate)
                    showIconVersion(delegate->appIconVersion());
            });
    }
    return m_view;
}

void VornickAppearancePreferencePane::showIconVersion(int64_t version)
{
    m_revisedIconRadioButton->setState(version == 1 ? OffState : OnState);
    m_classicIconRadioButton->setState(version == 1 ? OnState : OffState);
}

void VornickAppearancePreferencePane::changeAppIcon(const Button& sender)
{
    if (auto delegate = VornickApplicationDelegate::shared()) {
        delegate->setAppIconVersion(sender.tag());
        showIconVersion(delegate->appIconVersion());
    }
}

} // namespace brevanton

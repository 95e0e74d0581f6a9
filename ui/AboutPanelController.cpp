#include "ui/AboutPanelController.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/URL.h"
#include "platform/views/Application.h"
#include "platform/views/EscapeClosesWindow.h"
#include "platform/views/Event.h"
#include "platform/views/SystemColors.h"
#include "platform/views/SystemFonts.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"
#include "views/VornickAttributedStringExtensions.h"
#include "views/VornickHelpAnchors.h"
#include "views/VornickHelpExtensions.h"

namespace brevanton {

namespace {

constexpr double WindowWidth = 340;
constexpr double WindowHeight = 220;

// The credits label: a click anywhere on it follows its link.
class CreditsLinkField final : public TextField {
public:
    explicit CreditsLinkField(Rect frame, std::weak_ptr<AboutPanelController> controller)
        : TextField(frame)
        , m_controller(std::move(controller))
    {
        setEditable(false);
        setBezeled(false);
        setDrawsBackground(false);
    }
    void mouseDown(const Event&) override
    {
        if (auto controller = m_controller.lock())
            controller->showCredits();
    }

private:
    std::weak_ptr<AboutPanelController> m_controller;
};

std::shared_ptr<TextField> makeLabel(View& content, Rect frame, AttributedString text)
{
    auto label = std::make_shared<TextField>(frame);
    label->setEditable(false);
    label->setBezeled(false);
    label->setDrawsBackground(false);
    label->setAttributedStringValue(std::move(text));
    content.addSubview(label);
    return label;
}

} // namespace

const char16_t* const AboutPanelController::CreditsPageURLString = u"https://www.orbendalworks.com/brevanton/help/credits.html";
const char16_t* const AboutPanelController::DesignedVersionText = u"Version";

std::shared_ptr<AboutPanelController> AboutPanelController::create(std::optional<Dictionary> bundleInfo)
{
    return std::shared_ptr<AboutPanelController>(new AboutPanelController(bundleInfo ? std::move(*bundleInfo) : Bundle::main().infoDictionary()));
}

AboutPanelController::AboutPanelController(Dictionary bundleInfo)
    : m_bundleInfo(std::move(bundleInfo))
{
}

AboutPanelController::~AboutPanelController()
{
    if (m_window)
        m_window->orderOut();
}

const std::shared_ptr<Window>& AboutPanelController::window()
{
    if (m_window)
        return m_window;
    m_window = std::make_shared<Window>(Rect(300, 300, WindowWidth, WindowHeight), WindowStyle::Titled | WindowStyle::Closable);
    Application::shared().addWindow(m_window);
    m_window->setTitle(u"About Brevanton");
    closeWindowWithEscape(*m_window);
    auto content = std::make_shared<View>(Rect(0, 0, WindowWidth, WindowHeight));
    m_window->setContentView(content);
    auto labelColour = systemColor(SystemColor::Label);
    m_appTitleTextField = makeLabel(*content, Rect(20, 150, WindowWidth - 40, 34),
                                    vornick_attributedString(u"Brevanton", labelColour, boldSystemFontOfSize(24)));
    m_appSubtitleTextField = makeLabel(*content, Rect(20, 120, WindowWidth - 40, 22),
                                       vornick_attributedString(u"An HTML editor that publishes to WordPress", labelColour, systemFontOfSize(13)));
    m_appVersionTextField = makeLabel(*content, Rect(20, 90, WindowWidth - 40, 22),
                                      vornick_attributedString(DesignedVersionText, labelColour, systemFontOfSize(12)));
    auto credits = std::make_shared<CreditsLinkField>(Rect(20, 40, WindowWidth - 40, 22), weak_from_this());
    credits->setTextString(u"Credits");
    content->addSubview(credits);
    m_creditsTextField = credits;
    windowDidLoad();
    return m_window;
}

void AboutPanelController::windowDidLoad()
{
    auto subtitle = appSubtitleTextField();
    subtitle->setAttributedStringValue(vornick_attributedString(subtitle->attributedStringValue().string(),
                                                                 systemColor(SystemColor::SecondaryLabel), systemFontOfSize(13)));
    auto shortVersion = m_bundleInfo.find(u"CFBundleShortVersionString");
    auto build = m_bundleInfo.find(u"CFBundleVersion");
    if (shortVersion != m_bundleInfo.end() && build != m_bundleInfo.end() && shortVersion->second.isString() && build->second.isString()) {
        appVersionTextField()->setAttributedStringValue(vornick_attributedString(
            u"Version " + shortVersion->second.string() + u" (" + build->second.string() + u")", systemColor(SystemColor::Label),
            systemFontOfSize(12)));
    }
    auto credits = creditsTextField();
    auto link = URL::create(std::u16string_view(CreditsPageURLString));
    credits->setAttributedStringValue(vornick_attributedString(u"Credits", *link, systemColor(SystemColor::Link), systemFontOfSize(12)));
}

void AboutPanelController::showWindow()
{
    window()->makeKeyAndOrderFront();
}

void AboutPanelController::showCredits()
{
    vornick_openHelpAnchor(VornickHelpAnchor::Credits);
}

} // namespace brevanton

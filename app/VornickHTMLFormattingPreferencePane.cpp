#include "app/VornickHTMLFormattingPreferencePane.h"

#include "html/VornickHTMLFormattingPreferences.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Image.h"
#include "platform/views/View.h"
#include "ui/VornickHTMLFormattingPreferencesModule.h"

namespace brevanton {

namespace {

constexpr const char16_t* iconName = u"BrevantonPreferencePaneIconHTMLFormattingPreferences";

// A page of indented lines behind a pair of angle brackets.
void registerIcon()
{
    VornickPreferencePane::registerPaneIcon(iconName, [](GraphicsContext& context) {
        context.fillRect(Rect(5, 2, 22, 28), Color::white());
        context.strokeRect(Rect(5, 2, 22, 28), Color::sRGB255(120, 120, 120));
        Color ink = Color::sRGB255(44, 118, 204);
        const double indents[] = { 0, 4, 8, 4, 0 };
        for (int line = 0; line < 5; ++line)
            context.fillRect(Rect(8 + indents[line], 24 - 5.0 * line, 14 - indents[line], 2), ink);
    });
}

} // namespace

VornickHTMLFormattingPreferencePane::VornickHTMLFormattingPreferencePane()
{
    registerIcon();
}

VornickHTMLFormattingPreferencePane::~VornickHTMLFormattingPreferencePane() = default;

std::shared_ptr<Image> VornickHTMLFormattingPreferencePane::paneIcon() const
{
    return Image::imageNamed(iconName);
}

std::shared_ptr<View> VornickHTMLFormattingPreferencePane::makePaneView()
{
    // Made once (the pane keeps the view it answers).
    m_module = std::make_unique<VornickHTMLFormattingPreferencesModule>();
    Size size = m_module->view()->frame().size;
    auto view = std::make_shared<View>(Rect(0, 0, size.width + 20, size.height + 20));
    m_module->view()->setFrame(Rect(10, 10, size.width, size.height));
    view->addSubview(m_module->view());
    m_module->setActiveHTMLFormattingPreferences(VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferences());
    m_module->updatePreviewTextView();
    return view;
}

} // namespace brevanton

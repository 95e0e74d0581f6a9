#include "editing/VornickContentEditingViewBanners.h"

#include "platform/views/Button.h"
#include "platform/views/TextField.h"
#include "platform/views/View.h"

namespace brevanton {

namespace {

constexpr double bannerWidth = 600;
constexpr double bannerHeight = 36;

std::shared_ptr<View> makeBanner(std::u16string message)
{
    auto banner = std::make_shared<View>(Rect(0, 0, bannerWidth, bannerHeight));
    banner->setAutoresizesSubviews(true);
    auto label = TextField::labelWithString(std::move(message));
    label->setFrame(Rect(12, 9, 360, 18));
    label->setAutoresizingMask(Autoresizing::WidthSizable);
    banner->addSubview(label);
    return banner;
}

std::shared_ptr<Button> addButton(View& banner, std::u16string title, double x, const char* action, const std::shared_ptr<Responder>& target)
{
    auto button = std::make_shared<Button>(Rect(x, 6, 100, 24), std::move(title));
    button->setAutoresizingMask(Autoresizing::MinXMargin);
    button->setAction(action);
    button->setTarget(target);
    banner.addSubview(button);
    return button;
}

} // namespace

std::shared_ptr<View> VornickMakeTemplateFallbackBanner(const std::shared_ptr<Responder>&)
{
    return makeBanner(u"The site's template could not be loaded: the post is shown without it.");
}

std::shared_ptr<View> VornickMakeAttachmentPointFailureBanner(const std::shared_ptr<Responder>& target)
{
    auto banner = makeBanner(u"Some of the post's fields have no place in the site's template.");
    addButton(*banner, u"Resolve...", bannerWidth - 224, "showAttachmentPointFailureResolutionUI:", target);
    addButton(*banner, u"Dismiss", bannerWidth - 112, "dismissAttachmentPointFailureBanner:", target);
    return banner;
}

} // namespace brevanton

#include "ui/VornickHTMLFormattingPreferencesUIController.h"

#include "toolkit/VornickLog.h"
#include "html/VornickHTMLWriter.h"
#include "platform/dom/DOMDocument.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Color.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/views/Font.h"
#include "platform/views/Popover.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"

namespace brevanton {

VornickHTMLFormattingPreferencesUIController::VornickHTMLFormattingPreferencesUIController()
    : m_popover(std::make_shared<Popover>())
    , m_contentView(std::make_shared<View>(Rect { { 0, 0 }, { 480, 360 } }))
{
    m_popover->setContentView(m_contentView);
    m_popover->setBehavior(PopoverBehavior::Transient);
}

VornickHTMLFormattingPreferencesUIController::~VornickHTMLFormattingPreferencesUIController() = default;

void VornickHTMLFormattingPreferencesUIController::notify(std::u16string_view key, bool willChange) const
{
    if (m_propertyChangeHandler)
        m_propertyChangeHandler(key, willChange);
}

bool VornickHTMLFormattingPreferencesUIController::hasExplicitHTMLFormattingPreferencesAssigned() const
{
    return m_owner && m_owner->htmlFormattingPreferences() != nullptr;
}

void VornickHTMLFormattingPreferencesUIController::setHTMLFormattingPreferencesOwnerOrInheritor(
    std::shared_ptr<VornickHTMLFormattingPreferencesOwnerOrInheritor> owner)
{
    if (owner == m_owner)
        return;
    notify(u"hasExplicitHTMLFormattingPreferencesAssigned", true);
    notify(u"activeHTMLFormattingPreferences", true);
    m_owner = std::move(owner);
    m_saved.reset();
    m_active = nullptr;
    if (m_owner) {
        if (auto own = m_owner->htmlFormattingPreferences())
            m_active = own;
        else
            m_active = m_owner->inheritedHTMLFormattingPreferences();
    }
    updatePreviewTextView();
    notify(u"activeHTMLFormattingPreferences", false);
    notify(u"hasExplicitHTMLFormattingPreferencesAssigned", false);
}

void VornickHTMLFormattingPreferencesUIController::setHasExplicitHTMLFormattingPreferencesAssigned(bool explicitly)
{
    if (!m_owner || explicitly == hasExplicitHTMLFormattingPreferencesAssigned())
        return;
    if (explicitly && !m_saved)
        return;
    notify(u"activeHTMLFormattingPreferences", true);
    if (explicitly) {
        auto restored = std::make_shared<VornickHTMLFormattingPreferences>(*m_saved);
        m_owner->setHtmlFormattingPreferences(restored);
        m_active = std::move(restored);
    } else {
        // The owner's own set is kept aside, so that turning it back on restores it.
        m_saved = m_owner->htmlFormattingPreferences()->mutableCopy();
        m_owner->setHtmlFormattingPreferences(nullptr);
        m_active = m_owner->inheritedHTMLFormattingPreferences();
    }
    updatePreviewTextView();
    notify(u"activeHTMLFormattingPreferences", false);
}

void VornickHTMLFormattingPreferencesUIController::showForHTMLFormattingPreferencesOwnerOrInheritor(
    std::shared_ptr<VornickHTMLFormattingPreferencesOwnerOrInheritor> owner, const std::shared_ptr<Window>& window,
    Point location, RectEdge preferredEdge)
{
    setHTMLFormattingPreferencesOwnerOrInheritor(std::move(owner));
    if (!window || !window->contentView())
        return;
    m_popover->showRelativeToRect(Rect { location, { 1, 1 } }, window->contentView(), preferredEdge);
}

void VornickHTMLFormattingPreferencesUIController::updatePreviewTextView()
{
    if (!m_active)
        return;
    if (!m_sampleDocument) {
        auto url = Bundle::main().URLForResource(u"FormattingSample", u"html");
        auto path = url ? url->fileSystemPath() : std::nullopt;
        auto bytes = path ? readFile(*path) : std::nullopt;
        if (!bytes) {
            VornickGeneralLog(u"Failed to load the formatting sample page.");
            return;
        }
        m_sampleDocument = DOMDocument::parseHTML(std::string_view(*bytes));
    }
    VornickHTMLWriter writer(*m_active, 0, VornickNewlineConvention::LF);
    auto html = writer.htmlStringFromDocument(*m_sampleDocument);
    auto attributes = std::make_shared<TextAttributeDictionary>();
    (*attributes)[FontAttributeName] = Font::fontWithName(u"Monaco", 10);
    (*attributes)[ForegroundColorAttributeName] = Color::sRGB(0, 1, 0, 1);
    m_preview = std::make_shared<const AttributedString>(std::move(html), std::move(attributes));
}

} // namespace brevanton

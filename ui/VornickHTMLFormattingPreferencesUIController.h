// VornickHTMLFormattingPreferencesUIController: edits the formatting
// preferences of one owner (a document, a project, a blog) in a popover with
// a live preview of a sample page written by those preferences. An owner
// without preferences of its own inherits them; the controller can give it
// its own set and take it back again.
#pragma once

#include "html/VornickHTMLFormattingPreferences.h"
#include "platform/foundation/AttributedString.h"
#include "platform/views/Geometry.h"

#include <functional>
#include <memory>
#include <string_view>

namespace brevanton {

class DOMDocument;
class Popover;
class View;
class Window;

class VornickHTMLFormattingPreferencesOwnerOrInheritor {
public:
    virtual ~VornickHTMLFormattingPreferencesOwnerOrInheritor() = default;
    // Null while the owner inherits.
    virtual std::shared_ptr<VornickHTMLFormattingPreferences> htmlFormattingPreferences() const = 0;
    virtual void setHtmlFormattingPreferences(std::shared_ptr<VornickHTMLFormattingPreferences>) = 0;
    virtual std::shared_ptr<const VornickHTMLFormattingPreferences> inheritedHTMLFormattingPreferences() const = 0;
};

class VornickHTMLFormattingPreferencesUIController {
public:
    // Told before (willChange true) and after (false) a property changes:
    // "hasExplicitHTMLFormattingPreferencesAssigned", "activeHTMLFormattingPreferences".
    using PropertyChangeHandler = std::function<void(std::u16string_view key, bool willChange)>;

    VornickHTMLFormattingPreferencesUIController();
    ~VornickHTMLFormattingPreferencesUIController();

    const std::shared_ptr<VornickHTMLFormattingPreferencesOwnerOrInheritor>& htmlFormattingPreferencesOwnerOrInheritor() const
    {
        return m_owner;
    }
    void setHTMLFormattingPreferencesOwnerOrInheritor(std::shared_ptr<VornickHTMLFormattingPreferencesOwnerOrInheritor>);

    std::shared_ptr<const VornickHTMLFormattingPreferences> activeHTMLFormattingPreferences() const { return m_active; }
    // The owner's own set while it is turned off, so that turning it back on restores it.
    const std::optional<VornickHTMLFormattingPreferences>& savedHTMLFormattingPreferences() const { return m_saved; }

    bool hasExplicitHTMLFormattingPreferencesAssigned() const;
    void setHasExplicitHTMLFormattingPreferencesAssigned(bool);

    // Sets the owner and shows the popover at `location` of the window's content view.
    void showForHTMLFormattingPreferencesOwnerOrInheritor(std::shared_ptr<VornickHTMLFormattingPreferencesOwnerOrInheritor>,
                                                        const std::shared_ptr<Window>&, Point location, RectEdge preferredEdge);

    // Writes the sample page with the active preferences into the preview.
    void updatePreviewTextView();
    // What the preview shows: the sample's HTML in Monaco 10, pure green.
    std::shared_ptr<const AttributedString> previewAttributedString() const { return m_preview; }

    const std::shared_ptr<Popover>& popover() const { return m_popover; }
    void setPropertyChangeHandler(PropertyChangeHandler handler) { m_propertyChangeHandler = std::move(handler); }

private:
    void notify(std::u16string_view key, bool willChange) const;

    std::shared_ptr<VornickHTMLFormattingPreferencesOwnerOrInheritor> m_owner;
    std::optional<VornickHTMLFormattingPreferences> m_saved;
    std::shared_ptr<const VornickHTMLFormattingPreferences> m_active;
    std::shared_ptr<Popover> m_popover;
    std::shared_ptr<View> m_contentView;
    std::shared_ptr<DOMDocument> m_sampleDocument;
    std::shared_ptr<const AttributedString> m_preview;
    PropertyChangeHandler m_propertyChangeHandler;
};

} // namespace brevanton

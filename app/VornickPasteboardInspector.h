// VornickPasteboardInspector: a small window showing what is on the general
// pasteboard, item by item and type by type: the HTML of a web archive
// (tidied, cleaned up and rewritten as a paste would see it, each step
// optional), the text of the text and URL types, nothing for other types. It
// follows the pasteboard through the pasteboard monitor's notification.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "ui/VornickInspector.h"

#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class PopUpButton;
class TabView;
class TextField;
class TextView;
class VornickHTMLTree;

class VornickPasteboardInspector : public VornickInspector {
public:
    static constexpr long maximumNumberOfListedItems = 100;

    static std::shared_ptr<VornickPasteboardInspector> sharedPasteboardInspector()
    {
        return sharedInstance<VornickPasteboardInspector>();
    }

    void pasteboardContentsDidChange();
    // The pop-ups' actions.
    void selectedItemChanged();
    void selectedTypeChanged();

    bool showsOnlyRelevantTypes() const { return m_showsOnlyRelevantTypes; }
    void setShowsOnlyRelevantTypes(bool);
    bool tidyHTML() const { return m_tidyHTML; }
    void setTidyHTML(bool);
    bool cleanHTML() const { return m_cleanHTML; }
    void setCleanHTML(bool);
    const std::vector<std::u16string>& types() const { return m_types; }
    // Lists the types and selects the default one.
    void setTypes(std::vector<std::u16string>);
    bool watchingPasteboard() const { return m_pasteboardObserver.isActive(); }
    const std::shared_ptr<VornickHTMLTree>& htmlTree() const { return m_htmlTree; }

    void reloadItemsList();
    void reloadTypesList();
    // The URL type, else the web archive, else plain text, else the first; then shows the content.
    void selectDefaultType();
    void showContentForSelectedItemAndType();

    const std::shared_ptr<TextField>& itemCountTextField() const { return m_itemCountTextField; }
    const std::shared_ptr<PopUpButton>& itemsPopUpButton() const { return m_itemsPopUpButton; }
    const std::shared_ptr<PopUpButton>& typesPopUpButton() const { return m_typesPopUpButton; }
    const std::shared_ptr<TabView>& tabView() const { return m_tabView; }
    const std::shared_ptr<TextView>& htmlTextView() const { return m_htmlTextView; }
    const std::shared_ptr<TextField>& tidyErrorMessageTextField() const { return m_tidyErrorMessageTextField; }
    const std::shared_ptr<TextView>& plainTextView() const { return m_plainTextView; }
    const std::shared_ptr<TextField>& urlTextField() const { return m_urlTextField; }
    const std::shared_ptr<TextField>& titleTextField() const { return m_titleTextField; }

protected:
    std::shared_ptr<Window> makeWindow() override;
    void windowDidLoad() override;

private:
    friend class VornickInspector;
    VornickPasteboardInspector() = default;
    std::u16string htmlOfWebArchive(const std::vector<uint8_t>& data, std::u16string& tidyMessage);
    static void showText(TextView&, std::u16string);

    std::shared_ptr<TextField> m_itemCountTextField;
    std::shared_ptr<PopUpButton> m_itemsPopUpButton;
    std::shared_ptr<PopUpButton> m_typesPopUpButton;
    std::shared_ptr<TabView> m_tabView;
    std::shared_ptr<TextView> m_htmlTextView;
    std::shared_ptr<TextField> m_tidyErrorMessageTextField;
    std::shared_ptr<TextView> m_plainTextView;
    std::shared_ptr<TextField> m_urlTextField;
    std::shared_ptr<TextField> m_titleTextField;
    bool m_showsOnlyRelevantTypes { true };
    bool m_tidyHTML { true };
    bool m_cleanHTML { true };
    std::vector<std::u16string> m_types;
    ObserverToken m_pasteboardObserver;
    std::shared_ptr<VornickHTMLTree> m_htmlTree;
};

} // namespace brevanton

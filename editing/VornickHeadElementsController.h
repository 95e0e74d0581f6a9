// VornickHeadElementsController: the document's head in the editor. The head
// pane's toggle, the menu of head elements to add, the head element and
// snippet set edits, and the style sheets: linking a sheet or placing a copy
// of it in a STYLE element of the head, choosing a sheet file to link, and
// replacing the primary sheet. Each is composed of the head element and text
// commands, so Undo takes it back exactly. It owns the menu of head elements
// and reaches the editor through its editing context and its host.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class ActionSender;
class DOMDocument;
class DOMDocumentFragment;
class DOMNode;
class DOMRange;
class Menu;
class Responder;
class URL;
class VornickEditingContext;
class VornickElementAttributeValue;
class VornickFragmentSet;
class VornickStyleSheet;
class WebFrame;
class Window;

class VornickHeadElementsController {
public:
    // What the controller needs of the editor beside its editing context.
    class Host {
    public:
        virtual ~Host() = default;
        virtual VornickEditingContext& editingContext() = 0;
        // The head pane: whether the editor may show it, whether it shows, and its title field.
        virtual bool allowsHeadDisplayAndEditing() const = 0;
        virtual bool headElementsShown() const = 0;
        virtual void setHeadElementsShown(bool) = 0;
        virtual bool titleTextFieldHasFocus() const = 0;
        virtual void focusTitleTextField() = 0;
        // Where the menu's items send their actions, and the window a file panel comes up in.
        virtual std::shared_ptr<Responder> menuTarget() = 0;
        virtual std::shared_ptr<Window> window() const = 0;
        [[nodiscard]] virtual bool replaceRangeWithText(bool undoable, const std::shared_ptr<DOMRange>&, const std::u16string&) = 0;
        [[nodiscard]] virtual bool replaceRangeWithFragment(bool undoable, const std::shared_ptr<DOMRange>&,
                                                            const std::shared_ptr<DOMDocumentFragment>&,
                                                            std::shared_ptr<DOMRange>* outResultRange) = 0;
        // The indicator of the effective operation range follows a change of the page's layout.
        virtual void updateEffectiveOperationRangeIndicator() = 0;
    };

    explicit VornickHeadElementsController(std::unique_ptr<Host>);
    ~VornickHeadElementsController();
    VornickHeadElementsController(const VornickHeadElementsController&) = delete;
    VornickHeadElementsController& operator=(const VornickHeadElementsController&) = delete;

    // Shows the head pane, focuses its title field when shown without focus, else hides it.
    void toggleHeadElementsShown();
    // Built on first use.
    const std::shared_ptr<Menu>& addHeadElementMenu();
    // Pops the menu up over the sender (a view).
    void addNewHeadElement(ActionSender*);

    // Head elements are addressed by their index among the head's child nodes.
    void deleteHeadElementAtIndex(bool undoable, unsigned index, const std::shared_ptr<DOMDocument>&);
    // An index at or past the end appends. `childNodes` are appended as they are.
    bool insertHeadElementWithTagName(bool undoable, const std::u16string& tagName,
                                      const std::vector<VornickElementAttributeValue>& attributeValues,
                                      const std::vector<std::shared_ptr<DOMNode>>& childNodes, unsigned index,
                                      const std::shared_ptr<DOMDocument>&);
    bool setFragmentSet(bool undoable, const std::shared_ptr<VornickFragmentSet>&, const std::shared_ptr<WebFrame>&);

    // Style sheets.
    [[nodiscard]] bool addNewStylesheet(bool undoable, const std::shared_ptr<VornickStyleSheet>&, bool asAlternate, bool embedCopy,
                                        const std::shared_ptr<DOMDocument>&);
    [[nodiscard]] bool addNewStylesheetWithURL(bool undoable, const URL& stylesheetURL,
                                               const std::optional<std::u16string>& bundledStyleSheetName, bool asAlternate,
                                               bool embedCopy, const std::shared_ptr<DOMDocument>&);
    [[nodiscard]] bool setPrimaryStylesheet(bool undoable, const std::shared_ptr<VornickStyleSheet>&, bool embedCopy,
                                            const std::shared_ptr<WebFrame>&);
    // Lets the user choose a sheet file and links it to the focused frame's document.
    void addNewStylesheetLinkHeadElement();

private:
    std::unique_ptr<Host> m_host;
    std::shared_ptr<Menu> m_addHeadElementMenu;
    // Held by work that outlives a turn, to tell whether the controller is still there.
    std::shared_ptr<int> m_liveness { std::make_shared<int>(0) };
};

} // namespace brevanton

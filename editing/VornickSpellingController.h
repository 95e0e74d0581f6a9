// VornickSpellingController: spelling and grammar in the editor. The check
// walks the document's text runs (VornickDOMTextGatherer) from the selection
// on and selects the first finding; the spelling panel's Change and Ignore
// come back here; typed text gets the automatic quote, dash and replacement
// fix-up as undoable edits, and, with automatic correction on, a misspelt
// word the typing ended is replaced by the checker's guess (one undo step of
// its own). It owns the document's spelling tag and reaches the editor
// through its editing context and its host.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace brevanton {

class ActionSender;
class DOMNode;
class DOMRange;
class TextField;
class View;
class VornickEditingContext;

class VornickSpellingController {
public:
    // What the controller needs of the editor beside its editing context.
    class Host {
    public:
        virtual ~Host() = default;
        virtual VornickEditingContext& editingContext() = 0;
        virtual void scrollRangeToVerticallyCentered(const std::shared_ptr<DOMRange>&) = 0;
        // Replaces the range by the text as one edit; false when it could not.
        [[nodiscard]] virtual bool replaceRangeWithText(bool undoable, const std::shared_ptr<DOMRange>&, const std::u16string&,
                                                        bool addToTypingRun) = 0;
        // The view the progress and result messages show over.
        virtual const View& messageView() const = 0;
        // Runs the work on a later turn of the main run loop, unless the editor has gone by then.
        virtual void performOnNextTurn(std::function<void()>) = 0;
    };

    explicit VornickSpellingController(std::unique_ptr<Host>);
    ~VornickSpellingController();
    VornickSpellingController(const VornickSpellingController&) = delete;
    VornickSpellingController& operator=(const VornickSpellingController&) = delete;

    // Selects the next misspelt word (or grammar finding) from the selection on.
    void checkSpelling();
    // Hides the spelling panel, or checks and shows it.
    void showGuessPanel();
    // The spelling panel's commands; the sender is its word field.
    void changeSpelling(ActionSender*);
    void ignoreSpelling(ActionSender*);

    // There is no grammar checker here; the setting is kept.
    static bool isGrammarCheckingEnabled();
    static void setGrammarCheckingEnabled(bool);
    void toggleGrammarChecking();

    // Checks the text just typed in the range (a range in one text node) on
    // a later turn, and fixes it up then when the check finds anything.
    void scheduleTextFixupIfNeededForEditedRange(const std::shared_ptr<DOMRange>&);
    // Applies the substitutions found within `editedRange` (a range in the
    // text node), from the last to the first, each an undoable replacement.
    void fixupTextInNode(bool undoable, const std::shared_ptr<DOMNode>& textNode, const std::shared_ptr<DOMRange>& editedRange);

private:
    long spellDocumentTag();

    std::unique_ptr<Host> m_host;
    long m_spellDocumentTag { 0 };
    std::shared_ptr<TextField> m_spellPanelWordField;
    // Held by work that outlives a turn, to tell whether the controller is still there.
    std::shared_ptr<int> m_liveness { std::make_shared<int>(0) };
};

} // namespace brevanton

// TokenField: a text field whose value is a list of tokens.
//
// Without a delegate the tokens are strings: the text shows them joined by
// the tokenizing character; the user's edit is split at that character into
// tokens, blanks around each token dropped and empty tokens left out. The
// field's object value is then the array of tokens, and the field sends its
// action.
//
// With a delegate each token stands for an object the delegate names. The
// user types after the last token; the tokenizing character, Return and
// Tab make the typed text a token (Backspace with nothing typed removes the
// last token). While text is typed, a list of the delegate's completions
// opens under the field in a window of its own: the arrow keys move its
// highlight, Return, Tab, the tokenizing character or a click take the
// highlighted one (the typed text itself when it is one of them), Escape
// closes it. Becoming first responder puts the insertion point after the
// last token (typing adds; Select All then typing replaces them all). A typed text the delegate has no object for still becomes a
// token, marked unknown, its object the text; it is never dropped. Return
// with nothing typed sends the action, as ending an edit does; the object
// value is the array of the tokens' editing strings.
#pragma once

#include "platform/views/CompletionList.h"
#include "platform/views/TextField.h"

#include <any>
#include <string>
#include <vector>

namespace brevanton {

class TokenField;
class Window;

class TokenFieldDelegate {
public:
    virtual ~TokenFieldDelegate() = default;
    // At most `limit` completion strings for the typed text, strongest first.
    virtual std::vector<std::u16string> completionsForSubstring(TokenField&, std::u16string_view, long /*tokenIndex*/, size_t /*limit*/)
    {
        return {};
    }
    // Of the objects about to become tokens at the index, those to add.
    virtual std::vector<std::any> shouldAddObjects(TokenField&, std::vector<std::any> objects, long /*index*/) { return objects; }
    virtual std::u16string displayStringForRepresentedObject(TokenField&, const std::any&) = 0;
    virtual std::u16string editingStringForRepresentedObject(TokenField& field, const std::any& object)
    {
        return displayStringForRepresentedObject(field, object);
    }
    // The object a typed text stands for; empty: none.
    virtual std::any representedObjectForEditingString(TokenField&, std::u16string_view) = 0;
};

class TokenField : public TextField {
public:
    struct Token {
        std::any object;
        std::u16string displayString;
        std::u16string editingString;
        // No object stands for the typed text; the object is the text.
        bool unknown { false };
    };

    explicit TokenField(Rect frame = {});
    ~TokenField() override;

    char16_t tokenizingCharacter() const { return m_tokenizingCharacter; }
    void setTokenizingCharacter(char16_t character) { m_tokenizingCharacter = character; }

    // The tokens of the object value (an array of strings); none otherwise.
    std::vector<std::u16string> tokens() const;
    // Shows the tokens and makes their array the object value.
    void setTokens(const std::vector<std::u16string>&);
    // The tokens a text holds.
    std::vector<std::u16string> tokensOfString(std::u16string_view) const;

    // --- With a delegate

    std::weak_ptr<TokenFieldDelegate> delegate() const { return m_delegate; }
    void setDelegate(const std::weak_ptr<TokenFieldDelegate>& delegate) { m_delegate = delegate; }
    const std::vector<Token>& tokenItems() const { return m_tokenItems; }
    // The tokens' objects, unknown ones included.
    std::vector<std::any> objects() const;
    // Shows a token for each object (none unknown) and drops the typed text.
    void setObjects(const std::vector<std::any>&);
    const std::u16string& typedText() const { return m_typedText; }
    // Makes the typed text (trimmed) a token; false when nothing was typed.
    bool tokenizeTypedText();
    // How many completions the list shows at most.
    size_t maximumCompletions() const { return m_maximumCompletions; }
    void setMaximumCompletions(size_t maximum) { m_maximumCompletions = maximum; }
    const std::vector<std::u16string>& completions() const { return m_completionList.completions(); }
    // -1 without completions.
    long highlightedCompletion() const { return m_completionList.highlighted(); }
    bool isShowingCompletions() const { return m_completionList.isShowing(); }
    // The window of the completion list, while it is open.
    std::shared_ptr<Window> completionWindow() const { return m_completionList.window(); }
    // A click on a completion row: it replaces the typed text and becomes a token.
    void chooseCompletion(long index);
    void closeCompletions();

    void keyDown(const Event&) override;
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    void textDidChange() override;
    void draw(const Rect& dirtyRect, GraphicsContext&) override;

private:
    bool hasDelegate() const { return !m_delegate.expired(); }
    void keyDownWithDelegate(const Event&);
    // The typed text changed: the completions are asked again.
    void typedTextDidChange();
    // Text and object value from the tokens and the typed text.
    void showTokens();
    void tokensDidChange();

    char16_t m_tokenizingCharacter { u',' };
    std::weak_ptr<TokenFieldDelegate> m_delegate;
    std::vector<Token> m_tokenItems;
    std::u16string m_typedText;
    size_t m_maximumCompletions { 30 };
    CompletionList m_completionList;
};

} // namespace brevanton

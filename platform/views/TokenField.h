// TokenField: a text field whose value is a list of tokens (strings). The
// text shows the tokens joined by the tokenizing character; the user's edit
// is split at that character into tokens, blanks around each token dropped
// and empty tokens left out. The field's object value is then the array of
// tokens, and the field sends its action.
#pragma once

#include "platform/views/TextField.h"

#include <string>
#include <vector>

namespace brevanton {

class TokenField : public TextField {
public:
    explicit TokenField(Rect frame = {});

    char16_t tokenizingCharacter() const { return m_tokenizingCharacter; }
    void setTokenizingCharacter(char16_t character) { m_tokenizingCharacter = character; }

    // The tokens of the object value (an array of strings); none otherwise.
    std::vector<std::u16string> tokens() const;
    // Shows the tokens and makes their array the object value.
    void setTokens(const std::vector<std::u16string>&);
    // The tokens a text holds.
    std::vector<std::u16string> tokensOfString(std::u16string_view) const;

    void textDidChange() override;

private:
    char16_t m_tokenizingCharacter { u',' };
};

} // namespace brevanton

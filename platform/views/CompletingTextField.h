// CompletingTextField: an editable field that offers completions of its
// whole text. After each of the user's edits its source is asked for the
// completions of the text (nothing for an empty text), which list under the
// field. While the list shows, the arrow keys move its highlight, Return,
// Enter or Tab (which then moves on) put the highlighted completion in the
// field as a user's edit, as a click on a row does, and Escape closes the
// list; the field's action is sent only by a Return with no list. Leaving
// the field closes the list.
#pragma once

#include "platform/views/CompletionList.h"
#include "platform/views/TextField.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class CompletingTextField : public TextField {
public:
    // At most `limit` completions of the text, strongest first.
    using CompletionSource = std::function<std::vector<std::u16string>(std::u16string_view, size_t limit)>;

    explicit CompletingTextField(Rect frame = {});
    ~CompletingTextField() override;

    void setCompletionSource(CompletionSource source) { m_source = std::move(source); }
    bool hasCompletionSource() const { return static_cast<bool>(m_source); }
    size_t maximumCompletions() const { return m_maximumCompletions; }
    void setMaximumCompletions(size_t maximum) { m_maximumCompletions = maximum; }

    const std::vector<std::u16string>& completions() const { return m_completionList.completions(); }
    // -1 without completions.
    long highlightedCompletion() const { return m_completionList.highlighted(); }
    bool isShowingCompletions() const { return m_completionList.isShowing(); }
    // The window of the completion list, while it is open.
    std::shared_ptr<Window> completionWindow() const { return m_completionList.window(); }
    // The completion becomes the field's text, as the user's edit; the list closes.
    void chooseCompletion(long index);
    void closeCompletions() { m_completionList.close(); }

    void keyDown(const Event&) override;
    bool resignFirstResponder() override;
    void textDidChange() override;

private:
    CompletionSource m_source;
    size_t m_maximumCompletions { 12 };
    CompletionList m_completionList;
    // A chosen completion is being put in: it asks for no completions.
    bool m_choosing { false };
};

} // namespace brevanton

// CompletionList: the completions a field offers for what is typed in it,
// listed under the field in a borderless window of its own that never takes
// the keyboard (it stays with the field): one row per completion, the
// highlighted one filled. A click on a row chooses it through the handler;
// the field moves the highlight and chooses with its keys.
//
// The completions are kept while the field's window is not on screen; the
// list then shows nothing. Main thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class View;
class Window;

class CompletionList {
public:
    // Called with the index of a clicked row.
    using ChooseHandler = std::function<void(long)>;
    explicit CompletionList(ChooseHandler);
    ~CompletionList();
    CompletionList(const CompletionList&) = delete;
    CompletionList& operator=(const CompletionList&) = delete;

    const std::vector<std::u16string>& completions() const;
    // -1 without completions.
    long highlighted() const;
    bool isShowing() const;
    // The list's window while it shows.
    std::shared_ptr<Window> window() const;

    // The completions, the first highlighted, listed under the view (as
    // wide as it, at least 160 points) when its window is on screen.
    void setCompletions(std::vector<std::u16string>, View& under);
    // Down (1) or up (-1), round.
    void moveHighlight(int direction);
    // Drops the completions and hides the list.
    void close();

    // What the list shares with the view of its rows.
    struct State;

private:
    std::shared_ptr<State> m_state;
    std::shared_ptr<Window> m_window;
};

} // namespace brevanton

// VornickLogWindowController: a window showing the live text of one log,
// the general log here (VornickSyncLogWindowController shows a sync log).
// The text follows the log's lines as they come, staying at the end while
// the user is within 4 points of it and leaving the view alone while the
// user reads further up; a cleared log empties it. Copy puts the whole log
// on the pasteboard; Email opens a message to support in the user's mail
// program: the header that asks for a description, then the log, which goes
// in a file attached to the message when it is longer than 100 KB or would
// not fit in the message itself.
//
// The window is built on first use (windowDidLoad). Main thread only.
#pragma once

#include "platform/foundation/AttributedString.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/views/Responder.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class Button;
class ScrollView;
class TextField;
class TextView;
class VornickLog;
class Window;

class VornickLogWindowController : public std::enable_shared_from_this<VornickLogWindowController> {
public:
    static std::shared_ptr<VornickLogWindowController> create();
    virtual ~VornickLogWindowController();
    VornickLogWindowController(const VornickLogWindowController&) = delete;
    VornickLogWindowController& operator=(const VornickLogWindowController&) = delete;

    // The most of a log the message itself holds; a longer log is attached.
    static constexpr size_t LongestLogInMessage = 100 * 1024;

    // The window, built on first use.
    const std::shared_ptr<Window>& window();
    bool isWindowLoaded() const { return static_cast<bool>(m_window); }
    // Brings the window to the front as the key window.
    void showWindow();
    void close();

    std::u16string windowTitle();
    void setWindowTitle(std::u16string);
    std::u16string logDescription();
    void setLogDescription(std::u16string);

    // The shown log. Another log is shown in place of the first: only its
    // text, only its notifications followed.
    const std::shared_ptr<VornickLog>& log() const { return m_log; }
    void setLog(std::shared_ptr<VornickLog>);

    void clearDisplayedLogText();
    // Appends (nothing for an empty string) and follows the end when the
    // user was at it; the scroll bars flash either way.
    void appendDisplayedLogText(std::u16string_view);
    void scrollToBottom();

    // Actions.
    void copyLogToPasteboard();
    // False when no message could be handed to a mail program.
    bool emailSupport();

    virtual std::u16string emailSubject() const;
    virtual std::u16string emailBodyHeader() const;
    // The body emailSupport hands on for `logText`: the header and the log,
    // or the header and a note, the log going in a file attached.
    struct EmailContents {
        std::u16string body;
        bool attachesLog { false };
    };
    EmailContents emailContentsForLogText(std::u16string_view logText) const;
    // The name the attached log's file takes.
    virtual std::u16string attachedLogFileName() const;

    // The text's attributes: Helvetica at 12 points in the text colour.
    const TextAttributes& attributes() const { return m_attributes; }
    // The support address, from the bundle.
    static std::u16string supportEmailAddress();

    // Outlets, once the window is loaded.
    const std::shared_ptr<TextView>& textView() const { return m_textView; }
    const std::shared_ptr<ScrollView>& scrollView() const { return m_scrollView; }
    const std::shared_ptr<TextField>& logDescriptionTextField() const { return m_logDescriptionTextField; }
    const std::shared_ptr<Button>& copyButton() const { return m_copyButton; }
    const std::shared_ptr<Button>& emailButton() const { return m_emailButton; }

protected:
    VornickLogWindowController();
    // After the window is built: the log's text shown, at its end.
    virtual void windowDidLoad();

private:
    void logAmended(const Notification&);
    void logChanged(const Notification&);
    // Keeps the text view as tall as its lines, counted as they come.
    void growTextViewForAppendedText(std::u16string_view);

    std::shared_ptr<VornickLog> m_log;
    ObserverToken m_amendedObservation;
    ObserverToken m_changedObservation;
    TextAttributes m_attributes;
    std::shared_ptr<Window> m_window;
    std::shared_ptr<Responder> m_actions;
    std::shared_ptr<ScrollView> m_scrollView;
    std::shared_ptr<TextView> m_textView;
    std::shared_ptr<TextField> m_logDescriptionTextField;
    std::u16string m_logDescription;
    std::shared_ptr<Button> m_copyButton;
    std::shared_ptr<Button> m_emailButton;
    // Line breaks in the displayed text.
    size_t m_displayedLineBreaks { 0 };
    double m_lineHeight { 0 };
    // The empty line after a final line break is as high as the system font's.
    double m_emptyLastLineHeight { 0 };
};

// The header of a log's message to support: a greeting, the first
// sentence, a place for the user's description, the second sentence and a
// line of hyphens before the log.
std::u16string vornick_logEmailBodyHeader(std::u16string_view firstSentence, std::u16string_view secondSentence);

} // namespace brevanton

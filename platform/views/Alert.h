// Alert: a message with informative text and up to several buttons, run as
// a modal panel or as a sheet on a window. Without a user, the AlertDriver
// answers: tests and the scripted event source queue the answers.
#pragma once

#include "platform/views/Button.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class Window;

using ModalResponse = long;
constexpr ModalResponse AlertFirstButtonReturn = 1000;
constexpr ModalResponse AlertSecondButtonReturn = 1001;
constexpr ModalResponse AlertThirdButtonReturn = 1002;

enum class AlertStyle { Warning = 0, Informational = 1, Critical = 2 };

class Alert : public std::enable_shared_from_this<Alert> {
public:
    static std::shared_ptr<Alert> create();
    Alert() = default;

    const std::u16string& messageText() const { return m_messageText; }
    void setMessageText(std::u16string text) { m_messageText = std::move(text); }
    const std::u16string& informativeText() const { return m_informativeText; }
    void setInformativeText(std::u16string text) { m_informativeText = std::move(text); }
    AlertStyle alertStyle() const { return m_style; }
    void setAlertStyle(AlertStyle style) { m_style = style; }

    // Adds a button on the right of the others; the nth button answers
    // AlertFirstButtonReturn + n. The first is the default button (Return),
    // a button titled "Cancel" gets Escape.
    std::shared_ptr<Button> addButtonWithTitle(std::u16string title);
    const std::vector<std::shared_ptr<Button>>& buttons() const { return m_buttons; }

    // Asks the driver for the answer; without one the default button answers.
    ModalResponse runModal();
    // Attaches the alert's window to `window` as a sheet. The completion runs
    // when the driver answers: on a later run-loop turn when an answer is
    // queued, else when answerSheet is called.
    void beginSheetModalForWindow(const std::shared_ptr<Window>&, std::function<void(ModalResponse)> completion);
    bool isSheetPending() const { return m_sheetPending; }
    std::shared_ptr<Window> sheetParent() const { return m_sheetParent.lock(); }
    // Ends the sheet with the response: detaches it and calls the completion.
    void endSheet(ModalResponse);

    // The alert's own window (holding its buttons), made on first use.
    std::shared_ptr<Window> window();

private:
    std::u16string m_messageText;
    std::u16string m_informativeText;
    AlertStyle m_style { AlertStyle::Warning };
    std::vector<std::shared_ptr<Button>> m_buttons;
    std::shared_ptr<Window> m_window;
    std::weak_ptr<Window> m_sheetParent;
    std::function<void(ModalResponse)> m_sheetCompletion;
    bool m_sheetPending { false };
};

// Answers alerts in place of a user.
class AlertDriver {
public:
    using Responder = std::function<std::optional<ModalResponse>(Alert&)>;

    static AlertDriver& shared();

    // Queued answers are used first, in order.
    void enqueueResponse(ModalResponse);
    // Answers with the button of that title (the default button when none has it).
    void enqueueButtonTitle(std::u16string title);
    // Asked when no answer is queued; may answer nothing.
    void setResponder(Responder responder) { m_responder = std::move(responder); }

    // The alerts shown (modal or as sheets), in order.
    const std::vector<std::shared_ptr<Alert>>& shownAlerts() const { return m_shownAlerts; }
    // The sheets waiting for an answer.
    std::vector<std::shared_ptr<Alert>> pendingSheets() const;
    // Ends the sheet attached to `window`; false when none waits there.
    bool answerSheet(const Window&, ModalResponse);

    // Forgets answers, alerts and the responder.
    void reset();

    // Used by Alert.
    std::optional<ModalResponse> nextResponse(Alert&);
    void recordShown(const std::shared_ptr<Alert>&);

private:
    struct Answer {
        std::optional<ModalResponse> response;
        std::u16string buttonTitle;
    };
    std::deque<Answer> m_answers;
    Responder m_responder;
    std::vector<std::shared_ptr<Alert>> m_shownAlerts;
};

} // namespace brevanton

// SavePanel: asks where to save a file: a folder, a name, the allowed file
// types, a message and an optional accessory view. Without a user the
// SavePanelDriver answers, as AlertDriver does for alerts: tests queue a
// confirmation with the URL chosen, or a cancellation. With no answer
// queued and no responder, the panel is cancelled: nothing is ever written
// where nobody chose.
#pragma once

#include "platform/foundation/URL.h"
#include "platform/views/Alert.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class View;

constexpr ModalResponse ModalResponseCancel = 0;
constexpr ModalResponse ModalResponseOK = 1;

class SavePanel : public std::enable_shared_from_this<SavePanel> {
public:
    static std::shared_ptr<SavePanel> savePanel();

    // File types as extensions without the dot ("html"); empty allows any.
    // A change while the name has an extension of the old types and none of
    // the new gives the name the first new one ("photo.png" becomes
    // "photo.jpeg"), as the accessory of a running panel changes them.
    const std::vector<std::u16string>& allowedFileTypes() const { return m_allowedFileTypes; }
    void setAllowedFileTypes(std::vector<std::u16string> types);
    // Told after the allowed types (and so perhaps the name) changed: the
    // backend showing the panel follows. One observer; null removes it.
    void setAllowedFileTypesObserver(std::function<void(SavePanel&)> observer) { m_allowedFileTypesObserver = std::move(observer); }
    bool canCreateDirectories() const { return m_canCreateDirectories; }
    void setCanCreateDirectories(bool can) { m_canCreateDirectories = can; }
    bool isExtensionHidden() const { return m_extensionHidden; }
    void setExtensionHidden(bool hidden) { m_extensionHidden = hidden; }
    bool canSelectHiddenExtension() const { return m_canSelectHiddenExtension; }
    void setCanSelectHiddenExtension(bool can) { m_canSelectHiddenExtension = can; }
    const std::u16string& prompt() const { return m_prompt; }
    void setPrompt(std::u16string prompt) { m_prompt = std::move(prompt); }
    const std::u16string& message() const { return m_message; }
    void setMessage(std::u16string message) { m_message = std::move(message); }
    const std::u16string& nameFieldStringValue() const { return m_name; }
    void setNameFieldStringValue(std::u16string name) { m_name = std::move(name); }
    const std::optional<URL>& directoryURL() const { return m_directoryURL; }
    void setDirectoryURL(std::optional<URL> url) { m_directoryURL = std::move(url); }
    std::shared_ptr<View> accessoryView() const { return m_accessoryView; }
    void setAccessoryView(std::shared_ptr<View> view) { m_accessoryView = std::move(view); }

    // Runs the panel on its own (not as a sheet): ModalResponseOK when a file
    // was chosen (url() then names it), ModalResponseCancel otherwise.
    ModalResponse runModal();
    bool isRunning() const { return m_running; }
    // The chosen file, after a confirmed run.
    const std::optional<URL>& url() const { return m_url; }

private:
    // Gives the chosen name the allowed type's extension when it has none of them.
    URL withAllowedExtension(const URL&) const;

    std::vector<std::u16string> m_allowedFileTypes;
    std::function<void(SavePanel&)> m_allowedFileTypesObserver;
    bool m_canCreateDirectories { false };
    bool m_extensionHidden { false };
    bool m_canSelectHiddenExtension { false };
    std::u16string m_prompt;
    std::u16string m_message;
    std::u16string m_name;
    std::optional<URL> m_directoryURL;
    std::shared_ptr<View> m_accessoryView;
    std::optional<URL> m_url;
    bool m_running { false };
};

// Answers save panels in place of a user.
class SavePanelDriver {
public:
    struct Answer {
        ModalResponse response { ModalResponseCancel };
        // For a confirmation: the file chosen; nothing takes the panel's
        // folder and name as they were set up.
        std::optional<URL> url;
    };
    using Responder = std::function<std::optional<Answer>(SavePanel&)>;

    static SavePanelDriver& shared();

    void enqueueConfirmation(std::optional<URL> url = std::nullopt) { m_answers.push_back({ ModalResponseOK, std::move(url) }); }
    void enqueueCancellation() { m_answers.push_back({ ModalResponseCancel, std::nullopt }); }
    // Asked when no answer is queued; may answer nothing (a cancellation).
    void setResponder(Responder responder) { m_responder = std::move(responder); }

    // The panels run, in order.
    const std::vector<std::shared_ptr<SavePanel>>& shownPanels() const { return m_shownPanels; }
    void reset();

    // Used by SavePanel.
    Answer nextAnswer(SavePanel&);

private:
    std::deque<Answer> m_answers;
    Responder m_responder;
    std::vector<std::shared_ptr<SavePanel>> m_shownPanels;
};

} // namespace brevanton

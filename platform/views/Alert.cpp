#include "platform/views/Alert.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/Window.h"

namespace brevanton {

std::shared_ptr<Alert> Alert::create()
{
    return std::make_shared<Alert>();
}

std::shared_ptr<Button> Alert::addButtonWithTitle(std::u16string title)
{
    auto button = std::make_shared<Button>(Rect(0, 0, 82, 32), title);
    button->setTag(AlertFirstButtonReturn + static_cast<long>(m_buttons.size()));
    if (m_buttons.empty())
        button->setKeyEquivalent(u"\r");
    else if (title == u"Cancel")
        button->setKeyEquivalent(u"\x1b");
    m_buttons.push_back(button);
    if (m_window)
        m_window->contentView()->addSubview(button);
    return button;
}

std::shared_ptr<Window> Alert::window()
{
    if (!m_window) {
        m_window = std::make_shared<Window>(Rect(0, 0, 420, 150));
        m_window->setContentView(std::make_shared<View>(Rect(0, 0, 420, 150)));
        double x = 420 - 20;
        for (auto& button : m_buttons) {
            x -= button->frame().width();
            button->setFrameOrigin({ x, 12 });
            m_window->contentView()->addSubview(button);
        }
    }
    return m_window;
}

ModalResponse Alert::runModal()
{
    auto& driver = AlertDriver::shared();
    driver.recordShown(shared_from_this());
    auto response = driver.nextResponse(*this);
    return response ? *response : AlertFirstButtonReturn;
}

void Alert::beginSheetModalForWindow(const std::shared_ptr<Window>& parent, std::function<void(ModalResponse)> completion)
{
    BREVANTON_ASSERT(parent, "a sheet needs a window");
    BREVANTON_ASSERT(!m_sheetPending, "the alert is already shown as a sheet");
    BREVANTON_ASSERT(!parent->attachedSheet(), "the window already has a sheet");
    m_sheetParent = parent;
    m_sheetCompletion = std::move(completion);
    m_sheetPending = true;
    parent->setAttachedSheet(window());
    auto& driver = AlertDriver::shared();
    driver.recordShown(shared_from_this());
    if (auto response = driver.nextResponse(*this)) {
        std::weak_ptr<Alert> weakThis = weak_from_this();
        ModalResponse answer = *response;
        RunLoop::main().perform([weakThis, answer] {
            if (auto alert = weakThis.lock(); alert && alert->m_sheetPending)
                alert->endSheet(answer);
        });
    }
}

void Alert::endSheet(ModalResponse response)
{
    if (!m_sheetPending)
        return;
    auto protect = shared_from_this();
    m_sheetPending = false;
    if (auto parent = m_sheetParent.lock()) {
        if (parent->attachedSheet() == m_window)
            parent->setAttachedSheet(nullptr);
    }
    m_sheetParent.reset();
    auto completion = std::move(m_sheetCompletion);
    m_sheetCompletion = nullptr;
    if (completion)
        completion(response);
}

// AlertDriver

AlertDriver& AlertDriver::shared()
{
    static AlertDriver driver;
    return driver;
}

void AlertDriver::enqueueResponse(ModalResponse response)
{
    m_answers.push_back({ response, {} });
}

void AlertDriver::enqueueButtonTitle(std::u16string title)
{
    m_answers.push_back({ std::nullopt, std::move(title) });
}

std::optional<ModalResponse> AlertDriver::nextResponse(Alert& alert)
{
    if (!m_answers.empty()) {
        Answer answer = std::move(m_answers.front());
        m_answers.pop_front();
        if (answer.response)
            return answer.response;
        for (auto& button : alert.buttons()) {
            if (button->title() == answer.buttonTitle)
                return button->tag();
        }
        return AlertFirstButtonReturn;
    }
    if (m_responder)
        return m_responder(alert);
    return std::nullopt;
}

void AlertDriver::recordShown(const std::shared_ptr<Alert>& alert)
{
    m_shownAlerts.push_back(alert);
}

std::vector<std::shared_ptr<Alert>> AlertDriver::pendingSheets() const
{
    std::vector<std::shared_ptr<Alert>> result;
    for (auto& alert : m_shownAlerts) {
        if (alert->isSheetPending())
            result.push_back(alert);
    }
    return result;
}

bool AlertDriver::answerSheet(const Window& window, ModalResponse response)
{
    for (auto& alert : pendingSheets()) {
        if (alert->sheetParent().get() == &window) {
            alert->endSheet(response);
            return true;
        }
    }
    return false;
}

void AlertDriver::reset()
{
    m_answers.clear();
    m_responder = nullptr;
    m_shownAlerts.clear();
}

} // namespace brevanton

#include "ui/VornickProjectIndexingProgressWindowController.h"

#include "platform/views/Application.h"
#include "platform/views/ProgressIndicator.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"

namespace brevanton {

namespace {

constexpr double WindowWidth = 420;
constexpr double WindowHeight = 110;

std::shared_ptr<TextField> makeLabel(View& content, Rect frame)
{
    auto label = std::make_shared<TextField>(frame);
    label->setEditable(false);
    label->setBezeled(false);
    label->setDrawsBackground(false);
    content.addSubview(label);
    return label;
}

} // namespace

VornickProjectIndexingProgressWindowController::~VornickProjectIndexingProgressWindowController()
{
    if (m_window)
        m_window->orderOut();
}

const std::shared_ptr<Window>& VornickProjectIndexingProgressWindowController::window()
{
    if (m_window)
        return m_window;
    m_window = std::make_shared<Window>(Rect(320, 400, WindowWidth, WindowHeight), WindowStyle::Titled);
    Application::shared().addWindow(m_window);
    m_window->setTitle(u"Indexing");
    auto content = std::make_shared<View>(Rect(0, 0, WindowWidth, WindowHeight));
    m_window->setContentView(content);
    m_titleTextField = makeLabel(*content, Rect(20, 72, WindowWidth - 40, 22));
    auto progress = std::make_shared<ProgressIndicator>(Rect(20, 44, WindowWidth - 40, 20));
    progress->setMinValue(0);
    progress->setMaxValue(1);
    content->addSubview(progress);
    m_progressIndicator = progress;
    m_statusTextField = makeLabel(*content, Rect(20, 14, WindowWidth - 40, 22));
    return m_window;
}

} // namespace brevanton

#include "ui/VornickLogWindowController.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/EscapeClosesWindow.h"
#include "platform/views/Font.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/ScrollView.h"
#include "platform/views/SystemColors.h"
#include "platform/views/SystemFonts.h"
#include "platform/views/TextField.h"
#include "platform/views/TextView.h"
#include "platform/views/Window.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickWorkspaceExtensions.h"

#include <algorithm>

namespace brevanton {

namespace {

constexpr double WindowWidth = 640;
constexpr double WindowHeight = 480;
constexpr double Margin = 20;
constexpr double ButtonHeight = 28;
constexpr double DescriptionHeight = 48;
// Closer to the end than this, the user is reading the end.
constexpr double AtEndTolerance = 4.0;
constexpr const char* copyAction = "copyLogToPasteboard:";
constexpr const char* emailAction = "emailSupport:";

// The description's words in lines no wider than `width` in `font`.
std::u16string wrappedText(const std::u16string& text, const Font& font, double width)
{
    std::u16string wrapped;
    std::u16string line;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(u' ', start);
        if (end == std::u16string::npos)
            end = text.size();
        std::u16string word = text.substr(start, end - start);
        std::u16string candidate = line.empty() ? word : line + u' ' + word;
        if (!line.empty() && font.widthOfString(candidate) > width) {
            wrapped += line + u'\n';
            line = word;
        } else {
            line = std::move(candidate);
        }
        start = end + 1;
    }
    return wrapped + line;
}

} // namespace

std::shared_ptr<VornickLogWindowController> VornickLogWindowController::create()
{
    return std::shared_ptr<VornickLogWindowController>(new VornickLogWindowController);
}

VornickLogWindowController::VornickLogWindowController()
{
    auto attributes = std::make_shared<TextAttributeDictionary>();
    (*attributes)[FontAttributeName] = Font::fontWithName(u"Helvetica", 12);
    (*attributes)[ForegroundColorAttributeName] = systemColor(SystemColor::Text);
    m_attributes = std::move(attributes);
}

VornickLogWindowController::~VornickLogWindowController()
{
    m_amendedObservation.reset();
    m_changedObservation.reset();
    if (m_window)
        m_window->orderOut();
}

std::u16string VornickLogWindowController::supportEmailAddress()
{
    return Bundle::main().objectForInfoDictionaryKey(u"VornickSupportEmailAddress").stringValue();
}

const std::shared_ptr<Window>& VornickLogWindowController::window()
{
    if (m_window)
        return m_window;
    m_window = Window::create(Rect(200, 200, WindowWidth, WindowHeight));
    m_window->setTitle(u"General Log");
    closeWindowWithEscape(*m_window);
    auto content = std::make_shared<View>(Rect(0, 0, WindowWidth, WindowHeight));
    m_window->setContentView(content);
    std::weak_ptr<VornickLogWindowController> weakThis = weak_from_this();
    m_actions = std::make_shared<Responder>();
    m_actions->setActionHandler(copyAction, [weakThis](ActionSender*) {
        if (auto controller = weakThis.lock())
            controller->copyLogToPasteboard();
    });
    m_actions->setActionHandler(emailAction, [weakThis](ActionSender*) {
        if (auto controller = weakThis.lock(); controller && !controller->emailSupport())
            VornickGeneralLog(u"No mail program to send the log with");
    });

    m_logDescriptionTextField = std::make_shared<TextField>(
        Rect(Margin, WindowHeight - Margin - DescriptionHeight, WindowWidth - 2 * Margin, DescriptionHeight));
    m_logDescriptionTextField->setEditable(false);
    m_logDescriptionTextField->setBezeled(false);
    m_logDescriptionTextField->setDrawsBackground(false);
    m_logDescriptionTextField->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::MinYMargin);
    content->addSubview(m_logDescriptionTextField);
    setLogDescription(u"This log describes what Brevanton has done since it started.  If you encounter any trouble, please email it "
                      u"and a description of the problem to " + supportEmailAddress() + u".");

    double scrollBottom = Margin + ButtonHeight + 12;
    m_scrollView = std::make_shared<ScrollView>(
        Rect(Margin, scrollBottom, WindowWidth - 2 * Margin, WindowHeight - 2 * Margin - DescriptionHeight - 8 - scrollBottom + Margin));
    m_scrollView->setHasVerticalScroller(true);
    m_scrollView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    content->addSubview(m_scrollView);
    m_textView = std::make_shared<TextView>(Rect({ 0, 0 }, m_scrollView->contentSize()));
    m_textView->setEditable(false);
    m_textView->setSelectable(true);
    m_textView->setTextContainerInset({ 4, 4 });
    m_textView->setBackgroundColor(systemColor(SystemColor::TextBackground));
    m_textView->setAutoresizingMask(Autoresizing::WidthSizable);
    m_scrollView->setDocumentView(m_textView);
    m_lineHeight = Font::fontWithName(u"Helvetica", 12)->lineHeight();
    m_emptyLastLineHeight = systemFontOfSize(0)->lineHeight();

    m_copyButton = std::make_shared<Button>(Rect(Margin, Margin, 160, ButtonHeight), u"Copy to Clipboard");
    m_copyButton->setAction(copyAction);
    m_copyButton->setTarget(m_actions);
    content->addSubview(m_copyButton);
    m_emailButton = std::make_shared<Button>(Rect(WindowWidth - Margin - 160, Margin, 160, ButtonHeight), u"Email Log\u2026");
    m_emailButton->setAction(emailAction);
    m_emailButton->setTarget(m_actions);
    m_emailButton->setAutoresizingMask(Autoresizing::MinXMargin);
    content->addSubview(m_emailButton);

    windowDidLoad();
    return m_window;
}

void VornickLogWindowController::windowDidLoad()
{
    clearDisplayedLogText();
    if (m_log)
        appendDisplayedLogText(m_log->text());
    scrollToBottom();
}

void VornickLogWindowController::showWindow()
{
    window()->makeKeyAndOrderFront();
}

void VornickLogWindowController::close()
{
    if (m_window && m_window->isVisible())
        m_window->close();
}

std::u16string VornickLogWindowController::windowTitle()
{
    return window()->title();
}

void VornickLogWindowController::setWindowTitle(std::u16string title)
{
    window()->setTitle(std::move(title));
}

std::u16string VornickLogWindowController::logDescription()
{
    window();
    return m_logDescription;
}

void VornickLogWindowController::setLogDescription(std::u16string description)
{
    window();
    // The label shows the words in lines as wide as it is.
    auto font = systemFontOfSize(0);
    m_logDescriptionTextField->setTextString(wrappedText(description, *font, m_logDescriptionTextField->frame().width()));
    m_logDescription = std::move(description);
}

void VornickLogWindowController::setLog(std::shared_ptr<VornickLog> log)
{
    if (log == m_log)
        return;
    m_amendedObservation.reset();
    m_changedObservation.reset();
    m_log = std::move(log);
    // The window, when it is built, shows the log.
    if (m_textView) {
        clearDisplayedLogText();
        if (m_log)
            appendDisplayedLogText(m_log->text());
    }
    if (!m_log)
        return;
    std::weak_ptr<VornickLogWindowController> weakThis = weak_from_this();
    auto& center = NotificationCenter::defaultCenter();
    m_amendedObservation = center.addObserver(VornickLogAmendedNotification, m_log.get(), nullptr, [weakThis](const Notification& notification) {
        if (auto controller = weakThis.lock())
            controller->logAmended(notification);
    });
    m_changedObservation = center.addObserver(VornickLogChangedNotification, m_log.get(), nullptr, [weakThis](const Notification& notification) {
        if (auto controller = weakThis.lock())
            controller->logChanged(notification);
    });
}

void VornickLogWindowController::clearDisplayedLogText()
{
    window();
    m_textView->setString({});
    m_displayedLineBreaks = 0;
    m_textView->setFrameSize({ m_textView->frame().width(), m_textView->textContainerInset().height * 2 });
}

void VornickLogWindowController::growTextViewForAppendedText(std::u16string_view appended)
{
    m_displayedLineBreaks += static_cast<size_t>(std::count(appended.begin(), appended.end(), u'\n'));
    // As sizeToFit measures the text: each line as high as its font, the
    // empty line after a final line break as high as the system font's.
    const auto& text = m_textView->textStorage().string();
    double height = m_textView->textContainerInset().height * 2;
    if (!text.empty()) {
        double lastLine = text.back() == u'\n' ? m_emptyLastLineHeight : m_lineHeight;
        height += static_cast<double>(m_displayedLineBreaks) * m_lineHeight + lastLine;
    }
    m_textView->setFrameSize({ m_textView->frame().width(), height });
}

void VornickLogWindowController::appendDisplayedLogText(std::u16string_view text)
{
    if (text.empty())
        return;
    window();
    auto clip = m_scrollView->contentView();
    Rect visible = clip->bounds();
    bool atEnd = m_textView->frame().maxY() - visible.maxY() < AtEndTolerance;
    m_textView->beginEditing();
    m_textView->mutableTextStorage().appendString(text, m_attributes);
    m_textView->endEditing();
    growTextViewForAppendedText(text);
    if (atEnd)
        scrollToBottom();
    else
        m_scrollView->flashScrollers();
}

void VornickLogWindowController::scrollToBottom()
{
    window();
    auto clip = m_scrollView->contentView();
    clip->scrollToPoint({ 0, m_textView->frame().maxY() - clip->bounds().height() });
    m_scrollView->flashScrollers();
}

void VornickLogWindowController::logAmended(const Notification& notification)
{
    if (!m_textView)
        return;
    auto text = notification.userInfo.find(u"text");
    if (text == notification.userInfo.end() || !text->second.isString() || text->second.string().empty())
        return;
    appendDisplayedLogText(text->second.string());
}

void VornickLogWindowController::logChanged(const Notification& notification)
{
    if (!m_textView)
        return;
    auto text = notification.userInfo.find(u"text");
    if (text == notification.userInfo.end() || !text->second.isString())
        return;
    // An empty text is a cleared log: the display empties too.
    clearDisplayedLogText();
    appendDisplayedLogText(text->second.string());
    scrollToBottom();
}

void VornickLogWindowController::copyLogToPasteboard()
{
    if (!m_log)
        return;
    auto pasteboard = Pasteboard::generalPasteboard();
    pasteboard->clearContents();
    static_cast<void>(pasteboard->setString(m_log->text(), PasteboardTypeString));
}

std::u16string VornickLogWindowController::emailSubject() const
{
    return u"Brevanton Help";
}

std::u16string vornick_logEmailBodyHeader(std::u16string_view firstSentence, std::u16string_view secondSentence)
{
    std::u16string header = u"Hey " + VornickLogWindowController::supportEmailAddress() + u",\n\n";
    header += firstSentence;
    header += u"\n\n\n\n(Please briefly describe the problem here.)\n\n\n\n";
    header += secondSentence;
    header += u"\n\n" + std::u16string(80, u'-') + u"\n\n";
    return header;
}

std::u16string VornickLogWindowController::emailBodyHeader() const
{
    return vornick_logEmailBodyHeader(u"I'm seeing some odd behavior in Brevanton.", u"Here's my general log.  Help!");
}

std::u16string VornickLogWindowController::attachedLogFileName() const
{
    return u"General Log.txt";
}

VornickLogWindowController::EmailContents VornickLogWindowController::emailContentsForLogText(std::u16string_view logText) const
{
    std::u16string body = emailBodyHeader();
    body += logText;
    if (toUTF8(logText).size() <= LongestLogInMessage && vornick_mailBodyFitsInOneArgument(body))
        return { std::move(body), false };
    return { emailBodyHeader() + u"(The log is attached: " + attachedLogFileName() + u")\n", true };
}

bool VornickLogWindowController::emailSupport()
{
    std::u16string logText = m_log ? m_log->text() : std::u16string();
    auto contents = emailContentsForLogText(logText);
    VornickMailMessage message;
    message.recipients = { supportEmailAddress() };
    message.subject = emailSubject();
    message.body = std::move(contents.body);
    if (contents.attachesLog) {
        // The mail program reads the file later: it stays, private, in the
        // cache folder until the next message replaces it.
        Error error;
        auto folder = applicationFolder(XDGFolder::Cache, true, &error);
        if (!folder) {
            VornickGeneralLog(u"The log could not be attached: " + error.localizedDescription());
            return false;
        }
        std::string path = *folder + "/" + toUTF8(attachedLogFileName());
        if (!writeFileAtomically(path, toUTF8(logText), &error, 0600)) {
            VornickGeneralLog(u"The log could not be attached: " + error.localizedDescription());
            return false;
        }
        message.attachmentPaths.push_back(path);
    }
    return vornick_composeMail(message);
}

} // namespace brevanton

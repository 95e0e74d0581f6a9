#include "publishing/VornickBlogLoginUIController.h"

#include "blog/VornickPublishedBlogProject.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/Text.h"
#include "platform/views/Button.h"
#include "platform/views/CurrentEvent.h"
#include "platform/views/Event.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/Sound.h"
#include "platform/views/SystemColors.h"
#include "platform/views/Window.h"
#include "publishing/VornickBlogLoginPanelView.h"
#include "publishing/VornickProjectEditor.h"
#include "toolkit/VornickPasswordTransport.h"
#include "toolkit/VornickStringExtensions.h"
#include "ui/VornickSendActionOnEditSecureTextField.h"
#include "ui/VornickSendActionOnEditTextField.h"
#include "views/VornickHelpAnchors.h"
#include "views/VornickHelpExtensions.h"
#include "wordpress/VornickWordPressAccount.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace brevanton {

namespace {

constexpr double PanelMinimumWidth = 440;
constexpr double Margin = 20;
constexpr double FieldX = 134;
constexpr double RowLabelWidth = 110;
constexpr double AdvancedSettingsHeight = 184;

std::u16string hostedServiceRootURLString()
{
    return std::u16string(u"https://") + VornickWordPressDotComDomain;
}

std::u16string trimmed(std::u16string_view text)
{
    const CharacterSet& blanks = CharacterSet::whitespaceAndNewlines();
    size_t start = 0;
    size_t end = text.size();
    while (start < end && blanks.contains(text[start]))
        ++start;
    while (end > start && blanks.contains(text[end - 1]))
        --end;
    return std::u16string(text.substr(start, end - start));
}

// An address as the clients read it: one without a scheme is taken as https.
std::u16string addressWithScheme(const std::u16string& address)
{
    return address.find(u"://") == std::u16string::npos ? u"https://" + address : address;
}

// An address a password may not be sent to: one naming a host over anything
// but https, or plain http to another computer. An address still being
// typed ("https://") is not one.
bool refusesPassword(const std::u16string& address)
{
    if (address.empty())
        return false;
    auto url = URL::create(addressWithScheme(address));
    if (!url || url->host().value_or(u"").empty())
        return false;
    return !vornick_mayCarryPasswordToURL(*url);
}

// A whole decimal number, nothing around it.
std::optional<int64_t> integerOfText(const std::u16string& text)
{
    std::string digits = toUTF8(trimmed(text));
    int64_t value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

std::optional<double> numberOfText(const std::u16string& text)
{
    std::string digits = toUTF8(trimmed(text));
    double value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::u16string textOfNumber(double value)
{
    if (value == std::floor(value) && std::abs(value) < 1e15)
        return toUTF16(std::to_string(static_cast<int64_t>(value)));
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? toUTF16(std::string_view(buffer, end - buffer)) : std::u16string();
}

Color errorTextColor()
{
    return Color::sRGB(0.78, 0.12, 0.10);
}

void setLabelText(TextField& label, std::u16string text, const Color& color)
{
    auto attributes = std::make_shared<TextAttributeDictionary>();
    (*attributes)[ForegroundColorAttributeName] = color;
    label.setAttributedStringValue(AttributedString(std::move(text), attributes));
}

std::shared_ptr<TextField> makeLabel(const std::shared_ptr<View>& parent, Rect frame, std::u16string text)
{
    auto label = std::make_shared<TextField>(frame);
    setLabelText(*label, std::move(text), systemColor(SystemColor::Label));
    parent->addSubview(label);
    return label;
}

std::shared_ptr<TextField> makeErrorLabel(const std::shared_ptr<View>& parent, Rect frame, std::u16string text)
{
    auto label = std::make_shared<TextField>(frame);
    setLabelText(*label, std::move(text), errorTextColor());
    label->setHidden(true);
    parent->addSubview(label);
    return label;
}

// A control is its own target: its action runs the handler.
template<class ControlClass>
void aim(const std::shared_ptr<ControlClass>& control, const char* action, std::function<void()> handler)
{
    control->setAction(action);
    control->setActionHandler(action, [handler = std::move(handler)](ActionSender*) { handler(); });
    control->setTarget(control);
}

// The address field: its insertion point goes to the end when it takes the keyboard.
class HostURLField final : public VornickSendActionOnEditTextField {
public:
    using VornickSendActionOnEditTextField::VornickSendActionOnEditTextField;
    bool becomeFirstResponder() override
    {
        bool became = VornickSendActionOnEditTextField::becomeFirstResponder();
        placeInsertionPointAtEnd();
        return became;
    }
};

// The login field tells when it gives up the keyboard.
class LoginIDField final : public VornickSendActionOnEditTextField {
public:
    using VornickSendActionOnEditTextField::VornickSendActionOnEditTextField;
    std::function<void()> editingEnded;
    bool resignFirstResponder() override
    {
        if (!VornickSendActionOnEditTextField::resignFirstResponder())
            return false;
        if (editingEnded)
            editingEnded();
        return true;
    }
};

std::shared_ptr<VornickSendActionOnEditTextField> makeField(const std::shared_ptr<View>& parent, Rect frame)
{
    auto field = std::make_shared<VornickSendActionOnEditTextField>(frame);
    field->setEditable(true);
    field->setBezeled(true);
    field->setDrawsBackground(true);
    parent->addSubview(field);
    return field;
}

// The container's subviews are placed as drawn unflipped; this places a
// frame given from the container's top.
Rect fromTop(Rect frame)
{
    return Rect(frame.minX(), AdvancedSettingsHeight - frame.minY() - frame.height(), frame.width(), frame.height());
}

} // namespace

VornickBlogLoginUIController::VornickBlogLoginUIController() = default;

VornickBlogLoginUIController::~VornickBlogLoginUIController()
{
    m_switchObserver.reset();
    if (m_advancedSettingsContainer)
        m_advancedSettingsContainer->setDelegate(nullptr);
}

const std::shared_ptr<VornickBlogLoginPanelView>& VornickBlogLoginUIController::view()
{
    if (!m_view)
        loadView();
    return m_view;
}

void VornickBlogLoginUIController::loadView()
{
    std::weak_ptr<VornickBlogLoginUIController> weakThis = weak_from_this();
    auto run = [weakThis](void (VornickBlogLoginUIController::*operation)()) {
        return [weakThis, operation] {
            if (auto controller = weakThis.lock())
                (controller.get()->*operation)();
        };
    };

    // Wide enough for the longest line, the one about sending passwords.
    double width = std::max(PanelMinimumWidth, std::ceil(TextField::labelWithString(VornickPasswordTransportRefusalMessage)->frame().width()) + 2 * Margin);
    double fieldWidth = width - FieldX - Margin;
    double lineWidth = width - 2 * Margin;
    double height = 216 + AdvancedSettingsHeight + 48;
    m_view = std::make_shared<VornickBlogLoginPanelView>(Rect(0, 0, width, height));
    m_view->setIdentifier(interfaceName());
    m_view->setAutoresizesSubviews(false);
    std::shared_ptr<View> panel = m_view;

    m_accountTypePopUpButton = std::make_shared<PopUpButton>(Rect(Margin, 16, 260, 26));
    m_accountTypePopUpButton->addItemWithTitle(std::u16string(u"Hosted at ") + VornickWordPressDotComDomain)->setTag(HostedAccountTag);
    m_accountTypePopUpButton->addItemWithTitle(u"Self-Hosted Site")->setTag(SelfHostedAccountTag);
    aim(m_accountTypePopUpButton, "accountTypeChanged:", run(&VornickBlogLoginUIController::accountTypeChanged));
    panel->addSubview(m_accountTypePopUpButton);
    m_accountRequirementsLabel = makeLabel(panel, Rect(Margin, 46, lineWidth, 17), {});

    m_hostURLLabel = makeLabel(panel, Rect(Margin, 74, RowLabelWidth, 17), u"Site Address:");
    m_hostURLField = std::make_shared<HostURLField>(Rect(FieldX, 72, fieldWidth, 22));
    m_hostURLField->setEditable(true);
    m_hostURLField->setBezeled(true);
    m_hostURLField->setDrawsBackground(true);
    panel->addSubview(m_hostURLField);
    aim(m_hostURLField, "hostURLEdited:", run(&VornickBlogLoginUIController::hostURLEdited));
    m_hostURLTransportLabel = makeErrorLabel(panel, Rect(Margin, 98, lineWidth, 17), VornickPasswordTransportRefusalMessage);

    makeLabel(panel, Rect(Margin, 122, RowLabelWidth, 17), u"User Name:");
    auto loginField = std::make_shared<LoginIDField>(Rect(FieldX, 120, fieldWidth, 22));
    loginField->setEditable(true);
    loginField->setBezeled(true);
    loginField->setDrawsBackground(true);
    loginField->editingEnded = run(&VornickBlogLoginUIController::loginIDEditingEnded);
    panel->addSubview(loginField);
    m_loginIDField = loginField;
    aim(m_loginIDField, "loginIDEdited:", run(&VornickBlogLoginUIController::loginIDEdited));
    m_loginIDErrorLabel = makeErrorLabel(panel, Rect(FieldX, 146, fieldWidth, 17), InvalidLoginIDMessage);

    makeLabel(panel, Rect(Margin, 170, RowLabelWidth, 17), u"Password:");
    m_passwordField = std::make_shared<VornickSendActionOnEditSecureTextField>(Rect(FieldX, 168, fieldWidth, 22));
    panel->addSubview(m_passwordField);
    aim(m_passwordField, "passwordEdited:", run(&VornickBlogLoginUIController::passwordEdited));
    m_passwordErrorLabel = makeErrorLabel(panel, Rect(FieldX, 194, fieldWidth, 17), InvalidPasswordMessage);

    // The advanced settings, collapsed below.
    m_advancedSettingsContainer = std::make_shared<VornickCollapsibleContainerView>(Rect(0, 216, width, AdvancedSettingsHeight));
    std::shared_ptr<View> advanced = m_advancedSettingsContainer;
    auto disclosure = std::make_shared<Button>(fromTop(Rect(Margin, 6, 13, 13)));
    disclosure->setButtonType(ButtonType::PushOnPushOff);
    advanced->addSubview(disclosure);
    m_advancedSettingsContainer->setDisclosureButton(disclosure);
    m_advancedSettingsContainer->setLabelTextField(makeLabel(advanced, fromTop(Rect(Margin + 18, 4, 200, 17)), u"Advanced Settings"));
    makeLabel(advanced, fromTop(Rect(Margin, 32, RowLabelWidth, 17)), u"Protocol:");
    m_protocolPopUpButton = std::make_shared<PopUpButton>(fromTop(Rect(FieldX, 28, 200, 26)));
    m_protocolPopUpButton->addItemWithTitle(u"XML-RPC")->setTag(XMLRPCProtocolTag);
    m_protocolPopUpButton->addItemWithTitle(u"REST API v1.1")->setTag(RESTv1ProtocolTag);
    m_protocolPopUpButton->addItemWithTitle(u"REST API wp/v2")->setTag(RESTv2ProtocolTag);
    aim(m_protocolPopUpButton, "protocolChanged:", run(&VornickBlogLoginUIController::protocolChanged));
    advanced->addSubview(m_protocolPopUpButton);
    m_limitRequestRateCheckbox = std::make_shared<Button>(fromTop(Rect(Margin, 62, 260, 18)), u"Limit the request rate");
    m_limitRequestRateCheckbox->setButtonType(ButtonType::Switch);
    aim(m_limitRequestRateCheckbox, "limitRequestRateToggled:", run(&VornickBlogLoginUIController::limitRequestRateToggled));
    advanced->addSubview(m_limitRequestRateCheckbox);
    m_maxRequestCountField = makeField(advanced, fromTop(Rect(FieldX, 86, 70, 22)));
    makeLabel(advanced, fromTop(Rect(FieldX + 76, 88, 100, 17)), u"requests every");
    m_maxRequestTimeIntervalField = makeField(advanced, fromTop(Rect(FieldX + 180, 86, 70, 22)));
    makeLabel(advanced, fromTop(Rect(FieldX + 256, 88, 60, 17)), u"seconds");
    for (auto& field : { m_maxRequestCountField, m_maxRequestTimeIntervalField })
        aim(field, "maxRequestParameterEdited:", run(&VornickBlogLoginUIController::maxRequestParameterEdited));
    m_requestRateRangeLabel = makeErrorLabel(advanced, fromTop(Rect(FieldX, 112, fieldWidth, 17)), RequestRateRangeMessage);
    m_remoteEndpointLabel = makeLabel(advanced, fromTop(Rect(Margin, 136, RowLabelWidth, 17)), u"Endpoint:");
    m_remoteEndpointField = makeField(advanced, fromTop(Rect(FieldX, 134, fieldWidth, 22)));
    aim(m_remoteEndpointField, "remoteEndpointURLEdited:", run(&VornickBlogLoginUIController::remoteEndpointURLEdited));
    m_remoteEndpointTransportLabel = makeErrorLabel(advanced, fromTop(Rect(Margin, 160, lineWidth, 17)), VornickPasswordTransportRefusalMessage);
    panel->addSubview(m_advancedSettingsContainer);
    m_advancedSettingsContainer->awakeFromLayout();
    m_advancedSettingsContainer->setDelegate(this);

    double buttonsY = 216 + AdvancedSettingsHeight + 10;
    m_helpButton = std::make_shared<Button>(Rect(Margin, buttonsY + 2, 24, 24), u"?");
    aim(m_helpButton, "showHelpTopic:", run(&VornickBlogLoginUIController::showHelpTopic));
    panel->addSubview(m_helpButton);
    m_loginButton = std::make_shared<Button>(Rect(width - Margin - 100, buttonsY, 100, 28), u"Log In");
    m_loginButton->setKeyEquivalent(u"\r");
    aim(m_loginButton, "login:", run(&VornickBlogLoginUIController::login));
    panel->addSubview(m_loginButton);

    m_switchObserver = NotificationCenter::defaultCenter().addObserver(
        VornickPublishedBlogSynchronizerDidSwitchSyncSessionNotification, nullptr, nullptr, [weakThis](const Notification& notification) {
            if (auto controller = weakThis.lock())
                controller->synchronizerDidSwitchSyncSession(notification);
        });

    m_advancedSettingsContainer->setCollapsed(true);
    m_hostURLField->setTextString(u"https://");
    updateLoginPanelFromAccount();
}

std::shared_ptr<VornickWordPressAccount> VornickBlogLoginUIController::wordPressAccount() const
{
    return std::dynamic_pointer_cast<VornickWordPressAccount>(m_account);
}

void VornickBlogLoginUIController::setAccount(std::shared_ptr<VornickBlogHostingAccount> account)
{
    bool sameAccount = m_view && account == m_account;
    // Shown again for the same account (after its sync failed), the panel
    // keeps saying what the server refused.
    bool loginIDRefused = sameAccount && !m_loginIDErrorLabel->isHidden();
    bool passwordRefused = sameAccount && !m_passwordErrorLabel->isHidden();
    m_account = std::move(account);
    view();
    updateLoginPanelFromAccount();
    m_loginIDErrorLabel->setHidden(!loginIDRefused);
    m_passwordErrorLabel->setHidden(!passwordRefused);
    // Shown first after the account's last sync ended: what it refused.
    if (auto* synchronizer = this->synchronizer(); !sameAccount && synchronizer && synchronizer->lastEndedSyncSession())
        showRefusalsOfSession(*synchronizer->lastEndedSyncSession());
}

VornickPublishedBlogSynchronizer* VornickBlogLoginUIController::synchronizer() const
{
    if (!m_account)
        return nullptr;
    auto project = std::dynamic_pointer_cast<VornickPublishedBlogProject>(m_account->project());
    return project ? &project->synchronizer() : nullptr;
}

bool VornickBlogLoginUIController::sendsPasswordInTheClear() const
{
    auto account = wordPressAccount();
    if (!account)
        return false;
    return refusesPassword(account->rootURLString()) || refusesPassword(account->remoteEndpointURLString().value_or(u""));
}

bool VornickBlogLoginUIController::canAttemptLogin() const
{
    auto account = wordPressAccount();
    if (!account || !m_passwordField)
        return false;
    std::u16string root = account->rootURLString();
    if (root.empty() || account->loginID().empty() || trimmed(m_passwordField->stringValue()).empty())
        return false;
    if (!vornick_mayCarryPasswordToURLString(addressWithScheme(root)))
        return false;
    const auto& endpoint = account->remoteEndpointURLString();
    return !endpoint || endpoint->empty() || vornick_mayCarryPasswordToURLString(addressWithScheme(*endpoint));
}

void VornickBlogLoginUIController::canAttemptLoginDidChange()
{
    updateTransportLabels();
    bool can = canAttemptLogin();
    m_loginButton->setEnabled(can);
    if (can == m_lastCanAttemptLogin)
        return;
    m_lastCanAttemptLogin = can;
    NotificationCenter::defaultCenter().post(CanAttemptLoginDidChangeNotification, this);
}

void VornickBlogLoginUIController::updateTransportLabels()
{
    auto account = wordPressAccount();
    m_hostURLTransportLabel->setHidden(!account || !refusesPassword(account->rootURLString()));
    m_remoteEndpointTransportLabel->setHidden(!account || !refusesPassword(account->remoteEndpointURLString().value_or(u"")));
}

void VornickBlogLoginUIController::updateLoginPanelFromAccount()
{
    if (!m_view)
        return;
    auto account = wordPressAccount();
    updateAccountTypeControls();
    updateProtocolControls();
    updateRequestRateControls();
    m_hostURLField->setTextString(account && !account->rootURLString().empty() ? account->rootURLString() : u"https://");
    m_loginIDField->setTextString(account ? account->loginID() : std::u16string());
    std::optional<std::u16string> password = account && !account->loginID().empty() ? account->password() : std::nullopt;
    m_passwordField->setTextString(password.value_or(u""));
    m_loginIDErrorLabel->setHidden(true);
    m_passwordErrorLabel->setHidden(true);
    canAttemptLoginDidChange();
}

void VornickBlogLoginUIController::updateAccountTypeControls()
{
    auto account = wordPressAccount();
    bool hosted = account && account->isWordPressDotComAccount();
    m_accountTypePopUpButton->selectItemAtIndex(hosted ? HostedAccountTag : SelfHostedAccountTag);
    setLabelText(*m_hostURLLabel, m_hostURLLabel->stringValue(), systemColor(hosted ? SystemColor::DisabledControlText : SystemColor::Label));
    m_hostURLField->setEnabled(!hosted);
}

void VornickBlogLoginUIController::updateProtocolControls()
{
    auto account = wordPressAccount();
    long tag = RESTv2ProtocolTag;
    std::u16string requirements;
    if (account) {
        if (account->effectiveProtocolType() == VornickWordPressProtocolType::XMLRPC)
            tag = XMLRPCProtocolTag;
        else if (account->restAPIVersion() == 1)
            tag = RESTv1ProtocolTag;
        switch (account->authenticationType()) {
        case VornickWordPressAuthenticationType::OAuth2Bearer:
            requirements = std::u16string(u"Will use OAuth2 authentication with ") + VornickWordPressDotComDomain;
            break;
        case VornickWordPressAuthenticationType::HTTPBasic:
            // The site's own application passwords log in this way; no plugin is needed.
            requirements = u"Will use an application password (Basic authentication)";
            break;
        case VornickWordPressAuthenticationType::InsideXMLRPCCalls:
            requirements = u"Will use password authentication";
            break;
        }
    }
    m_protocolPopUpButton->selectItemAtIndex(tag);
    setLabelText(*m_accountRequirementsLabel, std::move(requirements), systemColor(SystemColor::SecondaryLabel));
    updateRemoteEndpointControls();
}

void VornickBlogLoginUIController::updateRemoteEndpointControls()
{
    auto account = wordPressAccount();
    bool xmlrpc = account && account->effectiveProtocolType() == VornickWordPressProtocolType::XMLRPC;
    m_remoteEndpointField->setEnabled(xmlrpc);
    setLabelText(*m_remoteEndpointLabel, m_remoteEndpointLabel->stringValue(), systemColor(xmlrpc ? SystemColor::Label : SystemColor::DisabledControlText));
    m_remoteEndpointField->setTextString(account ? account->remoteEndpointURLString().value_or(u"") : std::u16string());
    std::u16string root = account ? account->rootURLString() : std::u16string();
    m_remoteEndpointField->setPlaceholderString(xmlrpc && !root.empty() ? root + u"/xmlrpc.php" : std::u16string());
}

void VornickBlogLoginUIController::updateRequestRateControls()
{
    auto account = wordPressAccount();
    bool limited = account && account->maxRequestCount() && account->maxRequestTimeInterval();
    m_limitRequestRateCheckbox->setState(limited ? OnState : OffState);
    m_maxRequestCountField->setTextString(limited ? toUTF16(std::to_string(*account->maxRequestCount())) : std::u16string());
    m_maxRequestTimeIntervalField->setTextString(limited ? textOfNumber(*account->maxRequestTimeInterval()) : std::u16string());
    m_maxRequestCountField->setEnabled(limited);
    m_maxRequestTimeIntervalField->setEnabled(limited);
    m_requestRateRangeLabel->setHidden(true);
}

void VornickBlogLoginUIController::accountTypeChanged()
{
    auto account = wordPressAccount();
    if (!account)
        return;
    bool hosted = m_accountTypePopUpButton->selectedItem() && m_accountTypePopUpButton->selectedItem()->tag() == HostedAccountTag;
    account->setRootURLString(hosted ? hostedServiceRootURLString() : std::u16string());
    m_hostURLField->setTextString(u"https://");
    updateAccountTypeControls();
    updateProtocolControls();
    canAttemptLoginDidChange();
    accountWasEdited();
    if (auto window = m_view->window())
        (void)window->makeFirstResponder(hosted ? std::shared_ptr<Responder>(m_loginIDField) : std::shared_ptr<Responder>(m_hostURLField));
}

void VornickBlogLoginUIController::protocolChanged()
{
    auto account = wordPressAccount();
    auto item = m_protocolPopUpButton->selectedItem();
    if (!account || !item)
        return;
    long tag = item->tag();
    account->setUseXMLRPC(tag == XMLRPCProtocolTag);
    account->setRestAPIVersion(static_cast<int>(tag));
    if (tag != XMLRPCProtocolTag)
        account->setRemoteEndpointURLString(std::nullopt);
    updateProtocolControls();
    canAttemptLoginDidChange();
    accountWasEdited();
}

void VornickBlogLoginUIController::hostURLEdited()
{
    auto account = wordPressAccount();
    if (!account)
        return;
    std::u16string address = trimmed(m_hostURLField->stringValue());
    // An address typed without a scheme is the site's https address.
    if (!address.empty() && address.find(u"://") == std::u16string::npos)
        address = u"https://" + address;
    account->setRootURLString(address);
    updateRemoteEndpointControls();
    canAttemptLoginDidChange();
    accountWasEdited();
}

void VornickBlogLoginUIController::limitRequestRateToggled()
{
    auto account = wordPressAccount();
    if (!account)
        return;
    bool limited = m_limitRequestRateCheckbox->state() == OnState;
    account->setMaxRequestCount(limited ? std::optional<int64_t>(10) : std::nullopt);
    account->setMaxRequestTimeInterval(limited ? std::optional<double>(60.0) : std::nullopt);
    updateRequestRateControls();
    accountWasEdited();
}

void VornickBlogLoginUIController::maxRequestParameterEdited()
{
    auto account = wordPressAccount();
    if (!account || m_limitRequestRateCheckbox->state() != OnState)
        return;
    // A value out of range is not taken: the account keeps the last good one.
    auto count = integerOfText(m_maxRequestCountField->stringValue());
    bool countIsGood = count && *count >= 1 && *count <= MaxRequestCountLimit;
    bool changed = false;
    if (countIsGood && account->maxRequestCount() != count) {
        account->setMaxRequestCount(*count);
        changed = true;
    }
    auto interval = numberOfText(m_maxRequestTimeIntervalField->stringValue());
    bool intervalIsGood = interval && *interval >= 1 && *interval <= MaxRequestTimeIntervalLimit;
    if (intervalIsGood && account->maxRequestTimeInterval() != interval) {
        account->setMaxRequestTimeInterval(*interval);
        changed = true;
    }
    m_requestRateRangeLabel->setHidden(countIsGood && intervalIsGood);
    if (changed)
        accountWasEdited();
}

void VornickBlogLoginUIController::remoteEndpointURLEdited()
{
    auto account = wordPressAccount();
    if (!account)
        return;
    std::u16string endpoint = trimmed(m_remoteEndpointField->stringValue());
    account->setRemoteEndpointURLString(endpoint.empty() ? std::nullopt : std::optional<std::u16string>(endpoint));
    canAttemptLoginDidChange();
    accountWasEdited();
}

void VornickBlogLoginUIController::loginIDEdited()
{
    auto account = wordPressAccount();
    if (!account)
        return;
    account->setLoginID(trimmed(m_loginIDField->stringValue()));
    canAttemptLoginDidChange();
    accountWasEdited();
}

void VornickBlogLoginUIController::loginIDEditingEnded()
{
    auto account = wordPressAccount();
    if (!account || !m_passwordField->stringValue().empty() || account->loginID().empty())
        return;
    if (auto password = account->password(); password && !password->empty()) {
        m_passwordField->setTextString(*password);
        canAttemptLoginDidChange();
    }
}

void VornickBlogLoginUIController::passwordEdited()
{
    canAttemptLoginDidChange();
    if (!canAttemptLogin())
        return;
    const Event* event = currentApplicationEvent();
    if (event && event->type() == EventType::KeyDown && vornick_isReturnOrEnterKey(event->characters()))
        login();
}

void VornickBlogLoginUIController::accountWasEdited()
{
    auto account = wordPressAccount();
    auto project = account ? account->project() : nullptr;
    if (auto editor = project ? VornickProjectEditor::projectEditorForProject(project) : nullptr)
        editor->updateChangeCount();
}

void VornickBlogLoginUIController::showPasswordError(const std::u16string& message)
{
    setLabelText(*m_passwordErrorLabel, message, errorTextColor());
    m_passwordErrorLabel->setHidden(false);
}

void VornickBlogLoginUIController::login()
{
    auto account = wordPressAccount();
    if (!account || !canAttemptLogin()) {
        Sound::beep();
        return;
    }
    Error error;
    if (!account->setPassword(m_passwordField->stringValue(), &error)) {
        // Starting now would fail as for a wrong password; say what went wrong instead.
        showPasswordError(error.localizedDescription());
        return;
    }
    // The address and login go into the project file with the password in
    // the keychain: the next launch signs in with what was typed here.
    auto project = account->project();
    auto editor = project ? VornickProjectEditor::projectEditorForProject(project) : nullptr;
    if (editor ? !editor->saveProjectIfEdited(&error) : project && !project->save(&error)) {
        showPasswordError(error.localizedDescription());
        return;
    }
    m_loginIDErrorLabel->setHidden(true);
    m_passwordErrorLabel->setHidden(true);
    if (m_delegate && m_delegate->windowForAuthenticationUI())
        m_delegate->login(*this);
}

void VornickBlogLoginUIController::loginToAdditionalBlog()
{
    m_authenticateForAdditionalBlog = true;
    login();
}

void VornickBlogLoginUIController::showHelpTopic()
{
    vornick_openHelpAnchor(VornickHelpAnchor::ConnectingToWordPress);
}

bool VornickBlogLoginUIController::shouldChangeStateTo(VornickCollapsibleContainerView&, bool)
{
    return true;
}

void VornickBlogLoginUIController::didResizeHeightBy(VornickCollapsibleContainerView& container, double heightChange)
{
    auto superview = container.superview();
    if (superview) {
        double oldBottom = container.frame().maxY() - heightChange;
        for (auto& sibling : superview->subviews()) {
            if (sibling.get() != &container && sibling->frame().minY() >= oldBottom)
                sibling->setFrameOrigin({ sibling->frame().minX(), sibling->frame().minY() + heightChange });
        }
        superview->setFrameSize({ superview->frame().width(), superview->frame().height() + heightChange });
    }
    if (m_delegate)
        m_delegate->didResizeHeightBy(container, heightChange);
}

void VornickBlogLoginUIController::focusHostURLField()
{
    auto window = view()->window();
    if (!window)
        return;
    auto account = wordPressAccount();
    bool hosted = account && account->isWordPressDotComAccount();
    (void)window->makeFirstResponder(hosted ? std::shared_ptr<Responder>(m_loginIDField) : std::shared_ptr<Responder>(m_hostURLField));
}

void VornickBlogLoginUIController::focusPasswordField()
{
    if (auto window = view()->window())
        (void)window->makeFirstResponder(m_passwordField);
}

void VornickBlogLoginUIController::synchronizerDidSwitchSyncSession(const Notification& notification)
{
    auto* synchronizer = this->synchronizer();
    if (!synchronizer || notification.object != synchronizer)
        return;
    auto found = notification.userObjects.find("oldSyncSession");
    if (found == notification.userObjects.end())
        return;
    auto* session = std::any_cast<std::shared_ptr<VornickBlogServiceSyncSession>>(&found->second);
    if (!session || !*session)
        return;
    showRefusalsOfSession(**session);
}

void VornickBlogLoginUIController::showRefusalsOfSession(const VornickBlogServiceSyncSession& session)
{
    setLabelText(*m_passwordErrorLabel, InvalidPasswordMessage, errorTextColor());
    m_loginIDErrorLabel->setHidden(!session.failedDueToInvalidLoginID());
    m_passwordErrorLabel->setHidden(!session.failedDueToInvalidPassword());
}

} // namespace brevanton

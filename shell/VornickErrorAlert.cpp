#include "shell/VornickErrorAlert.h"

#include "platform/views/Alert.h"
#include "toolkit/VornickErrors.h"

namespace brevanton {

namespace {

std::u16string stringInUserInfo(const Error& error, const char16_t* key)
{
    auto found = error.userInfo().find(std::u16string_view(key));
    return found != error.userInfo().end() && found->second.isString() ? found->second.string() : std::u16string();
}

// Words for the errors of our own domain that are made without a description.
std::u16string descriptionOfKind(const Error& error)
{
    if (error.domain() == VornickErrorDomain) {
        switch (error.code()) {
        case VornickWriterProducedNoHTMLDataError:
            return u"The page could not be written as HTML.";
        case VornickNoWebArchiveError:
            return u"The page could not be archived.";
        case VornickTidyFailedError:
            return u"The HTML checker could not check the page.";
        case VornickDocumentFileChangedError:
            return u"The file was changed by another program since it was read.";
        case VornickDocumentFileWriteProtectedError:
            return u"The file is write-protected.";
        case VornickDocumentFileNotHTMLError:
            return u"The file is not an HTML or XHTML file.";
        default:
            break;
        }
    }
    return u"The operation could not be completed.";
}

} // namespace

std::u16string VornickUserDescriptionOfError(const Error& error)
{
    std::u16string description = stringInUserInfo(error, Error::LocalizedDescriptionKey);
    if (description.empty() && error.domain() == POSIXErrorDomain)
        description = error.localizedDescription();
    if (description.empty() && error.underlyingError())
        description = VornickUserDescriptionOfError(*error.underlyingError());
    if (description.empty())
        description = descriptionOfKind(error);
    std::u16string suggestion = stringInUserInfo(error, Error::LocalizedRecoverySuggestionKey);
    if (!suggestion.empty())
        description += u"\n\n" + suggestion;
    return description;
}

std::shared_ptr<Alert> VornickAlertForError(std::u16string messageText, const Error& error)
{
    auto alert = Alert::create();
    alert->setMessageText(std::move(messageText));
    alert->setInformativeText(VornickUserDescriptionOfError(error));
    alert->addButtonWithTitle(u"OK");
    return alert;
}

} // namespace brevanton

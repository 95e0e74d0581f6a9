#include "shell/VornickErrorAlert.h"

#include "platform/views/Alert.h"
#include "toolkit/VornickErrors.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace brevanton;

namespace {

bool mentions(const std::u16string& text, std::u16string_view part)
{
    return text.find(part) != std::u16string::npos;
}

TEST(VornickErrorAlert, DescribesEveryErrorInWordsNeverByDomainAndCode)
{
    // An error of our own made without a description (the writer's).
    auto written = VornickUserDescriptionOfError(Error(VornickErrorDomain, VornickWriterProducedNoHTMLDataError));
    EXPECT_EQ(written, u"The page could not be written as HTML.");
    // Of a kind no table names, in any domain.
    for (const auto& error : { Error(VornickErrorDomain, 9999), Error("SomeLibraryErrorDomain", 8) }) {
        auto said = VornickUserDescriptionOfError(error);
        EXPECT_FALSE(mentions(said, u"Domain")) << error.domain();
        EXPECT_FALSE(mentions(said, u"error 8"));
        EXPECT_FALSE(said.empty());
    }
    // A system error says the system's words.
    EXPECT_TRUE(mentions(VornickUserDescriptionOfError(Error::posix(ENOENT, u"Opening")), u"No such file"));
    // Without words of its own, an error tells its underlying error's.
    Error wrapper(VornickErrorDomain, 9999);
    wrapper.setUnderlyingError(Error("Inner", 1, u"The disk is full."));
    EXPECT_EQ(VornickUserDescriptionOfError(wrapper), u"The disk is full.");
}

TEST(VornickErrorAlert, TheAlertShowsTheDescriptionThenTheRecoverySuggestion)
{
    Error error(VornickErrorDomain, VornickDocumentFileNotHTMLError, u"\u201Cstyle.css\u201D is not a page.");
    error.userInfo()[Error::LocalizedRecoverySuggestionKey] = Value(std::u16string(u"Open it in a style sheet editor."));
    auto alert = VornickAlertForError(u"The document could not be opened.", error);
    EXPECT_EQ(alert->messageText(), u"The document could not be opened.");
    EXPECT_EQ(alert->informativeText(), u"\u201Cstyle.css\u201D is not a page.\n\nOpen it in a style sheet editor.");
    ASSERT_EQ(alert->buttons().size(), 1u);
}

} // namespace

// The brevanton executable. Until a GUI backend exists it runs headless: it
// opens each file given to it into a content editing view in a window, as the
// application will, reports what the system knows of it and how it loaded,
// and with --save writes it back through the editing view, as saving it in
// the editor does.
#include "app/VornickApplicationDelegate.h"
#include "app/VornickResourceLoadAttempt.h"
#include "app/VornickWindow.h"
#include "editing/VornickContentEditingView.h"
#include "dom/VornickWebFrameExtensions.h"
#include "toolkit/VornickDocumentFile.h"
#include "toolkit/VornickLineIndex.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickHTMLDocumentType.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickHTMLStringSyntaxPainterAndMapper.h"
#include "html/VornickHTMLWriter.h"
#include "html/VornickTidyFilter.h"
#include "html/VornickValidationAdvisory.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMParsing.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Application.h"
#include "platform/web/WebFrame.h"

#include <cstdio>
#include <cstring>
#include <future>
#include <optional>
#include <string>
#include <vector>

using namespace brevanton;

namespace {

constexpr size_t maximumAdvisoriesShown = 20;

void printUsage()
{
    std::printf("Usage: brevanton [--version] [--help] [--save] FILE...\n"
                "Opens each HTML or XHTML file into an editing view, as the editor does, and\n"
                "reports what Brevanton knows of it: size, character encoding, document type,\n"
                "lines and line endings, the advisories HTML Tidy gives for the source the HTML\n"
                "writer makes of it with your default formatting preferences, how the page\n"
                "loaded (with the resources that failed) and its validation summary.\n"
                "  --save   write each file back through the editing view (atomically, in its\n"
                "           own character encoding, frames included), as saving it in the\n"
                "           editor does;\n"
                "           only HTML and XHTML files are saved, never a write-protected\n"
                "           file or one changed by another program since it was read\n"
                "Only regular files of at most 64 MB are opened.\n");
}

const char* newlineName(VornickNewlineConvention convention)
{
    switch (convention) {
    case VornickNewlineConvention::LF: return "LF";
    case VornickNewlineConvention::CR: return "CR";
    case VornickNewlineConvention::CRLF: return "CRLF";
    default: return "none";
    }
}

const char* advisoryKindName(VornickValidationAdvisoryKind kind)
{
    switch (kind) {
    case VornickValidationAdvisoryKind::Warning: return "warning";
    case VornickValidationAdvisoryKind::Error: return "error";
    default: return "note";
    }
}

bool reportFailure(const std::string& path, const Error& error)
{
    std::fprintf(stderr, "brevanton: %s: %s\n", path.c_str(), toUTF8(error.localizedDescription()).c_str());
    return false;
}

const char* loadResultName(VornickContentLoadingState state)
{
    switch (state) {
    case VornickContentLoadingSucceeded: return "loaded";
    case VornickContentLoadingPartlyFailed: return "loaded, some resources failed";
    case VornickContentLoadingFailed: return "failed";
    default: return "not loaded";
    }
}

// Opens the file into a new editing view of the document window, reports how
// it loaded, the resources that failed and the validation summary, and
// answers the view (null when none could be made).
std::shared_ptr<VornickContentEditingView> openInEditingView(const std::string& path, VornickWindow& window)
{
    auto view = VornickContentEditingView::create(window.contentView()->bounds());
    window.setContentView(view);
    Error error;
    bool loaded = view->loadContentFromURL(URL::fileURLWithPath(path), &error);
    std::printf("  load:           %s%s%s\n", loadResultName(view->loadingState()), loaded ? "" : ": ",
                loaded ? "" : toUTF8(error.localizedDescription()).c_str());
    for (const auto& attempt : view->failedResourceLoadAttempts()) {
        const char* reason = attempt->state() == VornickResourceLoadState::FailedForLackOfFileAccess ? "no access" : "failed";
        std::printf("  failed resource: %s (%s%s%s)\n", toUTF8(attempt->url().absoluteString()).c_str(), reason,
                    attempt->error() ? ": " : "", attempt->error() ? toUTF8(attempt->error()->localizedDescription()).c_str() : "");
    }
    // Validation was asked for when loading ended, for a frame that has a
    // source to validate (a file that is not HTML has none).
    auto focused = view->focusedWebFrame();
    if (loaded && view->mainFrameDocument() && focused && vornick_lastGeneratedHTMLString(*focused)) {
        bool validated = false;
        auto observation = NotificationCenter::defaultCenter().addObserver(
            VornickContentEditingViewValidationResultsForFocusedWebFrameDidChangeNotification, view.get(), nullptr,
            [&validated](const Notification&) { validated = true; });
        RunLoop::main().runUntil([&validated] { return validated; }, VornickTidyFilter::timeout().count() / 1000.0 + 5);
        std::printf("  validation:     %s\n", toUTF8(view->tidyStatusSummaryForDisplayToUser()).c_str());
    }
    return view;
}

bool openFile(const std::string& path, bool save, VornickWindow& window)
{
    Error error;
    VornickDocumentFile file(path);
    auto bytes = file.read(&error);
    if (!bytes)
        return reportFailure(path, error);

    // The text as the DOM reads it: byte-order mark, declared charset, UTF-8, windows-1252.
    bool isXML = DOMDocument::isXMLPath(toUTF16(path));
    auto syntax = isXML ? DocumentTextSyntax::XML : DocumentTextSyntax::HTML;
    auto decoded = decodeDocumentText(*bytes, syntax);
    auto sourceText = std::make_shared<const std::u16string>(toUTF16(decoded.utf8));
    const std::u16string& source = *sourceText;
    auto urlString = URL::fileURLWithPath(path, false).absoluteString();
    auto document = DOMDocument::parseDecoded(decoded, syntax, urlString, &error);
    if (!document)
        return reportFailure(path, error);

    // An empty text has no line index.
    auto lineIndex = VornickLineIndex::createByIndexingString(sourceText, 1, 1, 4);
    size_t lines = lineIndex ? lineIndex->numberOfLines() : 0;
    VornickNewlineConvention convention = lineIndex ? lineIndex->newlineConvention() : VornickNewlineConvention::Unknown;
    auto documentType = VornickDocumentTypeOfDocument(*document);
    std::printf("%s\n", path.c_str());
    std::printf("  size:           %zu bytes, %zu UTF-16 units\n", bytes->size(), source.size());
    std::printf("  encoding:       %s%s\n", toUTF8(document->characterSet()).c_str(),
                document->hasByteOrderMark() ? " with byte-order mark" : "");
    std::printf("  document type:  %s%s\n",
                documentType == VornickHTMLDocumentType::Unknown ? "unknown"
                                                               : toUTF8(VornickHTMLDocumentTypeToPersistableString(documentType)).c_str(),
                isXML ? " (parsed as XML)" : "");
    std::printf("  lines:          %zu\n", lines);
    std::printf("  line endings:   %s\n", newlineName(convention));

    auto preferences = VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferences();
    std::shared_ptr<const VornickHTMLFormattingPreferences> formatting = preferences;
    if (!formatting)
        formatting = VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences();
    if (convention == VornickNewlineConvention::Unknown)
        convention = VornickNewlineConvention::LF;
    auto writer = VornickHTMLWriter::htmlWriterWithFormattingPreferences(*formatting, 0, convention);
    auto written = writer->htmlStringFromDocument(*document);
    std::printf("  written source: %zu UTF-16 units%s\n", written.size(),
                written == source ? " (identical to the file)" : "");

    // Tidy validates the written source while the page opens in the editor.
    auto validation = std::async(std::launch::async, [&written] {
        std::vector<VornickValidationAdvisory> advisories;
        auto result = VornickTidyFilter::validateHTMLStringNow(written, advisories);
        return std::make_pair(result, std::move(advisories));
    });

    // The page as the editor opens it: in an editing view of a window.
    auto view = openInEditingView(path, window);
    bool saved = false;
    bool savedThroughView = false;
    std::optional<std::string> data;
    if (save) {
        if (view && view->mainFrameDocument() && VornickDocumentFile::isDocumentPath(path)) {
            std::vector<Error> errors;
            savedThroughView = true;
            saved = view->writeHTMLDocumentToURL(URL::fileURLWithPath(path), std::nullopt, true, &errors);
            if (!saved && !errors.empty())
                error = errors.front();
            for (size_t i = 1; i < errors.size(); ++i)
                reportFailure(path, errors[i]);
        } else {
            // What no editing view shows is saved (or refused) as the file it is.
            data = writer->documentDataFromWrittenString(*document, written, &error);
            saved = data && file.save(*data, &error);
        }
    }
    document.reset();

    auto [result, advisories] = validation.get();
    static const char* const results[] = { "valid", "warnings", "errors", "not validated" };
    std::printf("  tidy:           %s, %zu advisories\n", results[static_cast<size_t>(result)],
                advisories.size());
    for (size_t i = 0; i < advisories.size() && i < maximumAdvisoriesShown; ++i) {
        const auto& advisory = advisories[i];
        std::printf("    line %lld column %lld: %s: %s%s\n", static_cast<long long>(advisory.line()),
                    static_cast<long long>(advisory.column()), advisoryKindName(advisory.kind()),
                    toUTF8(advisory.message()).c_str(), advisory.isStructuralIssue() ? " (structural)" : "");
    }
    if (advisories.size() > maximumAdvisoriesShown)
        std::printf("    ... and %zu more\n", advisories.size() - maximumAdvisoriesShown);

    if (save) {
        if (!saved)
            return reportFailure(path, error);
        if (savedThroughView) {
            auto frame = view->mainFrame();
            auto encoding = view->htmlWriterForWebFrame(*frame)->detectOutputStringEncodingForDocument(*frame->domDocument());
            std::printf("  saved:          %zu bytes in %s\n", readFile(path).value_or("").size(), toUTF8(encoding).c_str());
        } else {
            std::printf("  saved:          %zu bytes in %s\n", data->size(), toUTF8(writer->outputEncodingName()).c_str());
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    bool save = false;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--version")) {
            std::printf("Brevanton %s\n", BREVANTON_VERSION);
            return 0;
        }
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            printUsage();
            return 0;
        }
        if (!std::strcmp(argv[i], "--save")) {
            save = true;
            continue;
        }
        paths.emplace_back(argv[i]);
    }
    if (paths.empty()) {
        printUsage();
        return 2;
    }

    VornickInstallHTMLServices();
    VornickUsersDefaultHTMLFormattingPreferences::registerInitialDefaults(UserDefaults::standard());
    auto applicationDelegate = VornickApplicationDelegate::create();
    Application::shared().setDelegate(applicationDelegate);
    applicationDelegate->applicationDidFinishLaunching();

    // The window of the documents opened, one editing view at a time.
    auto window = VornickWindow::create(Rect(0, 0, 1024, 768));
    window->orderFront();
    int status = 0;
    for (const auto& path : paths) {
        if (!openFile(path, save, *window))
            status = 1;
    }
    // Nothing runs in the background once the views are gone.
    window->close();
    window.reset();
    VornickHTMLStringSyntaxPainterAndMapper::mappingQueue().waitUntilAllOperationsAreFinished();
    RunLoop::main().runFor(0.01);
    return status;
}

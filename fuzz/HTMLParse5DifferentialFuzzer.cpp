// Our HTML parser beside parse5 on arbitrary markup: whole pages, and
// fragments in the context of an element the first byte picks. Any tree that
// differs from parse5's is a finding (the process aborts and libFuzzer keeps
// the input), except where parse5 itself departs from the parsing algorithm
// (parse5DepartsOn below). parse5 runs in
// one node process kept for the whole run, which makes this target slow; it
// is not in scripts/fuzz's list (see the comment in fuzz/CMakeLists.txt).
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMParsing.h"
#include "platform/dom/HTMLTagNames.h"
#include "platform/dom/HTMLTreeBuilder.h"
#include "platform/foundation/Text.h"
#include "tests/platform/dom/DOMTreeDump.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace brevanton;

namespace {

// The node process that answers each case with parse5's tree, started on first use.
class Parse5Oracle {
public:
    Parse5Oracle()
    {
        // A write to a process that went away fails instead of ending this one.
        std::signal(SIGPIPE, SIG_IGN);
        start();
    }

    std::string tree(const std::u16string& markup, const char* contextName, const char* contextNamespace)
    {
        nlohmann::json request { { "html", toUTF8(markup) }, { "context", nullptr } };
        if (contextName)
            request["context"] = { { "localName", contextName }, { "namespace", contextNamespace } };
        auto line = request.dump(-1, ' ', true) + "\n";
        // A process that went away (stopped from outside, out of memory), or
        // ended in the middle of its answer, is started again once.
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (attempt)
                start();
            std::string answer;
            if (std::fwrite(line.data(), 1, line.size(), m_in) == line.size() && !std::fflush(m_in)) {
                for (int c; (c = std::fgetc(m_out)) != EOF && c != '\n';)
                    answer += static_cast<char>(c);
            }
            auto parsed = nlohmann::json::parse(answer, nullptr, false);
            if (parsed.is_string())
                return parsed.get<std::string>();
        }
        abortWith("parse5's process gave no whole answer (is node on the PATH and parse5 installed?)");
    }

    [[noreturn]] static void abortWith(const char* message)
    {
        std::fprintf(stderr, "%s\n", message);
        std::abort();
    }

private:
    void start()
    {
        if (m_in)
            std::fclose(m_in);
        if (m_out)
            std::fclose(m_out);
        if (m_child > 0)
            waitpid(m_child, nullptr, 0);
        int toChild[2];
        int fromChild[2];
        if (pipe(toChild) || pipe(fromChild))
            std::abort();
        m_child = fork();
        if (m_child < 0)
            std::abort();
        if (!m_child) {
            dup2(toChild[0], STDIN_FILENO);
            dup2(fromChild[1], STDOUT_FILENO);
            close(toChild[0]);
            close(toChild[1]);
            close(fromChild[0]);
            close(fromChild[1]);
            std::string script = std::string(BREVANTON_ORACLE_DIR) + "/dump-trees.mjs";
            execlp("node", "node", script.c_str(), "--lines", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(toChild[0]);
        close(fromChild[1]);
        m_in = fdopen(toChild[1], "w");
        m_out = fdopen(fromChild[0], "r");
        if (!m_in || !m_out)
            std::abort();
    }

    FILE* m_in { nullptr };
    FILE* m_out { nullptr };
    pid_t m_child { -1 };
};

// Where parse5 answers otherwise than the parsing algorithm, by design or by
// its own fault: templates among table parts; a NOSCRIPT context; a run of
// NULs in foreign content, which it replaces with one U+FFFD instead of one
// each; and </tbody>, </thead> or </tfoot> in a row when no such section is
// open, which it takes for the end of the row instead of ignoring; and
// </form> when the form it would close has already been popped but another
// form is open: it looks for any form in scope, not the one the form
// element pointer holds, and closes what lies above it. Its release also
// still parses SELECT by the insertion modes the algorithm has dropped.
bool parse5DepartsOn(const std::u16string& markup, const char* contextName)
{
    if (contextName && (std::string_view(contextName) == "noscript" || std::string_view(contextName) == "select"))
        return true;
    if (markup.find(std::u16string_view(u"\0\0", 2)) != std::u16string::npos)
        return true;
    auto lowered = asciiLowercase(markup);
    for (auto piece : { u"<template", u"</tbody", u"</thead", u"</tfoot", u"<select" }) {
        if (lowered.find(piece) != std::u16string::npos)
            return true;
    }
    auto firstForm = lowered.find(u"<form");
    return firstForm != std::u16string::npos && lowered.find(u"<form", firstForm + 1) != std::u16string::npos
        && lowered.find(u"</form") != std::u16string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!size)
        return 0;
    static Parse5Oracle oracle;
    unsigned selector = data[0];
    std::u16string markup;
    appendUTF8AsUTF16(markup, reinterpret_cast<const char*>(data + 1), size - 1);

    // Contexts: none (a whole page), every HTML element we know, and the SVG
    // and MathML elements whose content parses differently.
    static const char* foreign[][2] = { { "svg", "svg" },           { "foreignObject", "svg" }, { "desc", "svg" },
                                        { "title", "svg" },         { "math", "math" },         { "mi", "math" },
                                        { "annotation-xml", "math" } };
    constexpr unsigned foreignCount = sizeof(foreign) / sizeof(foreign[0]);
    unsigned choice = selector % (1 + static_cast<unsigned>(HTMLTag::Count) + foreignCount);
    std::string theirs;
    std::string ours;
    std::string name;
    const char* contextName = nullptr;
    // A tree's dump indents each node by its depth: deep nesting makes it
    // grow with the square of the input, past what a comparison can take in
    // a case's time (parse5's answer alone would take seconds to read). Such
    // trees are left to the other parsing targets, which build them without
    // the oracle.
    constexpr size_t comparedDumpLimit = 4 << 20;
    if (!choice) {
        ours = dumpDOMTree(*buildHTMLDocument(markup));
        if (ours.size() > comparedDumpLimit)
            return 0;
        theirs = oracle.tree(markup, nullptr, nullptr);
    } else {
        auto document = DOMDocument::create(DOMDocument::Kind::HTML);
        std::shared_ptr<DOMElement> context;
        const char* space = "html";
        if (choice <= static_cast<unsigned>(HTMLTag::Count)) {
            auto tag = static_cast<HTMLTag>(choice - 1);
            name = toUTF8(htmlTagName(tag));
            if (name.empty())
                return 0;
            context = document->createElement(htmlTagName(tag));
        } else {
            auto& entry = foreign[choice - 1 - static_cast<unsigned>(HTMLTag::Count)];
            name = entry[0];
            space = entry[1];
            context = document->createElementNS(std::string_view(space) == "svg" ? SVGNamespace : MathMLNamespace,
                                                toUTF16(name));
        }
        contextName = name.c_str();
        if (parse5DepartsOn(markup, contextName))
            return 0;
        ours = dumpDOMTree(*buildHTMLFragment(*document, markup, context.get()));
        if (ours.size() > comparedDumpLimit)
            return 0;
        theirs = oracle.tree(markup, contextName, space);
    }
    if (ours == theirs || parse5DepartsOn(markup, contextName))
        return 0;
    std::fprintf(stderr, "The tree differs from parse5's%s%s\n--- ours\n%s\n--- parse5\n%s\n",
                 contextName ? " in the context " : "", contextName ? contextName : "", ours.c_str(), theirs.c_str());
    std::abort();
}

// The HTML writer on generated pages of 100 KB, 1 MB and 5 MB: the plain
// write and the coloured write with its range map and line index, each
// beside gumbo's parse of the same page, and tidy's pretty-printing of the
// page as the tool a user would otherwise run.
#include "toolkit/VornickLineIndex.h"
#include "html/VornickHTMLWriter.h"
#include "platform/dom/DOMDocument.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Process.h"

#include <benchmark/benchmark.h>
#include <gumbo.h>

#include <map>
#include <random>
#include <string>

using namespace brevanton;

namespace {

// A blog-like page of about `size` bytes: sections with headings,
// paragraphs with inline markup, lists, tables, images, preformatted code
// and comments.
std::string generateWriterBenchPage(size_t size)
{
    std::mt19937 random(7);
    const char* words[] = { "editor", "markup", "paragraph", "the", "a", "of", "caf\xC3\xA9", "blog", "entry", "publish",
                            "draft", "table", "list", "image", "style", "and", "with", "na\xC3\xAFve", "&amp;", "&lt;tag&gt;" };
    auto sentence = [&](std::string& out, int count) {
        for (int i = 0; i < count; ++i) {
            if (i)
                out += ' ';
            const char* word = words[random() % std::size(words)];
            switch (random() % 12) {
            case 0:
                out += std::string("<a href=\"https://example.com/") + std::to_string(random() % 1000) + "?q=1&amp;r=2\">" + word + "</a>";
                break;
            case 1:
                out += std::string("<em>") + word + "</em>";
                break;
            case 2:
                out += std::string("<strong class=\"k\">") + word + "</strong>";
                break;
            default:
                out += word;
            }
        }
        out += '.';
    };
    std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>Generated</title>\n"
                       "<style>p { margin: 0 }</style>\n</head>\n<body>\n";
    int section = 0;
    while (page.size() < size) {
        page += "<div class=\"post\" id=\"post-" + std::to_string(section++) + "\">\n<h2>";
        sentence(page, 4);
        page += "</h2>\n";
        for (int p = 0, n = 2 + random() % 4; p < n; ++p) {
            page += "<p>";
            sentence(page, 20 + random() % 40);
            page += "</p>\n";
        }
        switch (random() % 5) {
        case 0:
            page += "<ul>\n";
            for (int i = 0, n = 3 + random() % 5; i < n; ++i) {
                page += "  <li>";
                sentence(page, 6);
                page += "</li>\n";
            }
            page += "</ul>\n";
            break;
        case 1:
            page += "<table class=\"data\">\n<tr><th>Name</th><th>Value</th></tr>\n";
            for (int i = 0, n = 2 + random() % 6; i < n; ++i)
                page += "<tr><td>" + std::string(words[random() % 6]) + "</td><td>" + std::to_string(random() % 100000) + "</td></tr>\n";
            page += "</table>\n";
            break;
        case 2:
            page += "<p><img src=\"images/photo" + std::to_string(random() % 100)
                + ".jpg\" alt=\"photo\" width=\"640\" height=\"480\"><br>caption &amp; credit</p>\n";
            break;
        case 3:
            page += "<pre><code>if (a &lt; b) {\n    run();\n}</code></pre>\n";
            break;
        default:
            page += "<!-- section break -->\n<blockquote><p>";
            sentence(page, 15);
            page += "</p></blockquote>\n";
            break;
        }
        page += "</div>\n";
    }
    page += "</body>\n</html>\n";
    return page;
}

const std::string& pageOfKilobytes(int64_t kilobytes)
{
    static std::map<int64_t, std::string> pages;
    auto& page = pages[kilobytes];
    if (page.empty())
        page = generateWriterBenchPage(static_cast<size_t>(kilobytes) << 10);
    return page;
}

std::shared_ptr<DOMDocument> documentOfKilobytes(int64_t kilobytes)
{
    static std::map<int64_t, std::shared_ptr<DOMDocument>> documents;
    auto& document = documents[kilobytes];
    if (!document)
        document = DOMDocument::parseHTML(pageOfKilobytes(kilobytes), "UTF-8");
    return document;
}

void BM_HTMLWriterBesideGumboParse(benchmark::State& state)
{
    auto& page = pageOfKilobytes(state.range(0));
    for (auto _ : state) {
        GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, page.data(), page.size());
        benchmark::DoNotOptimize(output);
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

void BM_HTMLWriterPlainWrite(benchmark::State& state)
{
    auto document = documentOfKilobytes(state.range(0));
    VornickHTMLWriter writer(*VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences(), 0,
                             VornickNewlineConvention::LF);
    size_t length = 0;
    for (auto _ : state) {
        auto html = writer.htmlStringFromDocument(*document);
        length = html.size();
        benchmark::DoNotOptimize(html.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * pageOfKilobytes(state.range(0)).size()));
    state.counters["outputUnits"] = static_cast<double>(length);
}

void BM_HTMLWriterColouredWriteWithRangeMapAndLineIndex(benchmark::State& state)
{
    auto document = documentOfKilobytes(state.range(0));
    VornickHTMLWriter writer(*VornickHTMLFormattingPreferences::initialDefaultHTMLFormattingPreferences(), 0,
                             VornickNewlineConvention::LF);
    writer.setSyntaxColoringPreferences(std::make_shared<VornickHTMLSyntaxColoringPreferences>());
    for (auto _ : state) {
        std::shared_ptr<const AttributedString> coloured;
        std::shared_ptr<const VornickDOMToNSRangeMap> map;
        writer.writeAttributedStringFromDocument(*document, false, [&](auto string, auto rangeMap) {
            coloured = std::move(string);
            map = std::move(rangeMap);
        });
        auto lineIndex = VornickLineIndex::createByIndexingString(coloured->string(), 1, 1, 4);
        benchmark::DoNotOptimize(lineIndex.get());
        benchmark::DoNotOptimize(map.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * pageOfKilobytes(state.range(0)).size()));
}

void BM_HTMLWriterTidyPrettyPrintAsPeer(benchmark::State& state)
{
    auto& page = pageOfKilobytes(state.range(0));
    if (findExecutable("tidy").empty()) {
        state.SkipWithError("tidy is not installed");
        return;
    }
    std::string path = temporaryDirectory() + "/brevanton-writer-bench-" + std::to_string(state.range(0)) + ".html";
    writeFileAtomically(path, page);
    ProcessLaunch launch;
    launch.executable = "tidy";
    launch.arguments = { "-q", "-i", "-utf8", "--show-warnings", "no", path };
    for (auto _ : state) {
        auto result = Process::run(launch);
        benchmark::DoNotOptimize(result);
    }
    removeItem(path);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

} // namespace

BENCHMARK(BM_HTMLWriterBesideGumboParse)->Arg(100)->Arg(1024)->Arg(5120)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HTMLWriterPlainWrite)->Arg(100)->Arg(1024)->Arg(5120)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HTMLWriterColouredWriteWithRangeMapAndLineIndex)->Arg(100)->Arg(1024)->Arg(5120)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HTMLWriterTidyPrettyPrintAsPeer)->Arg(100)->Arg(1024)->Arg(5120)->Unit(benchmark::kMillisecond)->Iterations(3);

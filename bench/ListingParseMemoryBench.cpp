// Memory a 50 MB listing page costs while it is read, beyond the reply's own
// bytes: the REST page read into values and mapped into post descriptions,
// beside nlohmann-json parsing the same bytes; the same posts as a
// wp.getPosts reply read by the XML-RPC client, beside a bare libxml2 SAX
// pass (callbacks that do nothing) over those bytes.
//
// How it is measured: the reply is made and held first; then the peak
// resident size is reset (5 written to /proc/self/clear_refs), the reading
// runs, and the peak reached (VmHWM) less the resident size before is the
// cost, reported per byte of the reply ("bytesPerReplyByte"). The counter
// is the largest of the iterations; time is reported as usual.
#include "platform/foundation/JSONReader.h"
#include "wordpress/VornickWordPressRESTMapping.h"
#include "wordpress/XMLRPCResponse.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>

using namespace brevanton;

namespace {

constexpr size_t postCount = 50;
constexpr size_t replyBytes = 50 * 1024 * 1024;

long statusKilobytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    size_t length = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, length, field) == 0)
            return std::atol(line.c_str() + length);
    }
    return 0;
}

// Text of a post body: paragraphs of block markup in several scripts.
std::string bodyText(size_t bytes, bool escapedForXML)
{
    static const std::string paragraph = "<!-- wp:paragraph -->\n<p>The harbour was quiet at dawn; caf\xC3\xA9 cr\xC3\xA8me \xE2\x80\x94 "
                                         "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xD0\x9C\xD0\xBE\xD1\x80\xD0\xB5.</p>\n<!-- /wp:paragraph -->\n";
    std::string text;
    while (text.size() < bytes)
        text += paragraph;
    if (!escapedForXML) {
        std::string json;
        for (char c : text)
            json += c == '\n' ? std::string("\\n") : c == '"' ? std::string("\\\"") : std::string(1, c);
        return json;
    }
    std::string xml;
    for (char c : text)
        xml += c == '<' ? std::string("&lt;") : c == '>' ? std::string("&gt;") : c == '&' ? std::string("&amp;") : std::string(1, c);
    return xml;
}

const std::string& restPage()
{
    static const std::string page = [] {
        std::string body = bodyText(replyBytes / postCount / 2, false);
        std::string page = "[";
        for (size_t i = 0; i < postCount; ++i) {
            page += (i ? "," : "") + std::string("{\"id\":") + std::to_string(i + 1)
                + ",\"date_gmt\":\"2024-01-02T03:04:05\",\"modified_gmt\":\"2024-01-02T03:04:05\",\"status\":\"publish\","
                  "\"type\":\"post\",\"link\":\"https://example.org/?p="
                + std::to_string(i + 1) + "\",\"title\":{\"raw\":\"Post\",\"rendered\":\"Post\"},\"content\":{\"raw\":\"" + body
                + "\",\"rendered\":\"" + body + "\"},\"categories\":[1],\"tags\":[2,3],\"featured_media\":0,\"format\":\"standard\"}";
        }
        return page + "]";
    }();
    return page;
}

const std::string& xmlrpcReply()
{
    static const std::string reply = [] {
        std::string body = bodyText(replyBytes / postCount, true);
        std::string reply = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<methodResponse><params><param><value><array><data>\n";
        for (size_t i = 0; i < postCount; ++i) {
            reply += "<value><struct><member><name>post_id</name><value><string>" + std::to_string(i + 1)
                + "</string></value></member><member><name>post_title</name><value><string>Post</string></value></member>"
                  "<member><name>post_status</name><value><string>publish</string></value></member>"
                  "<member><name>post_content</name><value><string>"
                + body + "</string></value></member></struct></value>\n";
        }
        return reply + "</data></array></value></param></params></methodResponse>\n";
    }();
    return reply;
}

// Runs `read` once per iteration and reports its peak cost per reply byte.
template<typename Read>
void measure(benchmark::State& state, const std::string& reply, Read read)
{
    double worst = 0;
    for (auto _ : state) {
        state.PauseTiming();
        static_cast<void>(std::ofstream("/proc/self/clear_refs") << "5");
        long before = statusKilobytes("VmRSS:");
        state.ResumeTiming();
        read();
        state.PauseTiming();
        worst = std::max(worst, static_cast<double>(statusKilobytes("VmHWM:") - before) * 1024 / static_cast<double>(reply.size()));
        state.ResumeTiming();
    }
    state.counters["bytesPerReplyByte"] = worst;
    state.counters["replyMB"] = static_cast<double>(reply.size()) / (1024 * 1024);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}

void BM_ListingMemoryRESTPageMapped(benchmark::State& state)
{
    // Held as the agent holds what it received.
    static const Data bytes(restPage().begin(), restPage().end());
    measure(state, restPage(), [&] {
        auto json = readJSON(bytes, nullptr);
        std::vector<Dictionary> posts;
        if (const Array* list = json ? vornickWordPressListInReply(*json, u"posts") : nullptr) {
            for (auto& post : *list)
                posts.push_back(vornickPostDescriptionFromWordPressPostDescription(post.dictionary(), 2));
        }
        benchmark::DoNotOptimize(posts.size());
    });
}

void BM_ListingMemoryRESTPageNlohmannParse(benchmark::State& state)
{
    const std::string& page = restPage();
    measure(state, page, [&] {
        auto json = nlohmann::json::parse(page);
        benchmark::DoNotOptimize(json.size());
    });
}

void BM_ListingMemoryXMLRPCReply(benchmark::State& state)
{
    const std::string& reply = xmlrpcReply();
    measure(state, reply, [&] {
        XMLRPCResponse response(std::string_view { reply });
        benchmark::DoNotOptimize(response.object().isArray());
    });
}

void BM_ListingMemoryXMLRPCReplyLibxml2SAX(benchmark::State& state)
{
    const std::string& reply = xmlrpcReply();
    measure(state, reply, [&] {
        xmlSAXHandler handler {};
        handler.initialized = XML_SAX2_MAGIC;
        handler.characters = [](void*, const xmlChar*, int) {};
        handler.startElementNs = [](void*, const xmlChar*, const xmlChar*, const xmlChar*, int, const xmlChar**, int, int, const xmlChar**) {};
        handler.endElementNs = [](void*, const xmlChar*, const xmlChar*, const xmlChar*) {};
        int result = xmlSAXUserParseMemory(&handler, nullptr, reply.data(), static_cast<int>(reply.size()));
        benchmark::DoNotOptimize(result);
    });
}

} // namespace

BENCHMARK(BM_ListingMemoryRESTPageMapped)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ListingMemoryRESTPageNlohmannParse)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ListingMemoryXMLRPCReply)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ListingMemoryXMLRPCReplyLibxml2SAX)->Unit(benchmark::kMillisecond)->Iterations(3);

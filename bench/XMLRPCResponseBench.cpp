// Reading a 5 MB wp.getPosts reply into values, beside a bare libxml2 SAX
// pass over the same bytes (callbacks that do nothing), in the same run. The
// reply is read from bytes held as the connection holds what it received.
#include "wordpress/XMLRPCResponse.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <cstring>
#include <random>
#include <string>

using namespace brevanton;

namespace {

void appendMember(std::string& out, std::string_view name, std::string_view type, std::string_view value)
{
    out += "  <member><name>";
    out += name;
    out += "</name><value><";
    out += type;
    out += '>';
    out += value;
    out += "</";
    out += type;
    out += "></value></member>\n";
}

// A post body of block markup, escaped as WordPress writes it: paragraphs
// with inline markup and text in several scripts, headings, lists and images.
std::string postContent(std::mt19937& random, size_t bytes)
{
    static const char* sentences[] = {
        "The harbour was quiet at dawn, and the boats lay still on grey water.",
        "Caf\xC3\xA9 cr\xC3\xA8me, cro\xC3\xAEssants et confiture \xE2\x80\x94 le petit d\xC3\xA9jeuner parfait.",
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE6\x96\x87\xE7\xAB\xA0\xE3\x82\x82\xE5\xB0\x91\xE3\x81\x97\xE5\x85\xA5\xE3\x82\x8C\xE3\x81\xBE\xE3\x81\x99\xE3\x80\x82",
        "Stra\xC3\x9F" "e, Gr\xC3\xB6\xC3\x9F" "e und \xC3\x9C" "berraschungen am Wegesrand.",
        "\xD0\x9C\xD0\xBE\xD1\x80\xD0\xB5 \xD0\xB1\xD1\x8B\xD0\xBB\xD0\xBE \xD1\x81\xD0\xBF\xD0\xBE\xD0\xBA\xD0\xBE\xD0\xB9\xD0\xBD\xD1\x8B\xD0\xBC.",
        "We walked &amp;amp; talked for hours; it was &amp;quot;worth it&amp;quot;.",
    };
    std::string out;
    while (out.size() < bytes) {
        switch (random() % 5) {
        case 0:
            out += "&lt;!-- wp:heading --&gt;\n&lt;h2&gt;A day by the sea&lt;/h2&gt;\n&lt;!-- /wp:heading --&gt;\n\n";
            break;
        case 1:
            out += "&lt;!-- wp:image {\"id\":" + std::to_string(random() % 500) + ",\"sizeSlug\":\"large\"} --&gt;\n"
                   "&lt;figure class=\"wp-block-image size-large\"&gt;&lt;img src=\"http://127.0.0.1:8080/wp-content/uploads/2022/11/p"
                + std::to_string(random() % 500) + ".jpg\" alt=\"\"/&gt;&lt;/figure&gt;\n&lt;!-- /wp:image --&gt;\n\n";
            break;
        case 2:
            out += "&lt;!-- wp:list --&gt;\n&lt;ul&gt;&lt;li&gt;" + std::string(sentences[random() % 6]) + "&lt;/li&gt;&lt;li&gt;"
                + sentences[random() % 6] + "&lt;/li&gt;&lt;/ul&gt;\n&lt;!-- /wp:list --&gt;\n\n";
            break;
        default:
            out += "&lt;!-- wp:paragraph --&gt;\n&lt;p&gt;";
            for (int i = 0; i < 4; ++i) {
                out += sentences[random() % 6];
                out += i == 1 ? " &lt;em&gt;Really.&lt;/em&gt; " : " ";
            }
            out += "&lt;a href=\"http://127.0.0.1:8080/?p=" + std::to_string(random() % 900) + "\"&gt;more&lt;/a&gt;&lt;/p&gt;\n&lt;!-- /wp:paragraph --&gt;\n\n";
        }
    }
    return out;
}

std::string makeGetPostsReply(size_t bytes)
{
    std::mt19937 random(7);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<methodResponse>\n  <params>\n    <param>\n      <value>\n      <array><data>\n";
    for (int post = 1; out.size() < bytes; ++post) {
        std::string id = std::to_string(post);
        out += "  <value><struct>\n";
        appendMember(out, "post_id", "string", id);
        appendMember(out, "post_title", "string", "Post " + id + " \xE2\x80\x94 caf\xC3\xA9 &amp; harbour");
        appendMember(out, "post_date", "dateTime.iso8601", "20221104T11:15:00");
        appendMember(out, "post_date_gmt", "dateTime.iso8601", "20221104T09:15:00");
        appendMember(out, "post_modified", "dateTime.iso8601", "20221105T08:00:00");
        appendMember(out, "post_modified_gmt", "dateTime.iso8601", "20221105T06:00:00");
        appendMember(out, "post_status", "string", "publish");
        appendMember(out, "post_type", "string", "post");
        appendMember(out, "post_name", "string", "post-" + id);
        appendMember(out, "post_author", "string", "1");
        appendMember(out, "post_password", "string", "");
        appendMember(out, "post_excerpt", "string", "");
        appendMember(out, "post_content", "string", postContent(random, 2000 + random() % 12000));
        appendMember(out, "post_parent", "string", "0");
        appendMember(out, "post_mime_type", "string", "");
        appendMember(out, "link", "string", "http://127.0.0.1:8080/?p=" + id);
        appendMember(out, "guid", "string", "http://127.0.0.1:8080/?p=" + id);
        appendMember(out, "menu_order", "int", "0");
        appendMember(out, "comment_status", "string", "open");
        appendMember(out, "ping_status", "string", "open");
        appendMember(out, "sticky", "boolean", "0");
        out += "  <member><name>post_thumbnail</name><value><array><data>\n</data></array></value></member>\n";
        appendMember(out, "post_format", "string", "standard");
        out += "  <member><name>terms</name><value><array><data>\n";
        for (int term = 0; term < 3; ++term) {
            out += "  <value><struct>\n";
            appendMember(out, "term_id", "string", std::to_string(term + 1));
            appendMember(out, "name", "string", term ? "Tag " + std::to_string(term) : std::string("Uncategorized"));
            appendMember(out, "slug", "string", "term-" + std::to_string(term));
            appendMember(out, "taxonomy", "string", term ? "post_tag" : "category");
            appendMember(out, "count", "int", "12");
            out += "</struct></value>\n";
        }
        out += "</data></array></value></member>\n";
        out += "  <member><name>custom_fields</name><value><array><data>\n</data></array></value></member>\n";
        out += "</struct></value>\n";
    }
    out += "</data></array>\n      </value>\n    </param>\n  </params>\n</methodResponse>\n";
    return out;
}

const std::string& getPostsReply()
{
    static std::string reply = makeGetPostsReply(5 << 20);
    return reply;
}

void BM_XMLRPCBareLibxml2SAX(benchmark::State& state)
{
    const std::string& reply = getPostsReply();
    xmlSAXHandler handler;
    std::memset(&handler, 0, sizeof handler);
    handler.initialized = XML_SAX2_MAGIC;
    handler.startElementNs = [](void*, const xmlChar*, const xmlChar*, const xmlChar*, int, const xmlChar**, int, int, const xmlChar**) { };
    handler.endElementNs = [](void*, const xmlChar*, const xmlChar*, const xmlChar*) { };
    handler.characters = [](void* context, const xmlChar*, int length) { *static_cast<size_t*>(context) += static_cast<size_t>(length); };
    for (auto _ : state) {
        size_t characters = 0;
        xmlParserCtxtPtr context = xmlCreateMemoryParserCtxt(reply.data(), static_cast<int>(reply.size()));
        std::memcpy(context->sax, &handler, sizeof handler);
        context->userData = &characters;
        xmlCtxtUseOptions(context, XML_PARSE_NONET);
        xmlParseDocument(context);
        benchmark::DoNotOptimize(characters);
        if (context->myDoc)
            xmlFreeDoc(context->myDoc);
        xmlFreeParserCtxt(context);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(BM_XMLRPCBareLibxml2SAX)->Unit(benchmark::kMillisecond);

void BM_XMLRPCResponseGetPosts(benchmark::State& state)
{
    const std::string& reply = getPostsReply();
    auto received = std::make_shared<const Data>(reply.begin(), reply.end());
    for (auto _ : state) {
        XMLRPCResponse response(received);
        if (!response.object().isArray())
            state.SkipWithError("the reply did not read");
        benchmark::DoNotOptimize(response.object().count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
    state.counters["posts"] = static_cast<double>(XMLRPCResponse(received).object().count());
}
BENCHMARK(BM_XMLRPCResponseGetPosts)->Unit(benchmark::kMillisecond);

} // namespace

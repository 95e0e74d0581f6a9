// The JSON writer on a 5 MB archive beside nlohmann-json's dump of the same data.
#include "toolkit/VornickJSONWriter.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Text.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <string>

using namespace brevanton;

namespace {

// An archive of a blog: posts with HTML content, numbers, dates and tags.
const Value& archive()
{
    static const Value value = [] {
        Array posts;
        std::u16string paragraph = u"<p class=\"intro\">Caf\u00e9 \u2014 a \"quoted\" word, a tab\there,\n"
                                   u"and a path C:\\temp\\file.html with <a href=\"https://example.com/?a=1&b=2\">a link</a>.</p>\n";
        size_t total = 0;
        for (int i = 0; total < 5'000'000; ++i) {
            std::u16string content;
            for (int p = 0; p < 6; ++p)
                content += paragraph;
            Dictionary post;
            post[u"postID"] = Value(100000 + i);
            post[u"title"] = Value(u"Post number " + toUTF16(std::to_string(i)) + u" \U0001F600");
            post[u"content"] = Value(content);
            post[u"dateCreated"] = Value(Date(1.7e9 + i * 3600.0));
            post[u"ratio"] = Value(i / 7.0);
            post[u"published"] = Value(i % 2 == 0);
            post[u"tags"] = Value(Array { Value(u"news"), Value(u"release"), Value(int64_t(i)) });
            post[u"meta"] = Value(Dictionary { { u"Author", Value(u"A. Writer") }, { u"status", Value(u"publish") } });
            total += content.size() + 200;
            posts.push_back(Value(std::move(post)));
        }
        return Value(Dictionary { { u"posts", Value(std::move(posts)) }, { u"blogID", Value(7) } });
    }();
    return value;
}

nlohmann::json toNlohmann(const Value& value)
{
    switch (value.type()) {
    case Value::Type::Null: return nullptr;
    case Value::Type::Boolean: return value.boolValue() ? 1 : 0; // the writer writes booleans as numbers
    case Value::Type::Integer: return value.integerValue();
    case Value::Type::Real: return value.doubleValue();
    case Value::Type::String: return toUTF8(value.string());
    case Value::Type::Date: return toUTF8(ISO8601StringFromDate(value.date()));
    case Value::Type::Data: return std::string();
    case Value::Type::Array: {
        nlohmann::json array = nlohmann::json::array();
        for (const Value& element : value.array())
            array.push_back(toNlohmann(element));
        return array;
    }
    case Value::Type::Dictionary: {
        nlohmann::json object = nlohmann::json::object();
        for (const auto& [key, element] : value.dictionary())
            object[toUTF8(key)] = toNlohmann(element);
        return object;
    }
    }
    return nullptr;
}

void runWriter(benchmark::State& state, uint64_t options)
{
    const Value& value = archive();
    size_t bytes = 0;
    for (auto _ : state) {
        VornickJSONWriter writer(options);
        writer.writeValue(value);
        auto text = writer.jsonDataReturningErrorIn(nullptr);
        bytes = text->size();
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(int64_t(state.iterations() * bytes));
    state.counters["MB"] = double(bytes) / 1e6;
}

void runDump(benchmark::State& state, int indent)
{
    static const nlohmann::json json = toNlohmann(archive());
    size_t bytes = 0;
    for (auto _ : state) {
        std::string text = json.dump(indent);
        bytes = text.size();
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(int64_t(state.iterations() * bytes));
    state.counters["MB"] = double(bytes) / 1e6;
}

void BM_VornickJSONWriter_Compact(benchmark::State& state) { runWriter(state, 0); }
void BM_NlohmannDump_Compact(benchmark::State& state) { runDump(state, -1); }
void BM_VornickJSONWriter_Pretty(benchmark::State& state) { runWriter(state, VornickJSONWriter::PrettyPrint); }
void BM_NlohmannDump_Pretty(benchmark::State& state) { runDump(state, 2); }

} // namespace

BENCHMARK(BM_VornickJSONWriter_Compact)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NlohmannDump_Compact)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VornickJSONWriter_Pretty)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NlohmannDump_Pretty)->Unit(benchmark::kMillisecond);

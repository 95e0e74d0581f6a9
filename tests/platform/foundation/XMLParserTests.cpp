#include "platform/foundation/XMLParser.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

// Writes every event as one line.
class Recorder : public XMLParserDelegate {
public:
    std::string log;
    std::vector<Error> errors;
    std::string abortAtElement;
    long lastLine { 0 };

    void parserDidStartDocument(XMLParser&) override { log += "start\n"; }
    void parserDidEndDocument(XMLParser&) override { log += "end\n"; }
    void didStartElement(XMLParser& parser, const std::u16string& name, const std::u16string& uri,
                         const std::vector<XMLAttribute>& attributes) override
    {
        log += "<" + toUTF8(name);
        if (!uri.empty())
            log += " {" + toUTF8(uri) + "}";
        for (auto& attribute : attributes)
            log += " " + toUTF8(attribute.name) + "=" + toUTF8(attribute.value);
        log += ">\n";
        lastLine = parser.lineNumber();
        if (toUTF8(name) == abortAtElement)
            parser.abortParsing();
    }
    void didEndElement(XMLParser&, const std::u16string& name, const std::u16string&) override
    {
        log += "</" + toUTF8(name) + ">\n";
    }
    void foundCharacters(XMLParser&, const std::u16string& text) override { log += "text " + toUTF8(text) + "\n"; }
    void foundCDATA(XMLParser&, const std::u16string& text) override { log += "cdata " + toUTF8(text) + "\n"; }
    void foundComment(XMLParser&, const std::u16string& text) override { log += "comment " + toUTF8(text) + "\n"; }
    void foundProcessingInstruction(XMLParser&, const std::u16string& target, const std::u16string& data) override
    {
        log += "pi " + toUTF8(target) + " " + toUTF8(data) + "\n";
    }
    void parseErrorOccurred(XMLParser&, const Error& error) override { errors.push_back(error); }
};

bool parse(std::string document, Recorder& recorder, Error* error = nullptr)
{
    XMLParser parser(std::move(document));
    parser.setDelegate(&recorder);
    bool result = parser.parse();
    if (error)
        *error = parser.parserError();
    return result;
}

} // namespace

TEST(XMLParser, ReportsEventsInDocumentOrder)
{
    Recorder recorder;
    ASSERT_TRUE(parse("<?xml version=\"1.0\"?>\n<?style href=\"a.css\"?>"
                      "<feed xmlns=\"urn:feed\" xmlns:x=\"urn:x\" b=\"2\" a=\"1 &amp; &#x41;\" x:c=\"3\">"
                      "one &lt; two<!-- note --><![CDATA[<raw> & ]]>tail<x:item/></feed>", recorder));
    EXPECT_EQ(recorder.log,
              "start\n"
              "pi style href=\"a.css\"\n"
              "<feed {urn:feed} xmlns=urn:feed xmlns:x=urn:x b=2 a=1 & A x:c=3>\n"
              "text one < two\n"
              "comment  note \n"
              "cdata <raw> & \n"
              "text tail\n"
              "<x:item {urn:x}>\n"
              "</x:item>\n"
              "</feed>\n"
              "end\n");
    EXPECT_TRUE(recorder.errors.empty());
}

TEST(XMLParser, CharacterDataArrivesWholeAndDecoded)
{
    // Long runs are split by the underlying parser; they reach the delegate in one piece.
    std::string longText(100000, 'a');
    longText += "\xC3\xA9";
    Recorder recorder;
    ASSERT_TRUE(parse("<a>" + longText + "</a>", recorder));
    EXPECT_EQ(recorder.log, "start\n<a>\ntext " + longText + "\n</a>\nend\n");

    // A declared encoding is honoured.
    Recorder latin;
    ASSERT_TRUE(parse("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a t=\"\xE9\">caf\xE9</a>", latin));
    EXPECT_EQ(latin.log, "start\n<a t=\xC3\xA9>\ntext caf\xC3\xA9\n</a>\nend\n");

    // Internal entities are replaced.
    Recorder entities;
    ASSERT_TRUE(parse("<!DOCTYPE a [<!ENTITY who \"world\">]><a>hello &who;</a>", entities));
    EXPECT_EQ(entities.log, "start\n<a>\ntext hello world\n</a>\nend\n");

    // No delegate: parsing still works.
    XMLParser quiet("<a/>");
    EXPECT_TRUE(quiet.parse());
}

TEST(XMLParser, ErrorsCarryLineAndColumnAndEndParsing)
{
    Recorder recorder;
    Error error;
    EXPECT_FALSE(parse("<a>\n  <b>\n</a><c/>", recorder, &error));
    EXPECT_EQ(error.domain(), XMLParserErrorDomain);
    EXPECT_NE(error.code(), 0);
    EXPECT_EQ(error.userInfo().at(u"line"), Value(int64_t(3)));
    EXPECT_GT(error.userInfo().at(u"column").integerValue(), 0);
    ASSERT_EQ(recorder.errors.size(), 1u);
    EXPECT_EQ(recorder.errors[0].code(), error.code());
    EXPECT_EQ(recorder.log.find("<c>"), std::string::npos) << recorder.log;

    Recorder empty;
    EXPECT_FALSE(parse("", empty, &error));
    EXPECT_EQ(error.domain(), XMLParserErrorDomain);
    // Borrowed bytes that are none, without an address, fail the same way.
    XMLParser nowhere(XMLParser::BorrowedBytes { std::string_view() });
    Recorder nothing;
    nowhere.setDelegate(&nothing);
    EXPECT_FALSE(nowhere.parse());
    EXPECT_EQ(nowhere.parserError().domain(), XMLParserErrorDomain);

    Recorder undeclared;
    EXPECT_FALSE(parse("<a>&nbsp;</a>", undeclared, &error));
    EXPECT_EQ(undeclared.errors.size(), 1u);
}

TEST(XMLParser, DelegateCanAbort)
{
    Recorder recorder;
    recorder.abortAtElement = "b";
    Error error;
    EXPECT_FALSE(parse("<a>\n<b/>\n<c/>\n</a>", recorder, &error));
    EXPECT_EQ(error.code(), XMLParser::AbortedErrorCode);
    EXPECT_EQ(recorder.lastLine, 2);
    EXPECT_EQ(recorder.log.find("<c>"), std::string::npos);
    EXPECT_TRUE(recorder.errors.empty());
}

TEST(XMLParser, NeverLoadsExternalEntitiesOrDocumentTypes)
{
    auto folder = createTemporaryDirectory("xml-parser-test");
    ASSERT_TRUE(folder);
    std::string secret = *folder + "/secret.txt";
    ASSERT_TRUE(writeFileAtomically(secret, "TOP-SECRET"));
    std::string dtd = *folder + "/evil.dtd";
    ASSERT_TRUE(writeFileAtomically(dtd, "<!ENTITY leak SYSTEM \"file://" + secret + "\">"));

    Recorder external;
    parse("<!DOCTYPE a [<!ENTITY xxe SYSTEM \"file://" + secret + "\">]><a>&xxe;</a>", external);
    EXPECT_EQ(external.log.find("TOP-SECRET"), std::string::npos) << external.log;

    Recorder parameter;
    parse("<!DOCTYPE a [<!ENTITY % p SYSTEM \"file://" + dtd + "\"> %p;]><a>&leak;</a>", parameter);
    EXPECT_EQ(parameter.log.find("TOP-SECRET"), std::string::npos) << parameter.log;

    Recorder externalSubset;
    parse("<!DOCTYPE a SYSTEM \"file://" + dtd + "\"><a>&leak;</a>", externalSubset);
    EXPECT_EQ(externalSubset.log.find("TOP-SECRET"), std::string::npos) << externalSubset.log;

    Recorder attribute;
    parse("<!DOCTYPE a [<!ENTITY xxe SYSTEM \"file://" + secret + "\">]><a t=\"&xxe;\"/>", attribute);
    EXPECT_EQ(attribute.log.find("TOP-SECRET"), std::string::npos) << attribute.log;

    // Exponential entity expansion is refused rather than followed.
    std::string laughs = "<!DOCTYPE a [<!ENTITY l0 \"lollollollollollollollollollol\">";
    for (int i = 1; i <= 9; ++i)
        laughs += "<!ENTITY l" + std::to_string(i) + " \"" + [&] {
            std::string expansion;
            for (int j = 0; j < 10; ++j)
                expansion += "&l" + std::to_string(i - 1) + ";";
            return expansion;
        }() + "\">";
    laughs += "]><a>&l9;</a>";
    Recorder bomb;
    Error error;
    EXPECT_FALSE(parse(laughs, bomb, &error));
    EXPECT_LT(bomb.log.size(), 1000000u);
    EXPECT_TRUE(removeItem(*folder));
}

namespace {

// Writes the UTF-8 events as lines, joining the pieces of each text.
class UTF8Recorder : public XMLParserUTF8Delegate {
public:
    std::string log;
    std::string text;
    std::string abortAtElement;

    void didStartElement(XMLParser& parser, std::string_view name) override
    {
        flush();
        log += "<" + std::string(name) + ">\n";
        if (name == abortAtElement)
            parser.abortParsing();
    }
    void didEndElement(XMLParser&, std::string_view name) override
    {
        flush();
        log += "</" + std::string(name) + ">\n";
    }
    void foundCharacters(XMLParser&, std::string_view piece) override { text += piece; }
    void foundCDATA(XMLParser&, std::string_view piece) override
    {
        flush();
        log += "cdata " + std::string(piece) + "\n";
    }
    void flush()
    {
        if (!text.empty())
            log += "text " + text + "\n";
        text.clear();
    }
};

} // namespace

TEST(XMLParser, UTF8DelegateTakesElementAndTextEventsInPlace)
{
    std::string longText(100000, 'a');
    std::string document = "<?xml version=\"1.0\"?><feed xmlns=\"urn:feed\" xmlns:x=\"urn:x\" a=\"1\">one &lt; two&#x41;"
                           "<!-- note --><![CDATA[<raw> & ]]><x:item>caf\xC3\xA9</x:item><x:other/>"
        + longText + "</feed>";
    UTF8Recorder recorder;
    Recorder comments;
    {
        XMLParser parser(XMLParser::BorrowedBytes { document });
        parser.setUTF8Delegate(&recorder);
        parser.setDelegate(&comments);
        ASSERT_TRUE(parser.parse());
    }
    recorder.flush();
    EXPECT_EQ(recorder.log,
              "<feed>\n"
              "text one < twoA\n"
              "cdata <raw> & \n"
              "<x:item>\n"
              "text caf\xC3\xA9\n"
              "</x:item>\n"
              "<x:other>\n"
              "</x:other>\n"
              "text " + longText + "\n"
              "</feed>\n");
    // The UTF-16 delegate hears of the rest.
    EXPECT_EQ(comments.log, "start\ncomment  note \nend\n");

    // A declared encoding reaches the delegate as UTF-8; entities of the internal subset are replaced.
    UTF8Recorder latin;
    XMLParser latinParser("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><!DOCTYPE a [<!ENTITY who \"w\xE9\">]><a>caf\xE9 &who;</a>");
    latinParser.setUTF8Delegate(&latin);
    ASSERT_TRUE(latinParser.parse());
    latin.flush();
    EXPECT_EQ(latin.log, "<a>\ntext caf\xC3\xA9 w\xC3\xA9\n</a>\n");

    // Aborting ends the events at once.
    UTF8Recorder aborting;
    aborting.abortAtElement = "b";
    XMLParser abortedParser("<a>x<b/>y<c/></a>");
    abortedParser.setUTF8Delegate(&aborting);
    EXPECT_FALSE(abortedParser.parse());
    EXPECT_EQ(abortedParser.parserError().code(), XMLParser::AbortedErrorCode);
    EXPECT_EQ(aborting.log, "<a>\ntext x\n<b>\n");
    EXPECT_TRUE(aborting.text.empty());

    // Errors end the events too, and are reported as before.
    UTF8Recorder broken;
    Recorder errors;
    std::string brokenDocument = "<a>one</b><c/>";
    XMLParser brokenParser(XMLParser::BorrowedBytes { brokenDocument });
    brokenParser.setUTF8Delegate(&broken);
    brokenParser.setDelegate(&errors);
    EXPECT_FALSE(brokenParser.parse());
    EXPECT_EQ(errors.errors.size(), 1u);
    EXPECT_EQ(broken.log.find("<c>"), std::string::npos) << broken.log;
}

namespace {

// Notes how many bytes the parser had read at each element's end.
class EndOffsets : public XMLParserUTF8Delegate {
public:
    std::vector<long> offsets;
    void didEndElement(XMLParser& parser, std::string_view) override { offsets.push_back(parser.byteOffset()); }
};

} // namespace

TEST(XMLParser, TellsHowManyBytesItReadAtEachEnd)
{
    EndOffsets offsets;
    XMLParser parser("<a><b/>x<c >y</c ></a>\n");
    parser.setUTF8Delegate(&offsets);
    ASSERT_TRUE(parser.parse());
    EXPECT_EQ(offsets.offsets, (std::vector<long> { 7, 18, 22 }));
    EXPECT_EQ(parser.byteOffset(), -1);

    // Counted in the document's own bytes, whatever its encoding.
    EndOffsets latin;
    std::string declaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
    XMLParser latinParser(declaration + "<a>\xE9\xE9</a>  ");
    latinParser.setUTF8Delegate(&latin);
    ASSERT_TRUE(latinParser.parse());
    EXPECT_EQ(latin.offsets, (std::vector<long> { static_cast<long>(declaration.size() + 9) }));
}

namespace {

// Gathers the text of each <e> and the byte offset at the end of every element.
class PieceRecorder : public XMLParserUTF8Delegate {
public:
    std::vector<std::string> texts;
    std::vector<long> offsets;
    void didStartElement(XMLParser& parser, std::string_view name) override
    {
        if (name == "e")
            parser.appendUTF8TextTo(texts.emplace_back());
        else
            parser.ignoreUTF8Text();
    }
    void didEndElement(XMLParser& parser, std::string_view) override
    {
        offsets.push_back(parser.byteOffset());
        parser.ignoreUTF8Text();
    }
};

} // namespace

// Documents much larger than what the underlying parser takes at a time:
// characters of several bytes, references and CDATA sections fall across
// its pieces, and the offsets still count the document's own bytes.
TEST(XMLParser, LargeDocumentsReadWholeAcrossThePiecesTaken)
{
    std::string document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r>";
    std::vector<std::string> expectedTexts;
    std::vector<long> expectedOffsets;
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        for (int k = 0; k < i % 37; ++k)
            text += k % 3 ? "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80" : "&amp;&lt;&#x263A;";
        document += "<e>" + text + "<![CDATA[<" + std::to_string(i) + ">]]></e>\n";
        expectedOffsets.push_back(static_cast<long>(document.size() - 1));
        std::string decoded;
        for (int k = 0; k < i % 37; ++k)
            decoded += k % 3 ? "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80" : "&<\xE2\x98\xBA";
        expectedTexts.push_back(decoded + "<" + std::to_string(i) + ">");
    }
    document += "</r>";
    expectedOffsets.push_back(static_cast<long>(document.size()));
    ASSERT_GT(document.size(), 500000u);

    PieceRecorder recorder;
    XMLParser parser(XMLParser::BorrowedBytes { document });
    parser.setUTF8Delegate(&recorder);
    ASSERT_TRUE(parser.parse()) << toUTF8(parser.parserError().localizedDescription());
    EXPECT_EQ(recorder.texts, expectedTexts);
    EXPECT_EQ(recorder.offsets, expectedOffsets);

    // The same document in UTF-16 with a byte order mark reads the same.
    std::u16string wide = toUTF16(document.substr(document.find("<r>")));
    std::string utf16 = "\xFF\xFE";
    for (char16_t unit : wide) {
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    PieceRecorder wideRecorder;
    XMLParser wideParser(utf16);
    wideParser.setUTF8Delegate(&wideRecorder);
    ASSERT_TRUE(wideParser.parse()) << toUTF8(wideParser.parserError().localizedDescription());
    EXPECT_EQ(wideRecorder.texts, expectedTexts);
}

namespace {

// Sends the text inside <keep> to a buffer, drops the text inside <drop>,
// and hears the rest itself.
class RoutingRecorder : public XMLParserUTF8Delegate {
public:
    std::string kept;
    std::string heard;
    void didStartElement(XMLParser& parser, std::string_view name) override { route(parser, name); }
    void didEndElement(XMLParser& parser, std::string_view) override { parser.sendUTF8TextToDelegate(); }
    void foundCharacters(XMLParser&, std::string_view text) override { heard += text; }
    void foundCDATA(XMLParser&, std::string_view text) override { heard += "[" + std::string(text) + "]"; }

private:
    void route(XMLParser& parser, std::string_view name)
    {
        if (name == "keep")
            parser.appendUTF8TextTo(kept);
        else if (name == "drop")
            parser.ignoreUTF8Text();
        else
            parser.sendUTF8TextToDelegate();
    }
};

} // namespace

TEST(XMLParser, UTF8TextGoesWhereTheDelegateRoutesIt)
{
    std::string document = "<a>one<keep>caf\xC3\xA9 &amp; <![CDATA[<b>]]>&#x41;</keep>two<drop>gone &lt;<![CDATA[x]]></drop>"
                           "<keep>\r\nmore</keep><![CDATA[three]]></a>";
    RoutingRecorder recorder;
    XMLParser parser(XMLParser::BorrowedBytes { document });
    parser.setUTF8Delegate(&recorder);
    ASSERT_TRUE(parser.parse());
    EXPECT_EQ(recorder.kept, "caf\xC3\xA9 & <b>A\nmore");
    EXPECT_EQ(recorder.heard, "onetwo[three]");

    // Every parse starts by sending text to the delegate.
    RoutingRecorder again;
    again.kept = "before ";
    XMLParser second("<a>x<keep>y</keep></a>");
    second.setUTF8Delegate(&again);
    second.appendUTF8TextTo(again.kept);
    ASSERT_TRUE(second.parse());
    EXPECT_EQ(again.heard, "x");
    EXPECT_EQ(again.kept, "before y");
}

#include "wordpress/XMLRPCResponse.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickBase64.h"
#include "toolkit/VornickErrors.h"
#include "wordpress/XMLRPCDateText.h"
#include "wordpress/XMLRPCEventBasedParser.h"

#include <chrono>
#include <gtest/gtest.h>

namespace brevanton::xmlrpc_response_tests {
namespace {

std::string recordedReply(const std::string& name)
{
    auto contents = readFile(std::string(BREVANTON_TEST_DATA_DIR) + "/xmlrpc/" + name);
    EXPECT_TRUE(contents) << name;
    return contents.value_or(std::string());
}

std::string reply(const std::string& value)
{
    return "<?xml version=\"1.0\"?><methodResponse><params><param>" + value + "</param></params></methodResponse>";
}

TEST(XMLRPCResponseTests, RecordedWordPressRepliesReadWhole)
{
    XMLRPCResponse blogs(recordedReply("wp-getUsersBlogs.xml"));
    ASSERT_TRUE(blogs.object().isArray()) << blogs.parserError();
    EXPECT_FALSE(blogs.isFault());
    EXPECT_EQ(blogs.faultCode(), std::nullopt);
    EXPECT_EQ(blogs.object().array().at(0), Value(Dictionary { { u"isAdmin", Value(true) }, { u"url", Value(u"http://127.0.0.1:8080/") },
        { u"blogid", Value(u"1") }, { u"blogName", Value(u"Notes & Sketches") }, { u"xmlrpc", Value(u"http://127.0.0.1:8080/xmlrpc.php") } }));

    XMLRPCResponse options(recordedReply("wp-getOptions.xml"));
    const Value& settings = options.object();
    EXPECT_EQ(settings.count(), 6u);
    EXPECT_EQ(settings[u"software_version"][u"value"], Value(u"6.1.1"));
    EXPECT_EQ(settings[u"blog_title"][u"value"], Value(u" Notes & Sketches "));
    EXPECT_EQ(settings[u"blog_title"][u"readonly"], Value(false));
    EXPECT_EQ(settings[u"thumbnail_size_w"][u"value"], Value(150));

    XMLRPCResponse posts(recordedReply("wp-getPosts.xml"));
    ASSERT_EQ(posts.object().count(), 3u) << posts.parserError();
    const Value& first = posts.object().array()[0];
    EXPECT_EQ(first[u"post_id"], Value(u"12"));
    EXPECT_EQ(first[u"sticky"], Value(true));
    EXPECT_EQ(first[u"menu_order"], Value(0));
    EXPECT_EQ(first[u"post_date_gmt"], Value(Date(1667553300)));
    EXPECT_EQ(first[u"post_modified_gmt"], Value(Date(1667628000)));
    EXPECT_TRUE(first[u"post_date"].isDate());
    EXPECT_EQ(first[u"post_thumbnail"][u"attachment_id"], Value(u"31"));
    EXPECT_EQ(first[u"post_thumbnail"][u"date_created_gmt"], Value(Date(1667553300)));
    EXPECT_EQ(first[u"terms"].count(), 2u);
    EXPECT_EQ(first[u"terms"].array()[1][u"name"], Value(u"Sea & Sky"));
    std::u16string content = first[u"post_content"].stringValue();
    EXPECT_TRUE(content.starts_with(u"<!-- wp:paragraph -->\n<p>Caf\u00e9 au lait &amp; croissants \u2014 \u65e5\u672c\u8a9e <em>text</em>.</p>"))
        << toUTF8(content);
    EXPECT_TRUE(content.ends_with(u"<!-- /wp:image -->\n"));

    // String values keep their edge white space; the all-zero date of a
    // draft is no date, so its member is left out.
    const Value& second = posts.object().array()[1];
    EXPECT_EQ(second[u"post_title"], Value(u"  Spaces kept  "));
    EXPECT_EQ(second[u"post_content"], Value(u"\n  Indented first line <b>bold</b>\n\n"));
    EXPECT_EQ(second[u"post_thumbnail"], Value(Array()));
    const Value& draft = posts.object().array()[2];
    EXPECT_FALSE(draft.contains(u"post_date_gmt"));
    EXPECT_FALSE(draft.contains(u"post_modified_gmt"));
    EXPECT_TRUE(draft[u"post_date"].isDate());
    EXPECT_EQ(draft[u"terms"], Value(Array()));
}

TEST(XMLRPCResponseTests, FaultsCarryTheirCodeAndString)
{
    XMLRPCResponse fault(recordedReply("fault-incorrect-password.xml"));
    EXPECT_TRUE(fault.isFault());
    EXPECT_EQ(fault.faultCode(), 403);
    EXPECT_EQ(fault.faultString(), u"Incorrect username or password.");
    EXPECT_NE(fault.description().find("fault[403]='Incorrect username or password.'"), std::string::npos);

    XMLRPCResponse textCode("<methodResponse><fault><value><struct><member><name>faultCode</name><value><string>-32700</string></value>"
                            "</member></struct></value></fault></methodResponse>");
    EXPECT_EQ(textCode.faultCode(), -32700);
    EXPECT_EQ(textCode.faultString(), u"");
}

TEST(XMLRPCResponseTests, ScalarsFollowTheirTypes)
{
    auto value = [](const std::string& xml) { return XMLRPCResponse(reply(xml)).object(); };
    EXPECT_EQ(value("<value>  word  </value>"), Value(u"  word  "));
    EXPECT_EQ(value("<value>\n  <string> padded </string>\n</value>"), Value(u" padded "));
    EXPECT_EQ(value("<value><string></string></value>"), Value(u""));
    EXPECT_EQ(value("<value><string><![CDATA[<b>&]]></string></value>"), Value(u"<b>&"));
    EXPECT_EQ(value("<value><i4> 42 </i4></value>"), Value(42));
    EXPECT_EQ(value("<value><int>-7x</int></value>"), Value(-7));
    EXPECT_EQ(value("<value><int>99999999999999999999</int></value>"), Value(INT64_MAX));
    EXPECT_EQ(value("<value><double> 2.5 </double></value>"), Value(2.5));
    EXPECT_EQ(value("<value><boolean>true</boolean></value>"), Value(false));
    EXPECT_EQ(value("<value><boolean> 1 </boolean></value>"), Value(true));
    EXPECT_EQ(value("<value><base64>aGVs\r\nbG8=</base64></value>"), Value(Data { 'h', 'e', 'l', 'l', 'o' }));
    EXPECT_EQ(value("<value><i8> 9 </i8></value>"), Value(u"9"));
    EXPECT_EQ(value("<value><nil/></value>"), Value(u""));
    EXPECT_EQ(value("<value><struct><member><name>a</name></member><member><value>no name</value></member>"
                    "<value>stray</value><member><name>d</name><value><dateTime.iso8601>never</dateTime.iso8601></value></member>"
                    "</struct></value>"),
        Value(Dictionary { { u"a", Value(u"") } }));
    // A repeated name takes the last member's value; an unreadable date
    // removes what came before it, and a later member brings the name back.
    auto member = [](const std::string& name, const std::string& value) {
        return "<member><name>" + name + "</name><value>" + value + "</value></member>";
    };
    std::string bad = "<dateTime.iso8601>never</dateTime.iso8601>";
    EXPECT_EQ(value("<value><struct>" + member("b", "1") + member("a", "<int>2</int>") + member("b", "3") + member("gone", "x")
                    + member("gone", bad) + member("back", bad) + member("back", "again") + member("c", "<struct>" + member("y", "1")
                    + member("x", "2") + member("y", "4") + "</struct>") + member("a", "<int>5</int>") + "</struct></value>"),
        Value(Dictionary { { u"a", Value(5) }, { u"b", Value(u"3") }, { u"back", Value(u"again") },
                           { u"c", Value(Dictionary { { u"x", Value(u"2") }, { u"y", Value(u"4") } }) } }));
    // Only the first value is read.
    EXPECT_EQ(XMLRPCResponse("<methodResponse><params><param><value>1</value></param><param><value>2</value></param></params>"
                             "</methodResponse>").object(),
        Value(u"1"));
}

TEST(XMLRPCResponseTests, TextsInSeveralPiecesReadWhole)
{
    auto value = [](const std::string& xml) { return XMLRPCResponse(reply(xml)).object(); };
    // Entities, character references and sections split a text; it is read whole, untrimmed.
    EXPECT_EQ(value("<value><string> caf&#xE9; &amp; <![CDATA[<b>]]> \xE2\x80\x94 </string></value>"), Value(u" caf\u00E9 & <b> \u2014 "));
    EXPECT_EQ(value("<value> <!-- c --> x&lt;y </value>"), Value(u"  x<y "));
    EXPECT_EQ(value("<value><int> 4&#50; </int></value>"), Value(42));
    EXPECT_EQ(value("<value><boolean>&#49;</boolean></value>"), Value(true));
    EXPECT_EQ(value("<value><struct><member><name> a&amp;b </name><value>1</value></member></struct></value>"),
        Value(Dictionary { { u"a&b", Value(u"1") } }));
    // A member name written in pieces still marks a UTC date.
    auto gmt = dateFromXMLRPCDateString(u"20221104T09:15:00", XMLRPCDateTimeZone::UTC);
    ASSERT_TRUE(gmt);
    EXPECT_EQ(value("<value><struct><member><name>post&#95;date_gmt</name><value><dateTime.iso8601> 20221104T09:15:00 "
                    "</dateTime.iso8601></value></member></struct></value>"),
        Value(Dictionary { { u"post_date_gmt", Value(*gmt) } }));

    // A long text of characters of several bytes, longer than any piece the XML parser hands out.
    std::string longText;
    std::u16string expected;
    for (int i = 0; i < 100000; ++i) {
        longText += "\xC3\xA9\xF0\x9F\x98\x80";
        expected += u"\u00E9\U0001F600";
    }
    EXPECT_TRUE(value("<value><string>" + longText + "</string></value>") == Value(expected));

    // Elements in a namespace are not XML-RPC's.
    EXPECT_EQ(value("<x:value xmlns:x=\"urn:x\">no</x:value><value>yes</value>"), Value(u"yes"));
    EXPECT_EQ(value("<value><x:string xmlns:x=\"urn:x\"> other </x:string></value>"), Value(u"other"));
}

TEST(XMLRPCResponseTests, NestedValuesKeepTheirTextsWhateverLiesBetweenTheirElements)
{
    // Strings with entities and characters of one to four bytes, in structs
    // inside arrays inside structs, with formatting between every element;
    // a large base64 value beside them, and scalars after each.
    Data picture(3 << 20);
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = static_cast<uint8_t>(i * 31 + i / 251);
    std::string content;
    std::u16string expectedContent;
    for (int i = 0; i < 2000; ++i) {
        content += "&lt;p&gt;Caf\xC3\xA9 \xE6\x97\xA5\xF0\x9F\x98\x80 &amp;amp; &#x2014;&#10;&lt;/p&gt;";
        expectedContent += u"<p>Caf\u00E9 \u65E5\U0001F600 &amp; \u2014\n</p>";
    }
    std::string inner = "<value><struct>\n  <member> <name>post_content</name>\n <value> <string>" + content
        + "</string> </value></member>\n  <member><name>t&#233;rm</name><value><array><data>\n"
          "   <value><struct><member><name>name</name><value><string> Sea &amp; Sky </string></value></member>"
          "<member><name>count</name><value><int> 12 </int></value></member></struct></value>\n"
          "   <value><array><data><value>untyped &lt;b&gt;</value><value><string></string></value></data></array></value>\n"
          "  </data></array></value></member>\n"
          "  <member><name>file</name><value><base64>" + toUTF8(base64EncodedString(picture)) + "</base64></value></member>\n"
          "  <member><name>sticky</name><value><boolean>1</boolean></value></member>\n"
          "</struct></value>";
    XMLRPCResponse response(reply("<value><array><data>\n" + inner + "\n" + inner + "\n</data></array></value>"));
    ASSERT_EQ(response.object().count(), 2u) << response.parserError();
    for (const Value& post : response.object().array()) {
        EXPECT_TRUE(post[u"post_content"] == Value(expectedContent));
        const Value& terms = post[u"t\u00E9rm"];
        ASSERT_EQ(terms.count(), 2u);
        EXPECT_EQ(terms.array()[0], Value(Dictionary { { u"name", Value(u" Sea & Sky ") }, { u"count", Value(12) } }));
        EXPECT_EQ(terms.array()[1], Value(Array { Value(u"untyped <b>"), Value(u"") }));
        EXPECT_TRUE(post[u"file"] == Value(picture));
        EXPECT_EQ(post[u"sticky"], Value(true));
        EXPECT_EQ(post.count(), 4u);
    }

    // A fault's struct reads the same way, its string with entities and
    // characters of several bytes.
    XMLRPCResponse fault("<?xml version=\"1.0\"?><methodResponse><fault>\n<value><struct>\n"
                         "<member><name>faultCode</name><value><int>404</int></value></member>\n"
                         "<member><name>faultString</name><value><string>Ung\xC3\xBCltige &lt;ID&gt; \xF0\x9F\x98\x80</string></value></member>\n"
                         "</struct></value>\n</fault></methodResponse>");
    EXPECT_TRUE(fault.isFault());
    EXPECT_EQ(fault.faultCode(), 404);
    EXPECT_EQ(fault.faultString(), u"Ung\u00FCltige <ID> \U0001F600");
}

TEST(XMLRPCResponseTests, ForbiddenBytesAndJunkAroundTheXMLAreLeftOut)
{
    std::string text = "a";
    text += '\0';
    text += "b\x0B" "c\x1C" "d\xEF\xBF\xBE" "e";
    XMLRPCResponse controls(reply("<value><string>" + text + "</string></value>"));
    EXPECT_EQ(controls.object(), Value(u"abcde"));
    EXPECT_EQ(controls.body().find(u'\x1C'), std::u16string::npos);

    // Wherever they fall in the bytes, and only they: white space and other characters of three bytes stay.
    for (size_t offset = 0; offset < 140; ++offset) {
        std::string padding(offset, 'a');
        std::string tail(offset % 7, 'b');
        EXPECT_EQ(XMLRPCBytesWithoutForbiddenCharacters(padding + "\xEF\xBF\xBF\x01\t\n\r\xEF\xBC\x81\x7F" + tail + "\x1F\xEF\xBF"),
            padding + "\t\n\r\xEF\xBC\x81\x7F" + tail + "\xEF\xBF")
            << offset;
    }

    XMLRPCResponse junk(recordedReply("junk-around-reply.xml"));
    EXPECT_EQ(junk.object(), Value(u"  two leading spaces and a trailing tab\t")) << junk.parserError();

    XMLRPCResponse twice(reply("<value>first</value>") + reply("<value>second</value>"));
    EXPECT_EQ(twice.object(), Value(u"first"));
    // Also after a reply far longer than what the XML parser takes at a time.
    std::string longText(2 << 20, 'x');
    XMLRPCResponse longTwice(reply("<value>" + longText + "</value>") + "\n<br />\n" + reply("<value>second</value>"));
    EXPECT_TRUE(longTwice.object() == Value(toUTF16(longText))) << longTwice.parserError();
    XMLRPCResponse withoutDeclaration("\n\n<methodResponse><params><param><value>x</value></param></params></methodResponse>garbage<");
    EXPECT_EQ(withoutDeclaration.object(), Value(u"x"));
}

TEST(XMLRPCResponseTests, ReceivedBytesAreReadInPlaceUnlessTheyHoldForbiddenCharacters)
{
    auto bytesOf = [](const std::string& text) { return std::make_shared<const Data>(text.begin(), text.end()); };

    // Clean bytes are shared, not copied, and read as from a copy.
    std::string clean = reply("<value><struct><member><name>title</name><value><string> caf\xC3\xA9 &amp; tea </string></value></member>"
                              "</struct></value>");
    auto cleanBytes = bytesOf(clean);
    XMLRPCResponse shared(cleanBytes);
    EXPECT_EQ(cleanBytes.use_count(), 2);
    EXPECT_EQ(shared.object(), XMLRPCResponse(clean).object());
    EXPECT_EQ(shared.object()[u"title"], Value(u" caf\u00E9 & tea "));
    EXPECT_EQ(shared.body(), toUTF16(clean));
    XMLRPCResponse copy = shared;
    EXPECT_EQ(copy.body(), shared.body());

    // Forbidden characters anywhere, the last one at the very end: read from a
    // copy without them; the received bytes stay as they were.
    std::string dirty = reply("<value><string>a\x01" "b\xEF\xBF\xBE" "c</string></value>") + "\x1F";
    auto dirtyBytes = bytesOf(dirty);
    XMLRPCResponse filtered(dirtyBytes);
    EXPECT_EQ(dirtyBytes.use_count(), 1);
    EXPECT_EQ(dirtyBytes->size(), dirty.size());
    EXPECT_EQ(filtered.object(), Value(u"abc"));
    EXPECT_EQ(filtered.body(), toUTF16(XMLRPCBytesWithoutForbiddenCharacters(dirty)));
    // A lead byte of three that begins no forbidden character is no reason to copy.
    auto fullwidth = bytesOf(reply("<value><string>\xEF\xBC\x81</string></value>"));
    XMLRPCResponse kept(fullwidth);
    EXPECT_EQ(fullwidth.use_count(), 2);
    EXPECT_EQ(kept.object(), Value(u"\uFF01"));

    // The parser takes received bytes a piece at a time and they are looked
    // at piece by piece: a forbidden character is found wherever it falls,
    // across the pieces' edges too, before the XML, far after what the parser
    // took, and in a reply it refuses, whose copy is read as the text's.
    std::string longText(20000, 'x');
    for (size_t at = 3980; at < 4040; at += 3) {
        for (std::string forbidden : { std::string("\xEF\xBF\xBF"), std::string("\x02") }) {
            std::string text = longText;
            text.insert(at, forbidden);
            text.insert(at * 3 + 1, forbidden);
            std::string bytes = reply("<value><string>" + text + "</string></value>");
            XMLRPCResponse received(bytesOf(bytes));
            EXPECT_TRUE(received.object() == Value(toUTF16(longText))) << at;
            EXPECT_EQ(received.body(), XMLRPCResponse(bytes).body()) << at;
        }
    }
    for (std::string bytes : { "\x01\n" + reply("<value>a</value>"), reply("<value>a</value>") + std::string(9000, ' ') + "\xEF\xBF\xBE",
             std::string("<?xml version=\"1.0\"?><!DOCTYPE x [\x01]><methodResponse/>") }) {
        XMLRPCResponse received(bytesOf(bytes));
        XMLRPCResponse copied(bytes);
        EXPECT_EQ(received.object(), copied.object());
        EXPECT_EQ(received.parserError().code(), copied.parserError().code());
        EXPECT_EQ(received.body(), copied.body());
        EXPECT_LT(received.body().size(), bytes.size());
    }

    // No bytes at all read as an empty reply.
    XMLRPCResponse none(std::shared_ptr<const Data> {});
    EXPECT_FALSE(none.hasObject());
    EXPECT_TRUE(none.body().empty());
    XMLRPCResponse empty(bytesOf(""));
    EXPECT_FALSE(empty.hasObject());
    EXPECT_FALSE(empty.parserError().isEmpty());
}

TEST(XMLRPCResponseTests, RepliesThatAreNoXMLRPCGiveNoObject)
{
    for (std::string text : { std::string("<html><body><h1>403 Forbidden</h1></body></html>"), std::string(""),
             std::string("XML-RPC server accepts POST requests only."), std::string("<?xml version=\"1.0\"?><methodResponse/>"),
             reply("<value><string>unclosed</value>") }) {
        XMLRPCResponse response(text);
        EXPECT_FALSE(response.hasObject()) << text;
        EXPECT_FALSE(response.isFault());
        EXPECT_EQ(response.body(), toUTF16(text));
    }
}

TEST(XMLRPCResponseTests, HostileRepliesAreRefusedQuickly)
{
    auto started = std::chrono::steady_clock::now();
    XMLRPCResponse entities(recordedReply("entity-expansion.xml"));
    EXPECT_FALSE(entities.hasObject());
    EXPECT_TRUE(entities.parserError().is(VornickErrorDomain, VornickXMLRPCResponseNotXMLRPCError)) << entities.parserError();

    // Entities are never declared, so none is expanded or loaded.
    XMLRPCResponse undeclared(reply("<value><string>&xxe;</string></value>"));
    EXPECT_FALSE(undeclared.hasObject());

    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<value><array><data>";
    XMLRPCResponse nested(reply(deep));
    EXPECT_FALSE(nested.hasObject());
    EXPECT_TRUE(nested.parserError().is(VornickErrorDomain, VornickXMLRPCResponseNotXMLRPCError)) << nested.parserError();

    std::string allowed = "<value>x</value>";
    for (int i = 0; i < 35; ++i)
        allowed = "<value><array><data>" + allowed + "</data></array></value>";
    Value value = XMLRPCResponse(reply(allowed)).object();
    for (int i = 0; i < 35 && value.isArray(); ++i)
        value = Value(value.array().at(0));
    EXPECT_EQ(value, Value(u"x"));
    // Expanding the entities or walking the nesting would take far longer,
    // on a busy machine or a quiet one.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

} // namespace
} // namespace brevanton::xmlrpc_response_tests

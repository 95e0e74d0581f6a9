#include "tests/wordpress/WordPressAgentTestSupport.h"

#include "platform/net/URLError.h"
#include "wordpress/VornickWordPressRESTPayload.h"

#include <fstream>

using namespace brevanton::testserver;

namespace brevanton {
namespace {

using VornickWordPressUploadTests = WordPressAgentTest;

TEST(VornickWordPressRESTPayload, FileNamesAreQuotedAndCannotBreakTheField)
{
    EXPECT_EQ(vornickContentDispositionFileNameParameters(u"photo.jpg"), u"filename=\"photo.jpg\"; filename*=UTF-8''photo.jpg");
    EXPECT_EQ(vornickContentDispositionFileNameParameters(u"a \"b\"\\c;d.png"),
        u"filename=\"a \\\"b\\\"\\\\c_d.png\"; filename*=UTF-8''a%20%22b%22%5Cc%3Bd.png");
    EXPECT_EQ(vornickContentDispositionFileNameParameters(u"x\r\nX-Injected: 1.jpg"),
        u"filename=\"xX-Injected: 1.jpg\"; filename*=UTF-8''xX-Injected%3A%201.jpg");
    EXPECT_EQ(vornickContentDispositionFileNameParameters(u"Übung.jpg"), u"filename=\"Übung.jpg\"; filename*=UTF-8''%C3%9Cbung.jpg");

    std::u16string first = VornickWordPressMultipartFormDataPayload::makeRandomBoundaryString();
    EXPECT_EQ(first.size(), 42u);
    EXPECT_NE(first, VornickWordPressMultipartFormDataPayload::makeRandomBoundaryString());
}

TEST_F(VornickWordPressUploadTests, FilesAreStreamedWholeUnderTheirQuotedName)
{
    LoopbackHTTPServer server([](const TestHTTPRequest&) { return jsonReply(201, R"({"id":31,"source_url":"http://127.0.0.1/x.jpg"})"); });
    useSite(server.url("/"));
    std::string path = m_folder + "/my \"best\"; photo.jpg";
    std::string bytes;
    for (int i = 0; i < 200000; ++i)
        bytes.push_back(static_cast<char>(i % 251));
    std::ofstream(path, std::ios::binary) << bytes;

    RESTOutcome upload;
    send(upload, u"media", {}, std::make_shared<VornickWordPressFileAttachmentPayload>(URL::fileURLWithPath(path)), u"POST");
    ASSERT_TRUE(upload.succeeded) << upload.error;
    TestHTTPRequest request = server.requests().back();
    EXPECT_EQ(request.header("Content-Type"), "image/jpeg");
    EXPECT_EQ(request.header("Content-Disposition"),
        "form-data; filename=\"my \\\"best\\\"_ photo.jpg\"; filename*=UTF-8''my%20%22best%22%3B%20photo.jpg");
    EXPECT_EQ(request.header("Expect"), "") << "no waiting for 100 Continue";
    EXPECT_EQ(request.body, bytes);

    // A form around the file, under a boundary the file does not hold.
    Error error;
    auto form = VornickWordPressMultipartFormDataPayload::createWithFileURL({ { u"title", u"Best" } }, u"media[]",
        URL::fileURLWithPath(path), &error);
    ASSERT_TRUE(form) << error;
    EXPECT_TRUE(form->formData().empty());
    RESTOutcome multipart;
    send(multipart, u"media", {}, form, u"POST");
    ASSERT_TRUE(multipart.succeeded) << multipart.error;
    request = server.requests().back();
    std::string boundary = toUTF8(form->boundaryString());
    EXPECT_EQ(request.header("Content-Type"), "multipart/form-data; boundary=" + boundary);
    EXPECT_EQ(bytes.find(boundary), std::string::npos);
    std::string expected = "--" + boundary + "\r\nContent-Disposition: form-data; name=\"title\"\r\n\r\nBest\r\n--" + boundary
        + "\r\nContent-Disposition: form-data; name=\"media[]\"; filename=\"my \\\"best\\\"_ photo.jpg\"; "
          "filename*=UTF-8''my%20%22best%22%3B%20photo.jpg\r\nContent-Type: image/jpeg\r\n\r\n"
        + bytes + "\r\n--" + boundary + "--\r\n";
    EXPECT_EQ(request.body, expected);
    EXPECT_EQ(request.header("Content-Length"), std::to_string(expected.size()));

    // A file that cannot be read fails without a request.
    size_t before = server.requestCount();
    EXPECT_FALSE(VornickWordPressMultipartFormDataPayload::createWithFileURL({}, u"file", URL::fileURLWithPath(m_folder + "/gone.jpg"), &error));
    RESTOutcome missing;
    send(missing, u"media", {}, std::make_shared<VornickWordPressFileAttachmentPayload>(URL::fileURLWithPath(m_folder + "/gone.jpg")), u"POST");
    EXPECT_FALSE(missing.succeeded);
    EXPECT_EQ(missing.error.code(), URLErrorFileDoesNotExist);
    EXPECT_EQ(server.requestCount(), before);
}

} // namespace
} // namespace brevanton

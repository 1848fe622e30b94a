// The full page fetch against real loopback servers: the bytes it sends and what it reports.
#include <gtest/gtest.h>

#include "tests/web/case_name.h"


#include <chrono>

#include "tests/support/loopback_server.h"
#include "web/page_request.h"
#include "web/pending_events.h"

namespace melkora {
namespace {

using test::RawHttpServer;
using test::RawReply;
using test::closed_port;
using test::host_line;
using test::request_body;
using test::request_head;

constexpr std::string_view k_default_lines =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n"
    "Cache-Control: no-cache\r\n";

RawReply ok_reply(std::string_view body = "hello") { return {RawHttpServer::answer("200 OK", body), false}; }

// The head the server saw, without the request line and the Host line.
std::string lines_after_host(const RawHttpServer& server) {
    const std::string head = request_head(server.last_request());
    const std::string host = host_line(server);
    const auto at = head.find(host);
    return at == std::string::npos ? head : head.substr(at + host.size());
}

TEST(FetchPage, DefaultGetSendsExactlyTheDefaultHeaderText) {
    RawHttpServer server([](const std::string&) { return ok_reply(); });
    PageRequest request;
    request.url = server.url("/page?q=1");
    PageResult result;
    EXPECT_EQ(fetch_page(request, result), "hello");
    EXPECT_EQ(request_head(server.last_request()),
              "GET /page?q=1 HTTP/1.1\r\n" + host_line(server) + std::string(k_default_lines));
    EXPECT_EQ(result.status_text, "200 OK");
    EXPECT_EQ(result.response_bytes, "hello");
    EXPECT_TRUE(result.response_headers.starts_with("HTTP/1.1 200 OK\r\n"));
    EXPECT_TRUE(result.response_headers.ends_with("\r\n\r\n"));
}

struct HeaderCase {
    const char* name;
    int method;
    Text post_data;
    Text extra_headers;
    std::optional<Text> cookies;
    std::string request_line_start;  // verb and the blank after it
    std::string lines;               // everything after the Host line
    std::string body;
};

class FetchPageHeaders : public testing::TestWithParam<HeaderCase> {};

TEST_P(FetchPageHeaders, SendsTheseLinesInThisOrder) {
    const HeaderCase& c = GetParam();
    RawHttpServer server([](const std::string&) { return ok_reply(); });
    PageRequest request;
    request.url = server.url("/p");
    request.method = c.method;
    request.post_data = c.post_data;
    request.extra_headers = c.extra_headers;
    request.cookies = c.cookies;
    PageResult result;
    fetch_page(request, result);
    ASSERT_EQ(result.status_text, "200 OK");
    EXPECT_TRUE(server.last_request().starts_with(c.request_line_start + "/p HTTP/1.1\r\n")) << server.last_request();
    EXPECT_EQ(lines_after_host(server), c.lines);
    EXPECT_EQ(request_body(server.last_request()), c.body);
}

const std::string k_ua = "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n";
const std::string k_accept = "Accept: text/html, application/xhtml+xml, */*\r\n";
const std::string k_tail = "Accept-Encoding: gbk, GB2312\r\nAccept-Language: zh-cn\r\n";
const std::string k_cache = "Cache-Control: no-cache\r\n";
const std::string k_form = "Content-Type: application/x-www-form-urlencoded\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, FetchPageHeaders,
    testing::Values(
        HeaderCase{"LowerCaseUserAgentComesFirstAndReplacesTheDefault", 0, "", "user-agent: Foo", std::nullopt, "GET ",
                   "user-agent: Foo\r\n" + k_accept + k_tail + k_cache, ""},
        HeaderCase{"PostGetsFormContentType", 1, "a=1", "", std::nullopt, "POST ",
                   k_ua + k_accept + k_tail + k_form + k_cache + "Content-Length: 3\r\n", "a=1"},
        // The exact-case test misses a lower-case line, so the default joins and replaces it in place.
        HeaderCase{"PostWithLowerCaseContentTypeGetsTheDefaultAsWell", 1, "a=1", "content-type: text/plain",
                   std::nullopt, "POST ", k_form + k_ua + k_accept + k_tail + k_cache + "Content-Length: 3\r\n", "a=1"},
        HeaderCase{"PostWithoutBodySendsZeroLength", 1, "", "", std::nullopt, "POST ",
                   k_ua + k_accept + k_tail + k_form + k_cache + "Content-Length: 0\r\n", ""},
        HeaderCase{"GivenCookiesComeLast", 0, "", "", Text("a=1; b=2"), "GET ",
                   std::string(k_default_lines) + "Cookie: a=1; b=2\r\n", ""},
        HeaderCase{"CookiesGivenEmptySendNoCookieLine", 0, "", "", Text(""), "GET ", std::string(k_default_lines), ""},
        HeaderCase{"CallersCookieLineWins", 0, "", "cookie: x=9", Text("a=1"), "GET ",
                   "cookie: x=9\r\n" + std::string(k_default_lines), ""},
        HeaderCase{"CallersAcceptReplacesTheDefault", 0, "", "Accept: text/plain", std::nullopt, "GET ",
                   "Accept: text/plain\r\n" + k_ua + k_tail + k_cache, ""},
        HeaderCase{"LaterLineOfOneNameReplacesTheEarlier", 0, "", "X-A: 1\r\nX-B: 2\r\nx-a: 3", std::nullopt, "GET ",
                   "x-a: 3\r\nX-B: 2\r\n" + std::string(k_default_lines), ""},
        HeaderCase{"EmptyValueRemovesAHeader", 0, "", "X-A: 1\r\nX-A:", std::nullopt, "GET ",
                   std::string(k_default_lines), ""},
        HeaderCase{"MethodOutOfRangeAboveIsGet", 8, "", "", std::nullopt, "GET ", std::string(k_default_lines), ""},
        HeaderCase{"MethodOutOfRangeBelowIsGet", -1, "", "", std::nullopt, "GET ", std::string(k_default_lines), ""},
        HeaderCase{"DeleteVerb", 5, "", "", std::nullopt, "DELETE ", std::string(k_default_lines), ""},
        HeaderCase{"BodyGoesOutWithAnyVerbWithoutContentType", 0, "k=v", "", std::nullopt, "GET ",
                   std::string(k_default_lines) + "Content-Length: 3\r\n", "k=v"},
        HeaderCase{"PutCarriesItsBody", 3, "data", "", std::nullopt, "PUT ",
                   std::string(k_default_lines) + "Content-Length: 4\r\n", "data"}),
    test::CaseName());

TEST(FetchPage, LargePostBodyGoesOutWithoutWaitingForContinue) {
    RawHttpServer server([](const std::string&) { return ok_reply(); });
    PageRequest request;
    request.url = server.url("/upload");
    request.method = 1;
    request.post_data = std::string(2 * 1024 * 1024, 'x');
    request.timeout_seconds = 5;
    PageResult result;
    fetch_page(request, result);
    EXPECT_EQ(result.status_text, "200 OK");
    EXPECT_EQ(request_head(server.last_request()).find("Expect:"), std::string::npos);
    EXPECT_EQ(request_body(server.last_request()).size(), request.post_data.size());
}

TEST(FetchPage, HeaderLineWithoutColonFailsWith710AndSendsNothing) {
    RawHttpServer server([](const std::string&) { return ok_reply(); });
    PageRequest request;
    request.url = server.url("/");
    request.extra_headers = "NoColonHere";
    PageResult result;
    result.response_headers = "untouched";
    EXPECT_EQ(fetch_page(request, result), "");
    EXPECT_EQ(result.status_text, ansi("710 设置协议头失败!"));
    EXPECT_EQ(result.response_headers, "untouched");
    EXPECT_TRUE(server.requests().empty());
}

struct CredentialCase {
    const char* name;
    Text user;
    Text password;
    std::string authorization;  // the whole line, empty when none is expected
};

class FetchPageCredentials : public testing::TestWithParam<CredentialCase> {};

TEST_P(FetchPageCredentials, SendBasicOnlyWhenBothAreGiven) {
    RawHttpServer server([](const std::string&) { return ok_reply(); });
    PageRequest request;
    request.url = server.url("/");
    request.user_name = GetParam().user;
    request.password = GetParam().password;
    PageResult result;
    fetch_page(request, result);
    EXPECT_EQ(result.status_text, "200 OK");
    const std::string head = request_head(server.last_request());
    if (GetParam().authorization.empty()) {
        EXPECT_EQ(head.find("Authorization"), std::string::npos) << head;
    } else {
        EXPECT_NE(head.find(GetParam().authorization), std::string::npos) << head;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FetchPageCredentials,
                         testing::Values(CredentialCase{"Both", "u", "p", "\r\nAuthorization: Basic dTpw\r\n"},
                                         CredentialCase{"UserOnly", "u", "", ""},
                                         CredentialCase{"PasswordOnly", "", "p", ""}),
                         test::CaseName());

struct StatusCase {
    const char* name;
    std::string reply;
    Text status;
    Text redirect_location;
    Text page;
};

class FetchPageStatus : public testing::TestWithParam<StatusCase> {};

TEST_P(FetchPageStatus, ReportsStatusAndLocationOfTheResponseItself) {
    const std::string reply = GetParam().reply;
    RawHttpServer server([reply](const std::string&) { return RawReply{reply, false}; });
    PageRequest request;
    request.url = server.url("/start");
    request.no_redirect = true;
    PageResult result;
    result.redirect_location = "unchanged";
    EXPECT_EQ(fetch_page(request, result), GetParam().page);
    EXPECT_EQ(result.status_text, GetParam().status);
    EXPECT_EQ(result.redirect_location, GetParam().redirect_location);
    EXPECT_EQ(server.requests().size(), 1U);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FetchPageStatus,
    testing::Values(StatusCase{"Found", RawHttpServer::answer("302 Found", "moved", "location: /next\r\n"), "302 Found",
                               "/next", "moved"},
                    StatusCase{"NotFoundIsNoFailure", RawHttpServer::answer("404 Not Found", "missing"),
                               "404 Not Found", "unchanged", "missing"},
                    StatusCase{"ServerError", RawHttpServer::answer("500 Internal Server Error", "oops"),
                               "500 Internal Server Error", "unchanged", "oops"}),
    test::CaseName());

RawReply redirect_script(const std::string& raw) {
    if (raw.starts_with("GET /start ")) {
        return {RawHttpServer::answer("302 Found", "moved", "Location: /end\r\nSet-Cookie: s=1; path=/\r\n"), false};
    }
    return {RawHttpServer::answer("200 OK", "final", "Set-Cookie: f=2\r\n"), false};
}

TEST(FetchPage, FollowsRedirectsAndReportsOnlyTheFinalResponse) {
    RawHttpServer server(redirect_script);
    PageRequest request;
    request.url = server.url("/start");
    PageResult result;
    result.redirect_location = "unchanged";
    EXPECT_EQ(fetch_page(request, result), "final");
    EXPECT_EQ(result.status_text, "200 OK");
    EXPECT_TRUE(result.response_headers.starts_with("HTTP/1.1 200 OK\r\n")) << result.response_headers;
    EXPECT_EQ(result.response_headers.find("302"), std::string::npos);
    EXPECT_EQ(result.received_cookies, "f=2");
    EXPECT_EQ(result.redirect_location, "unchanged");
    ASSERT_EQ(server.requests().size(), 2U);
    EXPECT_TRUE(server.requests()[1].starts_with("GET /end HTTP/1.1\r\n"));
}

struct RedirectCookieCase {
    const char* name;
    std::optional<Text> cookies;
    bool second_request_carries_cookie;
};

class FetchPageRedirectCookies : public testing::TestWithParam<RedirectCookieCase> {};

TEST_P(FetchPageRedirectCookies, CarryCookiesAlongTheChainOnlyWhenCookiesAreGiven) {
    RawHttpServer server(redirect_script);
    PageRequest request;
    request.url = server.url("/start");
    request.cookies = GetParam().cookies;
    PageResult result;
    fetch_page(request, result);
    ASSERT_EQ(server.requests().size(), 2U);
    const bool carried = request_head(server.requests()[1]).find("Cookie: s=1") != std::string::npos;
    EXPECT_EQ(carried, GetParam().second_request_carries_cookie) << server.requests()[1];
}

INSTANTIATE_TEST_SUITE_P(Cases, FetchPageRedirectCookies,
                         testing::Values(RedirectCookieCase{"NotGiven", std::nullopt, false},
                                         RedirectCookieCase{"GivenEmpty", Text(""), true}),
                         test::CaseName());

struct CookieCase {
    const char* name;
    std::optional<Text> cookies;
    bool auto_merge;
    Text received;
    std::optional<Text> cookies_after;
};

class FetchPageCookies : public testing::TestWithParam<CookieCase> {};

TEST_P(FetchPageCookies, CollectsAndMergesResponseCookies) {
    RawHttpServer server([](const std::string&) {
        return RawReply{RawHttpServer::answer("200 OK", "x",
                                              "Set-Cookie: a=1; path=/\r\nset-cookie: z=9\r\nSet-Cookie: b=2\r\n"),
                        false};
    });
    PageRequest request;
    request.url = server.url("/");
    request.cookies = GetParam().cookies;
    request.auto_merge_cookies = GetParam().auto_merge;
    PageResult result;
    fetch_page(request, result);
    EXPECT_EQ(result.received_cookies, GetParam().received);
    EXPECT_EQ(request.cookies, GetParam().cookies_after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FetchPageCookies,
    testing::Values(CookieCase{"NotGivenStillCollects", std::nullopt, true, "a=1; b=2", std::nullopt},
                    CookieCase{"GivenEmptyReceivesTheMerge", Text(""), true, "a=1; b=2", Text("a=1; b=2")},
                    CookieCase{"GivenCookiesMerge", Text("b=0; c=3"), true, "a=1; b=2; c=3", Text("a=1; b=2; c=3")},
                    CookieCase{"MergeSwitchedOff", Text("b=0; c=3"), false, "a=1; b=2", Text("b=0; c=3")}),
    test::CaseName());

struct CharsetCase {
    const char* name;
    std::string body;
    Text page;
};

class FetchPageCharset : public testing::TestWithParam<CharsetCase> {};

TEST_P(FetchPageCharset, RedecodesPagesDeclaringAnotherCharset) {
    const std::string body = GetParam().body;
    RawHttpServer server([body](const std::string&) { return ok_reply(body); });
    PageRequest request;
    request.url = server.url("/");
    PageResult result;
    EXPECT_EQ(fetch_page(request, result), GetParam().page);
    EXPECT_EQ(result.response_bytes, body);
}

const std::string k_utf8_text = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文 in UTF-8
const std::string k_far_meta = std::string(1100, ' ') + "<meta charset=utf-8>" + k_utf8_text;

INSTANTIATE_TEST_SUITE_P(
    Cases, FetchPageCharset,
    testing::Values(
        CharsetCase{"Utf8IsRedecoded", "<meta charset=\"utf-8\">" + k_utf8_text, ansi("<meta charset=\"utf-8\">中文")},
        CharsetCase{"TagInCapitals", "<META HTTP-EQUIV=x CONTENT=\"text/html; CHARSET=UTF-8\">" + k_utf8_text,
                    ansi("<META HTTP-EQUIV=x CONTENT=\"text/html; CHARSET=UTF-8\">中文")},
        CharsetCase{"ChineseBeforeTheTag", "<title>" + k_utf8_text + "</title><meta charset=utf-8>",
                    ansi("<title>中文</title><meta charset=utf-8>")},
        // The euro sign's UTF-8 bytes are no valid code page 936 text; the tag after them still counts.
        CharsetCase{"InvalidCodePageBytesBeforeTheTag", "<title>\xE2\x82\xAC</title><meta charset=utf-8>",
                    ansi("<title>€</title><meta charset=utf-8>")},
        CharsetCase{"Gb2312StaysRaw", "<meta charset=gb2312>\xD6\xD0", "<meta charset=gb2312>\xD6\xD0"},
        CharsetCase{"GbkStaysRaw", "<meta charset=gbk>\xD6\xD0", "<meta charset=gbk>\xD6\xD0"},
        CharsetCase{"TagPast1024BytesIsNotSeen", k_far_meta, k_far_meta},
        CharsetCase{"UnknownCharsetStaysRaw", "<meta charset=x-no-such-set>\xD6\xD0", "<meta charset=x-no-such-set>\xD6\xD0"},
        CharsetCase{"ZeroByteEndsTheRawText", std::string("ab\0cd", 5), "ab"},
        CharsetCase{"ZeroByteEndsTheDecodedText", "<meta charset=utf-8>" + k_utf8_text + std::string("\0tail", 5),
                    ansi("<meta charset=utf-8>中文")},
        CharsetCase{"BrokenUtf8BecomesQuestionMarks", "<meta charset=utf-8>\xFF" + k_utf8_text,
                    ansi("<meta charset=utf-8>?中文")}),
    test::CaseName());

TEST(FetchPage, BodyCutShortFailsWith713AndKeepsWhatArrived) {
    RawHttpServer server([](const std::string&) {
        return RawReply{"HTTP/1.1 200 OK\r\nSet-Cookie: k=v\r\nContent-Length: 100\r\n\r\npartial", false};
    });
    PageRequest request;
    request.url = server.url("/");
    PageResult result;
    EXPECT_EQ(fetch_page(request, result), "partial");
    EXPECT_EQ(result.status_text, ansi("713 读取数据失败!"));
    EXPECT_EQ(result.response_bytes, "partial");
    EXPECT_TRUE(result.response_headers.starts_with("HTTP/1.1 200 OK\r\n"));
    EXPECT_EQ(result.received_cookies, "k=v");
}

struct NoResponseCase {
    const char* name;
    std::string reply;
};

class FetchPageNoResponse : public testing::TestWithParam<NoResponseCase> {};

TEST_P(FetchPageNoResponse, FailsWith712AndWritesNothingElse) {
    const std::string reply = GetParam().reply;
    RawHttpServer server([reply](const std::string&) { return RawReply{reply, false}; });
    PageRequest request;
    request.url = server.url("/");
    PageResult result;
    result.response_headers = "untouched";
    EXPECT_EQ(fetch_page(request, result), "");
    EXPECT_EQ(result.status_text, ansi("712 服务器未响应!"));
    EXPECT_EQ(result.response_headers, "untouched");
    EXPECT_TRUE(result.response_bytes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FetchPageNoResponse,
    testing::Values(NoResponseCase{"ClosedWithoutAnswer", ""},
                    NoResponseCase{"HeadersCutShort", "HTTP/1.1 200 OK\r\nContent-Le"},
                    NoResponseCase{"NoStatusLine", "hello there\r\n\r\n"},
                    NoResponseCase{"RedirectToAClosedPort",
                                   RawHttpServer::answer("302 Found", "", "Location: http://127.0.0.1:" +
                                                                             std::to_string(closed_port()) + "/\r\n")}),
    test::CaseName());

TEST(FetchPage, ServerThatNeverAnswersFailsWith712AfterTheTimeout) {
    RawHttpServer server([](const std::string&) { return RawReply{"", true}; });
    PageRequest request;
    request.url = server.url("/");
    request.timeout_seconds = 1;
    PageResult result;
    result.response_headers = "untouched";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetch_page(request, result), "");
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result.status_text, ansi("712 服务器未响应!"));
    EXPECT_EQ(result.response_headers, "untouched");
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_LT(waited, std::chrono::seconds(5));
}

TEST(FetchPage, SilenceInTheMiddleOfTheBodyFailsWith713AfterTheTimeout) {
    RawHttpServer server([](const std::string&) {
        return RawReply{"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhalf", true};
    });
    PageRequest request;
    request.url = server.url("/");
    request.timeout_seconds = 1;
    PageResult result;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetch_page(request, result), "half");
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result.status_text, ansi("713 读取数据失败!"));
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_LT(waited, std::chrono::seconds(5));
}

TEST(FetchPage, ConnectionRefusedFailsWith711) {
    PageRequest request;
    request.url = "http://127.0.0.1:" + std::to_string(closed_port()) + "/";
    PageResult result;
    EXPECT_EQ(fetch_page(request, result), "");
    EXPECT_EQ(result.status_text, ansi("711 发送请求失败!"));
}

TEST(FetchPage, TlsHandshakeWithAPlainServerFailsWith711) {
    test::LoopbackServer server;
    server.http().Get("/", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("plain", "text/plain");
    });
    server.start();
    PageRequest request;
    request.url = "https://127.0.0.1:" + std::to_string(server.port()) + "/";
    request.timeout_seconds = 5;
    PageResult result;
    EXPECT_EQ(fetch_page(request, result), "");
    EXPECT_EQ(result.status_text, ansi("711 发送请求失败!"));
}

class FetchPageBadAddress : public testing::TestWithParam<const char*> {};

TEST_P(FetchPageBadAddress, FailsWith701WithoutSending) {
    PageRequest request;
    request.url = GetParam();
    PageResult result;
    EXPECT_EQ(fetch_page(request, result), "");
    EXPECT_EQ(result.status_text, ansi("701 解析URL地址失败!"));
}

INSTANTIATE_TEST_SUITE_P(Cases, FetchPageBadAddress,
                         testing::Values("127.0.0.1:9/page", "", "ftp://127.0.0.1:9/x", "http://", "http://127.0.0.1:9/a\r\nX: y",
                                         "file:///etc/passwd"));

TEST(FetchPage, ProxyReceivesAbsoluteFormRequestWithItsCredentials) {
    RawHttpServer proxy([](const std::string&) { return ok_reply("via proxy"); });
    PageRequest request;
    request.url = "http://127.0.0.1:9/page?q=1";
    request.proxy = "127.0.0.1:" + std::to_string(proxy.port());
    request.proxy_user = "pu";
    request.proxy_password = "pp";
    PageResult result;
    EXPECT_EQ(fetch_page(request, result), "via proxy");
    const std::string head = request_head(proxy.last_request());
    EXPECT_TRUE(head.starts_with("GET http://127.0.0.1:9/page?q=1 HTTP/1.1\r\nHost: 127.0.0.1:9\r\n")) << head;
    EXPECT_NE(head.find("\r\nProxy-Authorization: Basic cHU6cHA=\r\n"), std::string::npos) << head;
    EXPECT_EQ(head.find("Proxy-Connection"), std::string::npos) << head;
}

TEST(FetchPage, SecureAddressGoesThroughTheProxyByTunnel) {
    RawHttpServer proxy([](const std::string&) { return RawReply{RawHttpServer::answer("403 Forbidden", ""), false}; });
    PageRequest request;
    request.url = "https://127.0.0.1:9/page";
    request.proxy = "127.0.0.1:" + std::to_string(proxy.port());
    PageResult result;
    EXPECT_EQ(fetch_page(request, result), "");
    EXPECT_EQ(result.status_text, ansi("711 发送请求失败!"));
    EXPECT_TRUE(proxy.last_request().starts_with("CONNECT 127.0.0.1:9 HTTP/1.1\r\n")) << proxy.last_request();
}

TEST(FetchPage, ChineseKeywordArrivesAsUtf8PercentEscapes) {
    RawHttpServer server([](const std::string&) { return ok_reply(); });
    PageRequest request;
    request.url = server.url(ansi("/song_search_v2?keyword=抖音 歌&page=1"));
    PageResult result;
    fetch_page(request, result);
    EXPECT_TRUE(server.last_request().starts_with(
        "GET /song_search_v2?keyword=%E6%8A%96%E9%9F%B3%20%E6%AD%8C&page=1 HTTP/1.1\r\n"))
        << server.last_request();
}

TEST(FetchPage, ChunkedBodyArrivesWhole) {
    test::LoopbackServer server;
    server.http().Get("/chunks", [](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider("text/plain", [](size_t offset, httplib::DataSink& sink) {
            if (offset < 3000) {
                const std::string piece(1000, static_cast<char>('a' + offset / 1000));
                sink.write(piece.data(), piece.size());
            } else {
                sink.done();
            }
            return true;
        });
    });
    server.start();
    PageRequest request;
    request.url = server.url("/chunks");
    PageResult result;
    EXPECT_EQ(fetch_page(request, result), std::string(1000, 'a') + std::string(1000, 'b') + std::string(1000, 'c'));
    EXPECT_EQ(result.status_text, "200 OK");
    EXPECT_EQ(server.last_request().header("User-Agent"),
              "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)");
}

class PendingEventsHook : public testing::Test {
protected:
    ~PendingEventsHook() override { set_pending_events_hook({}); }
};

TEST_F(PendingEventsHook, RunsWhileHeadersAreReadButNotOnEarlyFailures) {
    RawHttpServer server([](const std::string&) { return ok_reply(); });
    int calls = 0;
    set_pending_events_hook([&calls] { ++calls; });
    PageRequest failing;
    failing.url = "http://127.0.0.1:" + std::to_string(closed_port()) + "/";
    PageResult failed;
    fetch_page(failing, failed);
    EXPECT_EQ(calls, 0);
    PageRequest request;
    request.url = server.url("/");
    PageResult result;
    fetch_page(request, result);
    EXPECT_GE(calls, 4);  // at least once per header line
}

TEST_F(PendingEventsHook, MayStartAnotherFetchInTheMiddleOfOne) {
    RawHttpServer server([](const std::string& raw) {
        return ok_reply(raw.starts_with("GET /inner ") ? "inner" : "outer");
    });
    Text inner_page;
    bool inside = false;
    set_pending_events_hook([&] {
        if (inside || !inner_page.empty()) return;
        inside = true;
        inner_page = fetch_page(server.url("/inner"));
        inside = false;
    });
    PageRequest request;
    request.url = server.url("/outer");
    PageResult result;
    EXPECT_EQ(fetch_page(request, result), "outer");
    EXPECT_EQ(result.status_text, "200 OK");
    EXPECT_EQ(inner_page, "inner");
}

struct VerbCase {
    int method;
    std::string_view verb;
};

class MethodTable : public testing::TestWithParam<VerbCase> {};

TEST_P(MethodTable, OutOfRangeNumbersSelectGet) { EXPECT_EQ(method_verb(GetParam().method), GetParam().verb); }

INSTANTIATE_TEST_SUITE_P(Cases, MethodTable,
                         testing::Values(VerbCase{-1, "GET"}, VerbCase{0, "GET"}, VerbCase{1, "POST"},
                                         VerbCase{2, "HEAD"}, VerbCase{3, "PUT"}, VerbCase{4, "OPTIONS"},
                                         VerbCase{5, "DELETE"}, VerbCase{6, "TRACE"}, VerbCase{7, "CONNECT"},
                                         VerbCase{8, "GET"}, VerbCase{1000, "GET"}));

struct TimeoutCase {
    int seconds;
    long milliseconds;
};

class TimeoutRule : public testing::TestWithParam<TimeoutCase> {};

TEST_P(TimeoutRule, BelowOneMeansThirtySeconds) {
    EXPECT_EQ(timeout_milliseconds(GetParam().seconds), GetParam().milliseconds);
}

INSTANTIATE_TEST_SUITE_P(Cases, TimeoutRule,
                         testing::Values(TimeoutCase{0, 30000}, TimeoutCase{-5, 30000}, TimeoutCase{5, 5000},
                                         TimeoutCase{1, 1000}));

}  // namespace
}  // namespace melkora

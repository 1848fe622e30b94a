// The lean page fetch against a real loopback server: what it sends and what it hands back.
#include <gtest/gtest.h>

#include "tests/web/case_name.h"


#include "tests/support/loopback_server.h"
#include "web/page_request.h"

namespace melkora {
namespace {

using test::RawHttpServer;
using test::RawReply;
using test::closed_port;
using test::host_line;
using test::request_body;
using test::request_head;

const std::string k_agent_line = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n";

RawReply ok_reply(std::string_view body = "image") { return {RawHttpServer::answer("200 OK", body), false}; }

TEST(FetchPageInet, UrlAloneSendsAgentAndTheThreeDefaultLines) {
    RawHttpServer server([](const std::string&) { return ok_reply(); });
    const std::string url = server.url("/a.jpg");
    PageRequest request;
    request.url = url;
    PageResult result;
    EXPECT_EQ(fetch_page_inet(request, result), "image");
    EXPECT_EQ(request_head(server.last_request()),
              "GET /a.jpg HTTP/1.1\r\n" + host_line(server) + k_agent_line + "Accept: */*\r\nReferer: " + url +
                  "\r\nAccept-Language: zh-cn\r\n");
    EXPECT_EQ(request.extra_headers, "Accept: */*\r\nReferer: " + url + "\r\nAccept-Language: zh-cn");
    EXPECT_TRUE(result.response_headers.starts_with("HTTP/1.1 200 OK\r\n"));
}

TEST(FetchPageInet, AddressWithoutSchemeIsRequestedOverHttpWithTheAddressAsReferer) {
    RawHttpServer server([](const std::string&) { return ok_reply(); });
    const std::string url = "127.0.0.1:" + std::to_string(server.port()) + "/Cover.JPG";
    EXPECT_EQ(fetch_page_inet(url), "image");
    const std::string head = request_head(server.last_request());
    EXPECT_TRUE(head.starts_with("GET /Cover.JPG HTTP/1.1\r\n")) << head;
    EXPECT_NE(head.find("\r\nReferer: " + url + "\r\n"), std::string::npos) << head;
}

struct InetHeaderCase {
    const char* name;
    int method;
    Text post_data;
    ByteArray post_bytes;
    Text extra_headers;
    std::optional<Text> cookies;
    std::string request_line_start;
    std::string lines;          // after the Host line; {url} stands for the address
    Text extra_headers_after;   // {url} likewise
    ByteArray post_bytes_after;
    std::string body;
};

std::string with_url(std::string text, const std::string& url) {
    for (auto at = text.find("{url}"); at != std::string::npos; at = text.find("{url}")) text.replace(at, 5, url);
    return text;
}

class FetchPageInetHeaders : public testing::TestWithParam<InetHeaderCase> {};

TEST_P(FetchPageInetHeaders, SendAndWriteBackTheseLines) {
    const InetHeaderCase& c = GetParam();
    RawHttpServer server([](const std::string&) { return ok_reply(); });
    const std::string url = server.url("/p");
    PageRequest request;
    request.url = url;
    request.method = c.method;
    request.post_data = c.post_data;
    request.post_bytes = c.post_bytes;
    request.extra_headers = c.extra_headers;
    request.cookies = c.cookies;
    PageResult result;
    EXPECT_EQ(fetch_page_inet(request, result), "image");
    const std::string raw = server.last_request();
    EXPECT_TRUE(raw.starts_with(c.request_line_start + "/p HTTP/1.1\r\n" + host_line(server))) << raw;
    const std::string head = request_head(raw);
    EXPECT_EQ(head.substr(head.find(host_line(server)) + host_line(server).size()), with_url(c.lines, url));
    EXPECT_EQ(request.extra_headers, with_url(c.extra_headers_after, url));
    EXPECT_EQ(request.post_bytes, c.post_bytes_after);
    EXPECT_EQ(request_body(raw), c.body);
}

const std::string k_defaults = "Accept: */*\r\nReferer: {url}\r\nAccept-Language: zh-cn\r\n";
const std::string k_defaults_after = "Accept: */*\r\nReferer: {url}\r\nAccept-Language: zh-cn";

INSTANTIATE_TEST_SUITE_P(
    Cases, FetchPageInetHeaders,
    testing::Values(
        InetHeaderCase{"CallersLinesComeFirstAndComeBackExtended", 0, "", "", "X-A: 1", std::nullopt, "GET ",
                       k_agent_line + "X-A: 1\r\n" + k_defaults, "X-A: 1\r\n" + k_defaults_after, "", ""},
        InetHeaderCase{"CallersAgentLineIsTheAgent", 0, "", "", "User-Agent: Foo", std::nullopt, "GET ",
                       "User-Agent: Foo\r\nAccept: */*\r\nReferer: {url}\r\nAccept-Language: zh-cn\r\n",
                       "User-Agent: Foo\r\nAccept: */*\r\nReferer: {url}\r\nAccept-Language: zh-cn", "", ""},
        InetHeaderCase{"LowerCaseAgentLineIsTheAgentToo", 0, "", "", "user-agent: Foo", std::nullopt, "GET ",
                       "user-agent: Foo\r\nAccept: */*\r\nReferer: {url}\r\nAccept-Language: zh-cn\r\n",
                       "user-agent: Foo\r\nAccept: */*\r\nReferer: {url}\r\nAccept-Language: zh-cn", "", ""},
        InetHeaderCase{"LowerCaseAcceptStillGetsTheDefault", 0, "", "", "accept: image/png", std::nullopt, "GET ",
                       k_agent_line + "accept: image/png\r\n" + k_defaults, "accept: image/png\r\n" + k_defaults_after,
                       "", ""},
        InetHeaderCase{"CallersRefererIsKept", 0, "", "", "Referer: http://elsewhere/", std::nullopt, "GET ",
                       k_agent_line + "Referer: http://elsewhere/\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n",
                       "Referer: http://elsewhere/\r\nAccept: */*\r\nAccept-Language: zh-cn", "", ""},
        InetHeaderCase{"MethodOutOfRangeIsGetWithoutBody", 12, "ignored", "", "", std::nullopt, "GET ",
                       k_agent_line + k_defaults, k_defaults_after, "", ""},
        InetHeaderCase{"PostFillsPostBytesFromPostData", 1, "a=1", "", "", std::nullopt, "POST ",
                       k_agent_line + k_defaults.substr(0, k_defaults.size() - 2) +
                           "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: 3\r\n",
                       k_defaults_after + "\r\nContent-Type: application/x-www-form-urlencoded", "a=1", "a=1"},
        InetHeaderCase{"PostBytesWinOverPostData", 1, "ignored", std::string("b\0n", 3), "", std::nullopt, "POST ",
                       k_agent_line + k_defaults.substr(0, k_defaults.size() - 2) +
                           "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: 3\r\n",
                       k_defaults_after + "\r\nContent-Type: application/x-www-form-urlencoded", std::string("b\0n", 3),
                       std::string("b\0n", 3)},
        InetHeaderCase{"CookiesBecomeACookieLine", 0, "", "", "", Text("a=1"), "GET ",
                       k_agent_line + k_defaults + "Cookie: a=1\r\n", k_defaults_after + "\r\nCookie: a=1", "", ""},
        InetHeaderCase{"CompleteCookieLineIsSentAsItIs", 0, "", "", "", Text("Cookie: z=9"), "GET ",
                       k_agent_line + k_defaults + "Cookie: z=9\r\n", k_defaults_after + "\r\nCookie: z=9", "", ""},
        InetHeaderCase{"EmptyCookiesAddNoLine", 0, "", "", "", Text(""), "GET ", k_agent_line + k_defaults,
                       k_defaults_after, "", ""}),
    test::CaseName());

RawReply cookie_redirect_script(const std::string& raw) {
    if (raw.starts_with("GET /start ")) {
        return {RawHttpServer::answer("302 Found", "", "Location: /end\r\nSet-Cookie: s=1\r\n"), false};
    }
    return {RawHttpServer::answer("200 OK", "end", "Set-Cookie: e=2; path=/\r\n"), false};
}

struct InetCookieCase {
    const char* name;
    std::optional<Text> cookies;
    bool auto_merge;
    bool chain_carries_cookie;
    Text received;
    std::optional<Text> cookies_after;
};

class FetchPageInetCookies : public testing::TestWithParam<InetCookieCase> {};

TEST_P(FetchPageInetCookies, GivenCookiesSwitchAutomaticHandlingOffAndMerge) {
    const InetCookieCase& c = GetParam();
    RawHttpServer server(cookie_redirect_script);
    PageRequest request;
    request.url = server.url("/start");
    request.cookies = c.cookies;
    request.auto_merge_cookies = c.auto_merge;
    PageResult result;
    EXPECT_EQ(fetch_page_inet(request, result), "end");
    ASSERT_EQ(server.requests().size(), 2U);
    EXPECT_EQ(request_head(server.requests()[1]).find("s=1") != std::string::npos, c.chain_carries_cookie);
    EXPECT_EQ(result.received_cookies, c.received);
    EXPECT_EQ(request.cookies, c.cookies_after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FetchPageInetCookies,
    testing::Values(InetCookieCase{"NotGiven", std::nullopt, true, true, "e=2", std::nullopt},
                    InetCookieCase{"GivenEmpty", Text(""), true, false, "e=2", Text("e=2")},
                    InetCookieCase{"GivenMerge", Text("a=1; e=0"), true, false, "e=2; a=1", Text("e=2; a=1")},
                    InetCookieCase{"MergeSwitchedOff", Text("a=1"), false, false, "e=2", Text("a=1")}),
    test::CaseName());

TEST(FetchPageInet, NoRedirectReturnsTheRedirectingResponse) {
    RawHttpServer server(cookie_redirect_script);
    PageRequest request;
    request.url = server.url("/start");
    request.no_redirect = true;
    PageResult result;
    EXPECT_EQ(fetch_page_inet(request, result), "");
    EXPECT_TRUE(result.response_headers.starts_with("HTTP/1.1 302 Found\r\n"));
    EXPECT_EQ(result.received_cookies, "s=1");
    EXPECT_EQ(server.requests().size(), 1U);
}

struct HeaderBlockCase {
    const char* name;
    std::size_t padding;
    bool fits;
};

class FetchPageInetHeaderBlock : public testing::TestWithParam<HeaderBlockCase> {};

TEST_P(FetchPageInetHeaderBlock, LongerThanTheBufferLeavesSpacesAndNoCookies) {
    const std::size_t padding = GetParam().padding;
    RawHttpServer server([padding](const std::string&) {
        return RawReply{RawHttpServer::answer("200 OK", "body", "Set-Cookie: k=v\r\nX-Pad: " + std::string(padding, 'p') + "\r\n"),
                        false};
    });
    PageRequest request;
    request.url = server.url("/");
    PageResult result;
    EXPECT_EQ(fetch_page_inet(request, result), "body");
    if (GetParam().fits) {
        EXPECT_TRUE(result.response_headers.starts_with("HTTP/1.1 200 OK\r\n"));
        EXPECT_EQ(result.received_cookies, "k=v");
    } else {
        EXPECT_EQ(result.response_headers, std::string(5000, ' '));
        EXPECT_EQ(result.received_cookies, "");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FetchPageInetHeaderBlock,
                         testing::Values(HeaderBlockCase{"Short", 100, true}, HeaderBlockCase{"OverTheBuffer", 6000, false}),
                         test::CaseName());

TEST(FetchPageInet, BodyCutShortGivesTheBytesThatArrived) {
    RawHttpServer server([](const std::string&) {
        return RawReply{"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + std::string("\x89PNG\0part", 9), false};
    });
    PageRequest request;
    request.url = server.url("/");
    PageResult result;
    EXPECT_EQ(fetch_page_inet(request, result), std::string("\x89PNG\0part", 9));
    EXPECT_TRUE(result.response_headers.starts_with("HTTP/1.1 200 OK\r\n"));
}

TEST(FetchPageInet, ConnectionRefusedGivesEmptyBytes) {
    PageRequest request;
    request.url = "http://127.0.0.1:" + std::to_string(closed_port()) + "/a.jpg";
    PageResult result;
    EXPECT_EQ(fetch_page_inet(request, result), "");
    EXPECT_EQ(result.response_headers, std::string(5000, ' '));
}

class FetchPageInetUnusableAddress : public testing::TestWithParam<const char*> {};

TEST_P(FetchPageInetUnusableAddress, GivesEmptyBytesAndWritesNothing) {
    PageRequest request;
    request.url = GetParam();
    PageResult result;
    result.response_headers = "untouched";
    EXPECT_EQ(fetch_page_inet(request, result), "");
    EXPECT_EQ(result.response_headers, "untouched");
    EXPECT_EQ(request.extra_headers, "");
}

INSTANTIATE_TEST_SUITE_P(Cases, FetchPageInetUnusableAddress,
                         testing::Values("", "http:///x", "http://127.0.0.1:9/a\r\nX-Evil: 1", "ab\r\nhttp://127.0.0.1:9/"));

TEST(FetchPageInet, ProxyReceivesAbsoluteFormRequest) {
    RawHttpServer proxy([](const std::string&) { return ok_reply("via proxy"); });
    PageRequest request;
    request.url = "http://127.0.0.1:9/cover.jpg";
    request.proxy = "127.0.0.1:" + std::to_string(proxy.port());
    PageResult result;
    EXPECT_EQ(fetch_page_inet(request, result), "via proxy");
    EXPECT_TRUE(proxy.last_request().starts_with("GET http://127.0.0.1:9/cover.jpg HTTP/1.1\r\n")) << proxy.last_request();
}

TEST(FetchPageInet, ChinesePathArrivesAsUtf8PercentEscapes) {
    RawHttpServer server([](const std::string&) { return ok_reply(); });
    fetch_page_inet(server.url(ansi("/封面 图.jpg")));
    EXPECT_TRUE(server.last_request().starts_with("GET /%E5%B0%81%E9%9D%A2%20%E5%9B%BE.jpg HTTP/1.1\r\n"))
        << server.last_request();
}

}  // namespace
}  // namespace melkora

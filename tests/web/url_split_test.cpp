// Host, port and path of an address, for any text at all.
#include <gtest/gtest.h>

#include "tests/web/case_name.h"

#include "web/url_split.h"

namespace melkora {
namespace {

struct UrlCase {
    const char* name;
    Text address;
    Text host;
    Text host_with_port;
    int port;
    Text path;
};

class UrlSplit : public testing::TestWithParam<UrlCase> {};

TEST_P(UrlSplit, GivesHostPortAndPath) {
    const UrlCase& c = GetParam();
    EXPECT_EQ(url_host(c.address), c.host);
    EXPECT_EQ(url_host(c.address, true), c.host_with_port);
    EXPECT_EQ(url_port(c.address), c.port);
    EXPECT_EQ(url_path(c.address), c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UrlSplit,
    testing::Values(
        UrlCase{"PathKeepsItsLetterCase", "HTTP://HostA:8080/A/b?x=1", "hosta", "hosta:8080", 8080, "/A/b?x=1"},
        UrlCase{"HttpsDefaultPort", "https://hosta/a.jpg", "hosta", "hosta", 443, "/a.jpg"},
        UrlCase{"HttpsInCapitals", "HTTPS://HostA/x", "hosta", "hosta", 443, "/x"},
        UrlCase{"HttpDefaultPort", "http://hosta/x", "hosta", "hosta", 80, "/x"},
        UrlCase{"NoScheme", "hosta/list", "hosta", "hosta", 80, "/list"},
        UrlCase{"NoSchemeWithPort", "hosta:8080/x", "hosta", "hosta:8080", 8080, "/x"},
        UrlCase{"NoPath", "https://hosta", "hosta", "hosta", 443, "/"},
        UrlCase{"QueryWithoutPathIsNoPath", "http://hosta?x=1", "hosta?x=1", "hosta?x=1", 80, "/"},
        UrlCase{"PortThatIsNoNumber", "http://hosta:abc/x", "hosta", "hosta:abc", 0, "/x"},
        UrlCase{"PortWithTrailingText", "http://hosta:81x/x", "hosta", "hosta:81x", 81, "/x"},
        UrlCase{"HugePortSaturates", "http://hosta:99999999999/x", "hosta", "hosta:99999999999", 2147483647, "/x"},
        UrlCase{"Empty", "", "", "", 80, "/"},
        UrlCase{"ChinesePathKeptAsItIs", ansi("http://hosta/搜索?k=抖音"), "hosta", "hosta", 80, ansi("/搜索?k=抖音")},
        // 丄 is 81 41: its second byte reads as "A" but belongs to the character, so it stays.
        UrlCase{"TwoByteHostIsNotLowerCasedInside", ansi("http://丄B/x"), ansi("丄b"), ansi("丄b"), 80, "/x"}),
    test::CaseName());

}  // namespace
}  // namespace melkora

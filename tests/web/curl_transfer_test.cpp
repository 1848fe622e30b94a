// The shared libcurl transfer, for what the fetches cannot show from outside.
#include <gtest/gtest.h>

#include "tests/support/loopback_server.h"
#include "web/curl_transfer.h"

namespace melkora::web_detail {
namespace {

using test::RawHttpServer;
using test::RawReply;

TEST(CurlTransfer, BodyPastTheLimitIsCutThereAndFails) {
    RawHttpServer server([](const std::string&) {
        return RawReply{RawHttpServer::answer("200 OK", std::string(100, 'b')), false};
    });
    TransferSpec spec;
    spec.url = server.url("/");
    spec.max_body_bytes = 10;
    const TransferOutcome outcome = perform_transfer(spec);
    EXPECT_NE(outcome.code, CURLE_OK);
    EXPECT_EQ(outcome.stage, TransferStage::reading_body);
    EXPECT_EQ(outcome.body, std::string(10, 'b'));
    EXPECT_TRUE(outcome.header_block.starts_with("HTTP/1.1 200 OK\r\n"));
}

TEST(CurlTransfer, BodyUpToTheLimitArrivesWhole) {
    RawHttpServer server([](const std::string&) {
        return RawReply{RawHttpServer::answer("200 OK", std::string(10, 'b')), false};
    });
    TransferSpec spec;
    spec.url = server.url("/");
    spec.max_body_bytes = 10;
    const TransferOutcome outcome = perform_transfer(spec);
    EXPECT_EQ(outcome.code, CURLE_OK);
    EXPECT_EQ(outcome.body, std::string(10, 'b'));
}

struct WireCase {
    const char* name;
    std::string address;
    std::string wire;
};

class WireAddress : public testing::TestWithParam<WireCase> {};

TEST_P(WireAddress, EscapesNonAsciiAndBlanksAfterTheHostOnly) {
    EXPECT_EQ(wire_address(GetParam().address), GetParam().wire);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WireAddress,
    testing::Values(WireCase{"Ascii", "http://h/a?b=c", "http://h/a?b=c"},
                    WireCase{"ChineseQuery", ansi("http://h/s?k=抖音"), "http://h/s?k=%E6%8A%96%E9%9F%B3"},
                    WireCase{"BlankInPath", "http://h/a b", "http://h/a%20b"},
                    WireCase{"EscapesAlreadyThereStay", "http://h/a%20b", "http://h/a%20b"},
                    WireCase{"QueryRightAfterHost", "http://h?q=a b", "http://h?q=a%20b"},
                    WireCase{"HostIsLeftToTheParser", ansi("http://主机/x"), "http://\xE4\xB8\xBB\xE6\x9C\xBA/x"}),
    [](const testing::TestParamInfo<WireCase>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace melkora::web_detail

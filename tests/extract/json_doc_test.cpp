#include "extract/json_doc.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace melkora {
namespace {

JsonDoc parsed(std::string_view text) {
    JsonDoc doc;
    EXPECT_TRUE(doc.parse(text)) << text;
    return doc;
}

// ---- parse: which texts are data ----------------------------------------------------------------

struct ParseCase {
    const char* name;
    std::string text;
    bool parses;
    std::string json;  // the document afterwards, when it parses
};

class Parse : public testing::TestWithParam<ParseCase> {};

TEST_P(Parse, AcceptsDataLiteralsOnly) {
    const ParseCase& c = GetParam();
    JsonDoc doc;
    EXPECT_EQ(doc.parse(c.text), c.parses);
    if (c.parses) {
        EXPECT_EQ(doc.to_json(), c.json);
    } else {
        EXPECT_EQ(doc.get_text("a"), "");
        EXPECT_EQ(doc.member_count(), 0);
        std::vector<Text> names{"stale"};
        EXPECT_EQ(doc.member_names(names), 0);
        EXPECT_TRUE(names.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Parse,
    testing::Values(
        ParseCase{"empty_text", "", false, ""},
        ParseCase{"blank_text", " \r\n\t", false, ""},
        ParseCase{"null", "null", false, ""},
        ParseCase{"array", "[1,2]", true, "[1,2]"},
        ParseCase{"unquoted_name", "{a:1}", true, "{\"a\":1}"},
        ParseCase{"single_quotes", "{'a':'b'}", true, "{\"a\":\"b\"}"},
        ParseCase{"strict_json", "{\"a\":[true,false,null,-1.5e2,\"x\\u0041\"]}", true,
                  "{\"a\":[true,false,null,-150,\"xA\"]}"},
        ParseCase{"string_document", "'abc'", true, "\"abc\""},
        ParseCase{"number_document", "5", true, "5"},
        ParseCase{"trailing_commas", "{a:[1,2,],}", true, "{\"a\":[1,2]}"},
        ParseCase{"script_escapes", "'it\\'s \\x41\\101\\v\\q\"'", true, "\"it's AA\\u000bq\\\"\""},
        ParseCase{"line_continuation", "'a\\\nb'", true, "\"ab\""},
        ParseCase{"raw_tab_in_string", "'a\tb'", true, "\"a\\tb\""},
        ParseCase{"escaped_control_byte", "'x\\\x1dy'", true, "\"x\\u001dy\""},
        ParseCase{"script_numbers", "[.5,+1,5.,010,08,0x1F,-0x10]", true, "[0.5,1,5,8,8,31,-16]"},
        ParseCase{"huge_exponents", "[3e20332033,-1e+0000999999,1e-99999999]", true, "[null,null,0]"},
        ParseCase{"integer_and_dollar_names", "{1:'x',$a_b:2}", true, "{\"1\":\"x\",\"$a_b\":2}"},
        ParseCase{"chinese_unquoted_name", "{歌名:1}", true, "{\"歌名\":1}"},
        ParseCase{"comments", "/* list */[1, // one\n2]", true, "[1,2]"},
        ParseCase{"byte_order_mark", ansi("\xEF\xBB\xBF[1]"), true, "[1]"},
        ParseCase{"trailing_line_comment_swallows_end", "[1] // end", false, ""},
        ParseCase{"unterminated_block_comment", "[1] /* end", false, ""},
        ParseCase{"undefined", "undefined", false, ""},
        ParseCase{"not_a_number", "[NaN]", false, ""},
        ParseCase{"array_hole", "[1,,2]", false, ""},
        ParseCase{"two_values", "{a:1}{b:2}", false, ""},
        ParseCase{"comma_expression", "1,2", false, ""},
        ParseCase{"identifier_value", "{a:b}", false, ""},
        ParseCase{"call", "alert(1)", false, ""},
        ParseCase{"jsonp", "cb({a:1})", false, ""},
        ParseCase{"assignment", "a=1", false, ""},
        ParseCase{"operator", "[1]+[2]", false, ""},
        ParseCase{"function", "{a:function(){return 1}}", false, ""},
        ParseCase{"endless_loop", "(function(){while(1){}})()", false, ""},
        ParseCase{"unterminated_object", "{a:1", false, ""},
        ParseCase{"unterminated_string", "'abc", false, ""},
        ParseCase{"raw_line_break_in_string", "['a\nb']", false, ""},
        ParseCase{"number_glued_to_name", "[1a]", false, ""},
        ParseCase{"too_deep", std::string(1000, '[') + std::string(1000, ']'), false, ""}),
    [](const testing::TestParamInfo<ParseCase>& p) { return std::string(p.param.name); });

TEST(Parse, NestingUpToTheLimitIsAccepted) {
    JsonDoc doc;
    EXPECT_TRUE(doc.parse(std::string(300, '[') + std::string(300, ']')));
}

TEST(Parse, TextEndsAtFirstZeroByte) {
    JsonDoc doc;
    EXPECT_TRUE(doc.parse(std::string("[1]\0garbage", 11)));
    EXPECT_EQ(doc.to_json(), "[1]");
}

TEST(Parse, FailedParseDiscardsThePreviousDocument) {
    JsonDoc doc = parsed("{a:'x'}");
    EXPECT_FALSE(doc.parse("{a:"));
    EXPECT_EQ(doc.get_text("a"), "");
    EXPECT_EQ(doc.value_type("a"), -1);
}

// ---- hostile answers --------------------------------------------------------------------------

TEST(HostileAnswer, IsRefusedWithoutRunningAndTheProgramGoesOn) {
    const std::vector<std::string> answers = {
        "while(true){}",
        "(function f(){f()})()",
        "get__count = function(){ return 99 }",
        "Object.prototype.toJSONString = null",
        "[1].constructor.constructor('while(1){}')()",
        "{a: (get__count = 0)}",
        "'a'.repeat(200 * 1024 * 1024)",
    };
    for (const std::string& answer : answers) {
        JsonDoc doc;
        EXPECT_FALSE(doc.parse(answer)) << answer;
        // A fresh document still works, prelude included: no global was changed.
        JsonDoc next = parsed("{b:1,a:2}");
        EXPECT_EQ(next.member_count(), 2) << answer;
        std::vector<Text> names;
        EXPECT_EQ(next.member_names(names), 2) << answer;
    }
}

TEST(HostileAnswer, TwoHundredMegabyteStringIsRefused) {
    std::string answer(200u * 1024 * 1024 + 2, 'a');
    answer.front() = '\'';
    answer.back() = '\'';
    JsonDoc doc;
    EXPECT_FALSE(doc.parse(answer));
    answer = {};
    EXPECT_EQ(parsed("[1,2]").member_count(), 2);
}

TEST(HostileAnswer, AnswerOutgrowingTheHeapFailsAsAFailedParse) {
    std::string many_objects = "[";
    for (int i = 0; i < 20000; ++i) {
        many_objects += "{a:[1],b:{c:'x'}},";
    }
    many_objects += "0]";
    JsonDoc small(4u * 1024 * 1024);
    EXPECT_FALSE(small.parse(many_objects));
    EXPECT_EQ(small.member_count(), 0);
    EXPECT_TRUE(small.parse("[1,2,3]"));
    EXPECT_EQ(small.member_count(), 3);
    EXPECT_TRUE(JsonDoc().parse(many_objects));
}

TEST(HostileAnswer, HeapTooSmallForTheEngineGivesEmptyResults) {
    JsonDoc doc(1024);
    EXPECT_FALSE(doc.parse("[1]"));
    EXPECT_EQ(doc.to_json(), "");
    EXPECT_EQ(doc.get_text("a"), "");
    EXPECT_EQ(doc.member_count(), 0);
    EXPECT_EQ(doc.value_type(), -1);
    doc.set_member("a", "x");
    EXPECT_FALSE(doc.has_member("a"));
}

// ---- reading through paths --------------------------------------------------------------------

const char* const k_details = "{data:{img:'x',n:1.5,big:10000000000001,z:null,t:true,s:'abc',"
                              "play_url:'http://h/a.mp3',neg:-0.000012345,half:123456789012.5,huge:1e21}}";
const char* const k_rows = "[{hash:'A1',n:1.5,big:10000000000001},{hash:'B2'}]";

struct TextCase {
    const char* name;
    std::string document;
    std::string path;
    bool as_json;
    std::string expected;
};

class GetText : public testing::TestWithParam<TextCase> {};

TEST_P(GetText, ReadsThePath) {
    const TextCase& c = GetParam();
    EXPECT_EQ(parsed(c.document).get_text(c.path, c.as_json), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GetText,
    testing::Values(
        TextCase{"string", k_details, "data.img", false, "x"},
        TextCase{"fraction", k_details, "data.n", false, "1.5"},
        TextCase{"fourteen_digits_13g", k_details, "data.big", false, "1e+13"},
        TextCase{"small_number_13g", k_details, "data.neg", false, "-1.2345e-05"},
        TextCase{"thirteen_digits_kept", k_details, "data.half", false, "123456789012.5"},
        TextCase{"huge_13g", k_details, "data.huge", false, "1e+21"},
        TextCase{"null_is_empty", k_details, "data.z", false, ""},
        TextCase{"boolean", k_details, "data.t", false, "true"},
        TextCase{"absent_is_empty", k_details, "data.nothing", false, ""},
        TextCase{"member_of_null", k_details, "data.z.y", false, ""},
        TextCase{"member_of_absent", k_details, "data.nothing.y", false, ""},
        TextCase{"string_length", k_details, "data.s.length", false, "3"},
        TextCase{"string_character", k_details, "data.s[1]", false, "b"},
        TextCase{"quoted_bracket_name", k_details, "data['play_url']", false, "http://h/a.mp3"},
        TextCase{"double_quoted_bracket_name", k_details, "data[\"play_url\"]", false, "http://h/a.mp3"},
        TextCase{"spaces_in_path", k_details, "data . img", false, "x"},
        TextCase{"json_string", k_details, "data.img", true, "\"x\""},
        TextCase{"json_null", k_details, "data.z", true, "null"},
        TextCase{"json_absent", k_details, "data.nothing", true, ""},
        TextCase{"json_object", "{a:[1,2],o:{k:'v'}}", "o", true, "{\"k\":\"v\"}"},
        TextCase{"json_array", "{a:[1,2]}", "a", true, "[1,2]"},
        TextCase{"empty_path", k_details, "", false, ""},
        TextCase{"empty_path_json", k_details, "", true, ""},
        TextCase{"bracket_path", k_rows, "[1].hash", false, "B2"},
        TextCase{"bracket_path_past_end", k_rows, "[2].hash", false, ""},
        TextCase{"bracket_path_engine_number", k_rows, "[0].big", false, "10000000000001"},
        TextCase{"bracket_path_fraction", k_rows, "[0].n", false, "1.5"},
        TextCase{"bracket_path_json", k_rows, "[0].hash", true, "\"A1\""},
        TextCase{"nested_arrays", "{data:[{RecordDatas:[{HintInfo:'a'},{HintInfo:'b'}]}]}",
                 "data[0].RecordDatas[1].HintInfo", false, "b"},
        TextCase{"object_as_text", "{o:{k:1},a:[1,2]}", "a", false, "1,2"},
        TextCase{"call_is_not_a_path", k_details, "data.s.substr(0,1)", false, ""},
        TextCase{"operator_is_not_a_path", k_rows, "[0+1].hash", false, ""},
        TextCase{"double_dot", k_details, "data..img", false, ""},
        TextCase{"unclosed_bracket", k_rows, "[1.hash", false, ""},
        TextCase{"negative_index", "{a:{'-1':'m'}}", "a[-1]", false, "m"},
        TextCase{"escaped_quoted_name", "{'it\\'s':1,'a\\nb':2}", "['a\\nb']", false, "2"}),
    [](const testing::TestParamInfo<TextCase>& p) { return std::string(p.param.name); });

// Chinese, Korean and characters beyond U+FFFF enter and leave the engine as code page 936 text.
class TextCrossing : public testing::TestWithParam<TextCase> {};

TEST_P(TextCrossing, SurvivesTheEngine) {
    const TextCase& c = GetParam();
    const JsonDoc doc = parsed(ansi(c.document));
    EXPECT_EQ(doc.get_text(ansi(c.path), c.as_json), ansi(c.expected));
    EXPECT_EQ(ansi_to_utf8(doc.get_text(ansi(c.path), c.as_json)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextCrossing,
    testing::Values(TextCase{"chinese_value", "{SongName:'晴天 - 周杰伦'}", "SongName", false, "晴天 - 周杰伦"},
                    TextCase{"chinese_name", "{'歌名':'晴天'}", "歌名", false, "晴天"},
                    TextCase{"chinese_quoted_path", "{'歌名':'晴天'}", "['歌名']", false, "晴天"},
                    TextCase{"korean", "{n:'아이유 - 좋은 날'}", "n", false, "아이유 - 좋은 날"},
                    TextCase{"emoji_raw", "{n:'🎵x😀'}", "n", false, "🎵x😀"},
                    TextCase{"emoji_escaped", "{n:'\\ud83c\\udfb5x'}", "n", false, "🎵x"},
                    TextCase{"emoji_name", "{'😀':1}", "['😀']", false, "1"},
                    TextCase{"emoji_json", "{n:'😀'}", "n", true, "\"😀\""},
                    TextCase{"lone_surrogate_replaced", "{n:'\\ud83c!'}", "n", false, "\xEF\xBF\xBD!"},
                    TextCase{"backslash_second_byte", "{n:'乗\\\\'}", "n", false, "乗\\"}),
    [](const testing::TestParamInfo<TextCase>& p) { return std::string(p.param.name); });

TEST(TextCrossing, EscapedAndRawEmojiAreTheSameString) {
    const JsonDoc doc = parsed(ansi("{a:'😀',b:'\\ud83d\\ude00'}"));
    EXPECT_EQ(doc.get_text("a"), doc.get_text("b"));
    EXPECT_EQ(doc.get_text("a.length"), "2");
    EXPECT_EQ(doc.to_json(), ansi("{\"a\":\"😀\",\"b\":\"😀\"}"));
}

struct NamesCase {
    const char* name;
    std::string document;
    std::string path;
    std::vector<std::string> expected;
};

class MemberNames : public testing::TestWithParam<NamesCase> {};

TEST_P(MemberNames, ListsForInOrderWithoutPreludeMethods) {
    const NamesCase& c = GetParam();
    const JsonDoc doc = parsed(c.document);
    std::vector<Text> names{"stale"};
    EXPECT_EQ(doc.member_names(names, c.path), static_cast<int>(c.expected.size()));
    EXPECT_EQ(names, std::vector<Text>(c.expected.begin(), c.expected.end()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MemberNames,
    testing::Values(NamesCase{"array_indices", k_rows, "", {"0", "1"}},
                    NamesCase{"object_order", "{b:1,a:2}", "", {"b", "a"}},
                    NamesCase{"empty_object", "{}", "", {}},
                    NamesCase{"comma_in_name", "{'x,y':1}", "", {"x", "y"}},
                    NamesCase{"empty_name_between", "{'':1,a:2}", "", {"", "a"}},
                    NamesCase{"bracket_path", k_rows, "[0]", {"hash", "n", "big"}},
                    NamesCase{"dot_path", "{data:[{RecordDatas:[{},{}]}]}", "data[0].RecordDatas", {"0", "1"}},
                    NamesCase{"own_method_name_shadows", "{toJSONString:1,a:2}", "", {"a"}},
                    NamesCase{"null_member", "{a:null}", "a", {}},
                    NamesCase{"absent_member", "{a:null}", "b", {}},
                    NamesCase{"invalid_path", "{a:{b:1}}", "a(", {}}),
    [](const testing::TestParamInfo<NamesCase>& p) { return std::string(p.param.name); });

struct CountCase {
    const char* name;
    std::string document;
    std::string path;
    int expected;
};

class MemberCount : public testing::TestWithParam<CountCase> {};

TEST_P(MemberCount, CountsMembers) {
    const CountCase& c = GetParam();
    EXPECT_EQ(parsed(c.document).member_count(c.path), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MemberCount,
    testing::Values(CountCase{"object", "{b:1,a:2}", "", 2}, CountCase{"empty_object", "{}", "", 0},
                    CountCase{"array", "[1,2,3]", "", 3}, CountCase{"bracket_path", "[[1,2],[3]]", "[0]", 2},
                    CountCase{"dot_path", "{a:{x:1,y:2,z:3}}", "a", 3}, CountCase{"null_member", "{a:null}", "a", 0},
                    CountCase{"absent_member", "{a:null}", "b", 0}, CountCase{"invalid_path", "{a:1}", "a+", 0}),
    [](const testing::TestParamInfo<CountCase>& p) { return std::string(p.param.name); });

class ValueType : public testing::TestWithParam<CountCase> {};

TEST_P(ValueType, GivesTypeCode) {
    const CountCase& c = GetParam();
    EXPECT_EQ(parsed(c.document).value_type(c.path), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValueType,
    testing::Values(CountCase{"null", k_details, "data.z", 0}, CountCase{"absent", k_details, "data.q", 0},
                    CountCase{"object", k_details, "data", 4}, CountCase{"number", k_details, "data.n", 2},
                    CountCase{"boolean", k_details, "data.t", 1}, CountCase{"string", k_details, "data.img", 6},
                    CountCase{"array", "{a:[1,2]}", "a", 5}, CountCase{"bracket_path", k_rows, "[0]", -1},
                    CountCase{"document_object", k_details, "", 4}, CountCase{"document_array", k_rows, "", 5},
                    CountCase{"prelude_method", "{}", "toJSONString", -1},
                    CountCase{"member_of_null", k_details, "data.z.q", -1},
                    CountCase{"invalid_path", k_details, "data.", -1}),
    [](const testing::TestParamInfo<CountCase>& p) { return std::string(p.param.name); });

TEST(JsonDoc, ScalarReads) {
    const JsonDoc doc = parsed("{n:'12',s:'abc',b:true,a:[10,'b',{k:1.5}],z:null}");
    EXPECT_EQ(doc.get_number("n"), 12);
    EXPECT_EQ(doc.get_number("s"), 0);
    EXPECT_EQ(doc.get_number("q"), 0);
    EXPECT_EQ(doc.get_number("a[2].k"), 1.5);
    EXPECT_TRUE(doc.has_member("a"));
    EXPECT_FALSE(doc.has_member("z"));
    EXPECT_FALSE(doc.has_member("q"));
    EXPECT_FALSE(doc.has_member(""));
    EXPECT_EQ(doc.get_member_json("a[2]"), "{\"k\":1.5}");
    EXPECT_EQ(doc.get_member_json("[0]"), "");
    EXPECT_EQ(doc.get_item_text(1, "a"), "b");
    EXPECT_EQ(doc.get_item_text(0, "a"), "10");
    EXPECT_EQ(doc.get_item_text(1, "a", true), "\"b\"");
    EXPECT_EQ(doc.get_item_text(5, "a"), "");
    EXPECT_EQ(parsed("['x','y']").get_item_text(1), "y");
}

TEST(JsonDoc, UnparsedDocumentIsAnEmptyObject) {
    const JsonDoc doc;
    EXPECT_EQ(doc.to_json(), "{}");
    EXPECT_EQ(doc.member_count(), 0);
    EXPECT_EQ(doc.value_type(), 4);
}

// ---- changing the document --------------------------------------------------------------------

struct ChangeCase {
    const char* name;
    std::string document;
    std::function<void(JsonDoc&)> change;
    std::string expected_json;
};

class Change : public testing::TestWithParam<ChangeCase> {};

TEST_P(Change, LeavesExpectedDocument) {
    const ChangeCase& c = GetParam();
    JsonDoc doc = parsed(c.document);
    c.change(doc);
    EXPECT_EQ(doc.to_json(), c.expected_json);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Change,
    testing::Values(
        ChangeCase{"remove_path", "{a:[1,2]}", [](JsonDoc& d) { d.remove_path("a[0]"); }, "{\"a\":[2]}"},
        ChangeCase{"remove_path_nested", "{data:{list:[1,2,3]}}", [](JsonDoc& d) { d.remove_path("data.list[2]"); },
                   "{\"data\":{\"list\":[1,2]}}"},
        ChangeCase{"remove_path_first_brackets", "{a:[{b:[1]},{b:[1,2]}]}", [](JsonDoc& d) { d.remove_path("a[1].b[0]"); },
                   "{\"a\":[{\"b\":[1]}]}"},
        ChangeCase{"remove_path_without_brackets", "{a:[1,2]}", [](JsonDoc& d) { d.remove_path("a"); },
                   "{\"a\":[1,2]}"},
        ChangeCase{"remove_path_leading_bracket", "[1,2]", [](JsonDoc& d) { d.remove_path("[0]"); }, "[1,2]"},
        ChangeCase{"set_member_string", "{}", [](JsonDoc& d) { d.set_member("a", "x"); }, "{\"a\":\"x\"}"},
        ChangeCase{"set_member_keeps_quotes_and_breaks", "{}", [](JsonDoc& d) { d.set_member("a", "it's\n\\n"); },
                   "{\"a\":\"it's\\n\\\\n\"}"},
        ChangeCase{"set_member_nested", "{a:{}}", [](JsonDoc& d) { d.set_member("a.b", "1"); },
                   "{\"a\":{\"b\":\"1\"}}"},
        ChangeCase{"set_member_as_json", "{}", [](JsonDoc& d) { d.set_member("a", "{x:[1]}", true); },
                   "{\"a\":{\"x\":[1]}}"},
        ChangeCase{"set_member_empty_json_is_object", "{}", [](JsonDoc& d) { d.set_member("a", "", true); },
                   "{\"a\":{}}"},
        ChangeCase{"set_member_refuses_script", "{}", [](JsonDoc& d) { d.set_member("a", "alert(1)", true); }, "{}"},
        ChangeCase{"set_member_under_absent", "{}", [](JsonDoc& d) { d.set_member("a.b", "1"); }, "{}"},
        ChangeCase{"set_member_bracket_path", "[1]", [](JsonDoc& d) { d.set_member("[0]", "x"); }, "[1]"},
        ChangeCase{"set_member_json", "{a:1}", [](JsonDoc& d) { d.set_member_json("a", "[true]"); },
                   "{\"a\":[true]}"},
        ChangeCase{"set_member_json_empty_is_undefined", "{a:1,b:2}", [](JsonDoc& d) { d.set_member_json("a", ""); },
                   "{\"b\":2}"},
        ChangeCase{"set_member_number_13_digits", "{}", [](JsonDoc& d) { d.set_member_number("x", 1.0 / 3); },
                   "{\"x\":0.3333333333333}"},
        ChangeCase{"set_member_number_infinite", "{}", [](JsonDoc& d) { d.set_member_number("x", 1e308 * 10); }, "{}"},
        ChangeCase{"push_item_creates_array", "{}", [](JsonDoc& d) { d.push_item("x", "list"); },
                   "{\"list\":[\"x\"]}"},
        ChangeCase{"push_item_raw", "{list:[1]}", [](JsonDoc& d) { d.push_item("{a:1}", "list", true); },
                   "{\"list\":[1,{\"a\":1}]}"},
        ChangeCase{"push_item_document", "{a:1}", [](JsonDoc& d) { d.push_item("x"); }, "[\"x\"]"},
        ChangeCase{"push_item_raw_empty", "{}", [](JsonDoc& d) { d.push_item("", "l", true); }, "{\"l\":[]}"},
        ChangeCase{"push_item_refused", "{}", [](JsonDoc& d) { d.push_item("f()", "l", true); }, "{}"},
        ChangeCase{"set_item", "[1,2]", [](JsonDoc& d) { d.set_item(1, "x"); }, "[1,\"x\"]"},
        ChangeCase{"set_item_raw", "[1,2]", [](JsonDoc& d) { d.set_item(2, "null", true); }, "[1,2,null]"},
        ChangeCase{"remove_item", "[1,2,3]", [](JsonDoc& d) { d.remove_item(1); }, "[1,3]"},
        ChangeCase{"remove_item_negative", "[1,2,3]", [](JsonDoc& d) { d.remove_item(-1); }, "[1,2]"},
        ChangeCase{"remove_item_on_object", "{a:1}", [](JsonDoc& d) { d.remove_item(0); }, "{\"a\":1}"},
        ChangeCase{"reset_array", "{a:1}", [](JsonDoc& d) { d.reset(5); }, "[]"},
        ChangeCase{"reset_object", "[1]", [](JsonDoc& d) { d.reset(4); }, "{}"},
        ChangeCase{"reset_null_code", "[1]", [](JsonDoc& d) { d.reset(0); }, "{}"},
        ChangeCase{"reset_other_code", "[1]", [](JsonDoc& d) { d.reset(3); }, "[1]"},
        ChangeCase{"set_root_raw", "{}", [](JsonDoc& d) { d.set_root("[1,'a']", true); }, "[1,\"a\"]"},
        ChangeCase{"set_root_string", "{}", [](JsonDoc& d) { d.set_root("x"); }, "\"x\""},
        ChangeCase{"clear", "[1]", [](JsonDoc& d) { d.clear(); }, "{}"}),
    [](const testing::TestParamInfo<ChangeCase>& p) { return std::string(p.param.name); });

// ---- copies -----------------------------------------------------------------------------------

TEST(Copies, ShareTheDocument) {
    JsonDoc doc = parsed("{a:1}");
    JsonDoc copy = doc;
    copy.set_member("b", "x");
    EXPECT_EQ(doc.get_text("b"), "x");
}

TEST(Copies, ParseGivesTheCopyAHeapOfItsOwn) {
    JsonDoc doc = parsed("{a:1}");
    JsonDoc copy = doc;
    EXPECT_TRUE(copy.parse("[2]"));
    EXPECT_EQ(doc.to_json(), "{\"a\":1}");
    EXPECT_EQ(copy.to_json(), "[2]");
}

TEST(Copies, GetObjectIsADeepCopy) {
    JsonDoc doc = parsed("{data:{list:[{h:'a'}]},rows:[[1],[2]]}");
    JsonDoc part = doc.get_object("data");
    part.set_member("list", "gone");
    EXPECT_EQ(part.get_text("list"), "gone");
    EXPECT_EQ(doc.get_text("data.list[0].h"), "a");

    JsonDoc row = doc.get_item_object(1, "rows");
    EXPECT_EQ(row.to_json(), "[2]");
    row.remove_item(0);
    EXPECT_EQ(doc.get_text("rows", true), "[[1],[2]]");

    EXPECT_EQ(parsed("[[5]]").get_object("[0]").to_json(), "[5]");
    JsonDoc missing = doc.get_object("nothing");
    EXPECT_EQ(missing.to_json(), "");
    EXPECT_EQ(missing.member_count(), 0);
}

}  // namespace
}  // namespace melkora

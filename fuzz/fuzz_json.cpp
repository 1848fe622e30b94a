// JsonDoc::parse and path reads over arbitrary text: the literal reader hands the engine only
// JSON it accepts, what parses writes back out as text that parses again, and no path breaks a
// document.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "extract/encoding.h"
#include "extract/json_doc.h"
#include "extract/json_literal.h"

namespace {

using namespace melkora;

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void read_through(const JsonDoc& doc, const std::string& path) {
    std::vector<Text> names;
    doc.member_names(names, path);
    doc.member_count(path);
    doc.get_text(path);
    doc.get_text(path, true);
    doc.value_type(path);
    doc.get_number(path);
    doc.has_member(path);
    doc.get_item_text(0, path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string path = input.ConsumeRandomLengthString(24);
    const std::string text = input.ConsumeRemainingBytesAsString();

    JsonDoc doc;
    const bool parsed = doc.parse(text);
    const StrictJson strict = literal_to_strict_json(cp936_to_utf8(text.substr(0, text.find('\0'))));
    check(parsed == (strict.status == LiteralStatus::value && strict.json != "null"));
    read_through(doc, path);
    if (!parsed) {
        return 0;
    }
    const Text written = doc.to_json();
    JsonDoc again;
    check(written.empty() || again.parse(written) || written == "null");
    read_through(again, path);
    again.set_member(path, "x");
    again.push_item("1", path, true);
    again.remove_path(path);
    again.to_json();
    return 0;
}

#pragma once
// A JSON document held in a script engine heap and read through path expressions such as
// "data.img", "[0].hash" or "data['play_url']", relative to the document's variable "da".
//
// A path after the variable is joined with a "." (dot join), except that get_text, get_object,
// member_count and member_names append a path beginning with "[" directly. Failures are quiet:
// an invalid path, a member of null or a refused value gives empty text, 0 or false and leaves
// the document unchanged.
//
// No text handed to a JsonDoc is ever run as script: parse and the operations that take a value
// as JSON or raw accept data literals only (see extract/json_literal.h), and paths are plain
// member chains (see extract/json_path.h). A value given as text (not as JSON, not raw) is
// stored exactly as given, quotes, line breaks and backslashes included. Each document has its
// own heap, capped in size; copies share it.
#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "extract/text.h"

namespace melkora {

class DukEngine;

// Value type codes of value_type and reset.
enum JsonType : int {
    k_json_null = 0,
    k_json_boolean = 1,
    k_json_number = 2,
    k_json_object = 4,
    k_json_array = 5,
    k_json_string = 6,
    k_json_other = -1,
};

class JsonDoc {
public:
    JsonDoc();
    // A document whose heap may not grow beyond heap_limit bytes.
    explicit JsonDoc(std::size_t heap_limit);

    // Replaces this object's engine with a new one holding the prelude and an empty object.
    void init_engine();
    // Starts from a fresh engine; true when the text is a data literal other than null.
    bool parse(std::string_view json_text);
    Text to_json() const;

    void set_member(std::string_view path, std::string_view value, bool as_json = false);
    void set_member_json(std::string_view path, std::string_view value);
    void set_member_number(std::string_view path, double number);
    double get_number(std::string_view path) const;
    Text get_member_json(std::string_view path) const;
    // Numbers reached through a dot path come out in the "%.13g" form.
    Text get_text(std::string_view path, bool as_json = false) const;
    // A deep copy of the value at the path, in a document of its own.
    JsonDoc get_object(std::string_view path) const;
    int member_count(std::string_view path = {}) const;
    void push_item(std::string_view value, std::string_view path = {}, bool raw = false);
    JsonDoc get_item_object(int index, std::string_view path = {}) const;
    Text get_item_text(int index, std::string_view path = {}, bool as_json = false) const;
    void set_item(int index, std::string_view value, bool raw = false);
    void remove_item(int index);
    // Removes one array element named like "list[2]" or "data.list[2]".
    void remove_path(std::string_view path);
    void reset(int type_code);
    void set_root(std::string_view value, bool raw = false);
    bool has_member(std::string_view path) const;
    // Replaces names with the member names at the path (array indices for an array); returns
    // their number.
    int member_names(std::vector<Text>& names, std::string_view path = {}) const;
    int value_type(std::string_view path = {}) const;
    void clear();

private:
    std::size_t heap_limit_;
    std::shared_ptr<DukEngine> engine_;
};

}  // namespace melkora

#include "extract/json_doc.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

#include "extract/duk_engine.h"
#include "extract/encoding.h"
#include "extract/json_literal.h"
#include "extract/json_path.h"

namespace melkora {
namespace {

constexpr const char* k_variable = "da";

std::string_view up_to_zero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// ---- paths ------------------------------------------------------------------------------------

enum class Join {
    dot,                // the name, ".", the path
    bracket_aware,      // a path beginning with "[" follows the name directly
    dot_or_self,        // dot join; an empty path is the document itself
    bracket_or_self,    // bracket-aware join; an empty path is the document itself
};

std::optional<PathKeys> keys_for(std::string_view path, Join join) {
    path = up_to_zero(path);
    if (path.empty() && (join == Join::dot_or_self || join == Join::bracket_or_self)) {
        return PathKeys{};
    }
    const bool bracket_aware = join == Join::bracket_aware || join == Join::bracket_or_self;
    const bool direct = bracket_aware && path.starts_with('[');
    return parse_path(path, !direct);
}

PathKey index_key(int index) {
    PathKey key;
    key.name = std::to_string(index);
    key.is_index = index >= 0;
    key.index = key.is_index ? static_cast<uint32_t>(index) : 0;
    return key;
}

// ---- values handed in -------------------------------------------------------------------------

// A value to store: a string kept exactly, or a data literal as strict JSON.
struct Value {
    enum class Kind { string, json, undefined } kind = Kind::undefined;
    std::string engine_text;  // the string in engine encoding, or the JSON
};

Value string_value(std::string_view text) {
    return {Value::Kind::string, to_engine_text(up_to_zero(text))};
}

// A data literal; nullopt when the text is not one. Empty text gives undefined.
std::optional<Value> literal_value(std::string_view text) {
    StrictJson strict = literal_to_strict_json(cp936_to_utf8(up_to_zero(text)));
    switch (strict.status) {
        case LiteralStatus::value: return Value{Value::Kind::json, std::move(strict.json)};
        case LiteralStatus::empty: return Value{};
        case LiteralStatus::refused: break;
    }
    return std::nullopt;
}

std::optional<Value> value_for(std::string_view text, bool as_literal) {
    return as_literal ? literal_value(text) : std::optional<Value>(string_value(text));
}

// ---- engine-side steps (run inside protected calls: no C++ destructors in these frames) ------

void push_value(duk_context* ctx, const Value& value) {
    switch (value.kind) {
        case Value::Kind::string:
            duk_push_lstring(ctx, value.engine_text.data(), value.engine_text.size());
            break;
        case Value::Kind::json:
            duk_push_lstring(ctx, value.engine_text.data(), value.engine_text.size());
            duk_json_decode(ctx, -1);
            break;
        case Value::Kind::undefined:
            duk_push_undefined(ctx);
            break;
    }
}

void get_key(duk_context* ctx, const PathKey& key) {
    if (key.is_index) {
        duk_get_prop_index(ctx, -1, key.index);
    } else {
        duk_get_prop_lstring(ctx, -1, key.name.data(), key.name.size());
    }
}

// Pushes the value that the first `count` keys reach from the document; false (with the stack
// as it was) when a step meets null or undefined, as a script member access would fail.
bool push_resolved(duk_context* ctx, const PathKeys& keys, std::size_t count) {
    duk_get_global_string(ctx, k_variable);
    for (std::size_t i = 0; i < count; ++i) {
        if (duk_is_null_or_undefined(ctx, -1)) {
            duk_pop(ctx);
            return false;
        }
        get_key(ctx, keys[i]);
        duk_remove(ctx, -2);
    }
    return true;
}

bool push_resolved(duk_context* ctx, const PathKeys& keys) {
    return push_resolved(ctx, keys, keys.size());
}

// Assigns the value on the stack top to the place the keys name (the document for no keys) and
// pops it; false when the place cannot be reached.
bool assign_top(duk_context* ctx, const PathKeys& keys) {
    if (keys.empty()) {
        duk_put_global_string(ctx, k_variable);
        return true;
    }
    if (!push_resolved(ctx, keys, keys.size() - 1)) {
        return false;
    }
    if (duk_is_null_or_undefined(ctx, -1)) {
        return false;
    }
    duk_swap_top(ctx, -2);
    const PathKey& last = keys.back();
    if (last.is_index) {
        duk_put_prop_index(ctx, -2, last.index);
    } else {
        duk_put_prop_lstring(ctx, -2, last.name.data(), last.name.size());
    }
    duk_pop(ctx);
    return true;
}

// ---- running operations -----------------------------------------------------------------------

// Runs body in a protected call; body leaves its one result on the stack and says whether it
// succeeded; read turns that result into the operation's value. Any failure gives fallback.
template <typename R, typename Body, typename Read>
R evaluate(const std::shared_ptr<DukEngine>& engine, R fallback, Body body, Read read) {
    if (!engine) {
        return fallback;
    }
    duk_context* ctx = engine->context();
    StackScope scope(ctx);
    bool succeeded = false;
    auto wrapped = [&](duk_context* c) -> duk_ret_t {
        succeeded = body(c);
        return succeeded ? 1 : 0;
    };
    if (!run_protected(ctx, wrapped, 1) || !succeeded) {
        return fallback;
    }
    return read(ctx);
}

template <typename Body>
void execute(const std::shared_ptr<DukEngine>& engine, Body body) {
    if (engine) {
        engine->mark_changed();
    }
    evaluate(engine, false, [&](duk_context* c) {
        duk_push_undefined(c);
        return body(c);
    }, [](duk_context*) { return true; });
}

Text read_text(duk_context* ctx) {
    duk_size_t length = 0;
    const char* text = duk_get_lstring(ctx, -1, &length);
    return text ? from_engine_text(std::string_view(text, length)) : Text();
}

Text format_13g(double number) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.13g", number);
    return buffer;
}

Text stringify(const std::shared_ptr<DukEngine>& engine, const std::optional<PathKeys>& keys) {
    if (!keys) {
        return {};
    }
    return evaluate(engine, Text(), [&](duk_context* c) {
        if (!push_resolved(c, *keys)) {
            return false;
        }
        duk_json_encode(c, -1);
        return duk_is_string(c, -1) != 0;
    }, read_text);
}

// The value as text the way the script interface hands it over: strings unchanged, numbers in
// the engine's decimal form (or "%.13g" when asked), null and undefined as empty text.
Text value_text(const std::shared_ptr<DukEngine>& engine, const std::optional<PathKeys>& keys, bool numbers_13g) {
    if (!keys) {
        return {};
    }
    return evaluate(engine, Text(), [&](duk_context* c) {
        if (!push_resolved(c, *keys) || duk_is_null_or_undefined(c, -1)) {
            return false;
        }
        if (!(numbers_13g && duk_is_number(c, -1))) {
            duk_to_string(c, -1);
        }
        return true;
    }, [](duk_context* c) { return duk_is_number(c, -1) ? format_13g(duk_get_number(c, -1)) : read_text(c); });
}

int type_code(duk_context* ctx) {
    switch (duk_get_type(ctx, -1)) {
        case DUK_TYPE_NULL:
        case DUK_TYPE_UNDEFINED: return k_json_null;
        case DUK_TYPE_BOOLEAN: return k_json_boolean;
        case DUK_TYPE_NUMBER: return k_json_number;
        case DUK_TYPE_STRING: return k_json_string;
        case DUK_TYPE_OBJECT:
            if (duk_is_function(ctx, -1)) {
                return k_json_other;
            }
            return duk_is_array(ctx, -1) ? k_json_array : k_json_object;
        default: return k_json_other;
    }
}

// "toJSONString," and "parseJSON," are the prelude's two enumerable methods, which every for-in
// loop visits; the removal is textual, over the whole list, as the names were gathered.
Text remove_every(std::string_view text, std::string_view piece) {
    Text out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(piece); at != std::string_view::npos; at = text.find(piece, from)) {
        out.append(text.substr(from, at - from));
        from = at + piece.size();
    }
    out.append(text.substr(from));
    return out;
}

std::vector<Text> split_names(std::string_view text) {
    std::vector<Text> names;
    std::size_t from = 0;
    while (from < text.size()) {
        const int comma = find_marker(text, ",", static_cast<int>(from) + 1);
        if (comma == -1) {
            names.emplace_back(text.substr(from));
            break;
        }
        names.emplace_back(text.substr(from, static_cast<std::size_t>(comma - 1) - from));
        from = static_cast<std::size_t>(comma);
    }
    return names;
}

// Joins the for-in names of the value on the stack top into one "name,name,...," string.
void push_joined_names(duk_context* ctx) {
    constexpr int k_batch = 256;
    duk_to_object(ctx, -1);
    duk_enum(ctx, -1, 0);
    const duk_idx_t enumerator = duk_get_top_index(ctx);
    duk_push_string(ctx, "");
    duk_require_stack(ctx, 2 * k_batch + 8);
    int pending = 0;
    while (duk_next(ctx, enumerator, 0)) {
        duk_push_string(ctx, ",");
        pending += 2;
        if (pending >= 2 * k_batch) {
            duk_concat(ctx, pending + 1);
            pending = 0;
        }
    }
    duk_concat(ctx, pending + 1);
}

int leading_integer(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min<long long>(value * 10 + (text[i] - '0'), std::numeric_limits<int>::max());
    }
    return static_cast<int>(negative ? -value : value);
}

// Texts longer than this are refused before conversion: the engine's copy of the data needs
// several times the text's size, so such a text could never fit the heap anyway.
std::size_t max_parse_text(std::size_t heap_limit) {
    return heap_limit / 4;
}

}  // namespace

// ---- JsonDoc ----------------------------------------------------------------------------------

JsonDoc::JsonDoc() : JsonDoc(k_default_heap_limit) {}

JsonDoc::JsonDoc(std::size_t heap_limit) : heap_limit_(heap_limit) {
    init_engine();
}

void JsonDoc::init_engine() {
    engine_ = DukEngine::create(heap_limit_);
}

bool JsonDoc::parse(std::string_view json_text) {
    if (!engine_) {
        return false;
    }
    // A heap nobody has changed yet holds exactly what a new one would: the prelude and an
    // empty object. Creating the first document and parsing into it then builds one heap.
    if (!engine_->pristine() || engine_.use_count() > 1) {
        init_engine();
    }
    execute(engine_, [](duk_context* c) {
        duk_push_null(c);
        duk_put_global_string(c, k_variable);
        return true;
    });
    json_text = up_to_zero(json_text);
    if (json_text.size() > max_parse_text(heap_limit_)) {
        return false;
    }
    std::optional<Value> value = literal_value(json_text);
    if (!value) {
        return false;
    }
    execute(engine_, [&](duk_context* c) {
        push_value(c, *value);
        duk_put_global_string(c, k_variable);
        return true;
    });
    value.reset();
    return evaluate(engine_, false, [](duk_context* c) {
        duk_get_global_string(c, k_variable);
        return true;
    }, [](duk_context* c) { return !duk_is_null_or_undefined(c, -1); });
}

Text JsonDoc::to_json() const {
    return stringify(engine_, PathKeys{});
}

void JsonDoc::set_member(std::string_view path, std::string_view value, bool as_json) {
    if (as_json && up_to_zero(value).empty()) {
        value = "{}";
    }
    const auto keys = keys_for(path, Join::dot);
    const auto stored = value_for(value, as_json);
    if (!keys || !stored) {
        return;
    }
    execute(engine_, [&](duk_context* c) {
        push_value(c, *stored);
        return assign_top(c, *keys);
    });
}

void JsonDoc::set_member_json(std::string_view path, std::string_view value) {
    const auto keys = keys_for(path, Join::dot);
    const auto stored = literal_value(value);
    if (!keys || !stored) {
        return;
    }
    execute(engine_, [&](duk_context* c) {
        push_value(c, *stored);
        return assign_top(c, *keys);
    });
}

void JsonDoc::set_member_number(std::string_view path, double number) {
    // The number travels as "%.13g" text: 13 significant digits, and no value for inf or nan.
    const double stored = std::strtod(format_13g(number).c_str(), nullptr);
    const auto keys = keys_for(path, Join::dot);
    if (!keys || !std::isfinite(number)) {
        return;
    }
    execute(engine_, [&](duk_context* c) {
        duk_push_number(c, stored);
        return assign_top(c, *keys);
    });
}

double JsonDoc::get_number(std::string_view path) const {
    const auto keys = keys_for(path, Join::dot);
    if (!keys) {
        return 0;
    }
    return evaluate(engine_, 0.0, [&](duk_context* c) {
        if (!push_resolved(c, *keys)) {
            return false;
        }
        const bool convertible = duk_is_number(c, -1) || duk_is_string(c, -1) || duk_is_boolean(c, -1);
        if (convertible) {
            duk_to_number(c, -1);
        }
        return convertible;
    }, [](duk_context* c) {
        const double number = duk_get_number(c, -1);
        return std::isnan(number) ? 0.0 : number;
    });
}

Text JsonDoc::get_member_json(std::string_view path) const {
    return stringify(engine_, keys_for(path, Join::dot));
}

Text JsonDoc::get_text(std::string_view path, bool as_json) const {
    path = up_to_zero(path);
    if (path.empty()) {
        return {};
    }
    const auto keys = keys_for(path, Join::bracket_aware);
    if (as_json) {
        return stringify(engine_, keys);
    }
    // A path beginning with "[" never passes the number test, which reads the path with a dot
    // join; its numbers come out in the engine's own form.
    return value_text(engine_, keys, !path.starts_with('['));
}

JsonDoc JsonDoc::get_object(std::string_view path) const {
    JsonDoc copy(heap_limit_);
    copy.parse(get_text(path, true));
    return copy;
}

int JsonDoc::member_count(std::string_view path) const {
    const auto keys = keys_for(path, Join::bracket_or_self);
    if (!keys) {
        return 0;
    }
    return evaluate(engine_, 0, [&](duk_context* c) {
        // A for-in over null or undefined counts as a failed evaluation: reads of a document
        // whose parse failed stay empty.
        if (!push_resolved(c, *keys) || duk_is_null_or_undefined(c, -1)) {
            return false;
        }
        duk_get_global_string(c, "get__count");
        duk_swap_top(c, -2);
        duk_call(c, 1);
        return duk_is_number(c, -1) != 0;
    }, [](duk_context* c) {
        const double count = duk_get_number(c, -1);
        return std::isfinite(count) ? static_cast<int>(std::trunc(count)) : 0;
    });
}

void JsonDoc::push_item(std::string_view value, std::string_view path, bool raw) {
    const auto keys = keys_for(path, Join::dot_or_self);
    const auto item = value_for(value, raw);
    if (!keys || !item) {
        return;
    }
    execute(engine_, [&](duk_context* c) {
        if (!push_resolved(c, *keys)) {
            return false;
        }
        if (!duk_is_array(c, -1)) {
            duk_pop(c);
            duk_push_array(c);
            duk_dup_top(c);
            if (!assign_top(c, *keys)) {
                return false;
            }
        }
        // A raw empty value is a push of nothing.
        if (item->kind != Value::Kind::undefined) {
            const duk_size_t length = duk_get_length(c, -1);
            push_value(c, *item);
            duk_put_prop_index(c, -2, static_cast<duk_uarridx_t>(length));
        }
        return true;
    });
}

JsonDoc JsonDoc::get_item_object(int index, std::string_view path) const {
    JsonDoc copy(heap_limit_);
    copy.parse(get_item_text(index, path, true));
    return copy;
}

Text JsonDoc::get_item_text(int index, std::string_view path, bool as_json) const {
    auto keys = keys_for(path, Join::dot_or_self);
    if (keys) {
        keys->push_back(index_key(index));
    }
    return as_json ? stringify(engine_, keys) : value_text(engine_, keys, false);
}

void JsonDoc::set_item(int index, std::string_view value, bool raw) {
    const PathKeys keys{index_key(index)};
    const auto stored = value_for(value, raw);
    if (!stored || (raw && stored->kind == Value::Kind::undefined)) {
        return;
    }
    execute(engine_, [&](duk_context* c) {
        push_value(c, *stored);
        return assign_top(c, keys);
    });
}

void JsonDoc::remove_item(int index) {
    execute(engine_, [&](duk_context* c) {
        duk_get_global_string(c, k_variable);
        if (duk_is_null_or_undefined(c, -1)) {
            return false;
        }
        duk_get_prop_string(c, -1, "splice");
        if (!duk_is_callable(c, -1)) {
            return false;
        }
        duk_dup(c, -2);
        duk_push_int(c, index);
        duk_push_int(c, 1);
        duk_call_method(c, 2);
        return true;
    });
}

void JsonDoc::remove_path(std::string_view path) {
    const Text member = text_left_of(path, "[");
    const Text index_text = text_between(path, "[", "]");
    JsonDoc array(heap_limit_);
    array.parse(get_text(member, true));
    array.remove_item(leading_integer(index_text));
    set_member_json(member, array.to_json());
}

void JsonDoc::reset(int type_code) {
    if (type_code != k_json_null && type_code != k_json_object && type_code != k_json_array) {
        return;
    }
    execute(engine_, [&](duk_context* c) {
        if (type_code == k_json_array) {
            duk_push_array(c);
        } else {
            duk_push_object(c);
        }
        duk_put_global_string(c, k_variable);
        return true;
    });
}

void JsonDoc::set_root(std::string_view value, bool raw) {
    const auto stored = value_for(value, raw);
    if (!stored || (raw && stored->kind == Value::Kind::undefined)) {
        return;
    }
    execute(engine_, [&](duk_context* c) {
        push_value(c, *stored);
        duk_put_global_string(c, k_variable);
        return true;
    });
}

bool JsonDoc::has_member(std::string_view path) const {
    const auto keys = keys_for(path, Join::dot);
    if (!keys) {
        return false;
    }
    return evaluate(engine_, false, [&](duk_context* c) { return push_resolved(c, *keys); },
                    [](duk_context* c) { return !duk_is_null_or_undefined(c, -1); });
}

int JsonDoc::member_names(std::vector<Text>& names, std::string_view path) const {
    const auto keys = keys_for(path, Join::bracket_or_self);
    Text joined;
    if (keys) {
        joined = evaluate(engine_, Text(), [&](duk_context* c) {
            if (!push_resolved(c, *keys) || duk_is_null_or_undefined(c, -1)) {
                return false;
            }
            push_joined_names(c);
            return true;
        }, read_text);
    }
    names = split_names(remove_every(remove_every(joined, "toJSONString,"), "parseJSON,"));
    return static_cast<int>(names.size());
}

int JsonDoc::value_type(std::string_view path) const {
    const auto keys = keys_for(path, Join::dot_or_self);
    if (!keys) {
        return k_json_other;
    }
    return evaluate(engine_, static_cast<int>(k_json_other), [&](duk_context* c) { return push_resolved(c, *keys); },
                    type_code);
}

void JsonDoc::clear() {
    reset(k_json_object);
}

}  // namespace melkora

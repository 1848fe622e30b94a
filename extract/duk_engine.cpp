#include "extract/duk_engine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "extract/encoding.h"

namespace melkora {
namespace {

// Each block carries its size in front, so that the budget can be kept on realloc and free.
constexpr std::size_t k_header = alignof(std::max_align_t);

using Budget = DukEngine::Budget;

std::size_t& stored_size(void* block) {
    return *static_cast<std::size_t*>(block);
}

void* budget_alloc(void* data, duk_size_t size) {
    auto* budget = static_cast<Budget*>(data);
    if (size > budget->limit - budget->used) {
        return nullptr;
    }
    void* block = std::malloc(size + k_header);
    if (!block) {
        return nullptr;
    }
    stored_size(block) = size;
    budget->used += size;
    return static_cast<char*>(block) + k_header;
}

void budget_free(void* data, void* ptr) {
    if (!ptr) {
        return;
    }
    void* block = static_cast<char*>(ptr) - k_header;
    static_cast<Budget*>(data)->used -= stored_size(block);
    std::free(block);
}

void* budget_realloc(void* data, void* ptr, duk_size_t size) {
    if (!ptr) {
        return budget_alloc(data, size);
    }
    if (size == 0) {
        budget_free(data, ptr);
        return nullptr;
    }
    auto* budget = static_cast<Budget*>(data);
    void* block = static_cast<char*>(ptr) - k_header;
    const std::size_t old_size = stored_size(block);
    if (size > old_size && size - old_size > budget->limit - budget->used) {
        return nullptr;
    }
    void* grown = std::realloc(block, size + k_header);
    if (!grown) {
        return nullptr;
    }
    stored_size(grown) = size;
    budget->used = budget->used - old_size + size;
    return static_cast<char*>(grown) + k_header;
}

// Reached only when an error escapes every protected call: a fault of this program, not of its
// input, so there is nothing sane left to do.
void fatal_error(void*, const char* message) {
    std::fprintf(stderr, "melkora: script engine failure: %s\n", message ? message : "");
    std::abort();
}

bool is_high_surrogate(std::string_view s, std::size_t i) {
    return i + 3 <= s.size() && s[i] == '\xED' && static_cast<unsigned char>(s[i + 1]) >= 0xA0 &&
           static_cast<unsigned char>(s[i + 1]) <= 0xAF;
}

bool is_low_surrogate(std::string_view s, std::size_t i) {
    return i + 3 <= s.size() && s[i] == '\xED' && static_cast<unsigned char>(s[i + 1]) >= 0xB0 &&
           static_cast<unsigned char>(s[i + 1]) <= 0xBF;
}

unsigned unit_at(std::string_view s, std::size_t i) {
    return ((static_cast<unsigned char>(s[i]) & 0x0Fu) << 12) | ((static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 6) |
           (static_cast<unsigned char>(s[i + 2]) & 0x3Fu);
}

void append_code_point(std::string& out, unsigned code) {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
}

std::string cesu8_to_utf8(std::string_view s) {
    if (s.find('\xED') == std::string_view::npos) {
        return std::string(s);
    }
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        if (is_high_surrogate(s, i) && is_low_surrogate(s, i + 3)) {
            append_code_point(out, 0x10000 + ((unit_at(s, i) - 0xD800) << 10) + (unit_at(s, i + 3) - 0xDC00));
            i += 6;
        } else if (is_high_surrogate(s, i) || is_low_surrogate(s, i)) {
            out.append("\xEF\xBF\xBD");
            i += 3;
        } else {
            out.push_back(s[i++]);
        }
    }
    return out;
}

}  // namespace

std::shared_ptr<DukEngine> DukEngine::create(std::size_t heap_limit) {
    std::shared_ptr<DukEngine> engine(new DukEngine());
    engine->budget_.limit = heap_limit;
    engine->context_ =
        duk_create_heap(budget_alloc, budget_realloc, budget_free, &engine->budget_, fatal_error);
    if (!engine->context_) {
        return nullptr;
    }
    duk_context* ctx = engine->context_;
    StackScope scope(ctx);
    auto run_prelude = [](duk_context* c) -> duk_ret_t {
        duk_eval_string_noresult(c, k_json_prelude);
        duk_push_object(c);
        duk_put_global_string(c, "da");
        return 0;
    };
    if (!run_protected(ctx, run_prelude, 0)) {
        return nullptr;
    }
    return engine;
}

DukEngine::~DukEngine() {
    if (context_) {
        duk_destroy_heap(context_);
    }
}

Text from_engine_text(std::string_view cesu8) {
    return utf8_to_cp936(cesu8_to_utf8(cesu8));
}

}  // namespace melkora

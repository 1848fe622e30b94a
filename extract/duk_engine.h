#pragma once
// One Duktape heap with a memory budget and the JsonDoc prelude, and the rules for talking to it
// from C++: every call that can throw runs inside protected(), whose body keeps no C++ object
// that needs a destructor (Duktape unwinds by longjmp).
#include <duktape.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "extract/text.h"

namespace melkora {

extern const char* const k_json_prelude;

// A heap that grows past this fails its allocations: the operation fails, the program goes on.
inline constexpr std::size_t k_default_heap_limit = 256u * 1024 * 1024;

class DukEngine {
public:
    // Null when the heap cannot be made or the prelude does not run in it.
    static std::shared_ptr<DukEngine> create(std::size_t heap_limit);

    DukEngine(const DukEngine&) = delete;
    DukEngine& operator=(const DukEngine&) = delete;
    ~DukEngine();

    duk_context* context() const { return context_; }

    // True until something changes the heap: a new document can then use it as it is.
    bool pristine() const { return pristine_; }
    void mark_changed() { pristine_ = false; }

    struct Budget {
        std::size_t used = 0;
        std::size_t limit = 0;
    };

private:
    DukEngine() = default;

    Budget budget_;
    duk_context* context_ = nullptr;
    bool pristine_ = true;
};

// Runs body(ctx) as a Duktape safe call that leaves `results` values on the stack (undefined
// padding on failure); returns whether it succeeded.
template <typename Body>
bool run_protected(duk_context* ctx, Body& body, int results) {
    struct Trampoline {
        static duk_ret_t run(duk_context* c, void* data) { return (*static_cast<Body*>(data))(c); }
    };
    return duk_safe_call(ctx, &Trampoline::run, &body, 0, results) == DUK_EXEC_SUCCESS;
}

// Restores the value stack on scope exit; shrinking the stack never allocates, so it cannot throw.
class StackScope {
public:
    explicit StackScope(duk_context* ctx) : ctx_(ctx), top_(duk_get_top(ctx)) {}
    StackScope(const StackScope&) = delete;
    StackScope& operator=(const StackScope&) = delete;
    ~StackScope() { duk_set_top(ctx_, top_); }

private:
    duk_context* ctx_;
    duk_idx_t top_;
};

// Engine strings (CESU-8) to code page 936: surrogate pairs become one character, a lone surrogate
// becomes U+FFFD.
Text from_engine_text(std::string_view cesu8);

}  // namespace melkora

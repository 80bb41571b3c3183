#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <type_traits>
#include <utility>

namespace varlo {

// An event handler of the HID layer: code plus object. Two handlers have the
// same code when they were bound from the same member function or function
// pointer, or built with the same code key; a handler is assigned when it
// has code. The layer compares codes to decide whether a write changes a
// handler and which device handlers follow the controller's.
template <class Sig>
class TJvMethod;

template <class R, class... A>
class TJvMethod<R(A...)> {
  public:
    TJvMethod() = default;
    TJvMethod(std::nullptr_t) {}

    // A member function bound to an object; its code is the member function.
    template <class C>
    TJvMethod(C* object, R (C::*method)(A...))
        : fn_([object, method](A... args) -> R { return (object->*method)(args...); }) {
        static_assert(sizeof(method) <= sizeof(Code));
        kind_ = 1;
        std::memcpy(code_.data(), &method, sizeof(method));
    }

    // A plain function; its code is the function.
    TJvMethod(R (*function)(A...)) : fn_(function) {
        if (!function) return;
        kind_ = 2;
        std::memcpy(code_.data(), &function, sizeof(function));
    }

    // Any callable with an explicit code key: handlers built with the same key
    // count as the same code.
    TJvMethod(const void* key, std::function<R(A...)> fn) : fn_(std::move(fn)) {
        if (!fn_) return;
        kind_ = 3;
        std::memcpy(code_.data(), &key, sizeof(key));
    }

    // Any other callable. A callable without captures has its function as
    // its code; any other gets a new code, unlike every other handler's.
    template <class F, class = std::enable_if_t<std::is_invocable_r_v<R, F&, A...> &&
                                                !std::is_same_v<std::decay_t<F>, TJvMethod>>>
    TJvMethod(F fn) {
        if constexpr (std::is_convertible_v<F, R (*)(A...)>) {
            R (*function)(A...) = fn;
            fn_ = function;
            kind_ = 2;
            std::memcpy(code_.data(), &function, sizeof(function));
        } else {
            static std::atomic<std::uint64_t> next{1};
            fn_ = std::move(fn);
            kind_ = 4;
            const std::uint64_t id = next++;
            std::memcpy(code_.data(), &id, sizeof(id));
        }
    }

    explicit operator bool() const { return kind_ != 0; }
    bool SameCode(const TJvMethod& other) const {
        return kind_ == other.kind_ && code_ == other.code_;
    }
    R operator()(A... args) const { return fn_(std::forward<A>(args)...); }

  private:
    using Code = std::array<unsigned char, 2 * sizeof(void*)>;
    std::function<R(A...)> fn_;
    Code code_{};
    std::uint8_t kind_ = 0;
};

}  // namespace varlo

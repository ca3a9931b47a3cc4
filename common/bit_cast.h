#pragma once
// The bits of a value as another type of the same size, as std::bit_cast gives them. The
// compiler's builtin serves every toolchain the project is built with, also a standard
// library that lacks std::bit_cast (the one of the browser edition's compiler).

#include <type_traits>

namespace kelvaro {

template <class To, class From>
constexpr To bitCast(const From& from) noexcept {
    static_assert(sizeof(To) == sizeof(From), "bitCast changes the type, never the size");
    static_assert(std::is_trivially_copyable_v<To> && std::is_trivially_copyable_v<From>);
    return __builtin_bit_cast(To, from);
}

}  // namespace kelvaro

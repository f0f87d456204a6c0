// Included ahead of every source of the web build (cmake/Web.cmake). Debian
// 12's Emscripten ships the C++ library of LLVM 13, which lacks the C++20
// std::bit_cast; this supplies it through the compiler's own builtin, which
// is what later versions of the library do.
#pragma once
#if defined(__cplusplus) && __cplusplus >= 202002L
#include <version>
#if !defined(__cpp_lib_bit_cast)
namespace std {
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
  static_assert(sizeof(To) == sizeof(From), "bit_cast needs types of one size");
  return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif
#endif

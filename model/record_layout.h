// Compile-time checks that a record has no implicit padding, so byte-wise comparison is exact.
#pragma once

#include <type_traits>

// SONORA_ASSERT_NO_PADDING(T, field1, field2, ...) checks that sizeof(T) equals the sum of the
// sizes of the listed fields (up to 256 fields). Listing every field (explicit pad fields included)
// proves that the compiler inserted no padding bytes, whose content a copy need not preserve.
#define SONORA_PARENS ()
#define SONORA_EXPAND(...)                                                                         \
    SONORA_EXPAND4(SONORA_EXPAND4(SONORA_EXPAND4(SONORA_EXPAND4(__VA_ARGS__))))
#define SONORA_EXPAND4(...)                                                                        \
    SONORA_EXPAND3(SONORA_EXPAND3(SONORA_EXPAND3(SONORA_EXPAND3(__VA_ARGS__))))
#define SONORA_EXPAND3(...)                                                                        \
    SONORA_EXPAND2(SONORA_EXPAND2(SONORA_EXPAND2(SONORA_EXPAND2(__VA_ARGS__))))
#define SONORA_EXPAND2(...)                                                                        \
    SONORA_EXPAND1(SONORA_EXPAND1(SONORA_EXPAND1(SONORA_EXPAND1(__VA_ARGS__))))
#define SONORA_EXPAND1(...) __VA_ARGS__
#define SONORA_FOR_EACH(macro, T, ...)                                                             \
    __VA_OPT__(SONORA_EXPAND(SONORA_FOR_EACH_HELPER(macro, T, __VA_ARGS__)))
#define SONORA_FOR_EACH_HELPER(macro, T, a1, ...)                                                  \
    macro(T, a1) __VA_OPT__(SONORA_FOR_EACH_AGAIN SONORA_PARENS(macro, T, __VA_ARGS__))
#define SONORA_FOR_EACH_AGAIN() SONORA_FOR_EACH_HELPER
#define SONORA_FIELD_SIZE(T, f) +sizeof(T::f)

#define SONORA_ASSERT_RECORD(T, ...)                                                               \
    static_assert(std::is_trivially_copyable_v<T>, #T " must be trivially copyable");              \
    static_assert(std::is_standard_layout_v<T>, #T " must have standard layout");                  \
    static_assert(sizeof(T) == 0 SONORA_FOR_EACH(SONORA_FIELD_SIZE, T, __VA_ARGS__),               \
                  #T " has implicit padding or an unlisted field")

// Fixed-capacity 8-bit text as stored in records and files: a length byte plus N Latin-1 bytes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

namespace sonora {

// Holds at most N bytes. Longer input is cut to N when stored. The bytes after the length are
// always zero, so two texts with equal content are equal byte for byte (records are compared with
// memcmp). Texts of up to 255 bytes keep a one-byte length as the files' short strings do; longer
// ones (stage status texts) a two-byte length.
template <std::size_t N> struct FixedText {
    static_assert(N >= 1 && N <= 65535, "the length must fit in two bytes");
    static_assert(N <= 255 || N % 2 == 0,
                  "a long text needs an even capacity, else it gets padding");
    static constexpr std::size_t kCapacity = N;
    using Length = std::conditional_t<(N <= 255), std::uint8_t, std::uint16_t>;

    Length len;
    char chars[N];

    void assign(std::string_view s) {
        const std::size_t n = std::min(s.size(), N);
        if (n > 0) { // an empty view may carry a null pointer, which memcpy must not get
            std::memcpy(chars, s.data(), n);
        }
        std::memset(chars + n, 0, N - n);
        len = static_cast<Length>(n);
    }
    void clear() { assign({}); }

    std::size_t size() const { return std::min<std::size_t>(len, N); }
    bool empty() const { return size() == 0; }
    std::string_view view() const { return {chars, size()}; }
    std::string str() const { return std::string(view()); }

    static FixedText from(std::string_view s) {
        FixedText t{};
        t.assign(s);
        return t;
    }

    friend bool operator==(const FixedText& a, const FixedText& b) { return a.view() == b.view(); }
    friend bool operator==(const FixedText& a, std::string_view b) { return a.view() == b; }
};

} // namespace sonora

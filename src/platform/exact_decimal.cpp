#include "platform/exact_decimal.h"

#include <array>
#include <cmath>
#include <cstring>

namespace tarvel::platform::exact {
namespace {

constexpr std::uint64_t kHidden = std::uint64_t{1} << 52;
constexpr std::uint64_t kFraction = kHidden - 1;

std::uint64_t bitsOf(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double fromBits(std::uint64_t bits) {
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A non-negative integer of fixed capacity, little-endian in 32-bit limbs. The largest the
// reader needs is a 1,130-digit power of ten shifted by 56 bits (about 3,800 bits); the
// shortest printer needs far less.
class Big {
public:
    Big() = default;
    explicit Big(std::uint64_t value) {
        while (value != 0) {
            limbs_[size_++] = static_cast<std::uint32_t>(value);
            value >>= 32;
        }
    }

    [[nodiscard]] bool isZero() const { return size_ == 0; }

    [[nodiscard]] int bitLength() const {
        if (size_ == 0) {
            return 0;
        }
        int bits = 32 * (size_ - 1);
        for (std::uint32_t top = limbs_[size_ - 1]; top != 0; top >>= 1) {
            ++bits;
        }
        return bits;
    }

    /// *this = *this x factor + addend.
    void multiplyAdd(std::uint32_t factor, std::uint32_t addend = 0) {
        std::uint64_t carry = addend;
        for (int i = 0; i < size_; ++i) {
            const std::uint64_t product = std::uint64_t{limbs_[i]} * factor + carry;
            limbs_[i] = static_cast<std::uint32_t>(product);
            carry = product >> 32;
        }
        if (carry != 0) {
            limbs_[size_++] = static_cast<std::uint32_t>(carry);
        }
    }

    void multiplyByPowerOfTen(int n) {
        for (; n >= 9; n -= 9) {
            multiplyAdd(1000000000);
        }
        static constexpr std::uint32_t kSmall[] = {1,      10,      100,      1000,     10000,
                                                   100000, 1000000, 10000000, 100000000};
        if (n > 0) {
            multiplyAdd(kSmall[n]);
        }
    }

    void shiftLeft(int bits) {
        if (size_ == 0 || bits == 0) {
            return;
        }
        const int whole = bits / 32;
        const int part = bits % 32;
        if (part != 0) {
            std::uint32_t carry = 0;
            for (int i = 0; i < size_; ++i) {
                const std::uint32_t limb = limbs_[i];
                limbs_[i] = (limb << part) | carry;
                carry = limb >> (32 - part);
            }
            if (carry != 0) {
                limbs_[size_++] = carry;
            }
        }
        if (whole != 0) {
            for (int i = size_ - 1; i >= 0; --i) {
                limbs_[i + whole] = limbs_[i];
            }
            for (int i = 0; i < whole; ++i) {
                limbs_[i] = 0;
            }
            size_ += whole;
        }
    }

    void shiftRightOne() {
        for (int i = 0; i < size_; ++i) {
            limbs_[i] = (limbs_[i] >> 1) | (i + 1 < size_ ? limbs_[i + 1] << 31 : 0);
        }
        trim();
    }

    [[nodiscard]] friend int compare(const Big& a, const Big& b) {
        if (a.size_ != b.size_) {
            return a.size_ < b.size_ ? -1 : 1;
        }
        for (int i = a.size_ - 1; i >= 0; --i) {
            if (a.limbs_[i] != b.limbs_[i]) {
                return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
            }
        }
        return 0;
    }

    void add(const Big& other) {
        std::uint64_t carry = 0;
        const int n = size_ > other.size_ ? size_ : other.size_;
        for (int i = 0; i < n; ++i) {
            const std::uint64_t sum = std::uint64_t{i < size_ ? limbs_[i] : 0} +
                                      (i < other.size_ ? other.limbs_[i] : 0) + carry;
            limbs_[i] = static_cast<std::uint32_t>(sum);
            carry = sum >> 32;
        }
        size_ = n;
        if (carry != 0) {
            limbs_[size_++] = static_cast<std::uint32_t>(carry);
        }
    }

    /// *this -= other, where other <= *this.
    void subtract(const Big& other) {
        std::uint64_t borrow = 0;
        for (int i = 0; i < size_; ++i) {
            const std::uint64_t take = (i < other.size_ ? other.limbs_[i] : 0) + borrow;
            borrow = limbs_[i] < take ? 1 : 0;
            limbs_[i] = static_cast<std::uint32_t>((std::uint64_t{limbs_[i]} + (borrow << 32)) - take);
        }
        trim();
    }

private:
    void trim() {
        while (size_ > 0 && limbs_[size_ - 1] == 0) {
            --size_;
        }
    }

    std::array<std::uint32_t, 130> limbs_{};
    int size_ = 0;
};

// Exact powers of ten as doubles: 10^22 is the largest that a double holds exactly.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A halfway point between two doubles has at most 767 significant digits, so digits past the
// 800th can only tell whether the text lies above the point it would otherwise equal.
constexpr long kKeptDigits = 800;

// The double nearest to `numerator` / `denominator` (both non-zero), scaled so that their
// quotient holds 54 to 56 bits, with `sticky` set when something below the quotient's last bit
// is not zero. Empty beyond the range.
std::optional<double> nearest(Big numerator, Big denominator, bool sticky) {
    // numerator x 2^k / denominator then lies in [2^54, 2^56).
    const int k = 55 + denominator.bitLength() - numerator.bitLength();
    if (k >= 0) {
        numerator.shiftLeft(k);
    } else {
        denominator.shiftLeft(-k);
    }
    std::uint64_t quotient = 0;
    denominator.shiftLeft(55);
    for (int bit = 55; bit >= 0; --bit) {
        if (compare(numerator, denominator) >= 0) {
            numerator.subtract(denominator);
            quotient |= std::uint64_t{1} << bit;
        }
        denominator.shiftRightOne();
    }
    sticky = sticky || !numerator.isZero();

    int length = 0;
    for (std::uint64_t q = quotient; q != 0; q >>= 1) {
        ++length;
    }
    // The value's leading bit is worth 2^exponent; a normal double keeps 53 bits from there,
    // a subnormal everything down to 2^-1074.
    int exponent = length - 1 - k;
    const bool normal = exponent >= -1022;
    const int dropped = normal ? length - 53 : k - 1074;
    if (dropped >= 64) {
        return 0.0;  // below a quarter of the smallest subnormal
    }
    std::uint64_t kept = quotient >> dropped;
    const std::uint64_t rest = quotient & ((std::uint64_t{1} << dropped) - 1);
    const std::uint64_t half = std::uint64_t{1} << (dropped - 1);
    if (rest > half || (rest == half && (sticky || (kept & 1) != 0))) {
        ++kept;
    }
    if (!normal) {
        return fromBits(kept);  // rounding up to 2^52 gives the smallest normal's bits
    }
    if (kept == kHidden << 1) {
        kept >>= 1;
        ++exponent;
    }
    if (exponent > 1023) {
        return std::nullopt;
    }
    return fromBits((static_cast<std::uint64_t>(exponent + 1023) << 52) | (kept & kFraction));
}

// Decimal digits of a Big in base 10^9, for printing integers and exact expansions.
class DecimalDigits {
public:
    explicit DecimalDigits(std::uint64_t value) {
        do {
            chunks_[size_++] = static_cast<std::uint32_t>(value % kBase);
            value /= kBase;
        } while (value != 0);
    }

    void multiply(std::uint32_t factor) {  // factor below 2^31
        std::uint64_t carry = 0;
        for (int i = 0; i < size_; ++i) {
            const std::uint64_t product = std::uint64_t{chunks_[i]} * factor + carry;
            chunks_[i] = static_cast<std::uint32_t>(product % kBase);
            carry = product / kBase;
        }
        while (carry != 0) {
            chunks_[size_++] = static_cast<std::uint32_t>(carry % kBase);
            carry /= kBase;
        }
    }

    void multiplyByPowerOfTwo(int n) {
        for (; n >= 30; n -= 30) {
            multiply(std::uint32_t{1} << 30);
        }
        if (n > 0) {
            multiply(std::uint32_t{1} << n);
        }
    }

    void append(std::string& out) const {
        char chunk[9];
        writeChunk(chunk, chunks_[size_ - 1]);
        int first = 0;
        while (first < 8 && chunk[first] == '0') {
            ++first;
        }
        out.append(chunk + first, static_cast<std::size_t>(9 - first));
        for (int i = size_ - 2; i >= 0; --i) {
            writeChunk(chunk, chunks_[i]);
            out.append(chunk, 9);
        }
    }

private:
    static constexpr std::uint32_t kBase = 1000000000;

    static void writeChunk(char* chunk, std::uint32_t value) {
        for (int i = 8; i >= 0; --i, value /= 10) {
            chunk[i] = static_cast<char>('0' + value % 10);
        }
    }

    // 2^1024 has 309 digits: 35 chunks.
    std::array<std::uint32_t, 40> chunks_{};
    int size_ = 0;
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<double> read(std::string_view digits) {
    // One pass for the point and the first and last significant digits: this runs on every
    // keystroke.
    constexpr std::size_t kNone = std::string_view::npos;
    std::size_t point = kNone;
    std::size_t first = kNone;
    std::size_t last = kNone;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const char c = digits[i];
        if (c == '.') {
            point = i;
        } else if (c != '0') {
            first = first == kNone ? i : first;
            last = i;
        }
    }
    if (first == kNone) {
        return 0.0;
    }
    const std::size_t integerEnd = point == kNone ? digits.size() : point;
    // The value is D x 10^scale, D the significant digits from `first` to `last`; `leading` is
    // the power of ten of the first of them.
    const long leading = first < integerEnd ? static_cast<long>(integerEnd - first) - 1
                                            : -static_cast<long>(first - integerEnd);
    const bool pointInside = first < integerEnd && integerEnd < last;
    const long count = static_cast<long>(last - first + 1) - (pointInside ? 1 : 0);
    if (leading > 308) {
        return std::nullopt;  // 10^309 and beyond
    }
    if (leading < -324) {
        return 0.0;  // below 10^-324, less than half the smallest subnormal
    }

    // Up to 19 digits fit an integer; below 2^53 with a power of ten that a double holds,
    // one rounded multiplication or division is already the nearest double.
    if (count <= 19) {
        std::uint64_t whole = 0;
        for (std::size_t i = first; i <= last; ++i) {
            if (isDigit(digits[i])) {
                whole = whole * 10 + static_cast<std::uint64_t>(digits[i] - '0');
            }
        }
        const long scale = leading - count + 1;
        if (whole <= (std::uint64_t{1} << 53) && scale >= -22 && scale <= 22) {
            const auto exact = static_cast<double>(whole);
            return scale >= 0 ? exact * kPowersOfTen[scale] : exact / kPowersOfTen[-scale];
        }
    }

    Big numerator;
    long taken = 0;
    std::uint32_t chunk = 0;
    int chunkDigits = 0;
    for (std::size_t i = first; i <= last && taken < kKeptDigits; ++i) {
        if (!isDigit(digits[i])) {
            continue;
        }
        chunk = chunk * 10 + static_cast<std::uint32_t>(digits[i] - '0');
        ++taken;
        if (++chunkDigits == 9) {
            numerator.multiplyByPowerOfTen(9);
            numerator.add(Big(chunk));
            chunk = 0;
            chunkDigits = 0;
        }
    }
    numerator.multiplyByPowerOfTen(chunkDigits);
    numerator.add(Big(chunk));
    const long scale = leading - taken + 1;
    Big denominator(1);
    if (scale >= 0) {
        numerator.multiplyByPowerOfTen(static_cast<int>(scale));
    } else {
        denominator.multiplyByPowerOfTen(static_cast<int>(-scale));
    }
    return nearest(numerator, denominator, taken < count);
}

void appendInteger(std::string& out, std::uint64_t mantissa, int exponent) {
    DecimalDigits digits(mantissa);
    digits.multiplyByPowerOfTwo(exponent);
    digits.append(out);
}

std::string shortest(double value) {
    const std::uint64_t bits = bitsOf(value);
    std::string text = (bits >> 63) != 0 ? "-" : "";
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    std::uint64_t mantissa = bits & kFraction;
    if (biased == 0 && mantissa == 0) {
        return text + "0";
    }
    int exponent = -1074;
    if (biased != 0) {
        mantissa |= kHidden;
        exponent = biased - 1075;
    }

    // Steele and White's free-format digits, as Burger and Dybvig state them: the value is
    // r / s, its rounding interval reaches m- / s below and m+ / s above, and digits are
    // produced until the prefix, or the prefix with its last digit one up, lies inside it. The
    // interval's ends belong to it when the mantissa is even, since they read back as it.
    const bool even = (mantissa & 1) == 0;
    // Just above a power of two the gap below is half the gap above.
    const bool narrowBelow = (bits & kFraction) == 0 && biased > 1;
    Big r(mantissa);
    Big s(1);
    Big high(1);
    Big low(1);
    const int widen = narrowBelow ? 2 : 1;  // r / s is the value, high / s the gap above
    r.shiftLeft(widen);
    s.shiftLeft(widen);
    high.shiftLeft(widen - 1);
    if (exponent >= 0) {
        r.shiftLeft(exponent);
        high.shiftLeft(exponent);
        low.shiftLeft(exponent);
    } else {
        s.shiftLeft(-exponent);
    }

    // An estimate of the power of ten above the interval, never too large, then raised until
    // the interval's top lies below 10^k.
    int length = 0;
    for (std::uint64_t m = mantissa; m != 0; m >>= 1) {
        ++length;
    }
    int k = static_cast<int>(std::ceil((exponent + length - 1) * 0.30102999566398114 - 1e-10));
    if (k >= 0) {
        s.multiplyByPowerOfTen(k);
    } else {
        r.multiplyByPowerOfTen(-k);
        high.multiplyByPowerOfTen(-k);
        low.multiplyByPowerOfTen(-k);
    }
    const auto reachesAbove = [&](const Big& rest) {  // rest + m+ at or past s
        Big top = rest;
        top.add(high);
        const int order = compare(top, s);
        return even ? order >= 0 : order > 0;
    };
    while (reachesAbove(r)) {
        s.multiplyAdd(10);
        ++k;
    }

    std::string digits;
    for (;;) {
        r.multiplyAdd(10);
        high.multiplyAdd(10);
        low.multiplyAdd(10);
        int digit = 0;
        while (compare(r, s) >= 0) {
            r.subtract(s);
            ++digit;
        }
        const int belowOrder = compare(r, low);
        const bool lowInside = even ? belowOrder <= 0 : belowOrder < 0;
        const bool highInside = reachesAbove(r);
        if (!lowInside && !highInside) {
            digits += static_cast<char>('0' + digit);
            continue;
        }
        if (lowInside && highInside) {
            Big twice = r;
            twice.shiftLeft(1);
            const int order = compare(twice, s);
            if (order > 0 || (order == 0 && digit % 2 != 0)) {
                ++digit;
            }
        } else if (highInside) {
            ++digit;
        }
        digits += static_cast<char>('0' + digit);
        break;
    }

    // The value is 0.digits x 10^k.
    const int count = static_cast<int>(digits.size());
    if (k > count) {
        // Zeros would stand for digits the value has: write the integer exactly.
        if (exponent < 0) {
            appendInteger(text, mantissa >> -exponent, 0);
        } else {
            appendInteger(text, mantissa, exponent);
        }
    } else if (k <= 0) {
        text += "0.";
        text.append(static_cast<std::size_t>(-k), '0');
        text += digits;
    } else {
        text.append(digits, 0, static_cast<std::size_t>(k));
        if (k < count) {
            text += '.';
            text.append(digits, static_cast<std::size_t>(k));
        }
    }
    return text;
}

}  // namespace tarvel::platform::exact

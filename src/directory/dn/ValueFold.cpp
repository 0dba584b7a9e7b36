#include "directory/dn/ValueFold.h"

#include <lber.h>
#include <unicode/bytestream.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <memory>

namespace vantor {

namespace {

// Universal tags of the ASN.1 string types.
constexpr ber_tag_t kUtf8String = 0x0c;
constexpr ber_tag_t kNumericString = 0x12;
constexpr ber_tag_t kPrintableString = 0x13;
constexpr ber_tag_t kTeletexString = 0x14;
constexpr ber_tag_t kIa5String = 0x16;
constexpr ber_tag_t kVisibleString = 0x1a;
constexpr ber_tag_t kUniversalString = 0x1c;
constexpr ber_tag_t kBmpString = 0x1e;
constexpr ber_tag_t kOctetString = 0x04;

struct BerFree {
    void operator()(BerElement* ber) const { ber_free(ber, 1); }
};

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool IsUtf8(std::string_view text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t at = 0; at < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes, at, length, c);
        if (c < 0) {
            return false;
        }
    }
    return true;
}

// UCS-2 or UCS-4, big-endian, as UTF-8.
std::optional<std::string> WideToUtf8(std::string_view bytes, std::size_t width) {
    if (bytes.size() % width != 0) {
        return std::nullopt;
    }
    icu::UnicodeString text;
    for (std::size_t at = 0; at < bytes.size(); at += width) {
        UChar32 c = 0;
        for (std::size_t i = 0; i < width; ++i) {
            c = (c << 8) | static_cast<unsigned char>(bytes[at + i]);
        }
        if (c < 0 || c > 0x10FFFF || U_IS_SURROGATE(c)) {
            return std::nullopt;
        }
        text.append(c);
    }
    std::string out;
    text.toUTF8String(out);
    return out;
}

bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Leading and trailing spaces gone, inner runs one space.
std::string SquashSpaces(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool pendingSpace = false;
    for (const char c : text) {
        if (IsSpace(c)) {
            pendingSpace = !out.empty();
            continue;
        }
        if (pendingSpace) {
            out += ' ';
            pendingSpace = false;
        }
        out += c;
    }
    return out;
}

}  // namespace

std::optional<std::string> BerString(std::string_view ber) {
    berval value{ber.size(), const_cast<char*>(ber.data())};
    const std::unique_ptr<BerElement, BerFree> element(ber_init(&value));
    if (!element) {
        return std::nullopt;
    }
    ber_len_t length = 0;
    const ber_tag_t tag = ber_peek_tag(element.get(), &length);
    berval contents{};
    if (tag == LBER_DEFAULT ||
        ber_get_stringbv(element.get(), &contents, LBER_BV_NOTERM) == LBER_DEFAULT) {
        return std::nullopt;
    }
    const std::string_view bytes(contents.bv_val, contents.bv_len);
    ber_len_t rest = 0;
    const bool whole = ber_peek_tag(element.get(), &rest) == LBER_DEFAULT;
    if (!whole) {
        return std::nullopt;
    }
    switch (tag) {
        case kUtf8String:
        case kNumericString:
        case kPrintableString:
        case kTeletexString:
        case kIa5String:
        case kVisibleString:
        case kOctetString:
            return std::string(bytes);
        case kBmpString:
            return WideToUtf8(bytes, 2);
        case kUniversalString:
            return WideToUtf8(bytes, 4);
        default:
            return std::nullopt;
    }
}

std::string FoldValue(std::string_view value) {
    if (IsAscii(value) || !IsUtf8(value)) {
        std::string lower(value);
        std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        });
        return SquashSpaces(lower);
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* fold = icu::Normalizer2::getNFKCCasefoldInstance(status);
    std::string folded;
    if (U_SUCCESS(status)) {
        icu::StringByteSink<std::string> sink(&folded);
        fold->normalizeUTF8(0,
                            icu::StringPiece(value.data(), static_cast<std::int32_t>(value.size())),
                            sink, nullptr, status);
    }
    if (U_FAILURE(status)) {
        folded.assign(value);
    }
    return SquashSpaces(folded);
}

}  // namespace vantor

#include "support/text.h"

namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(Text& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 | (c >> 10));
    out += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
  }
}

constexpr char32_t kReplacement = 0xFFFD;
// A byte that is not part of valid UTF-8 kept as one unpaired low surrogate.
constexpr char32_t kByteEscape = 0xDC00;

// An unpaired surrogate becomes U+FFFD, or with keep_bytes its byte when it
// is an escaped byte (U+DC80..U+DCFF).
std::string Encode(std::u16string_view text, bool keep_bytes) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (keep_bytes && c >= kByteEscape + 0x80 && c <= kByteEscape + 0xFF) {
      out += static_cast<char>(c - kByteEscape);
      continue;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    AppendUtf8(out, c);
  }
  return out;
}

// A malformed sequence becomes one U+FFFD, or with keep_bytes its first byte
// is escaped and decoding goes on at the next byte, so every byte of it is
// kept.
Text Decode(std::string_view utf8, bool keep_bytes) {
  Text out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    int extra = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    bool ok = true;
    if (lead < 0x80) {
      c = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, c = lead & 0x07, minimum = 0x10000;
    } else {
      ok = false;
    }
    std::size_t j = i + 1;
    for (int k = 0; ok && k < extra; ++k, ++j) {
      if (j >= utf8.size() || (static_cast<unsigned char>(utf8[j]) & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = (c << 6) | (static_cast<unsigned char>(utf8[j]) & 0x3F);
    }
    const bool whole = ok;
    if (ok && (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) ok = false;
    if (ok) {
      AppendUtf16(out, c);
      i = j;
    } else if (keep_bytes) {
      out += static_cast<char16_t>(kByteEscape + lead);
      ++i;
    } else {
      AppendUtf16(out, kReplacement);
      i = whole ? j : i + 1;
    }
  }
  return out;
}

}  // namespace

std::string ToUtf8(std::u16string_view text) { return Encode(text, false); }
Text FromUtf8(std::string_view utf8) { return Decode(utf8, false); }
std::string ToSystemBytes(std::u16string_view text) { return Encode(text, true); }
Text FromSystemBytes(std::string_view bytes) { return Decode(bytes, true); }

Text AsciiText(std::string_view ascii) { return Text(ascii.begin(), ascii.end()); }

Text DecimalText(std::int64_t value) { return AsciiText(std::to_string(value)); }

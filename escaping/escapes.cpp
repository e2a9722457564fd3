#include "escaping/escapes.h"

#include "escaping/utf8_text.h"

namespace oru {
namespace {

constexpr char kHex[] = "0123456789abcdef";

void AppendHexByte(std::string& out, const char* prefix, char32_t c) {
  out += prefix;
  out += kHex[(c >> 4) & 0xF];
  out += kHex[c & 0xF];
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// A character that XML 1.0 can hold (its production Char), else a blank.
char32_t XmlHoldable(char32_t c) {
  const bool holdable =
      (c >= 0x20 || c == '\t' || c == '\n' || c == '\r') && c != 0xFFFE && c != 0xFFFF;
  return holdable ? c : U' ';
}

}  // namespace

void AppendXmlText(std::string& out, std::string_view text) {
  ForEachCodePoint(text, [&](char32_t c) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: AppendUtf8(out, XmlHoldable(c));
    }
  });
}

std::string XmlCharacters(std::string_view text) {
  std::string out;
  ForEachCodePoint(text, [&](char32_t c) { AppendUtf8(out, XmlHoldable(c)); });
  return out;
}

std::string JsonString(std::string_view text) {
  std::string json = "\"";
  ForEachCodePoint(text, [&](char32_t c) {
    if (c == '"' || c == '\\') {
      json += '\\';
      json += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      AppendHexByte(json, "\\u00", c);
    } else {
      AppendUtf8(json, c);
    }
  });
  return json + "\"";
}

std::string TerminalText(std::string_view text) {
  std::string out;
  ForEachCodePoint(text, [&](char32_t c) {
    if (IsControl(c)) {
      AppendHexByte(out, "\\x", c);
    } else {
      AppendUtf8(out, c);
    }
  });
  return out;
}

}  // namespace oru

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "escaping/escapes.h"
#include "escaping/utf8_text.h"

namespace oru {
namespace {

struct Row {
  const char* what;
  std::string in;
  std::string utf8, xml, json, terminal;
  std::string xml_characters = {};  // XmlCharacters: as utf8 when empty
};

// Each row: bytes as they come from a file, and what each writer makes of
// them. Invalid UTF-8 bytes are read as Latin-1 (0xFC is u-umlaut, C3 BC in
// UTF-8; 0x80 is the C1 control U+0080, C2 80).
class TextRows : public ::testing::TestWithParam<Row> {};

TEST_P(TextRows, EachWriterGetsTextItCanHold) {
  const Row& r = GetParam();
  EXPECT_EQ(ValidUtf8(r.in), r.utf8);
  std::string xml;
  AppendXmlText(xml, r.in);
  EXPECT_EQ(xml, r.xml);
  EXPECT_EQ(JsonString(r.in), "\"" + r.json + "\"");
  EXPECT_EQ(TerminalText(r.in), r.terminal);
  EXPECT_EQ(XmlCharacters(r.in), r.xml_characters.empty() ? r.utf8 : r.xml_characters);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextRows,
    ::testing::Values(
        Row{"Ascii", "Line L1001", "Line L1001", "Line L1001", "Line L1001", "Line L1001"},
        Row{"Reserved", "a<b & \"c\" 'd'>\\", "a<b & \"c\" 'd'>\\",
            "a&lt;b &amp; &quot;c&quot; &apos;d&apos;&gt;\\", "a<b & \\\"c\\\" 'd'>\\\\",
            "a<b & \"c\" 'd'>\\", "a<b & \"c\" 'd'>\\"},
        Row{"Utf8KeptAsItIs", "S\xC3\xBC" "d \xE2\x82\xAC \xF0\x9F\x9A\xA2",
            "S\xC3\xBC" "d \xE2\x82\xAC \xF0\x9F\x9A\xA2", "S\xC3\xBC" "d \xE2\x82\xAC \xF0\x9F\x9A\xA2",
            "S\xC3\xBC" "d \xE2\x82\xAC \xF0\x9F\x9A\xA2", "S\xC3\xBC" "d \xE2\x82\xAC \xF0\x9F\x9A\xA2"},
        Row{"Latin1Byte", "S\xFC" "d", "S\xC3\xBC" "d", "S\xC3\xBC" "d", "S\xC3\xBC" "d",
            "S\xC3\xBC" "d"},
        Row{"StrayContinuationIsAC1Control", "a\x80" "b", "a\xC2\x80" "b", "a\xC2\x80" "b",
            "a\xC2\x80" "b", "a\\x80b"},
        Row{"TruncatedSequence", "\xE2\x82", "\xC3\xA2\xC2\x82", "\xC3\xA2\xC2\x82",
            "\xC3\xA2\xC2\x82", "\xC3\xA2\\x82"},
        Row{"OverlongSlash", "\xC0\xAF", "\xC3\x80\xC2\xAF", "\xC3\x80\xC2\xAF",
            "\xC3\x80\xC2\xAF", "\xC3\x80\xC2\xAF"},
        Row{"Surrogate", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80", "\xC3\xAD\xC2\xA0\xC2\x80",
            "\xC3\xAD\xC2\xA0\xC2\x80", "\xC3\xAD\xC2\xA0\\x80"},
        Row{"BeyondU10FFFF", "\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80",
            "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80",
            "\xC3\xB4\\x90\\x80\\x80"},
        Row{"Controls", std::string("a\tb\nc\x1b[2Jd\x7f") + '\0', std::string("a\tb\nc\x1b[2Jd\x7f") + '\0',
            "a\tb\nc [2Jd\x7f ", "a\\u0009b\\u000ac\\u001b[2Jd\\u007f\\u0000",
            "a\\x09b\\x0ac\\x1b[2Jd\\x7f\\x00", "a\tb\nc [2Jd\x7f "},
        Row{"NotCharactersInXml", "\xEF\xBF\xBE\xEF\xBF\xBF", "\xEF\xBF\xBE\xEF\xBF\xBF", "  ",
            "\xEF\xBF\xBE\xEF\xBF\xBF", "\xEF\xBF\xBE\xEF\xBF\xBF", "  "}),
    [](const auto& info) { return std::string(info.param.what); });

// Whatever the bytes, the result is well-formed UTF-8 and left as it is by a
// second pass.
TEST(ValidUtf8, AnyBytesGiveWellFormedText) {
  std::mt19937 random(3);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int k = 0; k < 2000; ++k) {
    std::string bytes(static_cast<std::size_t>(k % 17), '\0');
    for (char& c : bytes) c = static_cast<char>(byte(random));
    const std::string text = ValidUtf8(bytes);
    for (std::string_view rest = text; !rest.empty();) {
      char32_t c = 0;
      const std::size_t length = Utf8SequenceAt(rest, c);
      ASSERT_GT(length, 0u);
      rest.remove_prefix(length);
    }
    EXPECT_EQ(ValidUtf8(text), text);
  }
}

}  // namespace
}  // namespace oru

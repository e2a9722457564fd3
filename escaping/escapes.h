#pragma once

#include <string>
#include <string_view>

namespace oru {

// Text from input files (names of lines, routes, layers and files;
// attribute values), written where its bytes could break what holds it. Each
// reads `text` as ValidUtf8 does (a byte outside UTF-8 as Latin-1).

// For XML 1.0 element content and attribute values: the five reserved
// characters as entities; the characters XML 1.0 cannot hold (controls
// other than tab, line feed and carriage return; U+FFFE, U+FFFF) as
// blanks.
void AppendXmlText(std::string& out, std::string_view text);

// For XML that a writer escapes itself (GDAL's GPX and KML drivers escape
// the five reserved characters but pass every other byte): the text as
// valid UTF-8 with the characters XML 1.0 cannot hold as blanks, as
// AppendXmlText has them.
std::string XmlCharacters(std::string_view text);

// A JSON string (RFC 8259) with its quotes: '"' and '\' escaped, controls
// as \u00XX (DEL too, which JSON allows but a terminal acts on).
std::string JsonString(std::string_view text);

// For a terminal: every control character (C0, DEL and C1, which a terminal
// may take for a command, such as ESC) shown as \xXX for bytes below 0x100,
// the rest as it is.
std::string TerminalText(std::string_view text);

}  // namespace oru

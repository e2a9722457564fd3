#pragma once

#include <string>

namespace oru {

// The message text of a geodesy result code, as the window shows it: a tab,
// the text and a line feed. A code without a text of its own gives
// "\t'GeodBase' error: undocumented problem\n" followed by the code in
// decimal. Texts are UTF-8 (the degree sign is U+00B0).
std::string Error_Message(int code);

}  // namespace oru

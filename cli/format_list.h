#pragma once

#include <string>

namespace oru {

// The text of oru-cli --list-formats: every format's name, extensions and
// description, GIS, navigation and survey text.
std::string FormatList();

}  // namespace oru

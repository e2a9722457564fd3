#pragma once

#include <string>
#include <vector>

namespace oru {

// The type filters of the window's file dialogs, as "Name (*.a *.b)", the
// last always "All files (*)". The survey track formats have no extension
// of their own: their filter offers the usual text extensions. GIS and
// navigation files are named for their format by the extension: the
// filter of every such format the dialog's file can be (read for an input,
// written for an output), after one that holds all of them.
std::vector<std::string> TrackFileFilters(bool gis_or_navigation, bool output);

}  // namespace oru

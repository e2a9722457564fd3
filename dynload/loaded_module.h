#pragma once

#include <string>

namespace oru {

// The entry of a shared object of ours opened on demand: `entry`, a function
// `extern "C" const void* entry()` returning a table that lives as long as
// the process, or null with `error` saying why ("GDAL support
// (liboru-gis.so) could not be loaded: <dlerror's text>").
//
// `file` is a bare file name ("liboru-gis.so"), found as the dynamic loader
// finds libraries (dlopen(3)): through the RUNPATH of the program, which
// names the build folders in a build tree and ${libdir}/oru when
// installed. The object is opened once (RTLD_NOW | RTLD_LOCAL: its own
// symbols stay its own) and never closed. `what` names it for the user.
// Safe from any thread.
const void* LoadModuleEntry(const char* file, const char* entry, const char* what,
                            std::string& error);

}  // namespace oru

#pragma once

#include <string>

namespace oru {

// The entry of a shared object of ours opened on demand: `entry`, a function
// `extern "C" const void* entry()` returning a table that lives as long as
// the process, or null with `error` saying why ("GDAL support
// (liboru-gis.so) could not be loaded: <dlerror's text>").
//
// `file` is a bare file name ("liboru-gis.so"), opened from
// ../${libdir}/oru beside the running program's folder (/proc/self/exe):
// ${prefix}/lib/oru for ${prefix}/bin/oru-cli, and the same layout in the
// build folder. The path is given to dlopen(3) whole, so that neither
// LD_LIBRARY_PATH nor the caller's RUNPATH (which sanitizers' interceptors
// hide) decides which file is opened. The object is opened once
// (RTLD_NOW | RTLD_LOCAL: its own symbols stay its own) and never closed.
// `what` names it for the user. Safe from any thread.
const void* LoadModuleEntry(const char* file, const char* entry, const char* what,
                            std::string& error);

}  // namespace oru

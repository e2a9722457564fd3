#pragma once

#include <string>

#include "cli/cli_options.h"
#include "gis/gis_formats.h"
#include "navformats/nav_formats.h"

namespace oru {

// A format of the batch command: one of GDAL's, or a navigation format read
// or written by hand; null when neither.
struct BatchFormat {
  const GisFormat* gis = nullptr;
  const NavFormat* nav = nullptr;
  explicit operator bool() const { return gis != nullptr || nav != nullptr; }
  bool Is(NavFormatKind kind) const { return nav != nullptr && nav->kind == kind; }
  bool IsGpx() const { return gis != nullptr && gis->driver == "GPX"; }
  std::string_view Extension() const;  // the one written
};

// Whether the command line is for GIS or navigation files
// (cli/batch_run.h) rather than the survey formats' run: such a format
// named, --output-dir, or an input with such an extension when no survey
// format is named.
bool IsBatchCommand(const CliOptions& options);

// The format an input file is read in: --input-format's name, else its
// extension's; null when neither names a readable one.
BatchFormat InputBatchFormat(const CliOptions& options, const std::string& path);

// The format written: --output-format's name; else `output`'s extension's
// (empty `output`: the input's format). Null when that is none or read only.
BatchFormat OutputBatchFormat(const CliOptions& options, BatchFormat input,
                              const std::string& output);

// The text of --list-formats.
std::string FormatList();

}  // namespace oru

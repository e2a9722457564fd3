#pragma once

#include <string>

#include "cli/cli_options.h"
#include "gis/gis_formats.h"

namespace oru {

// Whether the command line is for GIS files (cli/batch_run.h) rather than
// the survey formats' run: a GIS format named, --output-dir, or an input
// with a GIS extension when no survey format is named.
bool IsGisCommand(const CliOptions& options);

// The format an input file is read in: --input-format's GIS name, else its
// extension's; null when neither names one.
const GisFormat* InputGisFormat(const CliOptions& options, const std::string& path);

// The format written: --output-format's GIS name; else `output`'s extension's
// (empty `output`: the input's format). Null when that is none or read only.
const GisFormat* OutputGisFormat(const CliOptions& options, const GisFormat* input,
                                 const std::string& output);

// The text of --list-formats.
std::string FormatList();

}  // namespace oru

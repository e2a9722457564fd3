#pragma once

#include <string_view>

#include "navformats/nav_track.h"

namespace oru {

// Reads the positions of an NMEA 0183 log (NMEA 0183 Standard for
// Interfacing Marine Electronic Devices, version 4.10, 2012), one sentence a
// line, LF, CR LF or CR line ends:
//
//   [\tag block\]$ttsss,field,field,...[*hh]
//
// - Sentences GGA, RMC and GLL of any talker tt (GP, GN, GL, GA, BD, ...)
//   give positions on WGS84; every other well-formed sentence is passed over
//   without a word, and so are empty lines.
// - The checksum hh, when present, is the exclusive or of the characters
//   between '$' and '*', in two hexadecimal digits; a sentence whose
//   checksum differs is not valid.
// - Invalid fixes are passed over: GGA with quality 0, RMC or GLL with
//   status V, and sentences whose position fields are empty.
// - A fix with the time and the position of the previous fix of its track
//   (GGA, RMC and GLL of one epoch), the position compared at the precision
//   of the coarser sentence, is taken once, the first; so is a fix without a
//   time at the position of the previous one. Fixes of one time stamp at
//   different places are all kept, in file order.
// - A date that names no day (31 April, 29 February 2023) does not read.
// - Times: RMC gives the date; GGA and GLL fixes take the date of the RMC
//   before them (the next day once their time of day falls more than twelve
//   hours below that RMC's, past midnight), or of the first RMC after them.
//   A log without RMC gives no times.
// - A tag block (NMEA 0183 4.10, section 7) with a source "s:" parameter
//   puts the sentence in the track of that source; tracks are in the order
//   of their first fix. Without tag blocks the log is one track.
//
// A line that is not a valid sentence (no '$', a bad checksum, a field that
// does not read) is passed over and counted in lines_skipped. A log without
// a single valid fix fails with "Input file empty.".
NavReadOutcome ReadNmeaTracks(std::string_view text);

}  // namespace oru

#pragma once

#include "geodesy/records.h"

namespace oru {

// Parses one line of coordinate text (`p.text`, its first 255 characters, up
// to a NUL) into the DMS fields, letters and height of `p`; radians are not
// computed. Numbers are read with the point as decimal separator whatever
// the locale.
//
// The text is rewritten first, from its second character up to index 50: a
// letter that follows a letter (other than 'x'/'X') takes the earlier
// letter's place and leaves a blank behind (so "NB" reads as "N", "OL" as
// "E"); ',' becomes a blank, 'z'/'Z' becomes 'S', 'o'/'O' becomes 'E', a line
// feed ends the text. The number of fields n is 1 plus the blanks counted
// there (two blanks in a row separate two fields). By n and the number of
// hemisphere letters L the fields read as (h height in metres, D whole
// degrees, M whole minutes, S seconds, Md decimal minutes, Dd decimal
// degrees, H letter; latitude first unless the first letter is E/W):
//   n=9: h D M S H D M S H    n=8: D M S H D M S H
//   n=7: h D M S D M S (L=0)  or h D Md H D Md H (L=2)
//   n=6: D M S D M S (L=0)    or D Md H D Md H (L=2)
//   n=5: h D Md D Md (L=0)    or h Dd H Dd H (L=2)
//   n=4: D Md D Md (L=0)      or Dd H Dd H (L=2)
//   n=3: h Dd Dd              n=2: Dd Dd
// Decimal degrees and minutes split into whole part (toward zero) and
// fraction times 60, keeping the sign. Without letters the hemisphere
// follows the sign of the degrees (S, W for negative), the minutes and
// seconds then made positive. Fields that do not convert count as 0.
//
// Returns 0, or (leaving every field of `p` as it was):
//   1 empty line (a line feed first, or nothing but blanks)
//   2 the text is exactly "exit" (end of input)
//   3 one letter, or more than two, among the tested fields
//   6 a single field
//   7 the letters are not one of N/S and one of E/W
//   8 more than nine fields, or latitude degrees > 90, longitude degrees
//     > 180, minutes or seconds >= 60
int Read_LatLon(LatLon& p);

}  // namespace oru

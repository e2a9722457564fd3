#pragma once

// Texts that several windows show. The window caption and the application
// title differ on purpose: the caption is the main window's, the title is
// what message boxes and the print job carry.
namespace oru::texts {

inline constexpr char kWindowCaption[] = "oru 3.4.1";
inline constexpr char kApplicationTitle[] = "ORU 3.4.1";
inline constexpr char kPlaceName[] = "Example Harbour";
inline constexpr char kReleaseMonth[] = "February 2010";
inline constexpr char kMaintainer[] = "ORU maintainers, oru@example.org";
inline constexpr char kReference[] =
    "[D.H. Douglas and T.K. Peucker, The Canadian Cartographer, Vol. 10, 1973, No. 3]";

// The plot hand-off files, written by "Plot" into the start directory and
// removed when the main window closes.
inline constexpr const char* kHandOffFiles[] = {"AllePunten.dat", "Selectie.dat"};

inline constexpr char kHelpFile[] = "ORU_help.html";

}  // namespace oru::texts

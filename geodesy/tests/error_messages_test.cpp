#include "geodesy/error_messages.h"

#include <gtest/gtest.h>

#include <set>

#include "geodesy/error_codes.h"

namespace oru {
namespace {

// Codes that have a text of their own.
const std::set<int> kDocumented = {1,  2,  3,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 18, 19, 20,
                                   21, 22, 23, 24, 29, 30, 31, 33, 34, 35, 36, 37, 38, 39, 40, 41,
                                   42, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59};

TEST(ErrorMessage, EveryCodeHasItsTextAndOthersTheGenericOne) {
  const std::string generic = "\t'GeodBase' error: undocumented problem\n";
  for (int code = -2; code <= 70; ++code) {
    const std::string text = Error_Message(code);
    if (kDocumented.count(code)) {
      EXPECT_EQ(text.front(), '\t') << code;
      EXPECT_EQ(text.back(), '\n') << code;
      EXPECT_EQ(text.find("undocumented"), std::string::npos) << code;
    } else {
      EXPECT_EQ(text, generic + std::to_string(code)) << code;
    }
  }
}

TEST(ErrorMessage, TextsAsTheUserSeesThem) {
  struct Row {
    int code;
    const char* text;
  } rows[] = {
      {kGeodDatumEccentricity, "\t'GeodBase' error: datum eccentricity incorrect\n"},
      // Two blanks after the first comma, as the text has always had.
      {kGeodLongitudeDms,
       "\t'GeodBase' error: degrees,  minutes or seconds of longitude incorrect\n"},
      // A blank before the line feed.
      {kGeodPerpendNoConvergence, "\t'GeodBase - Perpend' error: no convergence \n"},
      {kGeodLatitudeRange, "\t'GeodBase' error: latitude > 90\u00b0 or < -90\u00b0\n"},
      {kGeodPoint1ToRadians, "\t'GeodBase' error: conversion of co-ordinates to radians failed\n"},
  };
  for (const Row& row : rows) EXPECT_EQ(Error_Message(row.code), row.text) << row.code;
  EXPECT_EQ(Error_Message(kGeodToRadians), Error_Message(kGeodPoint1ToRadians));
}

}  // namespace
}  // namespace oru

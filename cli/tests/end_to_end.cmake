# Runs oru-cli as a user does and checks exit codes, printed texts and the
# written file. Called by CTest with ORU_CLI, SOURCE_DIR, WORK_DIR and
# PLOT_IMAGE (1 when the build draws pictures, that is has Qt).
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
set(golden "${SOURCE_DIR}/cli/tests/golden")

include("${CMAKE_CURRENT_LIST_DIR}/expect.cmake")

# 1. The shipped sample thinned to 25 points: statistics rows and file.
execute_process(
  COMMAND "${ORU_CLI}" --input-format xy --points 25
          "${SOURCE_DIR}/data/samples/survey_line_xy.txt" "${WORK_DIR}/kept.txt"
  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect_equal("exit code" "${code}" "0")
file(READ "${golden}/survey_line_xy_25.stdout" expected_out)
expect_equal("statistics rows" "${out}" "${expected_out}")
file(READ "${WORK_DIR}/kept.txt" kept)
file(READ "${golden}/survey_line_xy_25.txt" expected_kept)
expect_equal("kept points" "${kept}" "${expected_kept}")

# 2. The same by maximum deviation, as JSON.
execute_process(
  COMMAND "${ORU_CLI}" --input-format xy --max-deviation 2 --json
          "${SOURCE_DIR}/data/samples/survey_line_xy.txt" "${WORK_DIR}/kept2.txt"
  RESULT_VARIABLE code OUTPUT_VARIABLE out)
expect_equal("exit code of the JSON run" "${code}" "0")
file(READ "${golden}/survey_line_xy_2m.json" expected_json)
expect_equal("JSON statistics" "${out}" "${expected_json}")

# 3. A run that stops: the message on standard error, exit 1, no file.
file(WRITE "${WORK_DIR}/bad.txt" "1 1\n2 2\nthree 3\n")
execute_process(
  COMMAND "${ORU_CLI}" --input-format xy "${WORK_DIR}/bad.txt" "${WORK_DIR}/bad-out.txt"
  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect_equal("exit code of a stopped run" "${code}" "1")
expect_equal("message" "${err}" "Line 3 could not be read.\n")
if(EXISTS "${WORK_DIR}/bad-out.txt")
  message(FATAL_ERROR "a stopped run wrote its output file")
endif()

# 4. A usage error: exit 2 with the usage text.
execute_process(COMMAND "${ORU_CLI}" --points
  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect_equal("exit code of a usage error" "${code}" "2")
if(NOT err MATCHES "usage: oru-cli")
  message(FATAL_ERROR "no usage text on a usage error: ${err}")
endif()

# 5. The plot of a run: its hand-off files and, when the build draws
# pictures, its picture.
set(picture)
if(PLOT_IMAGE)
  set(picture --plot-image "${WORK_DIR}/plot.png" --plot-size 320x240)
endif()
execute_process(
  COMMAND "${ORU_CLI}" --input-format xy --points 25 --plot-dir "${WORK_DIR}" ${picture}
          "${SOURCE_DIR}/data/samples/survey_line_xy.txt" "${WORK_DIR}/kept5.txt"
  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect_equal("exit code of a plotted run" "${code}" "0")
file(STRINGS "${WORK_DIR}/Selectie.dat" selected)
list(LENGTH selected selected_count)
expect_equal("lines of Selectie.dat" "${selected_count}" "25")
file(STRINGS "${WORK_DIR}/AllePunten.dat" all_points LIMIT_COUNT 1)
expect_equal("first line of AllePunten.dat" "${all_points}" "565000.990000 5983004.110000 0 2")
if(PLOT_IMAGE)
  file(READ "${WORK_DIR}/plot.png" png_head LIMIT 8 HEX)
  expect_equal("PNG signature" "${png_head}" "89504e470d0a1a0a")
endif()

# 6. The geographic sample thinned on the ellipsoid to 25 points: statistics
# rows and file, against the literal engine's output
# (tools/make_ellipsoidal_golden.cpp).
execute_process(
  COMMAND "${ORU_CLI}" --calculation ellipsoidic --points 25
          "${SOURCE_DIR}/data/samples/survey_line_oru.txt" "${WORK_DIR}/kept6.txt"
  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect_equal("exit code of the ellipsoidal run" "${code}" "0")
file(READ "${golden}/survey_line_oru_ell_25.stdout" expected_out)
expect_equal("ellipsoidal statistics rows" "${out}" "${expected_out}")
file(READ "${WORK_DIR}/kept6.txt" kept)
file(READ "${golden}/survey_line_oru_ell_25.txt" expected_kept)
expect_equal("ellipsoidally kept points" "${kept}" "${expected_kept}")

# 7. The optimal method on the same track and tolerance as step 2: its name
# in the JSON, fewer points than the Douglas-Peucker selection's 37, and every
# point left out within the 2 m.
execute_process(
  COMMAND "${ORU_CLI}" --input-format xy --method optimal --max-deviation 2 --json
          "${SOURCE_DIR}/data/samples/survey_line_xy.txt" "${WORK_DIR}/kept7.txt"
  RESULT_VARIABLE code OUTPUT_VARIABLE out)
expect_equal("exit code of the optimal run" "${code}" "0")
if(NOT out MATCHES "^{\"method\": \"optimal\", \"max_deviation\": \"[012]\", .*\"points_after\": \"([0-9]+)\"")
  message(FATAL_ERROR "optimal JSON: ${out}")
endif()
if(NOT CMAKE_MATCH_1 LESS 37)
  message(FATAL_ERROR "the optimal method kept ${CMAKE_MATCH_1} points, Douglas-Peucker 37")
endif()
file(STRINGS "${WORK_DIR}/kept7.txt" kept_lines)
list(LENGTH kept_lines kept_count)
expect_equal("lines written by the optimal run" "${kept_count}" "${CMAKE_MATCH_1}")

# 8. The curve of the ellipsoidal run of step 6: a line for every count from
# the two ends to all 1290 points, the run's own figures on the line of its
# 25 points (as the statistics round them: the deviation to whole metres),
# and the output file the same as without the curve.
set(curve_image)
if(PLOT_IMAGE)
  set(curve_image --curve-image "${WORK_DIR}/curve.png")
endif()
execute_process(
  COMMAND "${ORU_CLI}" --calculation ellipsoidic --points 25 --curve "${WORK_DIR}/curve.csv"
          ${curve_image} "${SOURCE_DIR}/data/samples/survey_line_oru.txt" "${WORK_DIR}/kept8.txt"
  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect_equal("exit code of the curve run" "${code}" "0")
expect_equal("statistics of the curve run" "${out}" "${expected_out}")
file(READ "${WORK_DIR}/kept8.txt" kept)
expect_equal("points kept by the curve run" "${kept}" "${expected_kept}")
file(STRINGS "${WORK_DIR}/curve.csv" curve_lines)
list(LENGTH curve_lines curve_count)
expect_equal("curve lines" "${curve_count}" "1290")
list(GET curve_lines 0 header)
expect_equal("curve header" "${header}" "points,largest_deviation_m,length_m")
list(GET curve_lines 24 row25)
string(REGEX MATCH "line is: ([0-9]+) m" found "${out}")
set(metres "${CMAKE_MATCH_1}")
string(REGEX MATCH "^25,([0-9]+)\\.?([0-9]?)" found "${row25}")
set(rounded "${CMAKE_MATCH_1}")
if(CMAKE_MATCH_2 GREATER_EQUAL 5)
  math(EXPR rounded "${rounded} + 1")
endif()
expect_equal("deviation at 25 points, rounded (${row25})" "${rounded}" "${metres}")
if(PLOT_IMAGE AND NOT EXISTS "${WORK_DIR}/curve.png")
  message(FATAL_ERROR "no curve picture")
endif()

# Runs oru-cli on hand-made NMEA and UKOOA P1/90 files (tests/nav/) as a user
# does: routes against golden files, RTZ against its structural rules
# (xmllint), the waypoint cap, lines passed over, failures that write
# nothing, many files at once. Called by CTest with ORU_CLI, SOURCE_DIR,
# WORK_DIR and XMLLINT (empty when the machine has none).
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
set(nav "${SOURCE_DIR}/cli/tests/nav")
set(golden "${SOURCE_DIR}/cli/tests/golden")

include("${CMAKE_CURRENT_LIST_DIR}/expect.cmake")
function(expect_golden what file golden_file)
  file(READ "${file}" got)
  file(READ "${golden}/${golden_file}" expected)
  expect_equal("${what}" "${got}" "${expected}")
endfunction()
function(expect_valid_rtz file)
  if(XMLLINT)
    execute_process(COMMAND "${XMLLINT}" --noout --schema "${SOURCE_DIR}/cli/tests/rtz_1_1_rules.xsd"
                            "${file}" RESULT_VARIABLE code ERROR_VARIABLE err)
    expect_equal("xmllint on ${file}: ${err}" "${code}" "0")
  endif()
endfunction()

# 1. The ship's log: GGA, RMC and GLL of one epoch once, talkers GP and GN,
# invalid fixes left out; along a meridian, a corner, along a parallel.
execute_process(
  COMMAND "${ORU_CLI}" --max-deviation 1 --json "${nav}/ship.nmea" "${WORK_DIR}/ship.rtz"
  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect_equal("exit code of the NMEA run" "${code}" "0")
expect_golden("RTZ route" "${WORK_DIR}/ship.rtz" ship_1m.rtz)
expect_valid_rtz("${WORK_DIR}/ship.rtz")
expect_match("JSON of the track" "${out}"
  "{\"file\": \"[^\"]*ship.nmea\", \"track\": \"track 1\", \"lines_skipped\": 2, \"method\": \"douglas-peucker\", \"max_deviation\": \"0\", \"point_reduction\": \"50\", \"points_before\": \"8\", \"points_after\": \"4\"")
expect_match("total" "${out}" "\"failed\": \\[\\], \"lines_skipped\": 2, ")
expect_equal("lines passed over" "${err}" "${nav}/ship.nmea: 2 lines passed over: not valid NMEA sentences\n")

# 2. The cap: three waypoints where the deviation asked for would keep more.
execute_process(
  COMMAND "${ORU_CLI}" --max-deviation 0.01 --max-waypoints 3 "${nav}/ship.nmea" "${WORK_DIR}/ship3.rtz"
  RESULT_VARIABLE code OUTPUT_VARIABLE out)
expect_equal("exit code of the capped run" "${code}" "0")
expect_match("cap said" "${out}" "from 8 to 3\n[^\n]*\nCapped at 3 points by --max-waypoints: the maximum distance reached is [0-9]+ m.\n")
file(STRINGS "${WORK_DIR}/ship3.rtz" waypoints REGEX "<waypoint ")
list(LENGTH waypoints count)
expect_equal("waypoints of the capped route" "${count}" "3")
expect_valid_rtz("${WORK_DIR}/ship3.rtz")

# 3. Two P1/90 lines on ED50 as GPX routes on WGS84; read back through GDAL,
# they are two tracks.
execute_process(
  COMMAND "${ORU_CLI}" --max-deviation 5 "${nav}/two_lines_ed50.p190" "${WORK_DIR}/two.gpx"
  RESULT_VARIABLE code OUTPUT_VARIABLE out)
expect_equal("exit code of the P1/90 run" "${code}" "0")
expect_match("a line's statistics" "${out}"
  "two_lines_ed50.p190, line 'LINE-B', vessel reference point, vessel 1:\nThe maximum[^\n]*\nThe number of points has decreased with 25 % from 4 to 3\n")
expect_golden("GPX routes" "${WORK_DIR}/two.gpx" two_lines_ed50_5m.gpx)
expect_well_formed("${WORK_DIR}/two.gpx")
execute_process(COMMAND "${ORU_CLI}" --points 3 "${WORK_DIR}/two.gpx" "${WORK_DIR}/back.gpx"
  RESULT_VARIABLE code OUTPUT_VARIABLE out)
expect_equal("exit code of reading the routes back" "${code}" "0")
expect_match("routes read back" "${out}" "Total of 2 tracks in 1 file:")

# 4. Grid coordinates as line features without a CRS, or with the one
# named; routes of them need it, and nothing is written without.
execute_process(
  COMMAND "${ORU_CLI}" --p190-grid --points 3 "${nav}/two_lines_ed50.p190" "${WORK_DIR}/grid.csv"
  RESULT_VARIABLE code)
expect_equal("exit code of the grid run" "${code}" "0")
file(READ "${WORK_DIR}/grid.csv" grid)
expect_match("grid line" "${grid}" "\"LINESTRING \\(500000 5929300,[^\n]*\",\"line 'LINE-A', centre of source, vessel 1, source 1\"\n")
execute_process(
  COMMAND "${ORU_CLI}" --p190-grid "${nav}/two_lines_ed50.p190" "${WORK_DIR}/grid.rtz"
  RESULT_VARIABLE code ERROR_VARIABLE err)
expect_equal("exit code of grid routes" "${code}" "2")
expect_match("why" "${err}" "two_lines_ed50.p190 holds X, Y coordinates, and RTZ routes hold latitudes and longitudes: give --crs")
if(EXISTS "${WORK_DIR}/grid.rtz" OR EXISTS "${WORK_DIR}/grid-1.rtz")
  message(FATAL_ERROR "a refused run wrote a route")
endif()
execute_process(
  COMMAND "${ORU_CLI}" --p190-grid --crs EPSG:25831 --points 3 "${nav}/two_lines_ed50.p190"
          "${WORK_DIR}/grid.rtz" RESULT_VARIABLE code OUTPUT_VARIABLE out)
expect_equal("exit code of grid routes with their CRS" "${code}" "0")
expect_valid_rtz("${WORK_DIR}/grid-2.rtz")

# 5. A malformed record names its line; a log without a fix is empty.
file(READ "${nav}/two_lines_ed50.p190" p190)
string(REPLACE "533010.00N" "536010.00N" bad "${p190}")
file(WRITE "${WORK_DIR}/bad.p190" "${bad}")
file(WRITE "${WORK_DIR}/nofix.nmea" "$GPGGA,120030.00,,,,,0,00,99.9,,M,,M,,*51\nnoise\n")
execute_process(
  COMMAND "${ORU_CLI}" --max-deviation 1 --output-dir "${WORK_DIR}/out" --output-format rtz --jobs 2
          "${WORK_DIR}/bad.p190" "${WORK_DIR}/nofix.nmea" "${nav}/ship.nmea"
  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect_equal("exit code with failing files" "${code}" "1")
expect_match("malformed record" "${err}"
  "bad.p190: Line 7: latitude \\(columns 26-35\\) '536010.00N' does not read.\n")
expect_match("empty log" "${err}" "nofix.nmea: Input file empty.\n")
if(EXISTS "${WORK_DIR}/out/bad.rtz" OR EXISTS "${WORK_DIR}/out/bad-1.rtz" OR
   EXISTS "${WORK_DIR}/out/nofix.rtz" OR NOT EXISTS "${WORK_DIR}/out/ship.rtz")
  message(FATAL_ERROR "outputs of the navigation batch are wrong")
endif()
expect_golden("RTZ of the batch" "${WORK_DIR}/out/ship.rtz" ship_1m.rtz)

# 6. The cap is for the batch formats; the survey run refuses it.
execute_process(
  COMMAND "${ORU_CLI}" --input-format xy --max-waypoints 5
          "${SOURCE_DIR}/data/samples/survey_line_xy.txt" "${WORK_DIR}/xy.txt"
  RESULT_VARIABLE code)
expect_equal("exit code of a cap on a survey run" "${code}" "2")

# 7. A GIS line as an RTZ route.
file(WRITE "${WORK_DIR}/line.geojson" "{\"type\": \"FeatureCollection\", \"features\": [{\"type\": \"Feature\", \"properties\": {}, \"geometry\": {\"type\": \"LineString\", \"coordinates\": [[4.0, 54.0], [4.001, 54.001], [4.01, 54.0]]}}]}")
execute_process(COMMAND "${ORU_CLI}" --points 3 "${WORK_DIR}/line.geojson" "${WORK_DIR}/line.rtz"
  RESULT_VARIABLE code)
expect_equal("exit code of a GIS line to RTZ" "${code}" "0")
file(STRINGS "${WORK_DIR}/line.rtz" waypoints REGEX "<waypoint ")
list(LENGTH waypoints count)
expect_equal("waypoints of the GIS route" "${count}" "3")
expect_valid_rtz("${WORK_DIR}/line.rtz")

# 8. Line names that XML cannot hold as they are (a Latin-1 byte, a control
# character, markup, a CDATA end, a reference to NUL): every XML output is
# well-formed, written by hand (RTZ, GPX routes) or by GDAL (KML, and GPX
# and KML again from a GeoPackage of the lines), and the JSON report too.
foreach(output odd.rtz odd.gpx odd.kml odd.gpkg)
  execute_process(COMMAND "${ORU_CLI}" --points 3 --json "${nav}/odd_names.p190" "${WORK_DIR}/${output}"
    RESULT_VARIABLE code OUTPUT_VARIABLE json ERROR_VARIABLE err)
  expect_equal("exit code of odd names into ${output}: ${err}" "${code}" "0")
  # The first line is a JSON object (string(JSON) stops the script on any
  # other text); its track is the Latin-1 name in UTF-8, ü two bytes.
  string(REGEX MATCH "^[^\n]*" first "${json}")
  string(JSON track GET "${first}" track)
  expect_match("the first line's track" "${track}" "^line 'S..d.<&>\"'', centre of source")
endforeach()
foreach(output odd-copy.gpx odd-copy.kml)
  execute_process(COMMAND "${ORU_CLI}" --points 3 "${WORK_DIR}/odd.gpkg" "${WORK_DIR}/${output}"
    RESULT_VARIABLE code ERROR_VARIABLE err)
  expect_equal("exit code of the odd names' GeoPackage into ${output}: ${err}" "${code}" "0")
endforeach()
foreach(xml odd-1.rtz odd-2.rtz odd.gpx odd.kml odd-copy.gpx odd-copy.kml)
  expect_well_formed("${WORK_DIR}/${xml}")
endforeach()
file(READ "${WORK_DIR}/odd.kml" kml)
expect_match("a Latin-1 name in UTF-8, the control character a blank" "${kml}" "line 'S..d <&>")

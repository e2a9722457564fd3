# Runs oru-cli on GIS files as a user does: many files at once, their
# results against one-at-a-time runs, failures, folders and formats.
# Called by CTest with ORU_CLI, SOURCE_DIR, WORK_DIR and XMLLINT (empty when
# the machine has none).
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/in/sub")

include("${CMAKE_CURRENT_LIST_DIR}/expect.cmake")

# Survey lines along meridians with a sway of a few metres, a turn and a
# second line; two features a file, one of them a MultiLineString.
function(write_lines path lon)
  set(coords "")
  foreach(i RANGE 0 19)
    math(EXPR sway "(${i} * 7) % 5")
    math(EXPR lat_milli "100 + ${i}")
    string(APPEND coords "[${lon}.0000${sway}, 52.${lat_milli}],")
  endforeach()
  string(APPEND coords "[${lon}.0010, 52.121]")
  file(WRITE "${path}" "{\"type\": \"FeatureCollection\", \"features\": [
{\"type\": \"Feature\", \"properties\": {\"name\": \"line ${lon}\", \"no\": 1},
 \"geometry\": {\"type\": \"LineString\", \"coordinates\": [${coords}]}},
{\"type\": \"Feature\", \"properties\": {\"name\": \"pair\", \"no\": 2},
 \"geometry\": {\"type\": \"MultiLineString\", \"coordinates\": [[${coords}], [[${lon}.1, 52.1], [${lon}.1, 52.2], [${lon}.2, 52.2]]]}},
{\"type\": \"Feature\", \"properties\": {\"name\": \"buoy\"}, \"geometry\": {\"type\": \"Point\", \"coordinates\": [${lon}.5, 52.5]}}
]}\n")
endfunction()
write_lines("${WORK_DIR}/in/a.geojson" 3)
write_lines("${WORK_DIR}/in/b.geojson" 4)
write_lines("${WORK_DIR}/in/sub/c.geojson" 5)
file(WRITE "${WORK_DIR}/in/bad.geojson" "{\"type\": \"FeatureCollection\", \"features\": [")

set(criterion --calculation planar --max-deviation 1)

# 1. Many files on two threads; the broken one fails alone.
execute_process(
  COMMAND "${ORU_CLI}" ${criterion} --jobs 2 --output-dir "${WORK_DIR}/out"
          "${WORK_DIR}/in/a.geojson" "${WORK_DIR}/in/bad.geojson" "${WORK_DIR}/in/b.geojson"
  RESULT_VARIABLE code OUTPUT_VARIABLE batch ERROR_VARIABLE err)
expect_equal("exit code with a failing file" "${code}" "1")
expect_match("failure summary" "${err}" "oru-cli: 1 of 3 files failed: [^\n]*bad.geojson\n")
expect_match("kept features" "${err}" "a.geojson: not thinned, kept as they are: 1 point")
expect_match("statistics block" "${batch}"
  "a.geojson, layer 'a', feature 2, part 2 'pair':\nThe maximum distance[^\n]*\nThe number of points has decreased with 0 % from 3 to 3\n")
expect_match("total" "${batch}" "Total of 6 tracks in 2 files:\n")
if(EXISTS "${WORK_DIR}/out/bad.geojson" OR NOT EXISTS "${WORK_DIR}/out/b.geojson")
  message(FATAL_ERROR "outputs of the batch are wrong")
endif()

# 2. Each file alone on one thread gives the same file and the same figures.
foreach(name a b)
  execute_process(
    COMMAND "${ORU_CLI}" ${criterion} --jobs 1 "${WORK_DIR}/in/${name}.geojson"
            "${WORK_DIR}/${name}-alone.geojson"
    RESULT_VARIABLE code OUTPUT_VARIABLE alone)
  expect_equal("exit code of ${name} alone" "${code}" "0")
  file(READ "${WORK_DIR}/${name}-alone.geojson" one)
  file(READ "${WORK_DIR}/out/${name}.geojson" many)
  expect_equal("${name} thinned alone and among others" "${many}" "${one}")
  string(REGEX REPLACE "Total of.*" "" alone_blocks "${alone}")
  string(FIND "${batch}" "${alone_blocks}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "statistics of ${name} alone not in the batch's:\n${alone_blocks}")
  endif()
endforeach()

# 3. A folder with --recursive, into GeoPackage files, as JSON lines.
execute_process(
  COMMAND "${ORU_CLI}" ${criterion} --json --recursive --output-format gpkg
          --output-dir "${WORK_DIR}/out2" "${WORK_DIR}/in"
  RESULT_VARIABLE code OUTPUT_VARIABLE json ERROR_VARIABLE err)
expect_equal("exit code of the folder run" "${code}" "1")  # bad.geojson
if(NOT EXISTS "${WORK_DIR}/out2/sub/c.gpkg")
  message(FATAL_ERROR "no out2/sub/c.gpkg")
endif()
expect_match("JSON line of a track" "${json}"
  "{\"file\": \"[^\"]*sub/c.geojson\", \"track\": \"layer 'c', feature 1 'line 5'\", \"method\": \"douglas-peucker\", \"max_deviation\": \"[0-9]+\"")
expect_match("JSON total" "${json}" "{\"file\": null, \"track\": null, \"files\": 3, \"tracks\": 9, \"failed\": \\[\"[^\"]*bad.geojson\"\\], ")

# 4. Usage: a folder without --recursive; the list of formats.
execute_process(COMMAND "${ORU_CLI}" --output-dir "${WORK_DIR}/out3" "${WORK_DIR}/in"
  RESULT_VARIABLE code ERROR_VARIABLE err)
expect_equal("exit code for a folder without --recursive" "${code}" "2")
execute_process(COMMAND "${ORU_CLI}" --list-formats RESULT_VARIABLE code OUTPUT_VARIABLE list)
expect_equal("exit code of --list-formats" "${code}" "0")
expect_match("formats" "${list}" "fgb +\\.fgb +FlatGeobuf\n")

# 5. The extension decides wherever it names a format, for survey text too.
set(samples "${SOURCE_DIR}/data/samples")
# Survey text into a .gpx file: GPX routes that read back.
execute_process(
  COMMAND "${ORU_CLI}" --max-deviation 5 "${samples}/survey_line_oru.txt" "${WORK_DIR}/line.gpx"
  RESULT_VARIABLE code OUTPUT_VARIABLE out)
expect_equal("exit code of survey text into GPX" "${code}" "0")
expect_well_formed("${WORK_DIR}/line.gpx")
string(REGEX MATCH "^The maximum distance[^\n]*\nThe number of points has decreased with [0-9]+ % from 1290 to ([0-9]+)\n" found "${out}")
set(kept "${CMAKE_MATCH_1}")
expect_match("survey statistics" "${kept}" "^[0-9]+$")
execute_process(COMMAND "${ORU_CLI}" --points 100000 "${WORK_DIR}/line.gpx" "${WORK_DIR}/back.gpkg"
  RESULT_VARIABLE code OUTPUT_VARIABLE out)
expect_equal("exit code of the route read back" "${code}" "0")
expect_match("route read back" "${out}"
  "layer 'routes', feature 1 'survey_line_oru':\n[^\n]*\nThe number of points has decreased with 0 % from ${kept} to ${kept}\n")
# The ship's log into survey text: oru/kvl by default, and with the formats named.
foreach(named "" "--output-format;oru" "--input-format;nmea;--output-format;oru")
  execute_process(COMMAND "${ORU_CLI}" --max-deviation 20 ${named} "${samples}/survey_run.nmea"
                          "${WORK_DIR}/log.txt" RESULT_VARIABLE code ERROR_VARIABLE err)
  expect_equal("exit code of the log into survey text (${named})" "${code}" "0")
  file(STRINGS "${WORK_DIR}/log.txt" first LIMIT_COUNT 1)
  expect_match("oru/kvl line (${named})" "${first}" "^[0-9 ][0-9]\\.[0-9]+N, +[0-9]+\\.[0-9]+E$")
endforeach()
# X, Y text into RTZ: refused without its CRS, nothing written; a route with it.
execute_process(
  COMMAND "${ORU_CLI}" --input-format xy --max-deviation 1 "${samples}/survey_line_xy.txt"
          "${WORK_DIR}/xy.rtz" RESULT_VARIABLE code ERROR_VARIABLE err)
expect_equal("exit code of X, Y into RTZ" "${code}" "2")
expect_match("why" "${err}" "^oru-cli: [^\n]*survey_line_xy.txt holds X, Y coordinates, and RTZ routes hold latitudes and longitudes: give --crs EPSG:N")
execute_process(
  COMMAND "${ORU_CLI}" --input-format xy --crs EPSG:25831 --max-deviation 1
          "${samples}/survey_line_xy.txt" "${WORK_DIR}/xy.rtz" RESULT_VARIABLE code)
expect_equal("exit code of X, Y into RTZ with --crs" "${code}" "0")
file(READ "${WORK_DIR}/xy.rtz" rtz)
expect_match("RTZ of X, Y" "${rtz}" "<position lat=\"53\\.99125925\" lon=\"3\\.99143903\"/>")
# A format named wins over the extension, as in GDAL.
file(WRITE "${WORK_DIR}/survey.csv" "0 0\n10 3\n20 0\n30 4\n")
execute_process(COMMAND "${ORU_CLI}" --input-format xy --output-format ascii --points 3
                        "${WORK_DIR}/survey.csv" "${WORK_DIR}/survey-out.gpx" RESULT_VARIABLE code)
expect_equal("exit code of survey text named into a .gpx name" "${code}" "0")
file(READ "${WORK_DIR}/survey-out.gpx" kept)
expect_equal("survey output" "${kept}" "      0.00       0.00\n     20.00       0.00\n     30.00       4.00\n")
# A run that fails prints no statistics of nothing.
execute_process(COMMAND "${ORU_CLI}" "${WORK_DIR}/in/bad.geojson" "${WORK_DIR}/bad-out.gpkg"
  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect_equal("exit code of a failed GIS run" "${code}" "1")
expect_equal("standard output of a failed run" "${out}" "")
expect_match("its error" "${err}" "^[^\n]*bad.geojson: could not be opened as GeoJSON")

# A file of no track is written too, its point as it is (once a crash).
file(WRITE "${WORK_DIR}/buoy.geojson" "{\"type\": \"FeatureCollection\", \"features\": [{\"type\": \"Feature\", \"properties\": {}, \"geometry\": {\"type\": \"Point\", \"coordinates\": [4, 52]}}]}")
execute_process(COMMAND "${ORU_CLI}" "${WORK_DIR}/buoy.geojson" "${WORK_DIR}/buoy.gpkg"
  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect_equal("exit code of a file of no track: ${err}" "${code}" "0")
expect_match("its total" "${out}" "^Total of 0 tracks in 1 file:")

# 6. Many tracks into survey text: refused for one file, a file a track in
# a folder.
execute_process(COMMAND "${ORU_CLI}" ${criterion} "${WORK_DIR}/in/a.geojson" "${WORK_DIR}/a.txt"
  RESULT_VARIABLE code ERROR_VARIABLE err)
expect_equal("exit code of many tracks into survey text" "${code}" "2")
expect_match("how many" "${err}" "a.geojson holds 3 tracks, and a survey text file holds one: --output-dir DIR writes")
execute_process(
  COMMAND "${ORU_CLI}" ${criterion} --output-format kel --output-dir "${WORK_DIR}/kel"
          "${WORK_DIR}/in/a.geojson" RESULT_VARIABLE code OUTPUT_VARIABLE out)
expect_equal("exit code of many tracks into a folder" "${code}" "0")
foreach(k 1 2 3)
  if(NOT EXISTS "${WORK_DIR}/kel/a-${k}.txt")
    message(FATAL_ERROR "no kel/a-${k}.txt")
  endif()
endforeach()
expect_match("a track's file" "${out}" "feature 2, part 2 'pair' \\([^)]*kel/a-3.txt\\):\n")

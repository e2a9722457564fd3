# Assertions of the end-to-end scripts: each stops the script with what was
# expected and what came.
function(expect_equal what actual expected)
  if(NOT actual STREQUAL expected)
    message(FATAL_ERROR "${what}:\n--- got\n${actual}\n--- expected\n${expected}")
  endif()
endfunction()
function(expect_match what text regex)
  if(NOT text MATCHES "${regex}")
    message(FATAL_ERROR "${what}: no match for ${regex} in\n${text}")
  endif()
endfunction()
# An XML output is well-formed (xmllint --noout), when the machine has
# xmllint (XMLLINT set).
function(expect_well_formed file)
  if(XMLLINT)
    execute_process(COMMAND "${XMLLINT}" --noout "${file}" RESULT_VARIABLE code ERROR_VARIABLE err)
    expect_equal("xmllint on ${file}: ${err}" "${code}" "0")
  endif()
endfunction()

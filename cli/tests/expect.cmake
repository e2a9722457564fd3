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

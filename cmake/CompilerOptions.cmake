# Flags shared by every target of the project.
#
# Figures must be reproducible to the last bit on every build: no fast-math,
# and no contraction of a*b+c into fused multiply-adds, which GCC does by
# default where the instruction set allows and which changes rounding.
add_compile_options(-Wall -Wextra -Wpedantic -ffp-contract=off -fno-fast-math)
if(ORU_WERROR)
  add_compile_options(-Werror)
endif()
if(ORU_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Registers a GoogleTest executable with CTest, with the environment its
# tests need. Each test case becomes a CTest entry; with ORU_TEST_SHARDS set,
# the executable instead runs as that many CTest entries, each a shard of its
# cases (GoogleTest's GTEST_TOTAL_SHARDS and GTEST_SHARD_INDEX). Under the
# sanitizers the start of a process (loading GDAL, registering the cases)
# costs more than most cases: a process per case once took that stage's
# tests from 85 s to 316 s.
#
# ORU_TEST_COMPILE_OPTIONS are added to the test executables' own sources
# only (the sanitizer stage of scripts/test.sh compiles them at -O0, which
# halves their compile time, while the libraries they exercise keep -O1).
set(ORU_TEST_COMPILE_OPTIONS "" CACHE STRING "Extra compile options of the test executables' sources")
function(oru_register_gtest name)
  cmake_parse_arguments(T "" "" "ENVIRONMENT" ${ARGN})
  target_compile_options(${name} PRIVATE ${ORU_TEST_COMPILE_OPTIONS})
  if(ORU_TEST_SHARDS)
    math(EXPR last "${ORU_TEST_SHARDS} - 1")
    foreach(shard RANGE ${last})
      add_test(NAME ${name}.shard${shard} COMMAND ${name})
      set_tests_properties(${name}.shard${shard} PROPERTIES ENVIRONMENT
        "GTEST_TOTAL_SHARDS=${ORU_TEST_SHARDS};GTEST_SHARD_INDEX=${shard};${T_ENVIRONMENT}")
    endforeach()
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "${T_ENVIRONMENT}")
  endif()
endfunction()

# Builds and registers the GoogleTest executable of one module.
function(oru_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  oru_register_gtest(${name} ENVIRONMENT "ORU_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

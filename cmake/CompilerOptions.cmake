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

# Registers a GoogleTest executable for one module: each test case becomes a
# CTest entry.
function(oru_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "ORU_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

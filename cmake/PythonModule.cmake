# Finds what the Python module needs: a Python 3 interpreter with its
# development files and NumPy, and pybind11. Sets ORU_PYTHON_FOUND, and then
# compiles every library as position-independent code, since the module
# links them into a shared object.
#
# Debian's own interpreter (/usr/bin/python3) is preferred to whatever comes
# first on PATH: the system's NumPy, GeoPandas and pytest are installed for
# it, and the installed module goes where it looks. -DPython3_EXECUTABLE=...
# names another.
set(ORU_PYTHON_FOUND OFF)
if(ORU_SANITIZE)
  # python3 does not load the sanitizers' runtime that the module would need.
  message(STATUS "Sanitizer build: the Python module oru is not built")
  return()
endif()
if(NOT Python3_EXECUTABLE AND EXISTS /usr/bin/python3)
  set(Python3_EXECUTABLE /usr/bin/python3)
endif()
find_package(Python3 3.9 QUIET COMPONENTS Interpreter Development.Module NumPy)
if(Python3_FOUND)
  find_package(pybind11 2.6 CONFIG QUIET)
endif()
if(NOT Python3_FOUND OR NOT pybind11_FOUND)
  message(STATUS "Python 3 with NumPy, or pybind11, not found: the Python module oru is not built")
  return()
endif()
message(STATUS "Python module oru for ${Python3_EXECUTABLE} (Python ${Python3_VERSION})")
set(ORU_PYTHON_FOUND ON)
math(EXPR ORU_PYTHON_NEXT_MINOR "${Python3_VERSION_MINOR} + 1")
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
# No symbol of the libraries is ever interposed (they are linked statically
# into the programs and the module), so calls within a library are inlined
# as they are without -fPIC.
add_compile_options(-fno-semantic-interposition)

# What the two consumer tests share: running a step, and configuring a
# project against the packages installed in PREFIX, each of which must be
# found there (not in this build tree or a package registry).
#
#   include(consumer_project.cmake)
#   run(WHAT COMMAND...)                 # fails with WHAT and the output; sets `out`
#   configure_consumer(WHAT PACKAGE...)  # SOURCE_DIR into WORK_DIR/build; WORK_DIR/run made empty
foreach(var PREFIX SOURCE_DIR WORK_DIR GENERATOR CXX_COMPILER LIBDIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

set(build "${WORK_DIR}/build")
set(scratch "${WORK_DIR}/run")

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

function(configure_consumer what)
  file(REMOVE_RECURSE "${WORK_DIR}")
  file(MAKE_DIRECTORY "${scratch}")
  set(make_program "")
  if(MAKE_PROGRAM)
    set(make_program "-DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM}")
  endif()
  run("configuring ${what}"
    "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${build}" -G "${GENERATOR}" ${make_program}
    -DCMAKE_BUILD_TYPE=Release
    "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}"
    "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
    "-DCMAKE_EXE_LINKER_FLAGS=${CXX_FLAGS}"
    "-DCMAKE_PREFIX_PATH=${PREFIX}"
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)
  foreach(package IN LISTS ARGN)
    file(STRINGS "${build}/CMakeCache.txt" found REGEX "^${package}_DIR:")
    string(REGEX REPLACE "^[^=]*=" "" found "${found}")
    file(REAL_PATH "${found}" found)
    file(REAL_PATH "${PREFIX}/${LIBDIR}/cmake/${package}" expected)
    if(NOT found STREQUAL expected)
      message(FATAL_ERROR "find_package(${package}) found ${found}, not the package in ${expected}")
    endif()
  endforeach()
endfunction()

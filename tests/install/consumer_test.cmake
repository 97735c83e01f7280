# Builds the consumer project against the FIXREC package installed in PREFIX
# and runs it.  The package must come from PREFIX (not from this build tree or
# a package registry), and FIXREC's headers must include only each other.
foreach(var PREFIX SOURCE_DIR WORK_DIR GENERATOR CXX_COMPILER LIBDIR INCLUDEDIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}")
  endif()
endfunction()

# What the package installs: the library, its package files, and the headers
# of include/fixrec, which include only each other (no header of the
# calculators, of their numerics or of swirl, which the swirl package
# installs beside them in folders of their own).
foreach(file
    ${LIBDIR}/libfixrec.a
    ${LIBDIR}/cmake/fixrec/fixrecConfig.cmake
    ${LIBDIR}/cmake/fixrec/fixrecConfigVersion.cmake
    ${LIBDIR}/cmake/fixrec/fixrecTargets.cmake
    ${INCLUDEDIR}/fixrec/fixrec.h)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(GLOB_RECURSE headers RELATIVE "${PREFIX}/${INCLUDEDIR}" "${PREFIX}/${INCLUDEDIR}/*")
foreach(header IN LISTS headers)
  if(NOT header MATCHES "^(fixrec|calculators|numerics|drain_funnel|separator|vortex_chamber|swirl/[a-z]+)/[a-z0-9_]+\\.h$")
    message(FATAL_ERROR "installed header outside the packages' folders: ${header}")
  endif()
  if(header MATCHES "^fixrec/")
    file(STRINGS "${PREFIX}/${INCLUDEDIR}/${header}" includes REGEX "^#include \"")
    foreach(line IN LISTS includes)
      if(NOT line MATCHES "^#include \"fixrec/")
        message(FATAL_ERROR "${header} includes a header outside FIXREC: ${line}")
      endif()
    endforeach()
  endif()
endforeach()

set(build "${WORK_DIR}/build")
set(scratch "${WORK_DIR}/run")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${scratch}")

set(make_program "")
if(MAKE_PROGRAM)
  set(make_program "-DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM}")
endif()
run("configuring the consumer"
  "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${build}" -G "${GENERATOR}" ${make_program}
  -DCMAKE_BUILD_TYPE=Release
  "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}"
  "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
  "-DCMAKE_EXE_LINKER_FLAGS=${CXX_FLAGS}"
  "-DCMAKE_PREFIX_PATH=${PREFIX}"
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)

file(STRINGS "${build}/CMakeCache.txt" found REGEX "^fixrec_DIR:")
string(REGEX REPLACE "^[^=]*=" "" found "${found}")
file(REAL_PATH "${found}" found)
file(REAL_PATH "${PREFIX}/${LIBDIR}/cmake/fixrec" expected)
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "find_package(fixrec) found ${found}, not the package in ${expected}")
endif()

run("building the consumer" "${CMAKE_COMMAND}" --build "${build}")

# One program links fixrec::fixrec, the other plain fixrec.
foreach(program consumer consumer_plain)
  run("running ${program}" "${build}/${program}" WORKING_DIRECTORY "${scratch}")
endforeach()

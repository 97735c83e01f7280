# Builds the library consumer against the swirl package installed in PREFIX,
# runs it with Q set on BILM's example, and compares the HO it prints with
# what the installed `swirl show` prints after `swirl set` of the same value
# on a copy of the installed example.
foreach(var PREFIX SOURCE_DIR WORK_DIR GENERATOR CXX_COMPILER LIBDIR DATADIR ASSIGNMENT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

set(build "${WORK_DIR}/build")
set(scratch "${WORK_DIR}/run")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${scratch}")

set(make_program "")
if(MAKE_PROGRAM)
  set(make_program "-DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM}")
endif()
run("configuring the library consumer"
  "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${build}" -G "${GENERATOR}" ${make_program}
  -DCMAKE_BUILD_TYPE=Release
  "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}"
  "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
  "-DCMAKE_EXE_LINKER_FLAGS=${CXX_FLAGS}"
  "-DCMAKE_PREFIX_PATH=${PREFIX}"
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)

# Both packages come from PREFIX, not from this build tree or a registry.
foreach(package swirl fixrec)
  file(STRINGS "${build}/CMakeCache.txt" found REGEX "^${package}_DIR:")
  string(REGEX REPLACE "^[^=]*=" "" found "${found}")
  file(REAL_PATH "${found}" found)
  file(REAL_PATH "${PREFIX}/${LIBDIR}/cmake/${package}" expected)
  if(NOT found STREQUAL expected)
    message(FATAL_ERROR "find_package(${package}) found ${found}, not the package in ${expected}")
  endif()
endforeach()

run("building the library consumer" "${CMAKE_COMMAND}" --build "${build}")
run("running the library consumer" "${build}/library_consumer" "${ASSIGNMENT}" WORKING_DIRECTORY "${scratch}")
string(STRIP "${out}" printed)

file(COPY "${PREFIX}/${DATADIR}/swirl-calculators/examples/BILM.DAT" DESTINATION "${scratch}")
run("swirl set" "${PREFIX}/bin/swirl" set BILM.DAT "${ASSIGNMENT}" WORKING_DIRECTORY "${scratch}")
run("swirl show" "${PREFIX}/bin/swirl" show BILM.DAT WORKING_DIRECTORY "${scratch}")
if(NOT out MATCHES "\nHO +([^ \n]+) ")
  message(FATAL_ERROR "swirl show prints no HO line:\n${out}")
endif()
set(shown "HO ${CMAKE_MATCH_1}")
if(NOT printed STREQUAL shown)
  message(FATAL_ERROR "the library consumer prints '${printed}', swirl show '${shown}'")
endif()
# And not the example's own HO: the value set took part in the computation.
if(printed STREQUAL "HO .34490E+00")
  message(FATAL_ERROR "the library consumer prints the example's HO: ${ASSIGNMENT} was not computed with")
endif()

# Builds the library consumer against the swirl package installed in PREFIX,
# runs it with Q set on BILM's example, and compares the HO it prints with
# what the installed `swirl show` prints after `swirl set` of the same value
# on a copy of the installed example.
foreach(var DATADIR ASSIGNMENT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/consumer_project.cmake)

# Both packages come from PREFIX.
configure_consumer("the library consumer" swirl fixrec)

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

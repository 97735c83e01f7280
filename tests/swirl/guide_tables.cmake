# Compares the tables of a program's guide with `swirl fields PROGRAM
# --markdown`: the text between the lines
#   <!-- begin: swirl fields PROGRAM --markdown -->
#   <!-- end: swirl fields -->
# must be exactly what the command prints.  With -DUPDATE=ON the guide gets
# the command's output instead.
#
#   cmake -DSWIRL=<swirl> -DPROGRAM=BILM -DGUIDE=docs/BILM.md [-DUPDATE=ON] -P guide_tables.cmake
foreach(var SWIRL PROGRAM GUIDE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "guide_tables.cmake needs -D${var}=...")
  endif()
endforeach()

execute_process(COMMAND ${SWIRL} fields ${PROGRAM} --markdown
                OUTPUT_VARIABLE tables RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "swirl fields ${PROGRAM} --markdown failed (exit ${rc})")
endif()

set(begin_marker "<!-- begin: swirl fields ${PROGRAM} --markdown -->\n")
set(end_marker "<!-- end: swirl fields -->")
file(READ ${GUIDE} guide)
string(FIND "${guide}" "${begin_marker}" begin)
string(FIND "${guide}" "${end_marker}" end)
if(begin EQUAL -1 OR end EQUAL -1 OR end LESS begin)
  message(FATAL_ERROR "${GUIDE}: no tables between the lines '${begin_marker}' and '${end_marker}'")
endif()
string(LENGTH "${begin_marker}" begin_length)
math(EXPR from "${begin} + ${begin_length}")
math(EXPR length "${end} - ${from}")
string(SUBSTRING "${guide}" ${from} ${length} stored)

if(stored STREQUAL tables)
  return()
endif()
if(UPDATE)
  string(SUBSTRING "${guide}" 0 ${from} head)
  string(SUBSTRING "${guide}" ${end} -1 tail)
  file(WRITE ${GUIDE} "${head}${tables}${tail}")
  message(STATUS "${GUIDE}: tables of ${PROGRAM} brought up to date")
  return()
endif()
message(FATAL_ERROR "${GUIDE}: the tables differ from `swirl fields ${PROGRAM} --markdown`.\n"
                    "The command prints:\n${tables}\nThe guide holds:\n${stored}\n"
                    "Bring the guide up to date with: cmake -DSWIRL=${SWIRL} -DPROGRAM=${PROGRAM} "
                    "-DGUIDE=${GUIDE} -DUPDATE=ON -P ${CMAKE_CURRENT_LIST_FILE}")

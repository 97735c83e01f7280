# Builds the consumer project against the FIXREC package installed in PREFIX
# and runs it.  The package must come from PREFIX (not from this build tree or
# a package registry), and FIXREC's headers must include only each other.
foreach(var INCLUDEDIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/consumer_project.cmake)

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

configure_consumer("the consumer" fixrec)

run("building the consumer" "${CMAKE_COMMAND}" --build "${build}")

# One program links fixrec::fixrec, the other plain fixrec.
foreach(program consumer consumer_plain)
  run("running ${program}" "${build}/${program}" WORKING_DIRECTORY "${scratch}")
endforeach()

# The library under swirl, installed as the CMake package `swirl` for the
# front ends built outside this tree (docs/LIBRARY.md, "Using the library in
# another project"):
#   find_package(swirl 1.0 REQUIRED)
#   target_link_libraries(app PRIVATE swirl::api)
# The static libraries go with their link interfaces (swirl::api brings the
# model, the core, the calculators and the three programs; swirl::study the
# sweeps and figures; swirl::design solve and optimize); the headers keep the paths the sources include them
# by ("swirl/api/values.h", "calculators/calculator.h", "drain_funnel/run.h").
# FIXREC stays its own package, which this one finds beside it.
include(CMakePackageConfigHelpers)
set(SWIRL_INSTALL_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/swirl")

set_target_properties(swirl_source_root PROPERTIES EXPORT_NAME headers)
foreach(part api model core study svg design)
  set_target_properties(swirl_${part} PROPERTIES EXPORT_NAME ${part})
endforeach()
install(TARGETS swirl_source_root numerics calculators drain_funnel separator vortex_chamber
                swirl_svg swirl_core swirl_model swirl_api swirl_study swirl_design
  EXPORT swirlTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})

# The headers of the sources' include root, folder by folder; a program's
# folder includes its own headers by their short names, which resolve beside
# the including header wherever it is installed.
foreach(folder swirl/api swirl/model swirl/core swirl/study swirl/svg swirl/design drain_funnel separator vortex_chamber)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${folder}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${folder}
    FILES_MATCHING PATTERN "*.h")
endforeach()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/calculators/include/calculators
                  ${PROJECT_SOURCE_DIR}/numerics/include/numerics
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")

install(EXPORT swirlTargets NAMESPACE swirl:: FILE swirlTargets.cmake
  DESTINATION ${SWIRL_INSTALL_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/swirlConfig.cmake.in
  ${PROJECT_BINARY_DIR}/swirlConfig.cmake
  INSTALL_DESTINATION ${SWIRL_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/swirlConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/swirlConfig.cmake ${PROJECT_BINARY_DIR}/swirlConfigVersion.cmake
  DESTINATION ${SWIRL_INSTALL_CMAKEDIR})

# The help pages beside the built programs, and the installable package.
#
# The companion looks for everything beside itself (zentu64.dll, help\,
# benchmarks\), so the package is one flat folder:
#
#   cmake --install build --prefix <folder>
#   cpack --config build/CPackConfig.cmake -G ZIP    # zentu64-<version>-win64.zip

set(ZENTU_HELP_PAGES
  ${CMAKE_SOURCE_DIR}/help/HELP_GENERAL.HTM
  ${CMAKE_SOURCE_DIR}/help/HELP_FPS.HTM
  ${CMAKE_SOURCE_DIR}/help/HELP_MOVIES.HTM
  ${CMAKE_SOURCE_DIR}/help/HELP_SCREENSHOTS.HTM
)

# help\ beside the programs in the build folder, so that ./run's Help
# buttons open the pages.
set(ZENTU_BUILT_HELP_PAGES "")
foreach(page ${ZENTU_HELP_PAGES})
  get_filename_component(name ${page} NAME)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/help/${name}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/help
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${page} ${CMAKE_BINARY_DIR}/help/${name}
    DEPENDS ${page}
    COMMENT "Help page ${name}")
  list(APPEND ZENTU_BUILT_HELP_PAGES ${CMAKE_BINARY_DIR}/help/${name})
endforeach()
add_custom_target(zentu64-help ALL DEPENDS ${ZENTU_BUILT_HELP_PAGES})
add_dependencies(zentu64 zentu64-help)

install(TARGETS zentu64 zentu64-probe zentu64-notify RUNTIME DESTINATION .)
install(FILES ${ZENTU_HELP_PAGES} DESTINATION help)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/README.txt DESTINATION .)

set(CPACK_PACKAGE_NAME zentu64)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zentu")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "64-bit companion of the Zentu frame-rate counter")
set(CPACK_SYSTEM_NAME win64)
set(CPACK_PACKAGE_FILE_NAME zentu64-${PROJECT_VERSION}-win64)
# The zip holds one folder named like the package, the programs directly in it.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_GENERATOR ZIP)
# The programs carry debug information in a RelWithDebInfo build.
set(CPACK_STRIP_FILES ON)
include(CPack)

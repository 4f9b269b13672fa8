# Installs the build into an empty folder, as a user would, and checks that it
# holds the programs, the help pages and the readme, but no hook library:
#   cmake -DBUILD=<build folder> -DPREFIX=<folder> -P install_fresh.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}" RESULT_VARIABLE result)
foreach(file zentu64.exe zentu64-probe.exe zentu64-notify.exe README.txt help/HELP_GENERAL.HTM help/HELP_FPS.HTM
        help/HELP_MOVIES.HTM help/HELP_SCREENSHOTS.HTM)
  if(NOT result EQUAL 0 OR NOT EXISTS "${PREFIX}/${file}" OR IS_DIRECTORY "${PREFIX}/${file}")
    message(FATAL_ERROR "cmake --install (${result}) left no ${file}")
  endif()
endforeach()
if(EXISTS "${PREFIX}/zentu64.dll")
  message(FATAL_ERROR "the hook library comes with the main tool, not with this package")
endif()

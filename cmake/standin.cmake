# The stand-in hook library "zentu64.dll" and its test variants. Each variant
# lands in a folder of its own under standin/ so a test can copy the one it
# needs beside zentu64.exe.
function(zentu_add_standin target folder)
  add_library(${target} SHARED standin/standin.cpp standin/frames.cpp standin/standin.h)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR} ${ZENTU_GENERATED_DIR})
  target_compile_definitions(${target} PRIVATE ${ARGN})
  target_link_libraries(${target} PRIVATE user32)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME zentu64
    PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standin/${folder}
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standin/${folder}
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standin/${folder}/lib)
endfunction()

zentu_add_standin(standin_library normal)
zentu_add_standin(standin_no_version no_version STANDIN_NO_VERSION)
math(EXPR ZENTU_OTHER_BUILD_NUMBER "${PROJECT_VERSION_TWEAK} - 1")
zentu_add_standin(standin_wrong_version wrong_version STANDIN_VERSION=${ZENTU_OTHER_BUILD_NUMBER})
zentu_add_standin(standin_no_hook_procs no_hook_procs STANDIN_NO_HOOK_PROCS)
zentu_add_standin(standin_no_setup no_setup STANDIN_NO_SETUP)

# ./run starts the companion from the build folder, beside the stand-in.
add_custom_command(TARGET standin_library POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:standin_library> ${CMAKE_BINARY_DIR}/zentu64.dll)

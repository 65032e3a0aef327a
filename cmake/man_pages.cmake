# ct_add_suite_files(): after every ct_add_tool, runs the build-time program
# suite_files (tools/suite), which checks the tools CMake builds against the
# suite's list and writes build/tools.json and build/man/man1/<tool>.1 from
# that list. Both are part of the `tools` target, so that `cmake --install`
# after building only the tools finds them. A cross build, whose programs
# cannot run here, has neither.
#
# Installed: tools.json into share/ct-teaching-tools/, every page gzip-compressed
# into share/man/man1/<tool>.1.gz, its paths of the documentation made those
# under the prefix it is installed into (cmake/install_man_pages.cmake).
function(ct_add_suite_files)
  if(CMAKE_CROSSCOMPILING OR NOT TARGET suite_files)
    return()
  endif()
  get_property(tools GLOBAL PROPERTY CT_TOOLS)
  set(outputs ${CMAKE_BINARY_DIR}/tools.json)
  foreach(tool IN LISTS tools)
    list(APPEND outputs ${CMAKE_BINARY_DIR}/man/man1/${tool}.1)
  endforeach()
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND suite_files ${CMAKE_BINARY_DIR} ${tools}
    DEPENDS suite_files
    COMMENT "tools.json and the man pages"
    VERBATIM)
  add_custom_target(suite_documents ALL DEPENDS ${outputs})
  add_dependencies(tools suite_documents)

  install(FILES ${CMAKE_BINARY_DIR}/tools.json DESTINATION ${CT_DATA_DIR})
  install(CODE "set(CT_MAN_SOURCE_DIR \"${CMAKE_BINARY_DIR}/man\")
set(CT_MAN_DIR \"${CMAKE_INSTALL_MANDIR}\")
set(CT_DOC_DIR \"${CT_DOC_DIR}\")
set(CT_DATA_DIR \"${CT_DATA_DIR}\")
include(\"${PROJECT_SOURCE_DIR}/cmake/install_man_pages.cmake\")")
endfunction()

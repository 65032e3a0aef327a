# ct_add_man_page(<tool>): <tool>.1 made at build time from the tool's own
# --help text, installed into share/man/man1. Not for a cross build, whose
# programs cannot run here.
function(ct_add_man_page name)
  if(CMAKE_CROSSCOMPILING)
    return()
  endif()
  set(page ${CMAKE_BINARY_DIR}/man/${name}.1)
  add_custom_command(
    OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${PROJECT_SOURCE_DIR}/cmake/help_to_man.sh $<TARGET_FILE:${name}> ${name} ${PROJECT_VERSION}
            ${PROJECT_SOURCE_DIR}/cmake/man_facts.txt ${page}
    DEPENDS ${name} ${PROJECT_SOURCE_DIR}/cmake/help_to_man.sh ${PROJECT_SOURCE_DIR}/cmake/man_facts.txt
    COMMENT "Man page ${name}.1"
    VERBATIM)
  add_custom_target(${name}_man_page ALL DEPENDS ${page})
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

# Run by `cmake --install` (and by cpack): every page under CT_MAN_SOURCE_DIR
# (build/man/<section folder>/<page>) into <prefix>/CT_MAN_DIR/<same folder>/<page>.gz,
# gzip -9n as Debian's policy asks (no name, no time stamp: the same bytes
# every time). The marks @CT_DOC_DIR@ and @CT_DATA_DIR@ become the folders of
# the documentation and the suite's data under the prefix installed into.
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
find_program(CT_GZIP gzip REQUIRED)
file(GLOB_RECURSE pages RELATIVE "${CT_MAN_SOURCE_DIR}" "${CT_MAN_SOURCE_DIR}/*")
if(NOT pages)
  message(FATAL_ERROR "No man pages in ${CT_MAN_SOURCE_DIR}: build the target tools first")
endif()
foreach(page IN LISTS pages)
  set(target "$ENV{DESTDIR}${prefix}/${CT_MAN_DIR}/${page}.gz")
  file(READ "${CT_MAN_SOURCE_DIR}/${page}" text)
  string(REPLACE [=[@CT_DOC_DIR@]=] "${prefix}/${CT_DOC_DIR}" text "${text}")
  string(REPLACE [=[@CT_DATA_DIR@]=] "${prefix}/${CT_DATA_DIR}" text "${text}")
  get_filename_component(folder "${target}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  set(plain "${target}.in")
  file(WRITE "${plain}" "${text}")
  execute_process(COMMAND "${CT_GZIP}" -9 -n -c "${plain}" OUTPUT_FILE "${target}" RESULT_VARIABLE status)
  file(REMOVE "${plain}")
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${page}")
  endif()
  message(STATUS "Installing: ${target}")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${target}")
endforeach()

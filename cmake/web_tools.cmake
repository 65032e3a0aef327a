# The WebAssembly build's tools: every tool's main is compiled under a name
# of its own (ct_main_<tool>) into an object library named after the tool,
# and web/CMakeLists.txt links them all into one module with a dispatcher
# on the program's name (build-web/ct_suite.js) and a node launcher for
# each (build-web/bin/<tool>).

# ct_add_web_tool(<name> SOURCES ... LIBS ...): called by ct_add_tool.
function(ct_add_web_tool name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} OBJECT ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} ct_common)
  target_compile_definitions(${name} PRIVATE main=ct_main_${name})
  add_dependencies(tools ${name})
  set_property(GLOBAL APPEND PROPERTY CT_WEB_TOOLS ${name})
  set_property(GLOBAL APPEND PROPERTY CT_WEB_TOOL_LIBS ${arg_LIBS})
endfunction()

# The browser lab, build-web/ct-lab.html: the page's sources (web/lab/)
# bundled by web/build_lab.mjs with the module ct_suite.js, the registry of
# the programs from the native build (build/tools.json) and the lessons
# (lessons/*.json); npm packages of web/ pinned in package-lock.json, installed by
# `scripts/setup web`. Included by web/CMakeLists.txt in the web build.
find_program(CT_NODE NAMES node nodejs REQUIRED)
set(CT_TOOLS_JSON ${PROJECT_SOURCE_DIR}/build/tools.json CACHE FILEPATH
    "The registry of the programs, written by the native build")
set(CT_NATIVE_BIN ${PROJECT_SOURCE_DIR}/build/bin CACHE PATH "The native build's tools, for the lab's tests")
set(ct_lab_page ${CMAKE_BINARY_DIR}/ct-lab.html)
# The module's target (its file is ct_suite.js); tools/suite's list library is ct_suite too.
if(TARGET ct_suite_module)
  set(ct_lab_module ct_suite_module)
else()
  set(ct_lab_module ct_suite)
endif()
file(GLOB_RECURSE ct_lab_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/lab/*)
file(GLOB ct_lab_lessons CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/lessons/*.json ${PROJECT_SOURCE_DIR}/examples/*.txt ${PROJECT_SOURCE_DIR}/examples/*.dcm)
add_custom_command(OUTPUT ${ct_lab_page}
  COMMAND ${CT_NODE} ${CMAKE_CURRENT_LIST_DIR}/build_lab.mjs --tools-json ${CT_TOOLS_JSON}
          --suite $<TARGET_FILE:${ct_lab_module}> --run-tool ${CMAKE_CURRENT_LIST_DIR}/run_tool.js --out ${ct_lab_page}
          --programs "$<JOIN:${ct_web_tools},$<COMMA>>"
  DEPENDS ${ct_lab_module} ${ct_lab_sources} ${ct_lab_lessons} ${CT_TOOLS_JSON}
          ${CMAKE_CURRENT_LIST_DIR}/build_lab.mjs ${CMAKE_CURRENT_LIST_DIR}/schema_check.mjs
          ${CMAKE_CURRENT_LIST_DIR}/run_tool.js ${CMAKE_CURRENT_LIST_DIR}/package-lock.json
  COMMENT "Bundling the browser lab ct-lab.html"
  VERBATIM)
add_custom_target(ct_lab ALL DEPENDS ${ct_lab_page})
add_dependencies(tools ct_lab)

set(ct_lab_tests ${CMAKE_CURRENT_LIST_DIR}/tests)
add_test(NAME Web.Lab.Units COMMAND ${CT_NODE} ${ct_lab_tests}/lab_units.test.mjs)
# The lab's scripts as prettier (pinned in package-lock.json) writes them
# (web/.prettierrc.json): `npx prettier --write` in web/ applies it.
add_test(NAME Web.Lab.Format
         COMMAND ${CT_NODE} ${CMAKE_CURRENT_LIST_DIR}/node_modules/prettier/bin/prettier.cjs --check
                 lab/**/*.js lab/*.css tests/*.mjs *.mjs *.js
         WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR})
# The lessons open; ct-chain is the example answer files and the README's
# table; each step's files are those its dialogue's events name.
add_test(NAME Web.Lab.Lessons COMMAND ${CT_NODE} ${ct_lab_tests}/lessons.test.mjs ${CT_TOOLS_JSON} ${CT_NATIVE_BIN})
# Courses (a ZIP of lessons and their files): read whole or refused.
add_test(NAME Web.Lab.Courses COMMAND ${CT_NODE} ${ct_lab_tests}/course.test.mjs ${CT_TOOLS_JSON})
# The lesson run without a page: knob changes, missing upstream steps,
# newer runs taking over, failures and cancels, with the native tools.
add_test(NAME Web.Lab.LessonRun COMMAND ${CT_NODE} ${ct_lab_tests}/lesson_run.test.mjs ${CT_TOOLS_JSON} ${CT_NATIVE_BIN})
add_test(NAME Web.Lab.Looking COMMAND ${CT_NODE} ${ct_lab_tests}/lab_looking.test.mjs)
add_test(NAME Web.Lab.KnownAnswersAgreeWithNative
         COMMAND ${CT_NODE} ${ct_lab_tests}/theory_agreement.test.mjs ${CT_NATIVE_BIN} ${PROJECT_SOURCE_DIR}/examples)
# The page in headless chromium: the whole guided lab, compared with the node
# launchers; the screenshots stay in build-web/lab-screenshots (a CI artefact).
add_test(NAME Web.Lab.Page
         COMMAND ${CT_NODE} ${ct_lab_tests}/lab_page.test.mjs ${ct_lab_page} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
                 ${PROJECT_SOURCE_DIR}/examples ${CMAKE_BINARY_DIR}/lab-screenshots ${CT_TOOLS_JSON})
set_tests_properties(Web.Lab.Page PROPERTIES TIMEOUT 3000 RUN_SERIAL TRUE)
# The Pictures view in Hounsfield units: greys, grey bar and statistics
# against DICOM's linear window; screenshots beside the page's own.
add_test(NAME Web.Lab.Hounsfield
         COMMAND ${CT_NODE} ${ct_lab_tests}/lab_hounsfield.test.mjs ${ct_lab_page} ${CMAKE_BINARY_DIR}/lab-screenshots)
set_tests_properties(Web.Lab.Hounsfield PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
# Two tabs of one chromium profile on the workspace: changes in step, the
# bin, slips that ask first, a full disk, interrupted runs, the keyboard.
add_test(NAME Web.Lab.Workspace COMMAND ${CT_NODE} ${ct_lab_tests}/lab_workspace.test.mjs ${ct_lab_page})
set_tests_properties(Web.Lab.Workspace PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
# Every lesson at one knob's end in the page, the same bytes as ctlesson's
# run of it with the node launchers.
add_test(NAME Web.Lab.KnobSample
         COMMAND ${CT_NODE} ${ct_lab_tests}/lab_knob_sample.test.mjs ${ct_lab_page} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
                 ${PROJECT_SOURCE_DIR})
set_tests_properties(Web.Lab.KnobSample PROPERTIES TIMEOUT 1500 RUN_SERIAL TRUE)
# The same page in Firefox ESR, at a phone's width.
add_test(NAME Web.Lab.Firefox
         COMMAND ${CT_NODE} ${ct_lab_tests}/lab_firefox.test.mjs ${ct_lab_page} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
                 ${PROJECT_SOURCE_DIR}/examples ${CMAKE_BINARY_DIR}/lab-screenshots ${CT_TOOLS_JSON})
set_tests_properties(Web.Lab.Firefox PROPERTIES TIMEOUT 3000 RUN_SERIAL TRUE)

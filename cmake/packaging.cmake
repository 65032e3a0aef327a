# What `cmake --install` puts where, and the Debian package that cpack makes
# of the same files:
#   bin/<tool>                                 every tool
#   share/man/man1/<tool>.1.gz                 a man page per tool, from the suite's list (cmake/man_pages.cmake)
#   share/ct-teaching-tools/tools.json         every program, its questions and files
#   share/doc/ct-teaching-tools/               README.md, examples/ (phantom file, answer files)
#   share/ct-teaching-tools/                   the demo script, its plotter and lesson reader, the lessons, and the browser
#                                              lab ct-lab.html when the web build has made it
#   lib/python3/dist-packages/                 the Python module cttools and ctlesson (python/CMakeLists.txt)
include(GNUInstallDirs)

set(CT_PACKAGE_NAME ct-teaching-tools)
set(CT_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CT_PACKAGE_NAME})
set(CT_DATA_DIR ${CMAKE_INSTALL_DATAROOTDIR}/${CT_PACKAGE_NAME})

install(FILES README.md DESTINATION ${CT_DOC_DIR})
install(DIRECTORY examples/ DESTINATION ${CT_DOC_DIR}/examples)
install(PROGRAMS scripts/demo scripts/plot_table scripts/lesson_plan scripts/course_unpack DESTINATION ${CT_DATA_DIR})
# The lesson reader the two scripts above import.
install(FILES python/ctlesson.py DESTINATION ${CT_DATA_DIR})
install(DIRECTORY lessons/ DESTINATION ${CT_DATA_DIR}/lessons)
set(CT_LAB_PAGE ${PROJECT_SOURCE_DIR}/build-web/ct-lab.html CACHE FILEPATH "The browser lab page (scripts/build web)")
install(FILES ${CT_LAB_PAGE} DESTINATION ${CT_DATA_DIR} OPTIONAL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${CT_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "CT teaching tools developers <ct-teaching-tools@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "console tools for learning X-ray CT image processing")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Small console tools that walk the X-ray computed tomography chain step by step.
They draw test objects, project them into sinograms, add photon and Gaussian
noise, reconstruct by filtered back projection, smooth with classic filters,
and measure image quality (LSF, MTF, noise power spectra). Every tool asks its
parameters in a dialogue (Japanese, Shift_JIS or UTF-8) that can be answered
from a file, and the tools chain through raw float files and text tables.
A demo in /usr/share/ct-teaching-tools runs the whole chain.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Depends from the shared libraries the programs really link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The demo reads its lesson with python3 (checked against its schema with
# python3-jsonschema), draws its plots with gnuplot and
# reads its logs with iconv (libc-bin); the Python module works on numpy arrays.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gnuplot-nox, python3, python3-numpy, python3-jsonschema")
set(CPACK_STRIP_FILES ON)
include(CPack)

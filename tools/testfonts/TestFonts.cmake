# The fontconfig configuration the tests run with: only the font folders of the font packages
# in scripts/packages.txt, the usual family aliases, and a cache folder in the build tree. A
# machine with more fonts installed would otherwise hand the tests other families and widths.
# The programs themselves keep the system's configuration; the tests' environment names this
# one, and the programs a test starts inherit it.
#
# Sets SI_TEST_ENVIRONMENT, the environment every test gets.

set(_packages ${PROJECT_SOURCE_DIR}/scripts/packages.txt)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_packages})
file(STRINGS ${_packages} _fontPackages REGEX "^[ \t]*fonts-")

set(_fontDirs "")
foreach(_package IN LISTS _fontPackages)
    string(STRIP "${_package}" _package)
    execute_process(COMMAND dpkg-query -L ${_package} OUTPUT_VARIABLE _files
                    RESULT_VARIABLE _status ERROR_QUIET)
    if(NOT _status EQUAL 0)
        message(WARNING "${_package} is not installed (scripts/setup.sh installs it): "
                        "tests that print will miss its fonts")
        continue()
    endif()
    string(REGEX MATCHALL "[^\n]+\\.([tT][tT][fFcC]|[oO][tT][fF]|[pP][fF][bB])" _fontFiles "${_files}")
    foreach(_file IN LISTS _fontFiles)
        get_filename_component(_dir ${_file} DIRECTORY)
        list(APPEND _fontDirs ${_dir})
    endforeach()
endforeach()
list(REMOVE_DUPLICATES _fontDirs)
list(SORT _fontDirs)

set(SI_TEST_FONT_DIRS ${_fontDirs})
set(SI_TEST_FONTS_DIR_LINES "")
foreach(_dir IN LISTS _fontDirs)
    string(APPEND SI_TEST_FONTS_DIR_LINES "  <dir>${_dir}</dir>\n")
endforeach()
set(SI_TEST_FONTS_CACHE ${CMAKE_BINARY_DIR}/testfonts/cache)
set(SI_TEST_FONTCONFIG_FILE ${CMAKE_BINARY_DIR}/testfonts/fonts.conf)
# Written only when it changes, so a new configure run does not empty the cache.
configure_file(${CMAKE_CURRENT_LIST_DIR}/fonts.conf.in ${SI_TEST_FONTCONFIG_FILE} @ONLY)

set(SI_TEST_ENVIRONMENT "FONTCONFIG_FILE=${SI_TEST_FONTCONFIG_FILE}")

# The configuration itself: fontconfig sees exactly those folders, and the families the
# programs ask for resolve within them.
string(REPLACE ";" "|" _dirsArg "${_fontDirs}")
add_test(NAME TestFonts.OnlyTheProjectPackagesFontsAreSeen
         COMMAND ${CMAKE_COMMAND} "-DFONT_DIRS=${_dirsArg}"
                 -P ${CMAKE_CURRENT_LIST_DIR}/CheckTestFonts.cmake)
set_tests_properties(TestFonts.OnlyTheProjectPackagesFontsAreSeen
                     PROPERTIES ENVIRONMENT "${SI_TEST_ENVIRONMENT}")

# The kiosk's own controls: the coloured button, the tile chooser and the on-screen keyboard.
# Their logic is plain C++; the forms are thin Qt Widgets views over it.
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets)
add_library(si_selfservice_qt STATIC
    ${CMAKE_CURRENT_LIST_DIR}/K_ColBtnLogic.cpp
    ${CMAKE_CURRENT_LIST_DIR}/K_ColBtn.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fVyberBTNLogic.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fVyberBTN.cpp
    ${CMAKE_CURRENT_LIST_DIR}/KlavesniceLogic.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fKlavesnice.cpp)
set_target_properties(si_selfservice_qt PROPERTIES AUTOMOC ON)
target_include_directories(si_selfservice_qt PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(si_selfservice_qt PUBLIC si_common Qt6::Core Qt6::Gui Qt6::Widgets)

# Their tests live in a folder of their own, so that a glob of tests/*.cpp for the kiosk's
# data model does not pick them up.
find_package(Qt6 REQUIRED COMPONENTS Test)
file(GLOB SI_SELFSERVICE_QT_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/tests/controls/*.cpp)
add_executable(selfservice_qt_tests ${SI_SELFSERVICE_QT_TESTS})
target_link_libraries(selfservice_qt_tests PRIVATE si_selfservice_qt Qt6::Test GTest::gtest
                                                   GTest::gmock)
configure_file(${CMAKE_CURRENT_LIST_DIR}/tests/controls/fonts.conf.in
               ${CMAKE_CURRENT_BINARY_DIR}/controls-fonts.conf @ONLY)
target_compile_definitions(selfservice_qt_tests PRIVATE
    SELFSERVICE_ARTEFACT_DIR="${CMAKE_CURRENT_BINARY_DIR}/artefacts"
    SELFSERVICE_FONTCONFIG="${CMAKE_CURRENT_BINARY_DIR}/controls-fonts.conf")
gtest_discover_tests(selfservice_qt_tests WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
                     DISCOVERY_TIMEOUT 60
                     PROPERTIES TIMEOUT 120 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")

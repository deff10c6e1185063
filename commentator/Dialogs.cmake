# The commentator's settings dialogs and its printing (Qt) on top of si_commentator.
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets PrintSupport)
add_library(si_commentator_dialogs STATIC
    ${CMAKE_CURRENT_SOURCE_DIR}/fMNastav.cpp ${CMAKE_CURRENT_SOURCE_DIR}/fRavlin.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/fDefTiskKom.cpp ${CMAKE_CURRENT_SOURCE_DIR}/fDefTabule.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/KomentTisk.cpp)
target_include_directories(si_commentator_dialogs PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(si_commentator_dialogs PUBLIC si_commentator si_print si_common_qt
                                                    Qt6::Widgets Qt6::PrintSupport)

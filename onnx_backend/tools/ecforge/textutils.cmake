# Text and error utilities of the EC assembler: string helpers, fatal reports, input errors, text parser.

add_library(fatal_report STATIC ${CMAKE_CURRENT_LIST_DIR}/fatal_report.cpp)
target_include_directories(fatal_report PUBLIC ${CMAKE_CURRENT_LIST_DIR})

add_library(strkit STATIC ${CMAKE_CURRENT_LIST_DIR}/strkit.cpp)
target_include_directories(strkit PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(strkit PUBLIC fatal_report)

add_library(error_core STATIC ${CMAKE_CURRENT_LIST_DIR}/error_core.cpp)
target_include_directories(error_core PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(error_core PUBLIC strkit fatal_report)

add_library(textscan STATIC ${CMAKE_CURRENT_LIST_DIR}/textscan.cpp)
target_include_directories(textscan PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(textscan PUBLIC error_core strkit fatal_report)

target_sources(ecforge PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ecforge_version.cpp)
target_link_libraries(ecforge PUBLIC textscan error_core strkit fatal_report)

if(TARGET ecforge_tests)
  target_sources(ecforge_tests PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/tests/test_strkit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/test_error_core.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/test_fatal_report.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/test_textscan.cpp)
endif()

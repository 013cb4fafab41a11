# EC instruction model, word encoding, assembly text, program container and binary image of the EC assembler.

target_sources(ecforge PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/instructions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/instruction_words.cpp
  ${CMAKE_CURRENT_LIST_DIR}/instruction_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/program.cpp
  ${CMAKE_CURRENT_LIST_DIR}/binary.cpp)
target_include_directories(ecforge PUBLIC ${PROJECT_SOURCE_DIR}/Npu/ll_zuno)

if(TARGET ecforge_tests)
  target_sources(ecforge_tests PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/tests/test_instructions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/test_words.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/test_asm_text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/test_program.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/test_binary.cpp)
endif()

# Unit drivers of ll_zuno (processing units, Epoch Controller and DMA, decompression unit), the
# encryption set-up module ll_zuno_crypt, and their tests.
if(NOT CMAKE_CROSSCOMPILING)
  set(_zuno_units_dir ${CMAKE_CURRENT_LIST_DIR})

  if(TARGET ll_zuno)
    target_sources(ll_zuno PRIVATE
      ${_zuno_units_dir}/ll_zuno_convacc.c
      ${_zuno_units_dir}/ll_zuno_activacc.c
      ${_zuno_units_dir}/ll_zuno_arithacc.c
      ${_zuno_units_dir}/ll_zuno_poolacc.c
      ${_zuno_units_dir}/ll_zuno_epochctrl.c
      ${_zuno_units_dir}/ll_zuno_decun.c)

    # Encryption set-up of stream engines, bus interfaces and the Epoch Controller.
    add_library(ll_zuno_crypt STATIC ${_zuno_units_dir}/ll_zuno_crypt.c)
    target_include_directories(ll_zuno_crypt PUBLIC ${_zuno_units_dir})
    target_link_libraries(ll_zuno_crypt PUBLIC ll_zuno)
  endif()

  if(TARGET ll_zuno_tests)
    target_sources(ll_zuno_tests PRIVATE
      ${_zuno_units_dir}/tests/test_convacc.cpp
      ${_zuno_units_dir}/tests/test_activacc.cpp
      ${_zuno_units_dir}/tests/test_arithacc.cpp
      ${_zuno_units_dir}/tests/test_poolacc.cpp
      ${_zuno_units_dir}/tests/test_epochctrl.cpp
      ${_zuno_units_dir}/tests/test_decun.cpp
      ${_zuno_units_dir}/tests/test_crypt.cpp)
    target_link_libraries(ll_zuno_tests PRIVATE ll_zuno_crypt)
  endif()
endif()

# Tests of the example networks: generator, regeneration, recorded headers and listings against the
# golden files, compilation of the headers as C11 and C++17 with the loader, and the blob summary.
set(_net_tests_dir ${CMAKE_CURRENT_LIST_DIR})
set(_net_scratch ${CMAKE_CURRENT_BINARY_DIR}/test_runs)

add_test(NAME netgen_tests
         COMMAND ${Python3_EXECUTABLE} -m unittest tests/test_netgen.py
         WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
set_tests_properties(netgen_tests PROPERTIES ENVIRONMENT PYTHONDONTWRITEBYTECODE=1)

set(face_detection_KINDS 1=none,3=none,64=none,69=none,74=none,80=none,83=none,86=none)
set(keyword_spotting_KINDS 1=inference,3=both,6=network,10=none,12=inference)

foreach(net IN LISTS ZUNO_EXAMPLE_NETWORKS)
  add_test(NAME ${net}_regenerate
           COMMAND ${CMAKE_COMMAND} -DPYTHON=${Python3_EXECUTABLE}
                   -DGENERATOR=${CMAKE_CURRENT_SOURCE_DIR}/gen_network.py -DNETWORK=${net}
                   -DSOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR} -DWORK_DIR=${_net_scratch}/${net}_regenerated
                   -P ${_net_tests_dir}/check_regeneration.cmake)
  set_tests_properties(${net}_regenerate PROPERTIES ENVIRONMENT PYTHONDONTWRITEBYTECODE=1)

  set(expect_static 1)
  if(ZUNO_SANITIZE)
    set(expect_static 0)
  endif()
  add_test(NAME ${net}_run_twice
           COMMAND ${CMAKE_COMMAND} -DRUNNER=$<TARGET_FILE:${net}> -DNETWORK=${net} "-DBLOBS=${${net}_BLOBS}"
                   -DGOLDEN_DIR=${_net_tests_dir}/golden/${net} -DWORK_DIR=${_net_scratch}/${net}_run
                   -DEXPECT_STATIC=${expect_static} -P ${_net_tests_dir}/run_network.cmake)

  add_test(NAME ${net}_header_shape
           COMMAND ${Python3_EXECUTABLE} ${_net_tests_dir}/check_blob_header.py ${ZUNO_NETWORK_RUN_DIR}/${net}
                   ${net} --kinds ${${net}_KINDS})
  set_tests_properties(${net}_header_shape PROPERTIES ENVIRONMENT PYTHONDONTWRITEBYTECODE=1)

  foreach(lang c cxx)
    set(check ${net}_header_${lang})
    if(lang STREQUAL "c")
      add_executable(${check} ${_net_tests_dir}/${net}_header_check.c)
    else()
      add_executable(${check} ${_net_tests_dir}/${net}_header_check.cpp)
    endif()
    target_include_directories(${check} PRIVATE ${_net_tests_dir})
    target_link_libraries(${check} PRIVATE ${net}_ecblobs_headers blob_loader standin_cache_maintenance)
    add_test(NAME ${check} COMMAND ${check})
  endforeach()
endforeach()

add_test(NAME ec_blob_summary
         COMMAND ${CMAKE_COMMAND} -DPYTHON=${Python3_EXECUTABLE}
                 -DSUMMARY=${PROJECT_SOURCE_DIR}/scripts/ec_blob_summary.py -DGOLDEN_DIR=${_net_tests_dir}/golden
                 -P ${_net_tests_dir}/check_summary.cmake)
set_tests_properties(ec_blob_summary PROPERTIES ENVIRONMENT PYTHONDONTWRITEBYTECODE=1)

# A small synthetic network generated at build time: every processing unit, coefficient vectors
# beyond the 384 translated slots, function tables, codebooks, and all three kinds of pool.
zuno_add_generated_network(synthetic_smoke ARGS --blobs 3 --epochs-per-blob 7 --channels 400 --size 8)
add_test(NAME synthetic_smoke_header_shape
         COMMAND ${Python3_EXECUTABLE} ${_net_tests_dir}/check_blob_header.py ${ZUNO_NETWORK_RUN_DIR}/synthetic_smoke
                 synthetic_smoke --kinds 1=both,9=both,17=both)
set_tests_properties(synthetic_smoke_header_shape PROPERTIES ENVIRONMENT PYTHONDONTWRITEBYTECODE=1)

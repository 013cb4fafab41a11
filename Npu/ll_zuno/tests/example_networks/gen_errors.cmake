# Runs reloc_expect_gen on broken inputs: each fails with exit status 1 and exactly its message, and
# leaves neither the output header nor a scratch image behind.
#   cmake -DGEN=<generator> -DSAMPLE=<tiny_ecblobs.h> -DWORK_DIR=<scratch directory> -P gen_errors.cmake
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(out ${WORK_DIR}/out_reloc_expect.h)

file(READ ${SAMPLE} sample)
file(WRITE ${WORK_DIR}/empty.h "")
# One value line indented by one space instead of two: the values read, the text is not ecforge's.
string(REPLACE "\n  0x0000001" "\n 0x0000001" respaced "${sample}")
file(WRITE ${WORK_DIR}/respaced.h "${respaced}")
string(FIND "${sample}" "};" close_at)
string(SUBSTRING "${sample}" 0 ${close_at} unclosed)
file(WRITE ${WORK_DIR}/unclosed.h "${unclosed}")
file(WRITE ${WORK_DIR}/valueless.h "static const uint64_t _blob9 [] =\n{\n};\n")
file(WRITE ${WORK_DIR}/foreign.h "static const uint64_t _blob9 [] =\n{\n  0x0000000112345678UL\n};\n")

set(cases
  "${SAMPLE}|Relocation symbol 'pool_act' of _blob0 has no pool with a base symbol"
  "${WORK_DIR}/empty.h|No blob array in '${WORK_DIR}/empty.h'"
  "${WORK_DIR}/absent.h|Cannot open file '${WORK_DIR}/absent.h'"
  "${WORK_DIR}/respaced.h|Array '_blob0_reloc' is not the image ecforge writes for the binary it holds"
  "${WORK_DIR}/unclosed.h|Array '_blob0_reloc' of '${WORK_DIR}/unclosed.h' is not closed before the end of the file"
  "${WORK_DIR}/valueless.h|Array '_blob9' of '${WORK_DIR}/valueless.h' holds no value (line 3)"
  "${WORK_DIR}/foreign.h|Array '_blob9' starts with 0x12345678, neither an EC file nor a program")

set(failures 0)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 input)
  list(GET parts 1 expected)
  execute_process(COMMAND ${GEN} ${input} net ${out} RESULT_VARIABLE status ERROR_VARIABLE error OUTPUT_VARIABLE output)
  if(NOT status EQUAL 1 OR NOT error STREQUAL "${expected}\n" OR NOT output STREQUAL "")
    message(SEND_ERROR "${input}: exit status ${status}, error '${error}', expected 1 and '${expected}'")
    math(EXPR failures "${failures} + 1")
  endif()
  if(EXISTS ${out} OR EXISTS ${out}.image.tmp)
    message(SEND_ERROR "${input}: the failed run left ${out} or its scratch image")
    file(REMOVE ${out} ${out}.image.tmp)
  endif()
endforeach()

execute_process(COMMAND ${GEN} ${SAMPLE} RESULT_VARIABLE status ERROR_VARIABLE error)
if(NOT status EQUAL 2 OR NOT error MATCHES "^usage: .* <blob header> <network name> <output header>\n$")
  message(SEND_ERROR "wrong usage: exit status ${status}, error '${error}'")
endif()

# Runs quen in an empty folder, with DATA copied in as quendata.txt when given,
# and a results file left there by an earlier run. Compares the exit status and
# the whole of standard output and standard error byte for byte, and checks
# that a refused run leaves the earlier results file exactly as it was.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
if(DATA)
  configure_file("${DATA}" "${WORK_DIR}/quendata.txt" COPYONLY)
endif()
set(earlier "results of an earlier run\n")
file(WRITE "${WORK_DIR}/quenresults.txt" "${earlier}")

execute_process(COMMAND "${QUEN}" ${ARGS} WORKING_DIRECTORY "${WORK_DIR}"
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)

if(NOT status STREQUAL EXPECT_STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${EXPECT_STATUS}\nstdout: ${out}\nstderr: ${err}")
endif()
function(expect_stream name got expected_file)
  if(expected_file)
    file(READ "${expected_file}" expected)
    if(NOT got STREQUAL expected)
      message(FATAL_ERROR "${name} differs\n--- got ---\n[${got}]\n--- expected ---\n[${expected}]")
    endif()
  endif()
endfunction()
expect_stream(stdout "${out}" "${EXPECT_STDOUT}")
expect_stream(stderr "${err}" "${EXPECT_STDERR}")
if(NOT status EQUAL 0)
  file(READ "${WORK_DIR}/quenresults.txt" after)
  if(NOT after STREQUAL earlier)
    message(FATAL_ERROR "a refused run changed quenresults.txt")
  endif()
endif()

# Runs a fuzzer for a bounded number of inputs (and at most a minute), starting from its seeds.
# -DFUZZER=<executable> -DSEEDS=<seed directory> -DDICT=<dictionary> -DWORK=<scratch directory>
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
execute_process(
  COMMAND ${FUZZER} -runs=100000 -max_total_time=60 -max_len=600 -dict=${DICT} -artifact_prefix=${WORK}/artifacts/
          ${WORK}/corpus ${SEEDS}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${result}); the input that failed is in ${WORK}/artifacts")
endif()

# Runs one fuzz target on a fresh copy of its seeds and prints its closing figures; on a
# failure, the end of its report. Variables: FUZZER, SEEDS, WORK, OPTIONS.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/corpus" "${WORK}/artifacts")
file(COPY "${SEEDS}/" DESTINATION "${WORK}/corpus")
execute_process(
  COMMAND "${FUZZER}" ${OPTIONS} "-artifact_prefix=${WORK}/artifacts/" "${WORK}/corpus"
  OUTPUT_FILE "${WORK}/log" ERROR_FILE "${WORK}/log"
  RESULT_VARIABLE status)
file(STRINGS "${WORK}/log" figures REGEX "^(Done [0-9]+ runs|stat::)")
list(JOIN figures "\n" figures)
message("${figures}")
if(NOT status EQUAL 0)
  # The report is at the end, after one line for each input that found something new.
  file(SIZE "${WORK}/log" size)
  set(offset 0)
  if(size GREATER 20000)
    math(EXPR offset "${size} - 20000")
  endif()
  file(READ "${WORK}/log" report OFFSET ${offset})
  message(NOTICE "${report}")
  file(GLOB found "${WORK}/artifacts/*")
  message(FATAL_ERROR "${FUZZER} failed (${status}); inputs kept: ${found}")
endif()

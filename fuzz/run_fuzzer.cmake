# Runs one fuzz target (FUZZER) for SECONDS on CORPUS and reports what it reached: its executions per
# second and the edges it covered, on the console and in SUMMARY, so that a run that reaches
# little is visible.
execute_process(COMMAND ${FUZZER} -max_total_time=${SECONDS} -rss_limit_mb=2048
                        -print_final_stats=1 ${CORPUS} RESULT_VARIABLE result OUTPUT_VARIABLE out
                ERROR_VARIABLE out)
string(REGEX MATCHALL "cov: [0-9]+" coverage "${out}")
list(POP_BACK coverage edges)
string(REGEX MATCH "stat::average_exec_per_sec: *[0-9]+" speed "${out}")
string(REGEX MATCH "[0-9]+$" speed "${speed}")
string(REGEX MATCH "stat::number_of_executed_units: *[0-9]+" runs "${out}")
string(REGEX MATCH "[0-9]+$" runs "${runs}")
string(REPLACE "cov: " "" edges "${edges}")
get_filename_component(name ${FUZZER} NAME)
set(line "${name}: ${runs} inputs, ${speed} exec/s, ${edges} edges")
message(STATUS "${line}")
file(WRITE ${SUMMARY} "${line}\n")
if(NOT result EQUAL 0)
  message("${out}")
  message(FATAL_ERROR "${name} failed (${result})")
endif()

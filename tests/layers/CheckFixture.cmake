# Runs the include-direction checker on a small tree with one upward and one sideways include and
# compares its report with the one expected, line for line, and its exit status with 1.
# usage: cmake -DCHECKER=<include_direction> -DFIXTURE=<tree> -P CheckFixture.cmake
execute_process(COMMAND ${CHECKER} ${FIXTURE} RESULT_VARIABLE status OUTPUT_VARIABLE report)
set(expected
"display/Frame.h:3: #include \"game/Board.h\" runs upward: display may not include game, a higher layer
sound/Wave.h:3: #include \"display/Frame.h\" runs sideways: sound and display are siblings
4 files checked, 2 includes against the layer order
")
if(NOT report STREQUAL expected)
  message(FATAL_ERROR "the checker reported:\n${report}\ninstead of:\n${expected}")
endif()
if(NOT status EQUAL 1)
  message(FATAL_ERROR "the checker exited with ${status} instead of 1 on a tree that breaks the order")
endif()

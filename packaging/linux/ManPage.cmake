# Writes a program's manual page as the program prints it with --manual: the page and --help are made
# from the same manual in the program's source, so neither falls behind the program.
#   cmake -DPROGRAM=path -DOUTPUT=page.1 -P ManPage.cmake
execute_process(COMMAND ${PROGRAM} --manual OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --manual failed: ${status}")
endif()

# Writes the manual page a program prints for --help-man: cmake -DPROGRAM=... -DOUTPUT=... -P
# The program runs at build time; a sanitizer build must not fail the page on a leak report.
set(ENV{ASAN_OPTIONS} "detect_leaks=0")
execute_process(COMMAND "${PROGRAM}" --help-man
    OUTPUT_FILE "${OUTPUT}.part"
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    file(REMOVE "${OUTPUT}.part")
    message(FATAL_ERROR "${PROGRAM} --help-man failed: ${status}")
endif()
file(RENAME "${OUTPUT}.part" "${OUTPUT}")

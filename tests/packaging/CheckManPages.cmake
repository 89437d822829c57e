# Every manual page in PAGES must be there and format without a single groff warning.
file(GLOB pages "${PAGES}/*.1")
list(LENGTH pages count)
if(count EQUAL 0)
    message(FATAL_ERROR "no manual pages in ${PAGES}")
endif()
foreach(page ${pages})
    execute_process(COMMAND "${GROFF}" -man -ww -z "${page}"
        RESULT_VARIABLE status ERROR_VARIABLE warnings)
    if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
        message(FATAL_ERROR "${page}: ${warnings}")
    endif()
endforeach()
message(STATUS "${count} manual pages format cleanly")

# Runs chmcmd on a copy of the help sources (it writes beside the project file) and fails on any
# warning: a topic missing from the project or a link to a file that is not there.
# -DCHMCMD= -DSOURCE_DIR= -DWORK_DIR= -DOUTPUT=
file(REMOVE_RECURSE ${WORK_DIR})
file(GLOB sources ${SOURCE_DIR}/*.htm ${SOURCE_DIR}/*.css ${SOURCE_DIR}/*.hhp ${SOURCE_DIR}/*.hhc ${SOURCE_DIR}/*.hhk)
file(COPY ${sources} DESTINATION ${WORK_DIR})
execute_process(COMMAND ${CHMCMD} --html-scan Trovel.hhp
                WORKING_DIRECTORY ${WORK_DIR}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR output MATCHES "Warning|Error|rror:" OR NOT EXISTS ${WORK_DIR}/Trovel.chm)
  message(FATAL_ERROR "chmcmd failed (${result}):\n${output}")
endif()
file(COPY_FILE ${WORK_DIR}/Trovel.chm ${OUTPUT})

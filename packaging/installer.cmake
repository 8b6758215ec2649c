# Run by cpack after it made the zip (CPACK_POST_BUILD_SCRIPTS): the
# installer of the same files, Clepsydrium-<version>-<system>-setup.exe,
# beside the zip.
find_program(makensis makensis REQUIRED)
set(stage ${CPACK_TEMPORARY_DIRECTORY})
set(setup ${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}-setup.exe)
set(defines -DVERSION=${CPACK_PACKAGE_VERSION} -DSTAGE=${stage} -DOUTFILE=${setup}
            -DICON=${CPACK_CLEP_ICON} -DHOME_URL=${CPACK_PACKAGE_HOMEPAGE_URL})
if(CPACK_SYSTEM_NAME STREQUAL "win64")
  list(APPEND defines -DAMD64)
endif()
execute_process(COMMAND ${makensis} -V2 -INPUTCHARSET UTF8 ${defines} ${CPACK_CLEP_NSIS_SCRIPT}
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "makensis failed (${failed})")
endif()
message(STATUS "Installer ${setup} generated.")

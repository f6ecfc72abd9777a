# Runs lupdate over the sources the one way both uses need:
#   MODE=update  brings TS_FILE up to date with the texts of SOURCE_DIR;
#   MODE=check   does the same on a copy in WORK_DIR and fails when the copy
#                differs from TS_FILE (a text added or gone since) or when
#                any translation is unfinished.
# ORVEX_TEXT marks the texts of the code that needs no Qt; lupdate reads it as
# QT_TRANSLATE_NOOP. No line numbers, so moving code leaves the file alone.
set(options -tr-function-alias QT_TRANSLATE_NOOP+=ORVEX_TEXT -locations none -no-obsolete -no-ui-lines
            -source-language pl -target-language en -extensions cpp,h -silent)

if(MODE STREQUAL "update")
  execute_process(COMMAND ${LUPDATE} ${options} ${SOURCE_DIR} -ts ${TS_FILE} COMMAND_ERROR_IS_FATAL ANY)
  return()
endif()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(fresh ${WORK_DIR}/fresh.ts)
file(COPY_FILE ${TS_FILE} ${fresh})
execute_process(COMMAND ${LUPDATE} ${options} ${SOURCE_DIR} -ts ${fresh} COMMAND_ERROR_IS_FATAL ANY)
file(READ ${fresh} updated)
file(READ ${TS_FILE} committed)
string(REGEX MATCHALL "<source>[^<]*</source>[ \n]*<translation type=\"unfinished\"" unfinished "${updated}")
if(unfinished)
  list(JOIN unfinished "\n" unfinished)
  message(FATAL_ERROR "Texts without a translation in ${TS_FILE} (run the update_translations target and translate them):\n${unfinished}")
endif()
if(NOT updated STREQUAL committed)
  message(FATAL_ERROR "${TS_FILE} is not up to date with the sources: build the update_translations target and commit it")
endif()
message(STATUS "Every text of ${SOURCE_DIR} has its translation in ${TS_FILE}")

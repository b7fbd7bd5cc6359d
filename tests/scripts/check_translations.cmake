# Runs lupdate over the program's sources into a copy of a translation and fails when a
# text of the sources has no finished translation there, or a translation belongs to a
# text the sources no longer have: a new or changed text needs its translation in the
# same change.
#   cmake -DLUPDATE=... -DTS=file.ts -DSOURCES=list-file -DINCLUDE=dir -DWORK=dir -P this
file(MAKE_DIRECTORY "${WORK}")
get_filename_component(name "${TS}" NAME)
set(copy "${WORK}/${name}")
file(COPY_FILE "${TS}" "${copy}")
execute_process(
    COMMAND "${LUPDATE}" -locations none -I "${INCLUDE}" "@${SOURCES}" -ts "${copy}"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "lupdate failed:\n${output}")
endif()
file(READ "${copy}" text)
string(REGEX MATCHALL "<source>[^<]*</source>[ \n]*(<comment>[^<]*</comment>[ \n]*)?<translation type=\"(unfinished|vanished|obsolete)\""
    stale "${text}")
if(stale)
    list(LENGTH stale count)
    string(REPLACE ";" "\n" listed "${stale}")
    message(FATAL_ERROR "${name}: ${count} message(s) untranslated or no longer in the sources; "
        "build the update_translations target and translate them:\n${listed}")
endif()
message(STATUS "${name}: every text of the sources is translated")

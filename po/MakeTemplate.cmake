# Reads every translatable text into a template:
#   cmake -DSOURCE_DIR=... -DOUTPUT=....pot -DXGETTEXT=... -DVERSION=... -P MakeTemplate.cmake
# The window's, its controls' and dialogs', and the headless command's texts, then the desktop
# entry's and the AppStream file's.
file(GLOB sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/ui/*.cpp ${SOURCE_DIR}/controls/*.cpp
  ${SOURCE_DIR}/folderchooser/*.cpp ${SOURCE_DIR}/cli/*.cpp)
list(SORT sources)
get_filename_component(parts ${OUTPUT} DIRECTORY)
set(parts ${parts}/template-parts)
file(MAKE_DIRECTORY ${parts})
set(header --package-name=TarvMediaConverter --package-version=${VERSION}
  --msgid-bugs-address=support@example.com)

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}")
  endif()
endfunction()

run(${XGETTEXT} --from-code=UTF-8 --language=C++ --add-comments=TRANSLATORS:
  --keyword=_ --keyword=N_ --keyword=wxTRANSLATE --keyword=wxPLURAL:1,2
  --keyword=wxGETTEXT_IN_CONTEXT:1c,2 --sort-by-file --no-wrap ${header}
  --output=${parts}/code.pot resources/Resources.h ${sources})
run(${XGETTEXT} --from-code=UTF-8 --language=Desktop --sort-by-file --no-wrap
  --output=${parts}/desktop.pot packaging/com.example.TarvMediaConverter.desktop)
run(${XGETTEXT} --from-code=UTF-8 --sort-by-file --no-wrap --output=${parts}/metainfo.pot
  packaging/com.example.TarvMediaConverter.metainfo.xml)
run(${XGETTEXT} --from-code=UTF-8 --sort-by-file --no-wrap ${header} --output=${OUTPUT}
  ${parts}/code.pot ${parts}/desktop.pot ${parts}/metainfo.pot)
file(REMOVE_RECURSE ${parts})

# Brings every translation up to the template: new texts come in untranslated, gone ones go.
foreach(language IN LISTS LANGUAGES)
  execute_process(
    COMMAND ${MSGMERGE} --quiet --update --backup=none --no-wrap --sort-by-file
            ${PO_DIR}/${language}.po ${POT}
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "msgmerge failed for ${language}.po")
  endif()
endforeach()

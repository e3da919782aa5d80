# Manual pages from the programs' own --help and --version, by help2man. A cross-built program
# does not run here; without help2man the pages are left out.
#   tarvel_manual_page(TARGET "one-line description")
find_program(HELP2MAN help2man)
find_program(GZIP gzip)
if(HELP2MAN AND GZIP AND NOT CMAKE_CROSSCOMPILING)
  # help2man reads the Spanish help and writes Spanish headings under a Spanish locale;
  # under C.UTF-8 the headings are English and the synopsis stays in the description.
  execute_process(COMMAND locale -a OUTPUT_VARIABLE tarvel_locales ERROR_QUIET)
  if(tarvel_locales MATCHES "es_ES\\.utf8")
    set(TARVEL_MAN_LOCALE es_ES.UTF-8)
  else()
    set(TARVEL_MAN_LOCALE C.UTF-8)
    message(STATUS "es_ES.UTF-8 missing: the manual pages get English headings")
  endif()
endif()

function(tarvel_manual_page target description)
  if(NOT HELP2MAN OR NOT GZIP OR CMAKE_CROSSCOMPILING)
    message(STATUS "${target}: no manual page (help2man and gzip, not cross-compiling, needed)")
    return()
  endif()
  set(man ${CMAKE_CURRENT_BINARY_DIR}/${target}.1)
  # The page's date is SOURCE_DATE_EPOCH where it is set (help2man reads it), and gzip -n
  # writes no name or time: the same page from the same program.
  add_custom_command(
    OUTPUT ${man}.gz
    # PERL_UNICODE=A: help2man reads its own arguments as UTF-8, or an accent in the
    # description comes out as two Latin-1 letters.
    COMMAND ${CMAKE_COMMAND} -E env PERL_UNICODE=A
            ${HELP2MAN} --locale=${TARVEL_MAN_LOCALE} --no-info --section=1 --no-discard-stderr
            "--name=${description}" --output=${man} $<TARGET_FILE:${target}>
    COMMAND ${GZIP} -9nf ${man}
    DEPENDS ${target}
    COMMENT "Manual page ${target}.1 from ${target} --help"
    VERBATIM)
  add_custom_target(${target}_man ALL DEPENDS ${man}.gz)
  install(FILES ${man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

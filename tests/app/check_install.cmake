# Installs the build into PREFIX, checks the files the desktop needs, and starts the
# installed planner until it has painted its first plan.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "cmake --install failed")
endif()
foreach(file bin/tessel32 lib/tessel32/tessel32 lib/tessel32/libvrx232.so
             lib/tessel32/libplatform.so lib/tessel32/katalog/katalog.db
             share/applications/tessel32.desktop share/mime/packages/tessel32.xml
             share/icons/hicolor/scalable/apps/tessel32.svg)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(READ ${PREFIX}/share/applications/tessel32.desktop desktop)
if(NOT desktop MATCHES "Exec=tessel32 %f" OR NOT desktop MATCHES "MimeType=application/x-tessel-plan;")
  message(FATAL_ERROR "the desktop file does not open plans")
endif()
find_program(XMLLINT xmllint)
if(XMLLINT)
  execute_process(COMMAND ${XMLLINT} --noout ${PREFIX}/share/mime/packages/tessel32.xml
                          ${PREFIX}/share/icons/hicolor/scalable/apps/tessel32.svg
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "the MIME type or the icon is not well-formed XML")
  endif()
endif()
# A start of its own.
include(${CMAKE_CURRENT_LIST_DIR}/start_installed.cmake)
check_installed_start(${PREFIX}/bin/tessel32 ${PREFIX}/home installed)

# Builds the Debian package as the README says (cpack -G DEB) into OUT and reads it back:
# every file the planner needs at the installed prefix, the maintainer scripts and the
# dependencies dpkg-shlibdeps found.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${CPACK} -G DEB --config ${BUILD}/CPackConfig.cmake -B ${OUT}
                RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(failed)
  message(FATAL_ERROR "cpack failed:\n${output}\n${errors}")
endif()
file(GLOB packages ${OUT}/*.deb)
list(LENGTH packages count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one package in ${OUT}, found: ${packages}")
endif()
execute_process(COMMAND ${DPKG_DEB} -c ${packages} OUTPUT_VARIABLE contents RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "dpkg-deb -c cannot read ${packages}")
endif()
foreach(file ./usr/bin/tessel32 ./usr/lib/tessel32/tessel32 ./usr/lib/tessel32/libvrx232.so
             ./usr/lib/tessel32/libplatform.so ./usr/lib/tessel32/katalog/katalog.db
             ./usr/lib/tessel32/katalog/images/
             ./usr/share/applications/tessel32.desktop ./usr/share/mime/packages/tessel32.xml
             ./usr/share/icons/hicolor/scalable/apps/tessel32.svg
             ./usr/share/metainfo/com.ostara.tessel32.metainfo.xml)
  string(REPLACE "." "\\." pattern "${file}")
  if(NOT contents MATCHES " ${pattern}( |\n|$)")
    message(FATAL_ERROR "not in the package: ${file}\n${contents}")
  endif()
endforeach()
# The link in bin/ leads to the program beside its engine and catalogue.
if(NOT contents MATCHES "\\./usr/bin/tessel32 -> \\.\\./lib/tessel32/tessel32")
  message(FATAL_ERROR "bin/tessel32 does not lead to the program:\n${contents}")
endif()
execute_process(COMMAND ${DPKG_DEB} -f ${packages} Package Version Depends
                OUTPUT_VARIABLE fields)
if(NOT fields MATCHES "Package: tessel32" OR NOT fields MATCHES "libqt6widgets6"
   OR NOT fields MATCHES "libc6" OR NOT fields MATCHES "libfreetype6")
  message(FATAL_ERROR "the dependencies were not found from the libraries:\n${fields}")
endif()
execute_process(COMMAND ${DPKG_DEB} --ctrl-tarfile ${packages} OUTPUT_FILE ${OUT}/control.tar)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${OUT}/control.tar OUTPUT_VARIABLE control)
if(NOT control MATCHES "postinst" OR NOT control MATCHES "postrm")
  message(FATAL_ERROR "the maintainer scripts are missing:\n${control}")
endif()
execute_process(COMMAND ${DPKG_DEB} -x ${packages} ${OUT}/root)
file(READ ${OUT}/root/usr/share/metainfo/com.ostara.tessel32.metainfo.xml metainfo)
foreach(part "<project_license>" "<screenshot" "<description>" "tessel32.desktop")
  if(NOT metainfo MATCHES "${part}")
    message(FATAL_ERROR "the AppStream file lacks ${part}")
  endif()
endforeach()
find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
  execute_process(COMMAND ${APPSTREAMCLI} validate --no-net
                          ${OUT}/root/usr/share/metainfo/com.ostara.tessel32.metainfo.xml
                  RESULT_VARIABLE failed OUTPUT_VARIABLE said)
  if(failed)
    message(FATAL_ERROR "appstreamcli does not accept the metainfo:\n${said}")
  endif()
endif()
# The program from the package starts from its link and finds its engine and catalogue
# at the installed prefix.
include(${CMAKE_CURRENT_LIST_DIR}/start_installed.cmake)
check_installed_start(${OUT}/root/usr/bin/tessel32 ${OUT}/home packaged)

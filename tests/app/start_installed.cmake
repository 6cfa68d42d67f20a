# Starts an installed planner as its user would, from its link, and fails the check
# when it does not come up: private settings and runtime folders under `home`, no
# display needed; the first-paint probe says the window was drawn. `what` names the
# installation in the failure ("installed", "packaged").
function(check_installed_start program home what)
  file(MAKE_DIRECTORY ${home}/config ${home}/runtime)
  file(CHMOD ${home}/runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=${home}/config
            XDG_RUNTIME_DIR=${home}/runtime TESSEL_FIRST_PAINT_PROBE=1 ${program}
    RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT 60)
  if(failed OR NOT output MATCHES "first-paint")
    message(FATAL_ERROR "the ${what} planner did not start: ${failed}\n${output}\n${errors}")
  endif()
endfunction()

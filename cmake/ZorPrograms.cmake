# zor_install_program(TARGET): installs a program so that it finds the shared
# ZorLib beside it from any prefix, without LD_LIBRARY_PATH.
function(zor_install_program target)
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# The installer, made with NSIS's makensis: a 64-bit installer for the x86_64 build, a 32-bit one
# for the i686 build. The Windows tests install and uninstall with it, so there it is required.
if(ONLINE_TIMER_TESTS AND CMAKE_CROSSCOMPILING)
    find_program(MAKENSIS makensis REQUIRED)
else()
    find_program(MAKENSIS makensis)
endif()
if(NOT MAKENSIS)
    message(STATUS "makensis not found: no installer")
    return()
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(nsis_arch amd64)
    set(setup_arch x64)
else()
    set(nsis_arch x86)
    set(setup_arch x86)
endif()
set(ONLINE_TIMER_SETUP ${CMAKE_BINARY_DIR}/bin/OnlineTimer-${PROJECT_VERSION}-${setup_arch}-setup.exe)
set(script ${PROJECT_SOURCE_DIR}/installer/online_timer.nsi)
set(icon ${PROJECT_SOURCE_DIR}/res/online_timer.ico)
add_custom_command(
    OUTPUT ${ONLINE_TIMER_SETUP}
    COMMAND ${MAKENSIS} -V2 -DEXE=$<TARGET_FILE:OnlineTimer>
            -DREPORT=$<TARGET_FILE:online-timer-report> -DICON=${icon}
            -DOUTFILE=${ONLINE_TIMER_SETUP} -DARCH=${nsis_arch} ${script}
    DEPENDS OnlineTimer online-timer-report ${script} ${icon}
    COMMENT "Making the installer"
    VERBATIM)
add_custom_target(installer ALL DEPENDS ${ONLINE_TIMER_SETUP})

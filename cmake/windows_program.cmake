enable_language(RC)

# The Win32 shell: windows, tray icon, registry and RAS. Kept in a library so that the Windows
# tests drive the same forms the program shows.
add_library(shell STATIC
    src/app/program_win.cpp
    src/app/tray_icon_win.cpp
    src/tracking/clock_win.cpp
    src/tracking/dialup_probe_win.cpp
    src/ui/about_box_win.cpp
    src/ui/adjust_dialog_win.cpp
    src/ui/alert_window_win.cpp
    src/ui/clear_dialog_win.cpp
    src/ui/config_dialog_win.cpp
    src/ui/form_layout_win.cpp
    src/ui/program_icon_win.cpp
    src/ui/stats_window_win.cpp
)
target_compile_definitions(shell PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_link_libraries(shell PUBLIC core rasapi32 shell32 user32 gdi32 advapi32)

# The icon, version and manifest; the Windows tests that show forms carry them too, so that they
# see the program's DPI awareness and visual styles.
set(program_resources ${PROJECT_SOURCE_DIR}/res/online_timer.rc)
add_executable(OnlineTimer WIN32 src/app/main_win.cpp ${program_resources})
target_link_libraries(OnlineTimer PRIVATE shell)
if(MSVC)
    # The manifest is in the resources; the linker would add a second one.
    target_link_options(OnlineTimer PRIVATE /MANIFEST:NO)
endif()
if(MINGW)
    # No MinGW runtime DLL to ship or to find under Wine; unused code is dropped.
    target_compile_options(core PRIVATE -ffunction-sections -fdata-sections)
    target_compile_options(shell PRIVATE -ffunction-sections -fdata-sections)
    target_link_options(OnlineTimer PRIVATE -static -s -Wl,--gc-sections)
endif()

include(cmake/installer.cmake)

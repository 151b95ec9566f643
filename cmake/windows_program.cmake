enable_language(RC)

# The Windows program: windows, tray icon, registry and RAS. Kept in a library so that the Windows
# tests drive the same forms the program shows.
add_library(win STATIC
    src/win/about_box_win.cpp
    src/win/allowance_dialog_win.cpp
    src/win/adjust_dialog_win.cpp
    src/win/alert_window_win.cpp
    src/win/clear_dialog_win.cpp
    src/win/clock_win.cpp
    src/win/config_dialog_win.cpp
    src/win/connection_probe_win.cpp
    src/win/error_box_win.cpp
    src/win/form_win.cpp
    src/win/history_window_win.cpp
    src/win/program_icon_win.cpp
    src/win/program_win.cpp
    src/win/ras_hang_up_win.cpp
    src/win/stats_window_win.cpp
    src/win/tray_icon_win.cpp
)
target_compile_definitions(win PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_compile_definitions(store PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_link_libraries(store PRIVATE shell32 ole32 uuid)
target_link_libraries(win PUBLIC store rasapi32 iphlpapi ws2_32 ole32 oleaut32 uuid shell32 user32 gdi32 advapi32 comctl32 comdlg32)

# The icon, version and manifest; the Windows tests that show forms carry them too, so that they
# see the program's DPI awareness and visual styles.
set(program_resources ${PROJECT_SOURCE_DIR}/res/online_timer.rc)
add_executable(OnlineTimer WIN32 src/win/main_win.cpp ${program_resources})
target_link_libraries(OnlineTimer PRIVATE win)
if(MSVC)
    # The manifest is in the resources; the linker would add a second one.
    target_link_options(OnlineTimer PRIVATE /MANIFEST:NO)
endif()
if(MINGW)
    # No MinGW runtime DLL to ship or to find under Wine; unused code is dropped.
    target_compile_options(core PRIVATE -ffunction-sections -fdata-sections)
    target_compile_options(store PRIVATE -ffunction-sections -fdata-sections)
    target_compile_options(win PRIVATE -ffunction-sections -fdata-sections)
    target_link_options(OnlineTimer PRIVATE -static -s -Wl,--gc-sections)
endif()
# The report command for scripts, installed beside the program: a console program, wmain's
# arguments in UTF-16.
add_executable(online-timer-report src/report/report_main_win.cpp)
target_link_libraries(online-timer-report PRIVATE win)
if(MINGW)
    target_link_options(online-timer-report PRIVATE -municode -static -s -Wl,--gc-sections)
endif()
if(ONLINE_TIMER_TESTS)
    # Sends messages to the program's windows from outside: tools/screenshots drives it.
    add_executable(win_send tools/win_send.cpp)
    target_link_libraries(win_send PRIVATE project_warnings)
    target_link_options(win_send PRIVATE $<$<BOOL:${MINGW}>:-static>)
endif()

include(cmake/installer.cmake)

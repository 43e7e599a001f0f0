# The tests of the core library, built for Windows. Cross-built, they run under Wine through CTest's
# cross-compiling emulator (wine-run, with the Qt and MinGW runtime DLLs on WINEPATH and a Wine
# prefix of the build's own). Left out, because they need what only Linux has here:
#   link_port_discovery    sysfs, /dev and pseudo-terminals (the Windows rules it holds are pinned
#                          by the Qt-free link_windows_cross_compile check and the Wine proof)
#   reports_text_report    fork(2) and resource limits for the write failures
#   recovery_log, logger_rules  user ids, links, FIFOs, tmpfs and resource limits of the real
#                          conditions their rows run against
#   link_network_port and every other test linking the serial or window libraries: pseudo-
#   terminals, a display server, CUPS, openbox, the Linux programs they start
include(${PROJECT_SOURCE_DIR}/cmake/WindowsRuntime.cmake)
if(CMAKE_CROSSCOMPILING)
    set(emulator ${CMAKE_CURRENT_LIST_DIR}/wine-run --prefix ${PROJECT_BINARY_DIR}/wine-prefix --qtest)
    foreach(dir IN LISTS VANTELLO_WINDOWS_DLL_DIRS)
        list(APPEND emulator --dll-dir ${dir})
    endforeach()
    set(CMAKE_CROSSCOMPILING_EMULATOR ${emulator})
endif()

# A test whose sources sit in their folder under tests/, as on Linux.
function(core_test name)
    vantello_add_test(${name} ${ARGN})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
endfunction()

core_test(state_gvarmod SOURCES state/GVarModTest.cpp)
core_test(state_system_texts SOURCES state/SystemTextsTest.cpp)
core_test(state_readout_rules SOURCES state/ReadoutRulesTest.cpp)
core_test(seams_save_dialog SOURCES seams/SaveDialogTest.cpp)
core_test(link_meter_frame SOURCES link/MeterFrameTest.cpp)
core_test(charts_geometry SOURCES charts/ChartGeometryTest.cpp)
core_test(charts_scale_rules SOURCES charts/ChartScaleRulesTest.cpp)
core_test(charts_paging SOURCES charts/ChartPagingTest.cpp)
core_test(charts_cursor SOURCES charts/ChartCursorTest.cpp)
core_test(reports_csv_export SOURCES reports/CsvExportTest.cpp)
core_test(reports_print_layout SOURCES reports/PrintLayoutTest.cpp)
core_test(reports_print_checks SOURCES reports/PrintChecksTest.cpp)
core_test(table_grid_texts SOURCES table/DataGridTextsTest.cpp)
core_test(traverse_logic SOURCES traverse/TraverseLogicTest.cpp traverse/ManualClock.h)
core_test(traverse_airflow SOURCES traverse/AirFlowTestsTest.cpp traverse/ManualClock.h)
core_test(recording_reader SOURCES recording/RecordingReaderTest.cpp)
core_test(recording_rules SOURCES recording/RecordingRulesTest.cpp)
core_test(jobs_file SOURCES jobs/JobFileTest.cpp support/JobFixtures.h)
core_test(jobs_rules SOURCES jobs/JobRulesTest.cpp support/JobFixtures.h)
core_test(alarm_rules SOURCES alarms/AlarmRulesTest.cpp)

# Date-time text, command line, the snapshot program.
vd_add_gtest(datetime_test SOURCES datetime_test.cpp params_test.cpp LIBS classlib)

if(VD_ARCH STREQUAL "x86_64")
  # Wine takes the user locale from LANG through the C library, which needs the locale compiled;
  # they are built into the tree (LOCPATH) so the machine's locale set is left alone.
  # Each process whose locale differs from the prefix's rewrites the locale values under
  # HKCU\Control Panel\International, which every process then reads: so these run alone.
  set(VD_LOCPATH ${CMAKE_BINARY_DIR}/locale)
  add_test(NAME vd32_locales_setup COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/make-locales.sh ${VD_LOCPATH}
           en_US de_DE en_GB ja_JP)
  set_tests_properties(vd32_locales_setup PROPERTIES FIXTURES_SETUP vd_locales TIMEOUT 300)
  foreach(loc en_US de_DE en_GB ja_JP)
    add_test(NAME datetime_${loc}
             COMMAND env LOCPATH=${VD_LOCPATH} LC_ALL=${loc}.UTF-8 LANG=${loc}.UTF-8 VD_TEST_LOCALE=${loc}
                     ${CMAKE_BINARY_DIR}/wine-run $<TARGET_FILE:datetime_test> --gtest_filter=UserLocale.* --gtest_brief=1)
    set_tests_properties(datetime_${loc} PROPERTIES FIXTURES_REQUIRED vd_locales TIMEOUT 120 RUN_SERIAL TRUE)
  endforeach()
endif()

# The snapshot walk, the due test and the program's road, on the trees make-fixtures.sh lays out.
vd_add_gtest(vd32_snapshot_test SOURCES walk_test.cpp snapshot_test.cpp span_test.cpp literal_walk.cpp walk_support.cpp
             LIBS vd32snapshot)
target_compile_definitions(vd32_snapshot_test PRIVATE VD_FIXTURES_DIR="${CMAKE_BINARY_DIR}/fixtures")
if(VD_ARCH STREQUAL "x86_64")
  add_test(NAME vd32_fixtures_setup COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/make-fixtures.sh ${CMAKE_BINARY_DIR}/fixtures)
  set_tests_properties(vd32_fixtures_setup PROPERTIES FIXTURES_SETUP vd32_fixtures)
  set_tests_properties(vd32_snapshot_test PROPERTIES FIXTURES_REQUIRED vd32_fixtures)
endif()

# VD32.exe end to end: it sets the prefix-wide App Paths entry while it runs.
vd_add_gtest(vd32_program_test SOURCES vd32_e2e_test.cpp walk_support.cpp LIBS vdfunctions LOCK prefix_global
             TIMEOUT 600)
add_dependencies(vd32_program_test VD32)
target_compile_definitions(vd32_program_test PRIVATE VD_FIXTURES_DIR="${CMAKE_BINARY_DIR}/fixtures"
                           VD32_EXE="$<TARGET_FILE:VD32>")
if(VD_ARCH STREQUAL "x86_64")
  set_tests_properties(vd32_program_test PROPERTIES FIXTURES_REQUIRED vd32_fixtures)
endif()

# The walk benchmark's program (bench/vd32_bench.sh runs it; not a test).
add_executable(vd32_walk_bench EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/vd32_walk_bench.cpp literal_walk.cpp)
target_include_directories(vd32_walk_bench PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(vd32_walk_bench PRIVATE vd32snapshot)

# The i686 VD32.exe, which cannot run here: a PE32 GUI-subsystem program that exports nothing,
# imports no mingw runtime DLL and carries only its manifest and version resource (none of the lx
# library's cursors and bitmaps).
vd_add_pe_check(vd32_pe TARGET VD32 SUBSYSTEM gui STRIPPED RESOURCES 16,24)
if(VD_ARCH STREQUAL "i686")
  add_test(NAME vd32_pe32 COMMAND ${CMAKE_OBJDUMP} -f $<TARGET_FILE:VD32>)
  set_tests_properties(vd32_pe32 PROPERTIES PASS_REGULAR_EXPRESSION "file format pei-i386" LABELS static)
endif()

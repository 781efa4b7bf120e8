# Date-time text, command line, the snapshot program.
vd_add_gtest(datetime_test SOURCES datetime_test.cpp params_test.cpp LIBS classlib)

if(VD_ARCH STREQUAL "x86_64")
  # Wine takes the user locale from LANG through the C library, which needs the locale compiled;
  # they are built into the tree (LOCPATH) so the machine's locale set is left alone.
  set(VD_LOCPATH ${CMAKE_BINARY_DIR}/locale)
  add_test(NAME vd32_locales_setup COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/make-locales.sh ${VD_LOCPATH}
           en_US de_DE en_GB ja_JP)
  set_tests_properties(vd32_locales_setup PROPERTIES FIXTURES_SETUP vd_locales TIMEOUT 300)
  foreach(loc en_US de_DE en_GB ja_JP)
    add_test(NAME datetime_${loc}
             COMMAND env LOCPATH=${VD_LOCPATH} LC_ALL=${loc}.UTF-8 LANG=${loc}.UTF-8 VD_TEST_LOCALE=${loc}
                     ${CMAKE_BINARY_DIR}/wine-run $<TARGET_FILE:datetime_test> --gtest_filter=UserLocale.* --gtest_brief=1)
    set_tests_properties(datetime_${loc} PROPERTIES FIXTURES_REQUIRED vd_locales TIMEOUT 120)
  endforeach()
endif()

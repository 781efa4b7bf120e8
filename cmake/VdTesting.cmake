# GoogleTest from Debian's sources, built with the cross compiler.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# vd_add_gtest(<name> SOURCES ... [LIBS ...] [LOCK <resource>] [LABELS ...] [TIMEOUT s] [ARGS ...] [NETNS])
# One test program, one ctest entry (ARGS go on its command line). 32-bit builds compile the
# program but register no test: this kernel cannot run PE32 code. NETNS runs the program in a
# network namespace of its own (tests/netns_run.sh), so that nothing it resolves or sends can
# leave the machine.
function(vd_add_gtest name)
  cmake_parse_arguments(T "NETNS" "TIMEOUT" "SOURCES;LIBS;LOCK;LABELS;ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  if(VD_ARCH STREQUAL "x86_64")
    if(T_NETNS)
      add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/tests/netns_run.sh ${CMAKE_BINARY_DIR}/wine-run
                                    $<TARGET_FILE:${name}> --gtest_brief=1 ${T_ARGS})
    else()
      add_test(NAME ${name} COMMAND ${name} --gtest_brief=1 ${T_ARGS})
    endif()
    if(NOT T_TIMEOUT)
      set(T_TIMEOUT 120)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
    if(T_LOCK)
      set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCK}")
    endif()
    if(T_LABELS)
      set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    endif()
  endif()
endfunction()

# vd_add_pe_check(<name> TARGET <target> [EXPORTS <name>[@<ordinal>] ...] [SUBSYSTEM gui|console]
#                  [STRIPPED] [RESOURCES <type>,...|none])
# Static checks of a 32-bit deliverable with objdump (tests/static/check_pe.sh): exactly the given
# exports (none given: no exports), no mingw runtime DLL imported, optionally the PE subsystem, no
# symbols or debug sections, and exactly the given resource types.
# Registered in i686 builds only; the x86_64 build tests the same sources at run time.
function(vd_add_pe_check name)
  cmake_parse_arguments(P "STRIPPED" "TARGET;SUBSYSTEM;RESOURCES" "EXPORTS" ${ARGN})
  if(NOT VD_ARCH STREQUAL "i686")
    return()
  endif()
  set(options --objdump ${CMAKE_OBJDUMP})
  if(P_SUBSYSTEM)
    list(APPEND options --subsystem ${P_SUBSYSTEM})
  endif()
  if(P_STRIPPED)
    list(APPEND options --stripped)
  endif()
  if(P_RESOURCES)
    list(APPEND options --resources ${P_RESOURCES})
  endif()
  add_test(NAME ${name}
           COMMAND ${CMAKE_SOURCE_DIR}/tests/static/check_pe.sh ${options} $<TARGET_FILE:${P_TARGET}> ${P_EXPORTS})
  set_tests_properties(${name} PROPERTIES LABELS static)
endfunction()

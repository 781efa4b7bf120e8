# GoogleTest from Debian's sources, built with the cross compiler.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# vd_add_gtest(<name> SOURCES ... [LIBS ...] [LOCK <resource>] [LABELS ...] [TIMEOUT s] [ARGS ...])
# One test program, one ctest entry (ARGS go on its command line). 32-bit builds compile the program but register no test:
# this kernel cannot run PE32 code.
function(vd_add_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LOCK;LABELS;ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  if(VD_ARCH STREQUAL "x86_64")
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1 ${T_ARGS})
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

# vd_add_pe_check(<name> TARGET <target> [EXPORTS <name>[@<ordinal>] ...] [SUBSYSTEM gui|console])
# Static checks of a 32-bit deliverable with objdump (tests/static/check_pe.sh): exactly the given
# exports (none given: no exports), no mingw runtime DLL imported, optionally the PE subsystem.
# Registered in i686 builds only; the x86_64 build tests the same sources at run time.
function(vd_add_pe_check name)
  cmake_parse_arguments(P "" "TARGET;SUBSYSTEM" "EXPORTS" ${ARGN})
  if(NOT VD_ARCH STREQUAL "i686")
    return()
  endif()
  set(options --objdump ${CMAKE_OBJDUMP})
  if(P_SUBSYSTEM)
    list(APPEND options --subsystem ${P_SUBSYSTEM})
  endif()
  add_test(NAME ${name}
           COMMAND ${CMAKE_SOURCE_DIR}/tests/static/check_pe.sh ${options} $<TARGET_FILE:${P_TARGET}> ${P_EXPORTS})
  set_tests_properties(${name} PROPERTIES LABELS static)
endfunction()

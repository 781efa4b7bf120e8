# vd_deliverable(<target>): a module the product ships. Its i686 build, the one that ships, is
# linked without symbol table or debug sections (tests/static checks that); the x86_64 build,
# which only the tests run, keeps them for readable backtraces under Wine.
function(vd_deliverable target)
  if(VD_ARCH STREQUAL "i686")
    target_link_options(${target} PRIVATE -s)
  endif()
endfunction()

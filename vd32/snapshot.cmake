# The snapshot program VD32 and the parts of it that tests and the benchmark use.

# The date-time span component.
add_library(lxdatetimecalc STATIC lxDateTimeCalc.cpp)
target_link_libraries(lxdatetimecalc PUBLIC lx classlib)

# The snapshot-due test sits with the shared product helpers.
target_sources(vdfunctions PRIVATE SnapshotDue.cpp)
target_link_libraries(vdfunctions PUBLIC lxdatetimecalc)

# The walk, the snapshot file and the program's road.
add_library(vd32snapshot STATIC FolderWalk.cpp Snapshot.cpp)
target_link_libraries(vd32snapshot PUBLIC vdfunctions classlib)

# Windowless: GUI subsystem, so no console flashes up.
add_executable(VD32 WIN32 VD32.cpp VD32.rc)
target_link_libraries(VD32 PRIVATE vd32snapshot)
set_source_files_properties(VD32.rc PROPERTIES OBJECT_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/VD32.exe.manifest)
target_link_options(VD32 PRIVATE -s)  # the deliverable carries no symbols

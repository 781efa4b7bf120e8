# The snapshot program VD32 and the parts of it that tests and the benchmark use.

# The date-time span component: built on the component base only, so VD32 carries none of the lx
# library's cursors and bitmaps.
add_library(lxdatetimecalc STATIC lxDateTimeCalc.cpp)
target_link_libraries(lxdatetimecalc PUBLIC lx_base classlib)

# The snapshot-due test, the walk, the snapshot file and the program's road. The due test stays
# out of the shared helpers: VDMon and VDSInfSht share only the registry reader.
add_library(vd32snapshot STATIC SnapshotDue.cpp FolderWalk.cpp Snapshot.cpp)
target_link_libraries(vd32snapshot PUBLIC vdfunctions lxdatetimecalc classlib)

# Windowless: GUI subsystem, so no console flashes up.
add_executable(VD32 WIN32 VD32.cpp VD32.rc)
target_link_libraries(VD32 PRIVATE vd32snapshot)
set_source_files_properties(VD32.rc PROPERTIES OBJECT_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/VD32.exe.manifest)
vd_deliverable(VD32)

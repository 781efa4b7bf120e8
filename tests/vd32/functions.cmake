# The shared product helpers and the class-library pieces under them; HKLM is redirected per process.
vd_add_gtest(vd32_functions_test SOURCES functions_test.cpp classlib_helpers_test.cpp LIBS vdfunctions classlib)

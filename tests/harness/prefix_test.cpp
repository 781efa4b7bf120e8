// Checks that the test prefix is laid out the way every other test assumes.
#include <windows.h>
#include <gtest/gtest.h>

TEST(Prefix, LinuxRootIsANetworkDriveSoNothingWalksTheHost) {
  EXPECT_EQ(GetDriveTypeA("Z:\\"), static_cast<UINT>(DRIVE_REMOTE));
}

TEST(Prefix, FixtureDrives) {
  EXPECT_EQ(GetDriveTypeA("C:\\"), static_cast<UINT>(DRIVE_FIXED));
  EXPECT_EQ(GetDriveTypeA("D:\\"), static_cast<UINT>(DRIVE_CDROM));
  EXPECT_EQ(GetDriveTypeA("E:\\"), static_cast<UINT>(DRIVE_CDROM));
  EXPECT_EQ(GetDriveTypeA("M:\\"), static_cast<UINT>(DRIVE_REMOVABLE));
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA("E:\\*.*", &fd);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE) << "E: is a CD-ROM drive with no disc";
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

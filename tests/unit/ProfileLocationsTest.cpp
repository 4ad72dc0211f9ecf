#include "config/ProfileLocations.h"
#include "config/PlacementRecord.h"

#include <gtest/gtest.h>

TEST(ProfileLocationsTest, SystemProfileLiesInTheWindowsDirectory)
{
    EXPECT_EQ(SystemProfilePath("C:\\WINDOWS"), "C:\\WINDOWS\\kel.ini");
    EXPECT_EQ(SystemProfilePath("C:\\"), "C:\\kel.ini");
    EXPECT_EQ(SystemProfilePath(""), "\\kel.ini") << "an empty result gives the drive's root";
}

TEST(ProfileLocationsTest, ModuleDirectoryAndHelpFile)
{
    EXPECT_EQ(ModuleDirectory("C:\\Tools\\Admin.exe"), "C:\\Tools\\");
    EXPECT_EQ(ModuleDirectory("Admin.exe"), "Admin.exe\\");
    EXPECT_EQ(HelpFilePath("C:\\Tools\\Admin.exe"), "C:\\Tools\\Admin.hlp");
    EXPECT_EQ(HelpFilePath("C:\\v1.2\\kel-admin"), "C:\\v1.hlp") << "the last '.' of the path";
    EXPECT_EQ(HelpFilePath("C:\\Tools\\Admin"), "");
}

TEST(ProfileLocationsTest, ServerProfileDefaultsBesideTheProgram)
{
    EXPECT_EQ(ServerProfilePath("", "C:\\Tools\\"), "C:\\Tools\\kel.ini");
    EXPECT_EQ(ServerProfilePath("D:\\kel\\server.ini", "C:\\Tools\\"), "D:\\kel\\server.ini");
}

TEST(PlacementRecordTest, ShowCommandIsTheSecondField)
{
    EXPECT_EQ(ReadPlacementShowCommand("2,1,-1,-1,-1,-1,44,44,684,532", 5), 1u);
    EXPECT_EQ(ReadPlacementShowCommand("0,6,", 5), 6u);
    EXPECT_EQ(ReadPlacementShowCommand("0,x,1", 5), 5u);
    EXPECT_EQ(ReadPlacementShowCommand("garbage", 5), 5u);
}

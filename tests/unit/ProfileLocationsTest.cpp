#include "config/ProfileLocations.h"
#include "config/PlacementRecord.h"

#include <climits>

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
    EXPECT_EQ(ReadPlacementShowCommand("0,99999999999,", 5), 5u) << "out of range, not clamped";
}

TEST(PlacementRecordTest, AFieldOutOfItsRangeMakesTheRecordUnreadable)
{
    PlacementRecord p;
    ASSERT_TRUE(
        ParsePlacementRecord("4294967295,3,-2147483648,-1,-1,-1,10,20,2147483647,470,9", p));
    EXPECT_EQ(p.flags, 4294967295u);
    EXPECT_EQ(p.minPosition[0], INT_MIN);
    EXPECT_EQ(p.normalPosition[2], INT_MAX);
    EXPECT_TRUE(ParsePlacementRecord("0,1,-1,-1,-1,-1,00000000000010,20,630,470", p));
    EXPECT_EQ(p.normalPosition[0], 10);
    for (const char* record :
         {"0,1,-1,-1,-1,-1,99999999999,20,630,470", "4294967296,1,-1,-1,-1,-1,10,20,630,470",
          "0,1,-1,-1,-1,-1,10,20,630,-2147483649"})
        EXPECT_FALSE(ParsePlacementRecord(record, p)) << record;
}

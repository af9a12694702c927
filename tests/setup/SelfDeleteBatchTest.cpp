// The self-delete batch texts, byte for byte, and the paths they refuse.
#include "setup/SelfDeleteBatch.h"

#include <gtest/gtest.h>

using namespace zarn;

namespace {
const std::string Program = "C:\\ProgramData\\Mirel\\DaruRavoz\\Zarn.exe";
const std::string Folder = "C:\\ProgramData\\Mirel\\DaruRavoz";
const std::string Batch = "C:\\users\\me\\Temp\\Del1A2B.tmp.bat";
} // namespace

TEST(SelfDeleteBatch, FolderWithOnlyTheProgramIsEmptiedAndRemoved) {
    EXPECT_EQ(FormatSelfDeleteBatch(SelfDeleteVariant::RemoveFolder, Program, Folder, Batch),
              "cd\\\r\n:delexe\r\nping -n 1 127.0.0.1\r\n"
              "del \"C:\\ProgramData\\Mirel\\DaruRavoz\\Zarn.exe\"\r\n"
              "if exist \"C:\\ProgramData\\Mirel\\DaruRavoz\\Zarn.exe\" goto :delexe\r\n"
              "del \"C:\\ProgramData\\Mirel\\DaruRavoz\" /Q /F /A\r\n"
              "rd \"C:\\ProgramData\\Mirel\\DaruRavoz\"\r\n"
              "del \"C:\\users\\me\\Temp\\Del1A2B.tmp.bat\"\r\n");
}

TEST(SelfDeleteBatch, FolderWithOtherFilesKeepsThem) {
    EXPECT_EQ(FormatSelfDeleteBatch(SelfDeleteVariant::KeepFolder, Program, Folder, Batch),
              "cd\\\r\n:delexe\r\nping -n 1 127.0.0.1\r\n"
              "del \"C:\\ProgramData\\Mirel\\DaruRavoz\\Zarn.exe\"\r\n"
              "if exist \"C:\\ProgramData\\Mirel\\DaruRavoz\\Zarn.exe\" goto :delexe\r\n"
              "del \"C:\\users\\me\\Temp\\Del1A2B.tmp.bat\"\r\n");
}

TEST(SelfDeleteBatch, VariantFollowsTheFileCount) {
    EXPECT_EQ(ChooseSelfDeleteVariant(0), SelfDeleteVariant::RemoveFolder);
    EXPECT_EQ(ChooseSelfDeleteVariant(1), SelfDeleteVariant::RemoveFolder);
    EXPECT_EQ(ChooseSelfDeleteVariant(2), SelfDeleteVariant::KeepFolder);
}

TEST(SelfDeleteBatch, ChineseAnsiBytesPassUnchanged) {
    // "登录器" in code page 936.
    const std::string folder = "C:\\\xB5\xC7\xC2\xBC\xC6\xF7";
    const std::string text =
        FormatSelfDeleteBatch(SelfDeleteVariant::RemoveFolder, folder + "\\Zarn.exe", folder, Batch);
    EXPECT_NE(text.find("rd \"" + folder + "\"\r\n"), std::string::npos);
}

TEST(SelfDeleteBatch, PercentSignsAreNotExpandedByTheBatch) {
    const std::string text =
        FormatSelfDeleteBatch(SelfDeleteVariant::KeepFolder, "C:\\a%TEMP%b\\Zarn.exe", "C:\\a%TEMP%b", Batch);
    EXPECT_NE(text.find("del \"C:\\a%%TEMP%%b\\Zarn.exe\"\r\n"), std::string::npos);
}

TEST(SelfDeleteBatch, PathsThatCouldNameAnotherFileGiveNoBatch) {
    EXPECT_EQ(FormatSelfDeleteBatch(SelfDeleteVariant::KeepFolder, "", Folder, Batch), "");
    EXPECT_EQ(FormatSelfDeleteBatch(SelfDeleteVariant::KeepFolder, Program, Folder, ""), "");
    EXPECT_EQ(FormatSelfDeleteBatch(SelfDeleteVariant::RemoveFolder, Program, "", Batch), "");
    EXPECT_EQ(
        FormatSelfDeleteBatch(SelfDeleteVariant::KeepFolder, "C:\\a\" & del x\\Zarn.exe", Folder, Batch), "");
    EXPECT_EQ(FormatSelfDeleteBatch(SelfDeleteVariant::KeepFolder, "C:\\a\r\ndel x", Folder, Batch), "");
    EXPECT_EQ(FormatSelfDeleteBatch(SelfDeleteVariant::KeepFolder, std::string("C:\\a\0b", 5), Folder, Batch),
              "");
    // Too long for the batch buffer: nothing rather than a cut-off path.
    const std::string longPath = "C:\\" + std::string(1100, 'x') + "\\Zarn.exe";
    EXPECT_EQ(FormatSelfDeleteBatch(SelfDeleteVariant::KeepFolder, longPath, Folder, Batch), "");
    const std::string fits = "C:\\" + std::string(200, 'x') + "\\Zarn.exe";
    EXPECT_NE(FormatSelfDeleteBatch(SelfDeleteVariant::KeepFolder, fits, Folder, Batch), "");
}

#include "ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

#include "temp_dir.h"

namespace dalvero {
namespace {

namespace fs = std::filesystem;

TEST(IniFile, ReadsSectionsAndKeysWithoutRegardToCase) {
    IniFile ini;
    ini.Parse("\xEF\xBB\xBF; client settings\r\n"
              "[DataServer]\r\n"
              "  IP = 10.1.2.3  \r\n"
              "Port=8700\r\n"
              "Port=9999\r\n"
              "[functionserver]\n"
              "ip=\" padded \"\n"
              "Empty=\n"
              "Equation=a=b\n"
              "# Port=1\n"
              "not a key\n");
    EXPECT_EQ(ini.ReadString("DataServer", "IP"), "10.1.2.3");
    EXPECT_EQ(ini.ReadString("dataserver", "port"), "8700");  // first of duplicates
    EXPECT_EQ(ini.ReadString("FunctionServer", "IP"), " padded ");
    EXPECT_EQ(ini.ReadString("FunctionServer", "Equation"), "a=b");
    EXPECT_EQ(ini.ReadString("FunctionServer", "Empty", "dflt"), "");
    EXPECT_TRUE(ini.HasKey("FunctionServer", "Empty"));
    EXPECT_EQ(ini.ReadString("FunctionServer", "Port", "none"), "none");  // commented out
    EXPECT_EQ(ini.ReadString("Missing", "IP"), "");
    EXPECT_FALSE(ini.HasKey("Missing", "IP"));
}

TEST(IniFile, WritingKeepsCommentsAndPlacesNewKeysInTheirSection) {
    IniFile ini;
    ini.Parse("; generated\n[A]\nx=1\n\n[B]\ny=2\n");
    ini.WriteString("a", "X", "10");
    ini.WriteString("A", "z", "3");
    ini.WriteString("C", "w", "4");
    EXPECT_EQ(ini.ToText(), "; generated\n[A]\nX=10\nz=3\n\n[B]\ny=2\n\n[C]\nw=4\n");
    // An empty file gets no leading blank line.
    IniFile empty;
    empty.WriteString("DataServer", "IP", "127.0.0.1");
    EXPECT_EQ(empty.ToText(), "[DataServer]\nIP=127.0.0.1\n");
}

TEST(IniFile, AwkwardValuesReadBackAsWritten) {
    IniFile ini;
    const std::string values[] = {"", " lead", "trail ", "\"quoted\"", "a;b#c", "x=y"};
    for (std::size_t i = 0; i < std::size(values); ++i) ini.WriteString("S", "k" + std::to_string(i), values[i]);
    IniFile reread;
    reread.Parse(ini.ToText());
    for (std::size_t i = 0; i < std::size(values); ++i) {
        EXPECT_EQ(reread.ReadString("S", "k" + std::to_string(i), "missing"), values[i]) << i;
    }
}

TEST(IniFile, SaveAndLoadFiles) {
    const test::TempDir dir("dalvero-ini");
    const fs::path file = dir.Path() / "server.ini";

    IniFile ini;
    EXPECT_FALSE(ini.LoadFromFile(file.string()));
    ini.WriteString("Mail", "Password", "s3cret");
    ASSERT_TRUE(ini.SaveToFile(file.string(), 0600));
    struct stat info {};
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_FALSE(fs::exists(file.string() + ".tmp"));

    IniFile loaded;
    ASSERT_TRUE(loaded.LoadFromFile(file.string()));
    EXPECT_EQ(loaded.ReadString("mail", "password"), "s3cret");

    EXPECT_FALSE(ini.SaveToFile((dir.Path() / "no" / "such" / "dir.ini").string()));
}

}  // namespace
}  // namespace dalvero

// Named files and files attached to records.

#include "cli_runner.h"

namespace fs = std::filesystem;

namespace dalvero::test {
namespace {

// Bytes of every value, zeros included, longer than one 50,000-byte piece.
std::string BinaryContent(std::size_t size) {
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
    return content;
}

TEST_F(CliServerTest, GetFileDownloadsANamedFileOrLeavesTheLocalOneAlone) {
    const std::string content = BinaryContent(120'000);
    fs::create_directories(server.DataDir() / "files" / "Clients");
    WriteFile(server.DataDir() / "files" / "Clients" / "Dalvero", content);

    Ok({"get-file", "Clients\\Dalvero", "copy.bin"});
    EXPECT_EQ(ReadFile(work.Path() / "copy.bin"), content);
    EXPECT_FALSE(fs::exists(work.Path() / "copy.bin.download"));

    const Rows info = ParseRows(Ok({"file-info", "Clients\\Dalvero"}));
    ASSERT_EQ(info.size(), 2u);
    EXPECT_EQ(info[0], (std::vector<std::string>{"FileSize", "FileDate"}));
    EXPECT_EQ(info[1].at(0), "120000");
    EXPECT_NE(info[1].at(1), "0");

    // A failed download leaves the local file alone.
    WriteFile(work.Path() / "keep.bin", "old content");
    EXPECT_NE(Fails({"get-file", "Clients\\Missing", "keep.bin"}, 3).find("Clients\\Missing"), std::string::npos);
    EXPECT_EQ(ReadFile(work.Path() / "keep.bin"), "old content");
    Fails({"file-info", "Clients\\Missing"}, 3);
}

TEST_F(CliServerTest, RecordFilesRoundTrip) {
    const std::string hospital = HospitalSeq();
    const std::string content = BinaryContent(75'000);
    WriteFile(work.Path() / "upload.bin", content);
    Ok({"put-record-file", "ProviderEntities", hospital, "2", "upload.bin"});
    Ok({"get-record-file", "ProviderEntities", hospital, "2", "back.bin"});
    EXPECT_EQ(ReadFile(work.Path() / "back.bin"), content);

    // A smaller file replaces the slot's content wholly, also in an existing
    // local file.
    WriteFile(work.Path() / "upload.bin", "short");
    Ok({"put-record-file", "ProviderEntities", hospital, "2", "upload.bin"});
    Ok({"get-record-file", "ProviderEntities", hospital, "2", "back.bin"});
    EXPECT_EQ(ReadFile(work.Path() / "back.bin"), "short");

    // The demo's logo is a JPEG in slot 1.
    Ok({"get-record-file", "ProviderEntities", hospital, "1", "logo.jpg"});
    EXPECT_EQ(ReadFile(work.Path() / "logo.jpg").substr(0, 2), "\xFF\xD8");

    EXPECT_EQ(Fails({"get-record-file", "ProviderEntities", hospital, "7", "back.bin"}, 1),
              "No file in slot 7 of record " + hospital + " in ProviderEntities\n");
    EXPECT_EQ(ReadFile(work.Path() / "back.bin"), "short");

    // "-" is standard output; a missing local folder is this side's fault.
    EXPECT_EQ(Ok({"get-record-file", "ProviderEntities", hospital, "2", "-"}), "short");
    EXPECT_EQ(Fails({"get-record-file", "ProviderEntities", hospital, "2", "absent/back.bin"}, 1),
              "Unable to write absent/back.bin: there is no folder absent\n");
    EXPECT_EQ(Fails({"put-record-file", "ProviderEntities", hospital, "2", "absent.bin"}, 1), "Cannot read absent.bin\n");
}

}  // namespace
}  // namespace dalvero::test

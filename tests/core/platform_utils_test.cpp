#include "platform_utils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "temp_dir.h"

namespace dalvero {
namespace {

namespace fs = std::filesystem;

TEST(FormatSortNumber, FixedWidthTextInNumericOrder) {
    EXPECT_EQ(FormatSortNumber(1234567.891), "001234567.89");
    EXPECT_EQ(FormatSortNumber(0.005001), "000000000.01");
    EXPECT_EQ(FormatSortNumber(1234567890.5), "1234567890.50");
    EXPECT_EQ(FormatSortNumber(-3.5), "-000000003.50");
    EXPECT_EQ(FormatSortNumber(-0.001), "000000000.00");
    std::vector<double> values = {10, 9.99, 0.5, 123456789, 100.01, 2, 75.5, 0};
    std::vector<std::string> keys;
    for (double v : values) keys.push_back(FormatSortNumber(v));
    std::sort(values.begin(), values.end());
    std::sort(keys.begin(), keys.end());
    for (std::size_t i = 0; i < values.size(); ++i) EXPECT_EQ(keys[i], FormatSortNumber(values[i]));
}

TEST(Memory, AllocateZeroedAndFreeOnce) {
    EXPECT_EQ(AllocateMemory(0, true), nullptr);
    void* block = AllocateMemory(4096, true);
    ASSERT_NE(block, nullptr);
    const unsigned char* bytes = static_cast<const unsigned char*>(block);
    EXPECT_TRUE(std::all_of(bytes, bytes + 4096, [](unsigned char b) { return b == 0; }));
    MemoryFree(block);
    EXPECT_EQ(block, nullptr);
    try {
        MemoryFree(block);
        FAIL() << "second MemoryFree did not throw";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "MemoryFree() -- Called with NULL");
    }
}

class RunProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* path = std::getenv("PATH");
        savedPath_ = path ? path : "";
    }
    void TearDown() override {
        ::setenv("PATH", savedPath_.c_str(), 1);
    }

    // A shell script that waits for `gate` (when given) and then writes its
    // arguments, one a line, to `out`.
    fs::path WriteRecorder(const std::string& name, const fs::path& out, const fs::path& gate = {}) {
        fs::path script = dir_.Path() / name;
        std::ofstream(script) << "#!/bin/sh\n"
                              << (gate.empty() ? "" : "while [ ! -e '" + gate.string() + "' ]; do sleep 0.05; done\n")
                              << "for a in \"$@\"; do echo \"$a\"; done > '" << out.string() << ".part'\n"
                              << "mv '" << out.string() << ".part' '" << out.string() << "'\n";
        fs::permissions(script, fs::perms::owner_all);
        return script;
    }

    // The file's content once it appears (the started program runs on its
    // own; the bound only keeps a broken run from hanging the suite).
    static std::string AwaitFile(const fs::path& file) {
        for (int i = 0; i < 600 && !fs::exists(file); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return test::ReadAll(file);
    }

    const test::TempDir dir_{"dalvero-run"};
    std::string savedPath_;
};

TEST_F(RunProgramTest, ExecutableGetsItsWordsAndIsNotWaitedFor) {
    fs::path out = dir_.Path() / "args.txt";
    fs::path gate = dir_.Path() / "go";
    fs::path script = WriteRecorder("recorder.sh", out, gate);

    // The program blocks until the gate exists, so returning here proves the
    // call did not wait for it.
    RunProgram(script.string(), "one \"two words\"  three");
    EXPECT_FALSE(fs::exists(out));
    std::ofstream(gate).put('x');
    EXPECT_EQ(AwaitFile(out), "one\ntwo words\nthree\n");
}

TEST_F(RunProgramTest, BareNamesAreFoundOnPathAndDocumentsGoToTheDesktopOpener) {
    fs::path bare = dir_.Path() / "bare.txt";
    fs::path opened = dir_.Path() / "opened.txt";
    WriteRecorder("dalvero-fake-tool", bare);
    WriteRecorder("xdg-open", opened);
    ::setenv("PATH", (dir_.Path().string() + ":" + savedPath_).c_str(), 1);
    RunProgram("dalvero-fake-tool", "\"/tmp/View.xls\"");
    EXPECT_EQ(AwaitFile(bare), "/tmp/View.xls\n");
    fs::path document = dir_.Path() / "View.xls";
    std::ofstream(document) << "a\tb\n";
    RunProgram(document.string(), "ignored");
    EXPECT_EQ(AwaitFile(opened), document.string() + "\n");
}

}  // namespace
}  // namespace dalvero

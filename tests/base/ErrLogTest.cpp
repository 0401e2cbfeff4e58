#include "base/ErrLog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

// "a+" opens the log in text mode: on Windows each "\n" reaches the file as "\r\n".
#if defined(_WIN32)
const std::string LineEnd = "\r\n";
#else
const std::string LineEnd = "\n";
#endif

// Says so on stderr when the process tears down its static objects, which is
// how a death test sees that ErrLog left through the normal exit path.
struct TeardownWitness {
    bool armed = false;
    ~TeardownWitness()
    {
        if (armed) std::fputs("static objects torn down\n", stderr);
    }
};
TeardownWitness witness;

// Each test works in a directory of its own, named after the test and the
// build, so that a death test's child (which may run the test anew) finds the
// same directory as its parent.
class ErrLogTest : public testing::Test {
protected:
    void SetUp() override
    {
        const std::string test = testing::UnitTest::GetInstance()->current_test_info()->name();
        home = fs::current_path();
        directory = fs::temp_directory_path() / ("client-errlog-" ERRLOG_TEST_BUILD "-" + test);
        // Emptied rather than removed: on Windows the directory cannot go while
        // the parent of a death test has it as its working directory.
        fs::create_directories(directory);
        for (const fs::directory_entry& entry : fs::directory_iterator(directory)) fs::remove_all(entry.path());
        fs::current_path(directory);
    }
    void TearDown() override
    {
        fs::current_path(home);
        fs::remove_all(directory);
    }
    static std::string Log()
    {
        std::ifstream file(ErrLogFileName, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    static void Seed(const std::string& text) { std::ofstream(ErrLogFileName, std::ios::binary) << text; }

    fs::path home;
    fs::path directory;
};

}  // namespace

TEST_F(ErrLogTest, WritesOneLineAndExitsWithZero)
{
    EXPECT_EXIT(ErrLog("ColorFill failed with Err : %d", -2005532542), testing::ExitedWithCode(0), "");
    EXPECT_EQ(Log(), "ColorFill failed with Err : -2005532542" + LineEnd);
}

TEST_F(ErrLogTest, AppendsToWhatIsThere)
{
    Seed("SetDisplayMode failed with Err : -2147467263\n");
    EXPECT_EXIT(ErrLog("Flip failed with Err : %d", 7), testing::ExitedWithCode(0), "");
    EXPECT_EQ(Log(), "SetDisplayMode failed with Err : -2147467263\nFlip failed with Err : 7" + LineEnd);
}

TEST_F(ErrLogTest, MessageWithoutCode)
{
    EXPECT_EXIT(ErrLog("LoadSprite(SPRITE_ID wrong) failed."), testing::ExitedWithCode(0), "");
    EXPECT_EQ(Log(), "LoadSprite(SPRITE_ID wrong) failed." + LineEnd);
}

TEST_F(ErrLogTest, ExitTearsDownStaticObjects)
{
    EXPECT_EXIT(
        {
            witness.armed = true;
            ErrLog("QueryInterface failed with Err : %d", -1);
        },
        testing::ExitedWithCode(0), "static objects torn down");
}

TEST_F(ErrLogTest, UnopenableLogWritesNothingAndReturns)
{
    // A directory of the log's name cannot be opened as a file.
    fs::create_directory(ErrLogFileName);
    ErrLog("GetSurfaceBuffer(Lock) failed with Err : %d", -5);
    ErrLog("LoadSprite(SPRITE_ID wrong) failed.");
    EXPECT_TRUE(fs::is_directory(ErrLogFileName));
    EXPECT_TRUE(fs::is_empty(ErrLogFileName));
}

#include "Registry.hpp"
#include "TempDir.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char* const Key = "\\Software\\Orvanda\\Components\\Tolvane";

class Settings : public ::testing::Test
{
protected:
    void SetUp() override { setenv("XDG_CONFIG_HOME", Config.Path().c_str(), 1); }
    void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }
    std::filesystem::path File() const { return Config.Path() / "Orvanda/Components/Tolvane.ini"; }

    // Runs Body in a child process and returns its process id.
    template <class F> static pid_t Spawn(F Body)
    {
        const pid_t Pid = fork();
        if (Pid == 0) {
            int Status = 0;
            try {
                Body();
            } catch (const std::exception&) {
                Status = 1;
            }
            _exit(Status);
        }
        return Pid;
    }
    static int Wait(pid_t Pid)
    {
        int Status = 0;
        waitpid(Pid, &Status, 0);
        return Status;
    }

    TempDir Config;
};

TEST_F(Settings, TheKeyIsAFileOfTheUsersConfiguration)
{
    {
        TRegIniFile S(Key);
        EXPECT_EQ(S.ReadString("Directory History", "Last Directory", "default"), "default");
        EXPECT_FALSE(S.ValueExists("Directory History", "Last Directory"));
        S.WriteString("Directory History", "Last Directory", "/home/a b");
        S.WriteInteger("Window Position", "Top", -12);
        EXPECT_EQ(S.Location(), File().string());
    }
    ASSERT_TRUE(std::filesystem::exists(File()));
    TRegIniFile Again(Key);
    EXPECT_EQ(Again.ReadString("Directory History", "Last Directory", ""), "/home/a b");
    EXPECT_EQ(Again.ReadInteger("Window Position", "Top", 0), -12);
    EXPECT_EQ(Again.ReadInteger("Directory History", "Last Directory", 7), 7);
    EXPECT_TRUE(Again.ValueExists("Window Position", "Top"));
}

TEST_F(Settings, WithoutXdgConfigHomeTheFileIsInDotConfig)
{
    TempDir Home;
    const std::string OldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", Home.Path().c_str(), 1);
    TRegIniFile(Key).WriteString("S", "I", "v");
    setenv("HOME", OldHome.c_str(), 1);
    EXPECT_TRUE(std::filesystem::exists(Home.Path() / ".config/Orvanda/Components/Tolvane.ini"));
}

TEST_F(Settings, InvalidKeysAreRefused)
{
    for (const char* Bad : {"", "\\Software\\", "\\Software\\..\\..\\etc"})
        EXPECT_THROW(TRegIniFile{Bad}, ERegistryException) << Bad;
}

TEST_F(Settings, AStoreThatCannotBeSavedRaisesNamingIt)
{
    std::filesystem::create_directories(Config.Path() / "Orvanda");
    std::ofstream(Config.Path() / "Orvanda/Components") << "a file where the folder should be";
    TRegIniFile S(Key);
    try {
        S.WriteString("S", "I", "v");
        ADD_FAILURE() << "no error";
    } catch (const ERegistryException& E) {
        EXPECT_NE(E.Message().find("Tolvane.ini"), std::string::npos) << E.Message();
    }
}

TEST_F(Settings, ConcurrentWritersLoseNothingOfEachOther)
{
    constexpr int Writers = 6;
    constexpr int Values = 20;
    std::vector<pid_t> Children;
    for (int W = 0; W < Writers; ++W)
        Children.push_back(Spawn([W] {
            TRegIniFile S(Key);
            for (int V = 0; V < Values; ++V)
                S.WriteString("Writer" + std::to_string(W), "Value" + std::to_string(V),
                              std::to_string(W * V));
        }));
    for (pid_t Child : Children)
        EXPECT_EQ(Wait(Child), 0);
    TRegIniFile S(Key);
    for (int W = 0; W < Writers; ++W)
        for (int V = 0; V < Values; ++V)
            EXPECT_EQ(S.ReadString("Writer" + std::to_string(W), "Value" + std::to_string(V), "lost"),
                      std::to_string(W * V));
}

TEST_F(Settings, AWriterKilledMidSaveLeavesAWholeFile)
{
    TRegIniFile(Key).WriteString("Directory History", "Dir0", "/kept");
    const std::string Big(200000, 'x');
    for (int Round = 0; Round < 8; ++Round) {
        const pid_t Child = Spawn([&] {
            TRegIniFile S(Key);
            for (int I = 0;; ++I)
                S.WriteString("Directory History", "Big", Big + std::to_string(I));
        });
        usleep(20000 + 7000 * Round);
        kill(Child, SIGKILL);
        Wait(Child);
        TRegIniFile S(Key);
        EXPECT_EQ(S.ReadString("Directory History", "Dir0", ""), "/kept") << Round;
        const std::string Value = S.ReadString("Directory History", "Big", Big + "0");
        EXPECT_EQ(Value.compare(0, Big.size(), Big), 0) << Round;
        EXPECT_GT(Value.size(), Big.size()) << Round;
    }
}

} // namespace

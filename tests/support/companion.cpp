#include "support/companion.h"

#include <algorithm>
#include <filesystem>

CompanionFolder::CompanionFolder(const std::string &variant, const std::string &exeName, size_t padTo)
    : root_(UniqueTempFolder("zentu-test")), path_(root_), exeName_(exeName)
{
    EXPECT_TRUE(CreateDirectoryA(root_.c_str(), NULL)) << root_;
    while (path_.size() < padTo) {
        /* Nested folders of at most 100 characters; none left with room for 1. */
        size_t room = padTo - path_.size();
        size_t nameLength = room > 101 ? (room == 102 ? 90 : 100) : std::max<size_t>(room - 1, 1);
        path_ += "\\" + std::string(nameLength, 'p');
        EXPECT_TRUE(CreateDirectoryA(path_.c_str(), NULL)) << path_;
    }
    EXPECT_TRUE(CopyFileA(BuildPath("install-test/zentu64.exe").c_str(), ExePath().c_str(), FALSE));
    if (variant.empty())
        return;
    std::string library = BuildPath("standin/" + variant + "/zentu64.dll");
    EXPECT_TRUE(CopyFileA(library.c_str(), (path_ + "\\zentu64.dll").c_str(), FALSE)) << "stand-in variant " << variant;
}

CompanionFolder::~CompanionFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

const std::string &CompanionFolder::Path() const
{
    return path_;
}

std::string CompanionFolder::ExePath() const
{
    return path_ + "\\" + exeName_;
}

static std::vector<LibraryCall> RecordLines(const std::string &folder, bool frames)
{
    std::vector<LibraryCall> lines;
    for (const LibraryCall &line : ReadCalls(folder + "\\zentu64-calls.log"))
        if ((line.name == "ZentuFrames") == frames)
            lines.push_back(line);
    return lines;
}

std::vector<LibraryCall> CompanionFolder::Calls() const
{
    return RecordLines(path_, false);
}

std::vector<LibraryCall> CompanionFolder::Frames() const
{
    return RecordLines(path_, true);
}

std::vector<LibraryCall> CompanionFolder::SetupCalls() const
{
    std::vector<LibraryCall> setups;
    for (const LibraryCall &call : Calls())
        if (call.name == "ZentuSetup")
            setups.push_back(call);
    return setups;
}

std::vector<LibraryCall> CompanionFolder::WaitForCalls(
    const std::function<bool(const std::vector<LibraryCall> &)> &pred, DWORD timeoutMs) const
{
    std::vector<LibraryCall> calls;
    WaitUntil([&] {
        calls = Calls();
        return pred(calls);
    }, timeoutMs);
    return calls;
}

void PlantHelperLibrary(const std::string &folder)
{
    std::string planted = folder + "\\zentu-helper.dll";
    ASSERT_TRUE(CopyFileA(BuildPath("fakes/planted/zentu-helper.dll").c_str(), planted.c_str(), FALSE)) << planted;
}

bool HelperLibraryLoadedFrom(const std::string &folder)
{
    return FileExists(folder + "\\planted-library-loaded");
}

void CompanionTest::SetRunning(DWORD running)
{
    SetSetting("Running", running);
}

void RunningCompanionTest::SetUp()
{
    SetRunning(1);
    ASSERT_TRUE(companion_.Start(folder_.ExePath()));
    ASSERT_TRUE(StartedUp(folder_.WaitForCalls(StartedUp, 20000)));
}

/* A quit posted to a page ends the loop at once; "Running" at 0 would wait for the next refresh. */
void RunningCompanionTest::TearDown()
{
    if (!companion_.Running())
        return;
    HWND general = FindProcessWindow(companion_.Pid(), "ZENTU64 general", true);
    if (general)
        PostMessageA(general, WM_QUIT, 0, 0);
    else
        SetRunning(0);
    companion_.WaitExit(10000);
}

long RunNotify(const std::string &argument)
{
    CompanionProcess tool;
    if (!tool.Start(BuildPath("install-test/zentu64-notify.exe"), argument))
        return -1;
    return tool.WaitExit(10000);
}

HWND WaitForMenu()
{
    HWND menu = NULL;
    WaitUntil([&] {
        menu = FindWindowA("#32768", NULL);
        return menu != NULL && IsWindowVisible(menu);
    }, 10000);
    return menu;
}

/* The folder that `cmake --install` fills: the three programs, the help pages
 * and the readme, and no hook library of its own; and the installed companion,
 * given the stand-in library beside it, starts and ends in order. */
#include "e2e/e2e.h"

#include <stdlib.h>

namespace {

const char *const Programs[] = { "zentu64.exe", "zentu64-probe.exe", "zentu64-notify.exe" };
const char *const HelpPages[] = { "HELP_GENERAL.HTM", "HELP_FPS.HTM", "HELP_MOVIES.HTM", "HELP_SCREENSHOTS.HTM" };

std::string Installed(const std::string &relative)
{
    std::string path = std::string(ZENTU_INSTALL_DIR) + "\\" + relative;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

bool FileExists(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

/* The stand-in's record: per call its name and arguments (args[0] is
 * position 1); only complete lines. */
struct RecordedCall {
    std::string name;
    std::vector<std::string> args;
};

std::vector<RecordedCall> ReadRecord(const std::string &path)
{
    std::vector<RecordedCall> calls;
    std::string content = ReadWholeFile(path);
    size_t start = 0, end;
    while ((end = content.find("\r\n", start)) != std::string::npos) {
        std::vector<std::string> fields;
        size_t field = start;
        for (;;) {
            size_t tab = content.find('\t', field);
            if (tab == std::string::npos || tab > end) {
                fields.push_back(content.substr(field, end - field));
                break;
            }
            fields.push_back(content.substr(field, tab - field));
            field = tab + 1;
        }
        start = end + 2;
        if (fields.size() >= 2)
            calls.push_back({ fields[0], std::vector<std::string>(fields.begin() + 2, fields.end()) });
    }
    return calls;
}

/* Start-up's own call after the library's hooks went in, then one more
 * (the first settings refresh): the companion is up. */
bool StartedUp(const std::vector<RecordedCall> &calls)
{
    for (size_t i = 0; i < calls.size(); i++) {
        const RecordedCall &call = calls[i];
        if (call.name == "ZentuSetup" && call.args.size() == 59 && strtoull(call.args[0].c_str(), NULL, 16) != 0 &&
            strtoull(call.args[1].c_str(), NULL, 16) != 0)
            return i + 1 < calls.size();
    }
    return false;
}

/* Removes the files a test put into the installed folder. */
class ScopedFiles {
public:
    explicit ScopedFiles(std::vector<std::string> paths) : paths_(std::move(paths))
    {
        for (const std::string &path : paths_)
            DeleteFileA(path.c_str());
    }
    ~ScopedFiles()
    {
        for (const std::string &path : paths_)
            DeleteFileA(path.c_str());
    }

private:
    std::vector<std::string> paths_;
};

}  // namespace

TEST(BuildFolder, HasTheHelpPagesBesideThePrograms)
{
    for (const char *page : HelpPages) {
        SCOPED_TRACE(page);
        EXPECT_TRUE(FileExists(BuildPath(std::string("help/") + page)));
    }
}

TEST(InstalledFolder, HoldsTheProgramsTheHelpPagesAndTheReadme)
{
    for (const char *program : Programs) {
        SCOPED_TRACE(program);
        EXPECT_TRUE(FileExists(Installed(program)));
        EXPECT_EQ(ReadWholeFile(BuildPath(program)), ReadWholeFile(Installed(program)));
    }
    for (const char *page : HelpPages) {
        SCOPED_TRACE(page);
        std::string content = ReadWholeFile(Installed(std::string("help\\") + page));
        EXPECT_NE(std::string::npos, content.find("<html")) << "not a help page";
        EXPECT_EQ(ReadWholeFile(BuildPath(std::string("help/") + page)), content);
    }
    std::string readme = ReadWholeFile(Installed("README.txt"));
    EXPECT_NE(std::string::npos, readme.find("zentu64.dll")) << readme;
    /* The real hook library comes with the main tool: the package must not
     * carry the stand-in. */
    EXPECT_FALSE(FileExists(Installed("zentu64.dll")));
}

class InstalledCompanion : public CompanionTest {};

TEST_F(InstalledCompanion, StartsBesideTheLibraryAndEndsInOrder)
{
    const std::string library = Installed("zentu64.dll"), record = Installed("zentu64-calls.log");
    ScopedFiles added({ library, record });
    ASSERT_TRUE(CopyFileA(BuildPath("standin/normal/zentu64.dll").c_str(), library.c_str(), FALSE));

    SetRunning(1);
    CompanionProcess companion;
    ASSERT_TRUE(companion.Start(Installed("zentu64.exe")));
    std::vector<RecordedCall> calls;
    ASSERT_TRUE(WaitUntil([&] {
        calls = ReadRecord(record);
        return StartedUp(calls);
    }, 20000)) << ReadWholeFile(record);
    EXPECT_TRUE(companion.Running());

    SetRunning(0);
    EXPECT_EQ(0, companion.WaitExit(15000));
    calls = ReadRecord(record);
    ASSERT_FALSE(calls.empty());
    /* The last call, and only the last, carries the shutdown flag. */
    for (size_t i = 0; i < calls.size(); i++) {
        SCOPED_TRACE(i);
        if (calls[i].name != "ZentuSetup")
            continue;
        ASSERT_EQ(59u, calls[i].args.size());
        EXPECT_EQ(i + 1 == calls.size() ? "1" : "0", calls[i].args[2]);
    }
    EXPECT_EQ("ZentuSetup", calls.back().name);
}

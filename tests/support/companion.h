/* The companion in a fresh program folder beside a stand-in library, and the end-to-end tests' fixtures; with
 * the helpers every such test uses: its process, the record of its calls, its windows and boxes, input. */
#pragma once

#include "support/calls.h"
#include "support/desktop.h"
#include "support/input.h"
#include "support/process.h"
#include "support/registry.h"

#include <gtest/gtest.h>

/* A temporary program folder holding the installed zentu64.exe (under exeName) and the stand-in library of one
 * variant ("normal", "no_version", ...), removed when it goes; padTo: the path's least length, with nested folders. */
class CompanionFolder {
public:
    explicit CompanionFolder(const std::string &variant, const std::string &exeName = "zentu64.exe", size_t padTo = 0);
    ~CompanionFolder();
    const std::string &Path() const;
    std::string ExePath() const;

    /* The library's calls; Frames: the lines the library's copies in the games wrote beside them. */
    std::vector<LibraryCall> Calls() const;
    std::vector<LibraryCall> Frames() const;
    std::vector<LibraryCall> SetupCalls() const;
    /* The record as last read, once pred holds or the deadline passed. */
    std::vector<LibraryCall> WaitForCalls(const std::function<bool(const std::vector<LibraryCall> &)> &pred,
                                          DWORD timeoutMs) const;

private:
    std::string root_;
    std::string path_;
    std::string exeName_;
};

/* The library the real hook library and graphics runtimes load by its bare name, planted in a folder; once
 * loaded it leaves a mark beside itself. */
void PlantHelperLibrary(const std::string &folder);
bool HelperLibraryLoadedFrom(const std::string &folder);

/* Every end-to-end test starts without the settings key and puts it back. */
class CompanionTest : public testing::Test {
protected:
    ScopedKeyRestore settingsKey_{ HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY };

    static void SetRunning(DWORD running);
};

/* A companion started with "Running" at 1 in a fresh folder, its start-up calls in; asked to end with
 * "Running" at 0 when the test leaves it running. */
class RunningCompanionTest : public CompanionTest {
protected:
    void SetUp() override;
    void TearDown() override;

    CompanionFolder folder_{ "normal" };
    CompanionProcess companion_;
};

/* Runs the installed zentu64-notify.exe, as the main tool's icon does, with the argument; its exit code, -1 when
 * it did not start. */
long RunNotify(const std::string &argument);
/* The popup menu once it shows; NULL at the deadline. */
HWND WaitForMenu();

/* Each page's Help button asks the shell to open that page's help file from
 * the help folder beside the program. A recorder registered as the program
 * that opens .htm files stands in for the browser and writes down what it
 * was asked to open, and in which folder. */
#include "e2e/page_fixture.h"
#include "resources/resource.h"

#include <algorithm>

namespace {

struct HelpButton {
    int page;
    int control;
    const char *file;
};

const HelpButton HelpButtons[] = {
    { GENERAL, IDC_GENERAL_HELP, "HELP_GENERAL.HTM" },
    { FPS, IDC_FPS_HELP, "HELP_FPS.HTM" },
    { MOVIES, IDC_MOVIES_HELP, "HELP_MOVIES.HTM" },
    { SCREENSHOTS, IDC_SCREENSHOTS_HELP, "HELP_SCREENSHOTS.HTM" },
};

const char HtmClass[] = "SOFTWARE\\Classes\\.htm";
const char RecorderClass[] = "SOFTWARE\\Classes\\ZentuHelpTest.Recorder";
const char RecorderCommand[] = "SOFTWARE\\Classes\\ZentuHelpTest.Recorder\\shell\\open\\command";

/* The full, long form of an existing path, lower case, for comparing. */
std::string Canonical(const std::string &path)
{
    char full[MAX_PATH] = "", longForm[MAX_PATH] = "";
    GetFullPathNameA(path.c_str(), sizeof full, full, NULL);
    if (!GetLongPathNameA(full, longForm, sizeof longForm))
        return "(missing) " + path;
    std::string result = longForm;
    std::transform(result.begin(), result.end(), result.begin(), [](unsigned char c) { return (char)tolower(c); });
    return result;
}

std::string Unquoted(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    return text;
}

}  // namespace

class HelpButtonsTest : public Pages {
protected:
    /* The shell reads the association through HKEY_CLASSES_ROOT: Wine only
     * from the machine's classes, Windows from the user's first. */
    ScopedKeyRestore machineHtm_{ HKEY_LOCAL_MACHINE, HtmClass };
    ScopedKeyRestore machineRecorder_{ HKEY_LOCAL_MACHINE, RecorderClass };
    ScopedKeyRestore userHtm_{ HKEY_CURRENT_USER, HtmClass };
    ScopedKeyRestore userRecorder_{ HKEY_CURRENT_USER, RecorderClass };

    std::string HelpFolder() const { return folder_.Path() + "\\help"; }
    std::string RecordPath() const { return folder_.Path() + "\\opened.txt"; }

    void BeforeStart() override
    {
        /* The built help pages beside the program, as the package has them. */
        ASSERT_TRUE(CreateDirectoryA(HelpFolder().c_str(), NULL));
        for (const HelpButton &button : HelpButtons)
            ASSERT_TRUE(CopyFileA(BuildPath(std::string("help/") + button.file).c_str(),
                                  (HelpFolder() + "\\" + button.file).c_str(), FALSE))
                << button.file;

        std::string command = "\"" + BuildPath("tests/help/zentu_open_recorder.exe") + "\" \"" + RecordPath() +
                              "\" \"%1\"";
        for (HKEY root : { HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER }) {
            SetStringValue(root, HtmClass, "", "ZentuHelpTest.Recorder");
            SetStringValue(root, RecorderCommand, "", command);
        }
    }

    /* What the recorder was asked to open and the folder it was started in;
     * empty when nothing came before the deadline. */
    bool WaitForRecord(std::string &opened, std::string &folder)
    {
        return WaitUntil([&] {
            std::string record = ReadWholeFile(RecordPath());
            size_t openAt = record.find("open ");
            size_t folderAt = record.find("\r\nfolder ");
            if (openAt != 0 || folderAt == std::string::npos)
                return false;
            size_t folderEnd = record.find("\r\n", folderAt + 2);
            if (folderEnd == std::string::npos)
                return false;                   /* still being written */
            opened = Unquoted(record.substr(5, folderAt - 5));
            folder = record.substr(folderAt + 9, folderEnd - folderAt - 9);
            return true;
        }, 15000);
    }
};

TEST_F(HelpButtonsTest, EachPageOpensItsOwnHelpFileFromTheHelpFolder)
{
    for (const HelpButton &button : HelpButtons) {
        SCOPED_TRACE(button.file);
        DeleteFileA(RecordPath().c_str());
        /* The pages are hidden; a click message reaches the button all the same. */
        Click(button.page, button.control);

        std::string opened, folder;
        ASSERT_TRUE(WaitForRecord(opened, folder)) << "nothing was opened: " << ReadWholeFile(RecordPath());
        /* The shell may hand over the name as given, resolved in the working
         * folder, or the full path. */
        bool relative = opened.find(':') == std::string::npos && opened.rfind("\\\\", 0) != 0;
        std::string resolved = relative ? folder + "\\" + opened : opened;
        EXPECT_EQ(Canonical(HelpFolder() + "\\" + button.file), Canonical(resolved))
            << "opened " << opened << " in " << folder;
    }
}

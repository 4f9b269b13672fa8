/*
 * Hidden stand-in pages for the keyboard hook's tests: real top-level
 * windows with real hotkey fields (msctls_hotkey32) under the pages' control
 * ids, installed as FpsPage, MoviesPage and ScreenshotsPage for one test.
 * The fixture saves and restores the four hotkeys, the four assignment flags
 * and the page handles, so each test starts from the defaults with no flag
 * set and every field showing FieldMarker.
 */
#pragma once

#include "hotkeys/hotkeys.h"
#include "resources/resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

/* The text every field holds before the hook gets to write. */
extern const char FieldMarker[];

/* One of the four hotkey fields, in the hook's order of precedence. */
struct FieldRole {
    const char *name;
    UINT32 *assigning;
    HotkeyCode *hotkey;
    HWND *page;
    int controlId;
};
extern const FieldRole FieldRoles[4];
enum { MOVIE_FIELD, CAPTURE_FIELD, OVERLAY_FIELD, LOG_FIELD };

class HotkeyPages : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /* Defaults for the hotkeys, no flag set, the marker in every field and
     * nothing posted to the fields. */
    void ResetFields();
    HWND Field(int role) const;
    /* The field gets the focus and its flag is set, as its page does when
     * the user clicks into it. */
    void StartAssigning(int role, UINT32 flag = 1);
    std::string FieldText(int role) const;
    /* Removes what has been posted to the field and returns the (wParam,
     * lParam) of every EM_SETSEL among it; other posted messages count as
     * (message, -2) so that a test sees them too. */
    std::vector<std::pair<WPARAM, LPARAM>> TakePosted(int role) const;
    /* Removes and counts the messages posted to the thread itself (hwnd NULL). */
    int TakeThreadMessages() const;

private:
    HWND CreatePage(const char *title, const int *ids, int count);

    HotkeyCode savedHotkeys_[4] = {};
    UINT32 savedFlags_[4] = {};
    HWND savedPages_[3] = {};
    HWND fps_ = NULL, movies_ = NULL, screenshots_ = NULL;
};

/* A keyboard event as the system hands it to a low-level hook. */
KBDLLHOOKSTRUCT KeyEvent(DWORD vkCode, DWORD scanCode, DWORD flags);

/* The system's own name for a GetKeyNameTextA argument ("" when none). */
std::string SystemKeyName(LONG argument);

/*
 * zentu64-notify.exe: what the main tool's notification icon sends the
 * companion, from the command line. "open" (the default) is a double-click:
 * the page used last comes forward. "menu" is a right click: the popup menu.
 * Exit code 0 when the companion's general page took the message, 1 when no
 * companion runs, 2 for a wrong argument.
 */
#include "pages/pages.h"

#include <stdio.h>
#include <string.h>

int main(int argc, char **argv)
{
    const char *action = argc > 1 ? argv[1] : "open";
    LPARAM mouseMessage;
    if (strcmp(action, "open") == 0) {
        mouseMessage = WM_LBUTTONDBLCLK;
    } else if (strcmp(action, "menu") == 0) {
        mouseMessage = WM_RBUTTONUP;
    } else {
        fprintf(stderr, "usage: zentu64-notify [open|menu]\n");
        return 2;
    }
    HWND generalPage = FindWindowA(NULL, GENERAL_PAGE_TITLE);
    if (!generalPage) {
        fprintf(stderr, "zentu64-notify: the companion is not running\n");
        return 1;
    }
    /* Posted: the menu runs a modal loop in the companion. */
    return PostMessageA(generalPage, WM_PAGE_NOTIFY, 0, mouseMessage) ? 0 : 1;
}

/* Brings one settings page of the running companion forward by clicking its
 * tab on the page that shows now, as a user would:
 *   show-page.exe general|fps|movies|screenshots
 * Used by scripts/screenshots.sh. Exit code 0 when the page shows. */
#include <windows.h>

#include <string.h>

struct Page {
    const char *name;
    const char *title;
    int tabX;                   /* middle of its tab, 400 x 300 design space */
};

static const Page Pages[] = {
    { "general", "ZENTU64 general", 42 },
    { "fps", "ZENTU64 fps", 97 },
    { "movies", "ZENTU64 movies", 150 },
    { "screenshots", "ZENTU64 screenshots", 223 },
};
static const int TabY = 49;

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const Page *target = NULL;
    for (const Page &page : Pages)
        if (strcmp(argv[1], page.name) == 0)
            target = &page;
    if (!target)
        return 2;
    HWND wanted = FindWindowA(NULL, target->title);
    if (!wanted)
        return 3;
    for (int attempt = 0; attempt < 100 && !IsWindowVisible(wanted); attempt++) {
        for (const Page &page : Pages) {
            HWND shown = FindWindowA(NULL, page.title);
            if (!shown || !IsWindowVisible(shown))
                continue;
            RECT rect;
            GetWindowRect(shown, &rect);
            int x = (target->tabX * (rect.right - rect.left) + 399) / 400;
            int y = (TabY * (rect.bottom - rect.top) + 299) / 300;
            PostMessageA(shown, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
            PostMessageA(shown, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
            break;
        }
        Sleep(100);
    }
    return IsWindowVisible(wanted) ? 0 : 1;
}

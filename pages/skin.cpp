/* The skin: page icon, null brush and the two sets of skin bitmaps. */
#include "pages/page_frame.h"

#include "base/base.h"
#include "resources/resource.h"

struct ButtonBitmaps {
    SkinRole role;
    int up, pressed;
    int width, height;
    int upHighDpi, pressedHighDpi;
    int widthHighDpi, heightHighDpi;
};

/* Source sizes are the drawing constants, whatever size the bitmaps are. */
static const ButtonBitmaps ButtonTable[ROLE_COUNT] = {
    { ROLE_HELP, IDB_HELP_UP, IDB_HELP_DOWN, 80, 24, IDB_HELP_UP_HD, IDB_HELP_DOWN_HD, 100, 30 },
    { ROLE_MINIMISE, IDB_MINIMISE_UP, IDB_MINIMISE_DOWN, 18, 14, IDB_MINIMISE_UP_HD, IDB_MINIMISE_DOWN_HD, 23, 18 },
    { ROLE_CLOSE, IDB_CLOSE_UP, IDB_CLOSE_DOWN, 18, 14, IDB_CLOSE_UP_HD, IDB_CLOSE_DOWN_HD, 23, 18 },
    { ROLE_CLEAR_HOTKEY, IDB_CLEAR_UP, IDB_CLEAR_DOWN, 80, 24, IDB_CLEAR_UP_HD, IDB_CLEAR_DOWN_HD, 100, 30 },
    { ROLE_CHANGE_FOLDER, IDB_CHANGE_UP, IDB_CHANGE_DOWN, 80, 24, IDB_CHANGE_UP_HD, IDB_CHANGE_DOWN_HD, 100, 30 },
    { ROLE_VIEW_FOLDER, IDB_VIEW_UP, IDB_VIEW_DOWN, 80, 24, IDB_VIEW_UP_HD, IDB_VIEW_DOWN_HD, 100, 30 },
};

static HICON SkinIcon;
static HBRUSH SkinNullBrush;
static HBITMAP ButtonUp[ROLE_COUNT], ButtonPressed[ROLE_COUNT];
static HBITMAP ButtonUpHighDpi[ROLE_COUNT], ButtonPressedHighDpi[ROLE_COUNT];
static HBITMAP Backgrounds[PAGE_COUNT], BackgroundsHighDpi[PAGE_COUNT];

static BOOL HighDpi(void)
{
    return PageDpi >= 120u;
}

static HBITMAP LoadSkinBitmap(int id)
{
    return (HBITMAP)LoadImageA(ProgramInstance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
}

void LoadSkin(void)
{
    /* A copy of the icon of the program's own (LoadIconA would hand out the
     * shared one, which must never be destroyed), so that ReleaseSkin may
     * destroy it like every other part of the skin. */
    SkinIcon = (HICON)LoadImageA(ProgramInstance, MAKEINTRESOURCEA(IDI_PAGE_ICON), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE);
    SkinNullBrush = (HBRUSH)GetStockObject(NULL_BRUSH);
    for (int role = 0; role < ROLE_COUNT; role++) {
        ButtonUp[role] = LoadSkinBitmap(ButtonTable[role].up);
        ButtonPressed[role] = LoadSkinBitmap(ButtonTable[role].pressed);
    }
    for (int page = 0; page < PAGE_COUNT; page++)
        Backgrounds[page] = LoadSkinBitmap(PageFrames[page].background);

    for (int role = 0; role < ROLE_COUNT; role++)
        ButtonUpHighDpi[role] = ButtonPressedHighDpi[role] = NULL;
    for (int page = 0; page < PAGE_COUNT; page++)
        BackgroundsHighDpi[page] = NULL;
    if (!HighDpi())
        return;
    for (int role = 0; role < ROLE_COUNT; role++) {
        ButtonUpHighDpi[role] = LoadSkinBitmap(ButtonTable[role].upHighDpi);
        ButtonPressedHighDpi[role] = LoadSkinBitmap(ButtonTable[role].pressedHighDpi);
    }
    for (int page = 0; page < PAGE_COUNT; page++)
        BackgroundsHighDpi[page] = LoadSkinBitmap(PageFrames[page].backgroundHighDpi);
}

static void DeleteBitmap(HBITMAP *bitmap)
{
    if (*bitmap)
        DeleteObject(*bitmap);
    *bitmap = NULL;
}

void ReleaseSkin(void)
{
    for (int role = 0; role < ROLE_COUNT; role++) {
        DeleteBitmap(&ButtonUp[role]);
        DeleteBitmap(&ButtonPressed[role]);
        DeleteBitmap(&ButtonUpHighDpi[role]);
        DeleteBitmap(&ButtonPressedHighDpi[role]);
    }
    for (int page = 0; page < PAGE_COUNT; page++) {
        DeleteBitmap(&Backgrounds[page]);
        DeleteBitmap(&BackgroundsHighDpi[page]);
    }
    if (SkinIcon)
        DestroyIcon(SkinIcon);
    SkinIcon = NULL;
}

HICON PageIcon(void)
{
    return SkinIcon;
}

HBRUSH NullBrush(void)
{
    return SkinNullBrush;
}

/* Blits a source rectangle of a skin bitmap onto a destination rectangle. A
 * null bitmap leaves the memory DC with its default 1x1 bitmap; the blit
 * still runs and draws nothing useful, as the page expects. */
static void BlitSkin(HDC target, HBITMAP bitmap, int sourceWidth, int sourceHeight, const RECT &destination)
{
    HDC memory = CreateCompatibleDC(target);
    HGDIOBJ previous = bitmap ? SelectObject(memory, bitmap) : NULL;
    StretchBlt(target, destination.left, destination.top, destination.right - destination.left,
               destination.bottom - destination.top, memory, 0, 0, sourceWidth, sourceHeight, SRCCOPY);
    /* Put the DC's own bitmap back before deleting it, or the skin bitmap
     * stays selected into a dead DC. */
    if (previous)
        SelectObject(memory, previous);
    DeleteDC(memory);
}

void PaintPageBackground(PageIndex index, HDC target)
{
    RECT destination = { 0, 0, PageWidth, PageHeight };
    if (HighDpi())
        BlitSkin(target, BackgroundsHighDpi[index], 500, 375, destination);
    else
        BlitSkin(target, Backgrounds[index], 400, 300, destination);
}

void DrawSkinButton(SkinRole role, const DRAWITEMSTRUCT *item)
{
    BOOL pressed = (item->itemState & ODS_SELECTED) != 0;
    const ButtonBitmaps &entry = ButtonTable[role];
    if (HighDpi())
        BlitSkin(item->hDC, pressed ? ButtonPressedHighDpi[role] : ButtonUpHighDpi[role], entry.widthHighDpi,
                 entry.heightHighDpi, item->rcItem);
    else
        BlitSkin(item->hDC, pressed ? ButtonPressed[role] : ButtonUp[role], entry.width, entry.height,
                 item->rcItem);
}

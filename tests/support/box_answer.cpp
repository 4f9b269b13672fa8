#include "support/box_answer.h"

BoxAnswerer::BoxAnswerer(const std::string &caption, const std::string &button)
    : thread_([this, caption, button] { Answer(caption, button); })
{
}

BoxAnswerer::~BoxAnswerer()
{
    if (thread_.joinable())
        thread_.join();
}

bool BoxAnswerer::Answered()
{
    if (thread_.joinable())
        thread_.join();
    return answered_;
}

void BoxAnswerer::Answer(const std::string &caption, const std::string &button)
{
    HWND box = WaitForProcessWindow(GetCurrentProcessId(), caption, 10000);
    if (!box)
        return;
    shown_ = ReadMessageBox(box);
    owner_ = GetWindow(box, GW_OWNER);
    answered_ = PressMessageBoxButton(box, button);
}

/* A message box of this process answered from a thread of its own, while the thread that shows it waits in it. */
#pragma once
#include "support/desktop.h"

#include <string>
#include <thread>

class BoxAnswerer {
public:
    /* Waits up to 10 s for the first box of this process with that caption and presses the button. */
    BoxAnswerer(const std::string &caption, const std::string &button);
    ~BoxAnswerer();
    /* Waits for the answer; false when no box came. */
    bool Answered();
    const MessageBoxContent &Shown() const { return shown_; }
    HWND Owner() const { return owner_; }

private:
    void Answer(const std::string &caption, const std::string &button);

    MessageBoxContent shown_{};
    HWND owner_ = NULL;
    bool answered_ = false;
    std::thread thread_;
};

/* The close button asks before the companion ends. */
#include "support/box_answer.h"
#include "support/page_set.h"

#include "resources/resource.h"

class ExitPrompt : public PagesInProcess {};

TEST_F(ExitPrompt, TheCloseButtonAsksFirstAndCancelKeepsThePage)
{
    Create();
    BoxAnswerer answer("Exit Zentu?", "Cancel");
    Click(FpsPage, IDC_FPS_CLOSE);
    EXPECT_TRUE(answer.Answered()) << "no prompt";
    EXPECT_EQ(FpsPage, answer.Owner());
    EXPECT_TRUE(IsWindow(FpsPage));
}

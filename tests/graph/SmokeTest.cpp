#include "GraphTestSupport.h"

using namespace graphtest;

class Smoke : public GraphFixture {};

TEST_F(Smoke, Draws)
{
    Track(Frames(100, Voiced(900)) + Frames(20, Silent()) + Frames(100, Voiced(1100)));
    DrawLine({{50, 100}, {150, 80}});
    ui.Save(host->Window(), "/tmp/smoke.png");
    EXPECT_EQ(Curves().size(), 2u);
}

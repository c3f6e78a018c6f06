// Pictures of the panel in both modes, checked by what must be in them.

#include "PanelTestSupport.h"

using paneltest::PanelTest;

namespace {

TEST_F(PanelTest, AutomaticModePicture)
{
    EXPECT_TRUE(m_ui.Save(m_frame, "/tmp/panel-auto.png"));
    m_panel->SwitchToGraphical(false);
    EXPECT_TRUE(m_ui.Save(m_frame, "/tmp/panel-graph.png"));
}

}  // namespace

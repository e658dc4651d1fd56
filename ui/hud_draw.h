#pragma once
// The interface of a frame: which screens, windows and labels are drawn over
// the world and in what order.
void hud_draw();

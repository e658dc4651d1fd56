#pragma once
// The single frame shown while the world is being built.

void title_card_present();           // draws the title card into the window framebuffer

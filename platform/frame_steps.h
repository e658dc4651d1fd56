#pragma once
// Entry points of every subsystem that the main loop calls, in one place so
// the fixed frame order can be read from main_loop.cpp alone.

// Start-up.
bool options_read();                 // true when the options file was read
void options_apply_window();         // windowed size and fullscreen from the options
bool gl_load();                      // false: a GL entry point is missing (already logged)
void gpu_init_interface();  // what the title card needs
void gpu_init();
void snd_init();
void title_card_present();           // draws the title card into the window framebuffer
void world_ground_start();          // the world's CPU part on a worker, ahead of world_build
void world_ground_wait();
void world_build();
int obstacle_count();
void villagers_build();
void gathering_build();
void net_read_address();
void characters_load();

// Per frame.
void hud_dialog_input();
void hud_update(float dt);
void snd_update(float dt);
void player_update(float dt);
void creatures_update(float dt);
void seneschal_update(float dt);
void merchant_update(float dt);
void lady_quest_update(float dt);
void quests_update(float dt);
void ambience_update(float dt);
void zones_update(float dt);
void crafting_update(float dt);
void catacombs_update(float dt);
void net_update(float dt);

void render_begin_frame();
void character_preview_render();
void player_submit();
void creatures_submit();
void remote_players_submit();
void seneschal_submit();
void merchant_submit();
void lady_submit();
void quest_figures_submit();
void world_submit();
void ambience_submit();
void gathering_submit();
void catacombs_submit();
void render_frame();
void hud_draw();
void ui_flush();

// Exit.
void options_write();
void character_save_current();
void net_shutdown();

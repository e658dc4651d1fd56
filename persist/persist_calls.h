#pragma once
// Calls from persist/ up to the layers above it, through one table that game/
// fills at start-up. The defaults do nothing; tests assign fakes.
struct AppearanceChoice;
struct PersistCalls {
    void (*net_connect)(const char* address);  // a character started online
    // The creation screen: opened for a new character, and the looks it
    // holds back while they are being edited (false when none).
    void (*character_creation_open_new)();
    bool (*character_creation_confirmed_look)(AppearanceChoice* look, float* heading);
};
extern PersistCalls persist_calls;

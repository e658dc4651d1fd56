#pragma once
// Calls from persist/ up to the layers above it, through one table that game/
// fills at start-up. The defaults do nothing; tests assign fakes.
struct AppearanceChoice;
struct PersistCalls {
    // The looks the creation screen holds back while they are being edited
    // (false when none): a save in the meantime keeps the confirmed ones.
    bool (*character_creation_confirmed_look)(AppearanceChoice* look, float* heading);
};
extern PersistCalls persist_calls;

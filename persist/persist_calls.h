#pragma once
// Calls from persist/ up to the layers above it, through one table that game/
// fills at start-up. The defaults do nothing; tests assign fakes.
struct PersistCalls {
    void (*net_connect)(const char* address);  // a character started online
};
extern PersistCalls persist_calls;

#pragma once
// Calls from content/ up to the layers above it, through one table that game/
// fills at start-up. The defaults do nothing; tests assign fakes.
struct ContentCalls {
    void (*save_character)();  // after a quest's reward
};
extern ContentCalls content_calls;

#include "persist/persist_calls.h"

PersistCalls persist_calls = {
    [](AppearanceChoice*, float*) { return false; },
};

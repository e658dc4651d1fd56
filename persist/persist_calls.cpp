#include "persist/persist_calls.h"

PersistCalls persist_calls = {
    [](const char*) {},
    [] {},
    [](AppearanceChoice*, float*) { return false; },
};

#include "world/world_calls.h"

WorldCalls world_calls = {
    [] { return 2; },
    [] {},
};

#include "content/content_calls.h"

ContentCalls content_calls = {
    [] {},
};

// GL entry point loading: one table of names and pointer slots, filled once
// after the context exists.
#include "render/gl_api.h"

#include <cassert>
#include <cstdint>

#include "platform/platform.h"

#define GL_DEFINE_POINTER(ret, name, params) PFN_##name##_t name = nullptr;
GL_CORE_FUNCTIONS(GL_DEFINE_POINTER)
GL_EXTRA_FUNCTIONS(GL_DEFINE_POINTER)
#undef GL_DEFINE_POINTER

namespace {

struct GlEntry {
    const char* name;
    void** slot;
};

#define GL_ENTRY(ret, name, params) {#name, reinterpret_cast<void**>(&name)},
const GlEntry core_entries[] = {GL_CORE_FUNCTIONS(GL_ENTRY)};
const GlEntry extra_entries[] = {GL_EXTRA_FUNCTIONS(GL_ENTRY)};
#undef GL_ENTRY

static_assert(sizeof(core_entries) / sizeof(core_entries[0]) == GL_CORE_COUNT,
              "the required GL table must hold exactly the checked entry points");

// Some Windows drivers answer 1, 2, 3 or -1 instead of null for an unknown name.
void* sane_proc(void* p) {
    intptr_t v = reinterpret_cast<intptr_t>(p);
    if (v == 0 || v == 1 || v == 2 || v == 3 || v == -1) return nullptr;
    return p;
}

}  // namespace

bool gl_load_with(void* (*lookup)(const char* name)) {
    bool complete = true;
    for (const GlEntry& e : core_entries) {
        void* p = sane_proc(lookup(e.name));
        *e.slot = p;
        if (!p) {
            log_printf("OpenGL : fonction absente %s", e.name);
            complete = false;
        }
    }
    for (const GlEntry& e : extra_entries) *e.slot = sane_proc(lookup(e.name));
    return complete;
}

bool gl_load() { return gl_load_with(gl_proc); }

const char* gl_core_name(int index) {
    assert(index >= 0 && index < GL_CORE_COUNT);
    if (index < 0 || index >= GL_CORE_COUNT) return nullptr;
    return core_entries[index].name;
}

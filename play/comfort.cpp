// Hold or toggle for the lasting actions.
#include "play/comfort.h"

#include "play/bindings.h"

Comfort comfort = {0, 0, 0, FIELD_OF_VIEW_DEFAULT};

namespace {
bool walk_on = false, guard_on = false, look_latched = false;

bool toggled(int action, bool toggle, bool* on) {
    if (!toggle) {
        *on = false;
        return binding_held(action);
    }
    if (binding_pressed(action)) *on = !*on;
    return *on;
}
}  // namespace

void comfort_defaults() { comfort = {0, 0, 0, FIELD_OF_VIEW_DEFAULT}; }

bool comfort_walking(bool allowed) { return allowed && toggled(BIND_WALK, comfort.walk_toggle != 0, &walk_on); }

bool comfort_guarding(bool allowed) {
    // While not allowed (paused, another class) presses do not switch it.
    return allowed && toggled(BIND_GUARD, comfort.guard_toggle != 0, &guard_on);
}

void comfort_release() {
    walk_on = false;
    guard_on = false;
    look_latched = false;
}

bool comfort_look_latched() { return look_latched && comfort.look_toggle; }
void comfort_set_look_latched(bool on) { look_latched = on; }

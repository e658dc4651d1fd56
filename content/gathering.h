#pragma once
// The gathering nodes of the wild: built at start-up, drawn each frame.

void gathering_build();
void gathering_submit();

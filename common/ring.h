#pragma once
// Fixed arrays used round and round (a queue of audio buffers, the GPU timer
// slots, a few text buffers): the slot a number of places on from another,
// coming back to 0 after the last.

// The slot `ahead` places after `slot` in a ring of `size` slots (slot in
// 0..size-1, ahead from 0 up).
constexpr int ring_slot(int slot, int ahead, int size) { return (slot + ahead) % size; }

#pragma once
// The wire formats between the game and tervanne-serveur, shared by both so
// that the byte layout lives in one place. No game state here: the server
// builds from this file alone.
#include <cstdint>

constexpr int NET_MAX_PLAYERS = 10;
constexpr uint16_t NET_DEFAULT_PORT = 27950;

enum NetType : uint8_t {
    NET_HELLO = 1,
    NET_POSE = 2,
    NET_BYE = 3,
    NET_WELCOME = 10,
    NET_FULL = 11,
    NET_WORLD = 12,
    NET_PLAYER = 13,
    NET_LEFT = 14,
    // Ours, beyond the bare protocol: the number a hello must echo before
    // the server gives it a place (bytes 5..8).
    NET_CHALLENGE = 15,
};

constexpr int NET_HEADER_SIZE = 5;     // "TVN1" and the type
constexpr int NET_HELLO_SIZE = 59;
constexpr int NET_POSE_SIZE = 43;
constexpr int NET_BYE_SIZE = 5;
constexpr int NET_WELCOME_SIZE = 7;
constexpr int NET_FULL_SIZE = 5;
constexpr int NET_WORLD_HEADER = 10;
constexpr int NET_WORLD_ENTRY = 35;
constexpr int NET_WORLD_SIZE_MAX = NET_WORLD_HEADER + NET_MAX_PLAYERS * NET_WORLD_ENTRY;
constexpr int NET_PLAYER_SIZE = 60;
constexpr int NET_LEFT_SIZE = 6;
// The server's number echoed in four trailing bytes of our hellos, poses and
// byes; a server of the bare protocol reads only the bytes before them.
constexpr int NET_COOKIE_SIZE = 4;
constexpr int NET_CHALLENGE_SIZE = NET_HEADER_SIZE + NET_COOKIE_SIZE;
// A welcome with the number at bytes 7..10 (a bare client reads byte 5 only).
constexpr int NET_WELCOME_COOKIE_SIZE = NET_WELCOME_SIZE + NET_COOKIE_SIZE;
// "full" with a reason at byte 5 and the cap at byte 6 (a bare client reads
// the type only).
enum : uint8_t { NET_FULL_PLAYERS = 0, NET_FULL_PER_ADDRESS = 1 };
constexpr int NET_FULL_REASON_SIZE = 7;
// Bytes 5..58 of a hello: what a player message repeats from byte 6 on.
constexpr int NET_IDENTITY_SIZE = NET_HELLO_SIZE - NET_HEADER_SIZE;
// Bytes 9..42 of a pose: what a world entry repeats after the player number.
constexpr int NET_POSE_BODY_SIZE = NET_POSE_SIZE - 9;
constexpr int NET_EQUIPMENT_SLOTS = 11;
constexpr int NET_NAME_SIZE = 24;

// Who a player is: name, class, looks, level and the worn items (not the weapon).
struct NetIdentity {
    char name[NET_NAME_SIZE];  // always zero-ended
    uint8_t player_class, woman, skin, eyes, hair, style, beard, level;
    uint16_t equipment[NET_EQUIPMENT_SLOTS];
};

// One pose as it travels (all f32 finite once it has passed net_pose_sanitize).
struct NetPose {
    float x, y, z, heading;
    float ground_speed, guard_blend, swing_progress, whirlwind_progress;
    uint8_t combo_index;
    uint8_t flags;  // bit 0 on the ground, bit 1 dead, bit 2 charging
};

enum : uint8_t { NET_FLAG_ON_GROUND = 1, NET_FLAG_DEAD = 2, NET_FLAG_CHARGING = 4, NET_FLAGS_KNOWN = 7 };

// Limits of a received pose: the world spans well under 4 km, nobody runs
// faster than a charge.
constexpr float NET_POSITION_LIMIT = 4096.0f;
constexpr float NET_SPEED_LIMIT = 30.0f;

// ---- Little-endian fields -----------------------------------------------------------
void net_put_u16(uint8_t* p, uint16_t v);
void net_put_u32(uint8_t* p, uint32_t v);
void net_put_f32(uint8_t* p, float v);
uint16_t net_get_u16(const uint8_t* p);
uint32_t net_get_u32(const uint8_t* p);
float net_get_f32(const uint8_t* p);

// Magic and type; the type byte, or -1 when shorter than 5 bytes or not "TVN1".
int net_message_type(const uint8_t* data, int length);
void net_put_header(uint8_t* out, uint8_t type);

// ---- Client to server (each returns the byte count written) ---------------------------
int net_write_hello(uint8_t* out, const NetIdentity& id);
int net_write_pose(uint8_t* out, uint32_t sequence, const NetPose& pose);
int net_write_bye(uint8_t* out);
// Appends the echoed number after a message of `length` bytes; the new length.
int net_append_cookie(uint8_t* out, int length, uint32_t cookie);
// The echoed number of a message whose bare form is `bare_size` bytes: false
// when it has no trailing number (a client of the bare protocol).
bool net_trailing_cookie(const uint8_t* data, int length, int bare_size, uint32_t* cookie);

// ---- Server to client ---------------------------------------------------------------
// With a cookie other than 0, the 11-byte welcome that carries it.
int net_write_welcome(uint8_t* out, uint8_t player, uint32_t cookie = 0);
int net_write_challenge(uint8_t* out, uint32_t cookie);
// NET_FULL_PLAYERS: the bare 5 bytes; a per-address refusal says so and the cap.
int net_write_full(uint8_t* out, uint8_t reason = NET_FULL_PLAYERS, uint8_t cap = 0);
// Header of a world message; entries follow with net_write_world_entry.
int net_write_world_header(uint8_t* out, uint32_t tick, uint8_t count);
int net_write_world_entry(uint8_t* out, uint8_t player, const uint8_t* pose_body);
// identity: bytes 5..58 of the player's hello.
int net_write_player(uint8_t* out, uint8_t player, const uint8_t* identity);
int net_write_left(uint8_t* out, uint8_t player);

// ---- Reading ----------------------------------------------------------------------
// The 34 bytes of a pose body (from byte 9 of a pose packet, or byte 1 of a
// world entry) as read, unchecked.
NetPose net_read_pose_body(const uint8_t* body);
// Makes a received pose safe to use: false (drop it) when a position or any
// other value is not finite; otherwise positions and blends are clamped to
// their ranges, the heading is wrapped to (-pi, pi] with a remainder, the
// blow index is kept to the three blows and unknown flag bits are cleared.
bool net_pose_sanitize(NetPose* pose);
// The 54 identity bytes (hello bytes 5..58) as read: the name is cut and
// zero-ended, the numbers are clamped to their tables (woman is 0 or 1);
// equipment ids are copied as sent.
NetIdentity net_read_identity(const uint8_t* identity);
// A received name made text: valid UTF-8 with no control characters (each
// byte that is neither becomes '?'), cut at a whole character within 23
// bytes, every byte after the end zero. Works in place on NET_NAME_SIZE bytes.
void net_clean_name(char* name);

// ---- Address text ---------------------------------------------------------------------
// "host" or "host:port" as a player types it. Leading spaces skipped, the host
// cut at ':' or after 63 characters, trailing spaces removed; the port is used
// only when it is a number from 1 to 65535, else 27950. False for an empty host.
bool net_parse_address(const char* text, char* host, int host_capacity, uint16_t* port);
// "localhost" or a dotted quad of four numbers each at most 255: the address
// in host order. False means the host must be resolved by name.
bool net_numeric_host(const char* host, uint32_t* address);

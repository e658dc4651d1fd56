// One HTTP GET of base address + relative path; the transport is the
// backend's (WinHTTP, libcurl), the rules about the body are shared here.
#pragma once
#include <cstddef>
#include <cstdint>

struct LFile;

// Where a body goes and how far the whole download has come.
struct HttpSink {
    char* mem;          // memory target, or null
    size_t capacity;    // the body must stay below this so a zero fits
    LFile* file;        // file target, or null
    uint64_t limit;     // file target: more bytes than this fail (an empty file takes none)
    uint64_t received;  // bytes of this body so far
    uint64_t done;      // bytes of earlier files
    uint64_t total;     // bytes of the whole download, 0: no progress
};

// Takes one chunk of the body; false fails the request.
bool http_sink_accept(HttpSink* sink, const void* data, size_t len);
// Zero-terminates a memory body.
void http_sink_finish(HttpSink* sink);

struct UrlParts {
    bool secure;
    char host[800];  // 199 UTF-16 units at most
    int port;
    const char* path;  // into the URL given to url_split, "/" when none
};
// Splits a full URL; false when it has no "://", the host is empty or too
// long, or the port is not a number from 1 to 65535.
bool url_split(const char* url, UrlParts* out);

// Base address (ending with "/") that http_get prefixes; set at start-up.
extern char launcher_base_address[1024];
// Builds base + relative into out (capacity cap); false when longer than
// 599 UTF-16 units or when the base is empty.
bool http_full_url(const char* relative, char* out, size_t cap);

// Implemented by the backend.
bool http_get(const char* relative, HttpSink* sink);

// Linux backend: trust only the certificates of this PEM file instead of
// the system's (null: the system's again). For tests with a site of their own.
void http_trust_only(const char* pem_path);

#pragma once
// The small text files the game keeps beside itself (characters, options):
// one "key value" per line, CR LF on writing, LF (with an optional CR) on
// reading, the first line a "#" comment. Shared by the character and options
// files.

// Value of the first line that starts with key and one space, or null.
const char* kv_find(const char* text, const char* key);
// Integer value: spaces skipped, an optional "-", then up to 9 digits.
// Anything else (or a missing key) gives def; *found says whether a
// number was read.
int kv_int(const char* text, const char* key, int def, bool* found = nullptr);
// Text value up to the end of its line, cut to capacity - 1 bytes without
// splitting a UTF-8 sequence. False (and out left empty) when absent.
bool kv_text(const char* text, const char* key, char* out, int capacity);
// Copies at most capacity - 1 bytes of src, never cutting a UTF-8 sequence.
void kv_copy_utf8(char* out, int capacity, const char* src, int length);

// Appends formatted lines to a fixed buffer; a line that does not fit is
// dropped whole and marks the writer as overflowed.
struct KvWriter {
    char* buffer;
    int capacity;
    int used;
    bool overflow;
};
void kv_begin(KvWriter& w, char* buffer, int capacity);
void kv_printf(KvWriter& w, const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
void kv_line(KvWriter& w, const char* key, int value);

// The file calls persist/ goes through: the platform's, or a test's fakes
// (a file held by another program, a full disk).
struct KvFileCalls {
    int (*read)(const char* name, char* buffer, int capacity);
    bool (*write)(const char* name, const void* data, int length);
    bool (*replace)(const char* from_name, const char* to_name);
    bool (*busy)();  // after a failed call: another program holds the file
};
const KvFileCalls& kv_files();
void kv_set_file_calls(const KvFileCalls* calls);  // null: the platform's

// Writes a whole file so that a crash or a full disk at any point leaves
// either the old or the new file: the bytes go to "<name>.tmp" and that file
// then replaces name. False (and the old file untouched) on failure.
bool kv_write_file(const char* name, const char* data, int length);
// After kv_write_file failed: true when a file another program held was the
// cause, so that the same write may pass a moment later.
bool kv_write_busy();
// The file writer used by kv_write_file; tests swap it to cut writes short.
typedef bool (*KvFileWriter)(const char* name, const void* data, int length);
void kv_set_file_writer(KvFileWriter writer);  // null: the file calls' write

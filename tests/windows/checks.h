#pragma once
// The Windows backend checks' groups: one PASS/FAIL line each.
extern int failed_groups;
void begin(const char* name);
void expect(bool ok, const char* what, int line);
void end();
#define EXPECT(cond) expect((cond), #cond, __LINE__)

// Files held by another program, read-only files, saves meeting them, and
// the folder lock (file_checks.cpp).
void check_held_and_refused_files();
void check_saves_held_or_refused();
void check_folder_lock();
// One case run alone in a folder the script prepared ("revendiquer",
// "dossier-en-lecture-seule", "disque-plein", "disque-libre"); exit code.
int check_file_case(const char* which);

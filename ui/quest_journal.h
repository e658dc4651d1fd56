#pragma once
// The quest log window.
void quest_journal_draw();

#pragma once

// The program's string table (US English, language 0x0409).

inline constexpr unsigned kStringTableLanguage = 0x0409;

// The string with this id; null when the table has none.
const char* FindString(unsigned id);

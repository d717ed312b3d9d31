// Debug output: messages to standard error and to a log file next to the
// application. Messages are cut to 255 bytes.
#pragma once

// Writes the formatted message and a line end to standard error; when the
// format cannot be applied, "ERROR PRINTING TO CONSOLE!!!!".
void DebugPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Makes the file of that name in the folder holding the application the log
// file, created empty (replacing one there); false when it cannot be made.
[[nodiscard]] bool SetDebugLogFile(const char* name);

// Appends "sourceFile: line: N; message" and a line end to the log file;
// nothing when no log file is set or it cannot be opened.
void WriteDebugLog(const char* sourceFile, int line, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

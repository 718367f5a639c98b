/* Writing a whole text file in one go, as the report and the merge file are. */
#ifndef QUORVEX_TEXT_FILE_H
#define QUORVEX_TEXT_FILE_H

/* Replaces the file with exactly the bytes of text (no terminating NUL).
   On failure shows the matching message with ShowError and returns 0. */
int WriteTextFile(const char *path, const char *text, const char *createFailed, const char *writeFailed);

#endif

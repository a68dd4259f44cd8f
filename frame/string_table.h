// The library's string table as portable data, for programs that have no
// resource loader (the native fitting tool and the native tests).
#ifndef ORTK232_FRAME_STRING_TABLE_H
#define ORTK232_FRAME_STRING_TABLE_H

// The text of a string-table row, or an empty text for an id without a row.
const char *LibraryString(unsigned id);

#endif

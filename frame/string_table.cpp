#include "frame/string_table.h"

#include "res/resource.h"

namespace {

struct StringRow {
    unsigned id;
    const char *text;
};

const StringRow kStrings[] = {
#define ORTK_STRING(id, text) {id, text},
#include "res/strings.inc"
#undef ORTK_STRING
};

} // namespace

const char *LibraryString(unsigned id) {
    for (const StringRow &row : kStrings)
        if (row.id == id)
            return row.text;
    return "";
}

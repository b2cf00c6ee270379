#pragma once

namespace quillon::model {

struct CodePageTable {
    const char* name;
    char16_t upper[128]; // characters for bytes 0x80..0xFF; 0x00..0x7F are ASCII
};

extern const CodePageTable kCodePageTables[];
extern const int kCodePageTableCount;

} // namespace quillon::model

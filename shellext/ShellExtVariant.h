// What sets the four context-menu extensions apart: one row each, the rest is shared.
#pragma once

enum ShellExtVariantIndex {
    SHELLEXT_FOR_ME = 0,
    SHELLEXT_GENERAL = 1,
    SHELLEXT_ZIP = 2,
    SHELLEXT_WIPE = 3
};

// What the menu does when the first selected item is an encrypted or signature file.
enum PgpFileRule {
    PGP_IGNORED,        // nothing changes
    PGP_HIDES_ITEM,     // no item at all
    PGP_CHANGES_TEXT    // the item shows the text of pgpMenuKey
};

struct ShellExtVariant {
    const char* menuKey;             // catalogue key of the menu item
    PgpFileRule pgpRule;
    const char* pgpMenuKey;          // for PGP_CHANGES_TEXT
    const char* helpText;            // the same in every language
    bool plainDirectoriesOnly;       // Initialize takes only items whose attributes are exactly a directory's
    const char* const* arguments;    // after the program path and before the name list; null-terminated
};

const ShellExtVariant& shellExtVariant(ShellExtVariantIndex index);

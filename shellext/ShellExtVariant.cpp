#include "shellext/ShellExtVariant.h"

namespace {

// Each flag word has its own "!" before it; the last "!" comes before the name list.
const char* const kForMeArguments[] = {"!explorer!", "!", "true", "!", "false", "!", "false", "!", "false", "!", nullptr};
const char* const kGeneralArguments[] = {"!explorer!", "!", "false", "!", "false", "!", "false", "!", "false", "!", nullptr};
const char* const kZipArguments[] = {"!explorer!", "!", "false", "!", "false", "!", "true", "!", "false", "!", nullptr};
const char* const kWipeArguments[] = {"!wipe!", nullptr};

const ShellExtVariant kVariants[] = {
    {"TARNEL_THE_FILE_FOR_ME", PGP_HIDES_ITEM, nullptr, "Tarnel", false, kForMeArguments},
    {"TARNEL_THE_FILE", PGP_CHANGES_TEXT, "DECRYPT_WITH_TARNEL", "Tarnel", false, kGeneralArguments},
    {"TARNEL_ZIP", PGP_IGNORED, nullptr, "Quenby", true, kZipArguments},
    {"WIPE", PGP_IGNORED, nullptr, "Quenby", false, kWipeArguments},
};

}  // namespace

const ShellExtVariant& shellExtVariant(ShellExtVariantIndex index)
{
    return kVariants[index];
}

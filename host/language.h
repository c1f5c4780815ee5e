// The UI languages of the plug-in's resources, by the tags support staff
// know them by: --lang makes one of them the user's UI language for the run.
#pragma once

#include "platform/win32.h"

#include <string>
#include <vector>

namespace host {

struct UiLanguage {
    const char *tag;  // "zh-CN"
    LANGID id;        // 0x0804
    const char *name;
};

// The 17 languages the resources carry, Simplified Chinese first.
const std::vector<UiLanguage> &UiLanguages();
// The language of a tag, without regard to case ('_' for '-' too); null
// when the resources have no such language.
const UiLanguage *FindUiLanguage(const std::string &tag);
// Makes the language the user's UI language of this process: every thread,
// the plug-in's dialogs and message boxes included, loads its resources in
// that language.
void UseUiLanguage(const UiLanguage &language);

}  // namespace host

#include "host/language.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace host {

const std::vector<UiLanguage> &UiLanguages()
{
    static const std::vector<UiLanguage> languages = {
        {"zh-CN", 0x0804, "Chinese (Simplified)"},
        {"zh-TW", 0x0404, "Chinese (Traditional)"},
        {"ja-JP", 0x0411, "Japanese"},
        {"ko-KR", 0x0412, "Korean"},
        {"en-US", 0x0409, "English (United States)"},
        {"de-DE", 0x0407, "German"},
        {"fr-FR", 0x040C, "French"},
        {"it-IT", 0x0410, "Italian"},
        {"es-ES", 0x0C0A, "Spanish (Spain, modern sort)"},
        {"pt-BR", 0x0416, "Portuguese (Brazil)"},
        {"nl-NL", 0x0413, "Dutch"},
        {"pl-PL", 0x0415, "Polish"},
        {"cs-CZ", 0x0405, "Czech"},
        {"ru-RU", 0x0419, "Russian"},
        {"tr-TR", 0x041F, "Turkish"},
        {"th-TH", 0x041E, "Thai"},
        {"vi-VN", 0x042A, "Vietnamese"},
    };
    return languages;
}

const UiLanguage *FindUiLanguage(const std::string &tag)
{
    for (const UiLanguage &language : UiLanguages()) {
        std::string known = language.tag;
        if (known.size() != tag.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < tag.size() && same; ++i) {
            char c = tag[i] == '_' ? '-' : tag[i];
            same = std::tolower(static_cast<unsigned char>(c)) == std::tolower(static_cast<unsigned char>(known[i]));
        }
        if (same)
            return &language;
    }
    return nullptr;
}

void UseUiLanguage(const UiLanguage &language)
{
    // The stand-in reads the user's UI language from the environment at each
    // call, so it holds for threads the plug-in starts as well.
    char id[8];
    std::snprintf(id, sizeof(id), "0x%04X", language.id);
    setenv("STANDIN_UI_LANGUAGE", id, 1);
    SetThreadUILanguage(0);
}

}  // namespace host
